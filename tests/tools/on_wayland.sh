#!/bin/sh
# Runs a test program on the Wayland compositor that scripts/with-test-servers.sh starts. Without
# one the test is skipped (status 77), or fails under the test command.
if [ -z "${VORLIK_WAYLAND_DISPLAY:-}" ]; then
    echo "on_wayland: no Wayland compositor; run under scripts/with-test-servers.sh" >&2
    [ -n "${VORLIK_TEST_SERVERS:-}" ] && exit 1
    exit 77
fi
WAYLAND_DISPLAY=$VORLIK_WAYLAND_DISPLAY QT_QPA_PLATFORM=wayland exec "$@"
