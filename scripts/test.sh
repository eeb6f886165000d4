#!/usr/bin/env bash
# Installs what is missing, checks the sources (format, layers, clang-tidy), builds the program
# three times (plain; with AddressSanitizer and UndefinedBehaviorSanitizer; with ThreadSanitizer
# for the tests that start threads), runs the tests of each build against an X server and sound
# servers of their own, and checks the Debian package. Prints how long each phase took.
set -euo pipefail
cd "$(dirname "$0")/.."

phases=()
# $1: the phase's name; the rest: its command.
phase() {
    local name=$1 start=$SECONDS
    shift
    "$@"
    phases+=("$(printf '%-16s %4d s' "$name" $((SECONDS - start)))")
}
report() {
    local status=$?
    echo "test: phases (the whole command took $SECONDS s):"
    printf '    %s\n' "${phases[@]}"
    ((status == 0)) || echo "test: failed in the phase after the last one above" >&2
}
trap report EXIT

# $1: preset; the rest: options for its configuration.
build() {
    local preset=$1
    shift
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset" --parallel "$(nproc)"
}

phase set-up scripts/setup.sh test
phase source-checks bash -c \
    "git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror && scripts/check-layers.sh"
# The benchmarks are built in the plain build only, so that they keep compiling and clang-tidy
# sees them; they run by hand.
phase build-plain build default -DVORLIK_BENCH=ON
phase build-asan build asan -DVORLIK_BENCH=OFF
phase build-tsan build tsan
phase clang-tidy scripts/check-tidy.sh build
phase tests scripts/with-test-servers.sh bash -c \
    'ctest --preset default && ctest --preset asan && ctest --preset tsan'
phase package scripts/with-test-servers.sh scripts/check-package.sh
