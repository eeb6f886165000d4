#!/usr/bin/env bash
# Prints, in µs, the quantum the PipeWire graph (PIPEWIRE_RUNTIME_DIR) runs at, as pw-profiler sees
# it over half a second; nothing while the graph is idle.
set -u

dir=$(mktemp -d "${TMPDIR:-/tmp}/sink_latency.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT
# pw-profiler writes its plot scripts into the current folder, and stops cleanly on SIGINT.
(cd "$dir" && timeout -s INT 0.5 pw-profiler -o profile.log >/dev/null 2>&1)
# A line per cycle; its fourth column is the cycle's quantum in µs.
awk -F '\t' 'END { if (NR > 0) print $4 }' "$dir/profile.log"
