#!/usr/bin/env bash
# Prints, in µs, the latency the PulseAudio server (PULSE_SERVER) has configured its first sink to.
set -u

timeout 10 pactl list sinks |
    sed -n 's/^[[:space:]]*Latency: [0-9]* usec, configured \([0-9]*\) usec$/\1/p' | head -n 1
