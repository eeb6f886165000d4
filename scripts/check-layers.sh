#!/usr/bin/env bash
# Checks that the layers include only what lies below them: the noise machine and the musical
# mouse make sound through the main window alone, midi/ reaches the built-in synthesizer only
# through the MIDI output functions, and platform/ knows nothing of the layers above.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
# $1: folder, $2: what its files must not include (an extended regular expression).
forbid() {
    local found
    found=$(git grep -nE "#include \"($2)" -- "$1" || true)
    if [[ -n $found ]]; then
        echo "check-layers: $1 includes what it must not:" >&2
        echo "$found" | sed 's/^/    /' >&2
        status=1
    fi
}

forbid windows/noise 'midi/|platform/midi/|platform/synth/'
forbid windows/mouse 'midi/|platform/midi/|platform/synth/'
forbid platform 'midi/|windows/'
forbid midi 'windows/|platform/toolkit/|platform/synth/'
exit "$status"
