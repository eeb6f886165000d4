#!/usr/bin/env bash
# Runs a test program on the Wayland compositor that scripts/with-test-servers.sh starts. Without
# one the test is skipped (status 77), or fails under the test command.
set -u

if [[ -z ${VORLIK_WAYLAND_DISPLAY:-} ]]; then
    echo "on_wayland: no Wayland compositor; run under scripts/with-test-servers.sh" >&2
    [[ -n ${VORLIK_TEST_SERVERS:-} ]] && exit 1
    exit 77
fi
# In a sanitizer build, what Qt's Wayland platform keeps to the end is not reported as a leak;
# the slow unwinder finds the library in the stacks of allocations made through a plugin.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0
export LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=${0%/*}/qt_wayland_leaks.supp
export WAYLAND_DISPLAY=$VORLIK_WAYLAND_DISPLAY QT_QPA_PLATFORM=wayland

# Qt 6.4's Wayland platform handles frame callbacks on a thread of its own, which now and then
# destroys a callback twice as a window is destroyed (about one run in a hundred here); libwayland
# then aborts. A run that ends so is run once more, saying why.
readonly qt_race='wl_proxy_unref: Assertion `proxy->refcount > 0'"'"' failed'
log=$(mktemp "${TMPDIR:-/tmp}/on_wayland.XXXXXX")
trap 'rm -f "$log"' EXIT
for attempt in 1 2; do
    "$@" >"$log" 2>&1
    status=$?
    cat "$log"
    if ((status == 0 || attempt == 2)) || ! grep -qF "$qt_race" "$log"; then
        break
    fi
    echo "on_wayland: Qt's Wayland frame-callback race aborted the test; running it again" >&2
done
exit "$status"
