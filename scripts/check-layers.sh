#!/usr/bin/env bash
# Checks that the layers include only what lies below them: the noise machine and the musical
# mouse make sound through the main window alone, midi/ reaches the built-in synthesizer only
# through the MIDI output functions, and platform/ knows nothing of the layers above. Under the
# MIDI output devices (platform/midi) lies the built-in synthesizer (platform/synth), which
# knows nothing of MIDI devices, under both the program's JACK client (platform/jack), and under
# all three what every connection to a server shares (platform/servers).
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

forbid windows/noise 'midi/|platform/midi/|platform/synth/|platform/jack/|platform/servers/'
forbid windows/mouse 'midi/|platform/midi/|platform/synth/|platform/jack/|platform/servers/'
forbid platform 'midi/|windows/'
forbid platform/synth 'platform/midi/|platform/toolkit/'
forbid platform/jack 'platform/midi/|platform/synth/|platform/toolkit/'
forbid platform/servers 'platform/midi/|platform/synth/|platform/jack/|platform/toolkit/'
forbid midi 'windows/|platform/toolkit/|platform/synth/|platform/jack/|platform/servers/'
# Each file of the platform layer holds one concern; one that outgrows this holds several.
readonly longest=400
while read -r lines file; do
    [[ $file == total ]] && continue
    if ((lines > longest)); then
        echo "check-layers: $file has $lines lines, more than $longest" >&2
        status=1
    fi
done < <(git ls-files -z -- 'platform/*.cpp' 'platform/*.h' | xargs -0 wc -l)
exit "$status"
