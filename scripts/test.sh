#!/usr/bin/env bash
# Installs what is missing, checks the sources (format, layers, clang-tidy), builds the program
# twice (plain, and with AddressSanitizer and UndefinedBehaviorSanitizer), runs every test of
# both builds against an X server and a JACK server of their own, and checks the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh test

git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
scripts/check-layers.sh

# The benchmarks are built too, so that they keep compiling and clang-tidy sees them.
for preset in default asan; do
    cmake --preset "$preset" -DVORLIK_BENCH=ON
    cmake --build --preset "$preset" --parallel "$(nproc)"
done
scripts/check-tidy.sh build

scripts/with-test-servers.sh bash -c 'ctest --preset default && ctest --preset asan'
scripts/with-test-servers.sh scripts/check-package.sh
