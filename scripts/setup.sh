#!/usr/bin/env bash
# Installs the Debian packages the program needs (and, with "test", what its tests need; with
# "package", what making its Debian package needs), skipping what is already there. Qt's
# Wayland platform is among the program's, so that it runs natively in a Wayland session.
set -euo pipefail

build_packages=(cmake g++ make pkg-config qt6-base-dev librtmidi-dev libfluidsynth-dev
                libasound2-dev libjack-jackd2-dev libpulse-dev libxcb1-dev timgm6mb-soundfont
                fonts-liberation qt6-wayland libpipewire-0.3-dev)
# The tests' PipeWire graph: the daemon, its session manager, its PulseAudio service and JACK
# library (pw-jack), and a D-Bus session daemon of its own.
test_packages=(libgtest-dev libx11-dev xvfb xdotool x11-utils openbox weston jackd2 pulseaudio
               pulseaudio-utils fluidsynth clang-format clang-tidy desktop-file-utils appstream
               lintian pipewire pipewire-bin wireplumber pipewire-pulse pipewire-jack dbus-daemon)

package_packages=(dpkg-dev)

packages=("${build_packages[@]}")
case "${1:-}" in
    test) packages+=("${test_packages[@]}" "${package_packages[@]}") ;;
    package) packages+=("${package_packages[@]}") ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "Installing: ${missing[*]}"
# jackd2 asks whether to allow realtime priority; the tests run without it.
echo 'jackd2 jackd/tweak_rt_limits boolean false' | "${sudo[@]}" debconf-set-selections
"${sudo[@]}" apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
