#!/usr/bin/env bash
# Installs what is missing, builds the program and makes its Debian package in build/package/;
# prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh package
cmake --preset default >&2
cmake --build --preset default --parallel "$(nproc)" --target vorlik icons >&2
(cd build && cpack -G DEB -B package >&2)
ls build/package/vorlik_*.deb
