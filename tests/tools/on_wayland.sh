#!/bin/sh
# Runs a test program on the Wayland compositor that scripts/with-test-servers.sh starts. Without
# one the test is skipped (status 77), or fails under the test command.
if [ -z "${VORLIK_WAYLAND_DISPLAY:-}" ]; then
    echo "on_wayland: no Wayland compositor; run under scripts/with-test-servers.sh" >&2
    [ -n "${VORLIK_TEST_SERVERS:-}" ] && exit 1
    exit 77
fi
# In a sanitizer build, what Qt's Wayland platform keeps to the end is not reported as a leak;
# the slow unwinder finds the library in the stacks of allocations made through a plugin.
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0
LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/qt_wayland_leaks.supp
export ASAN_OPTIONS LSAN_OPTIONS
WAYLAND_DISPLAY=$VORLIK_WAYLAND_DISPLAY QT_QPA_PLATFORM=wayland exec "$@"
