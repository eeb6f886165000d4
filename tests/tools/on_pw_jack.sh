#!/usr/bin/env bash
# Runs a test program against the test servers' PipeWire graph with PipeWire's own JACK library
# in place of jackd's, as pw-jack does.
set -u

# In a sanitizer build, what that library keeps of closed ports is not reported as a leak.
export LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=${0%/*}/pipewire_jack_leaks.supp
exec "${0%/*}/on_pipewire.sh" pw-jack "$@"
