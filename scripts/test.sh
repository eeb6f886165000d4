#!/usr/bin/env bash
# Installs what is missing, builds the program twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test of both builds against an X server and a
# JACK server of their own.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh test

git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

for preset in default asan; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" --parallel "$(nproc)"
done

scripts/with-test-servers.sh bash -c 'ctest --preset default && ctest --preset asan'
