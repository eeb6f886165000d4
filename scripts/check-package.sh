#!/usr/bin/env bash
# Makes the Debian package (in the build folder given, build/ unless given), has Debian's
# checker find no error or warning in it, checks its desktop entry and AppStream metadata,
# unpacks it into a folder of its own and starts the installed program there until its splash
# is on screen. Needs a display: run it under scripts/with-test-servers.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

readonly splash_deadline=30  # s for the installed program's splash to appear

package=$(scripts/package.sh "${1:-build}")
root=$(mktemp -d "${TMPDIR:-/tmp}/vorlik-package.XXXXXX")
program_pid=
cleanup() {
    if [[ -n $program_pid ]]; then
        kill -KILL "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true  # its status is the KILL's
    fi
    rm -rf "$root"
}
trap cleanup EXIT

lintian --fail-on error,warning "$package" ||
    { echo "check-package: lintian finds fault with the package" >&2; exit 1; }
dpkg -x "$package" "$root"
dpkg-deb -f "$package" Depends | grep -q libfluidsynth3 ||
    { echo "check-package: the package does not depend on FluidSynth" >&2; exit 1; }
desktop-file-validate "$root/usr/share/applications/vorlik.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.vorlik.metainfo.xml" >/dev/null
for size in 48 128 256; do
    [[ -s $root/usr/share/icons/hicolor/${size}x${size}/apps/vorlik.png ]] ||
        { echo "check-package: no ${size}-px icon" >&2; exit 1; }
done

"$root/usr/bin/vorlik" >"$root/vorlik.log" 2>&1 &
program_pid=$!
if ! timeout "$splash_deadline" xdotool search --sync --onlyvisible --pid "$program_pid" \
    >/dev/null; then
    echo "check-package: the installed program showed no window:" >&2
    sed 's/^/    /' "$root/vorlik.log" >&2
    exit 1
fi
echo "check-package: $package installs and starts to its splash"
