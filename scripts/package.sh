#!/usr/bin/env bash
# Installs what is missing, builds the program and makes its Debian package in BUILD/package/
# (BUILD: the folder given, build/ unless given); prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
scripts/setup.sh package
cmake --preset default -B "$build" >&2
cmake --build "$build" --parallel "$(nproc)" --target vorlik package-files >&2
(cd "$build" && cpack -G DEB -B package >&2)
ls "$build"/package/vorlik_*.deb
