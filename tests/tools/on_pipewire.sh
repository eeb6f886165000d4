#!/usr/bin/env bash
# Runs a test program against the PipeWire graph that scripts/with-test-servers.sh starts, with no
# JACK server in reach and PulseAudio clients sent to pipewire-pulse. Without the graph the test
# is skipped (status 77), or fails under the test command.
set -u

if [[ -z ${VORLIK_PIPEWIRE_RUNTIME_DIR:-} ]]; then
    echo "on_pipewire: no PipeWire graph; run under scripts/with-test-servers.sh" >&2
    [[ -n ${VORLIK_TEST_SERVERS:-} ]] && exit 1
    exit 77
fi
export XDG_RUNTIME_DIR=$VORLIK_PIPEWIRE_RUNTIME_DIR PIPEWIRE_RUNTIME_DIR=$VORLIK_PIPEWIRE_RUNTIME_DIR
export PULSE_SERVER=$VORLIK_PIPEWIRE_PULSE_SERVER VORLIK_SINK_MONITOR=$VORLIK_PIPEWIRE_MONITOR
export VORLIK_SINK_LATENCY_COMMAND=${0%/*}/sink_latency_pipewire.sh
unset JACK_DEFAULT_SERVER
# The test servers' jackd has a name of its own; a jackd under the default name would be the
# user's, and the test would not be on PipeWire alone.
if jack_lsp >/dev/null 2>&1; then
    echo "on_pipewire: a JACK server answers under the default name" >&2
    exit 1
fi
exec "$@"
