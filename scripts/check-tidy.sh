#!/usr/bin/env bash
# Runs clang-tidy with the checked-in .clang-tidy over the project's own sources, as the build
# in $1 (default build/) compiles them; any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! git ls-files -- '*.cpp' |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --warnings-as-errors='*' >"$log" 2>&1; then
    grep -v 'warnings generated\.$' "$log" >&2
    echo "check-tidy: clang-tidy found the above" >&2
    exit 1
fi
