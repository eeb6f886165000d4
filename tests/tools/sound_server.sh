#!/usr/bin/env bash
# One daemon of a private sound server (see sound_servers.sh), for tests and benchmarks that kill
# it and start it again themselves; DIR holds everything the server keeps, the same on each start.
#   sound_server.sh DIR run DAEMON       runs it in the foreground, under this script's pid
#   sound_server.sh DIR ready DAEMON     returns once it answers; status 1 when it does not in 10 s
#   sound_server.sh DIR environment SERVER   prints its clients' variables, a NAME=value a line
# DAEMON: pulseaudio, or the PipeWire graph's dbus-daemon, pipewire, wireplumber or pipewire-pulse
# (ready once the graph's session manager runs too). SERVER: pulseaudio or pipewire.
set -u

readonly start_deadline=10  # s
readonly poll_interval=0.02 # s

# shellcheck source=tests/tools/sound_servers.sh
source "${BASH_SOURCE[0]%/*}/sound_servers.sh"

usage() {
    echo "usage: sound_server.sh DIR run|ready|environment DAEMON" >&2
    exit 2
}

(($# == 3)) || usage
readonly dir=$1 action=$2 daemon=$3
set_pulse_environment "$dir"
set_pipewire_environment "$dir"

run() {
    case $daemon in
        pulseaudio) exec env "${pulse_environment[@]}" pulseaudio "${pulseaudio_arguments[@]}" ;;
        dbus-daemon) exec env "${pipewire_environment[@]}" dbus-daemon "${dbus_arguments[@]}" ;;
        pipewire | wireplumber | pipewire-pulse) exec env "${pipewire_environment[@]}" "$daemon" ;;
        *) usage ;;
    esac
}

ready() {
    local check
    case $daemon in
        pulseaudio) check=pulseaudio_ready ;;
        dbus-daemon) check=dbus_ready ;;
        pipewire) check=pipewire_ready ;;
        wireplumber | pipewire-pulse) check=pipewire_pulse_ready ;;
        *) usage ;;
    esac
    local deadline=$((SECONDS + start_deadline))
    until "$check"; do
        ((SECONDS < deadline)) || not_ready
        sleep "$poll_interval"
    done
}

# Says what the graph's PulseAudio service shows when it is not ready.
not_ready() {
    echo "$daemon does not answer as ready within $start_deadline s" >&2
    if [[ $daemon == wireplumber || $daemon == pipewire-pulse ]]; then
        env "${pipewire_environment[@]}" PULSE_SERVER="unix:$pipewire_pulse_socket" \
            timeout "$check_deadline" pactl get-default-sink >&2
        env "${pipewire_environment[@]}" PULSE_SERVER="unix:$pipewire_pulse_socket" \
            timeout "$check_deadline" pactl list short sinks >&2
    fi
    exit 1
}

environment() {
    case $daemon in
        pulseaudio)
            printf '%s\n' "PULSE_SERVER=unix:$pulse_socket" \
                "PULSE_COOKIE=$pulse_folder/config/pulse/cookie" VORLIK_SINK_MONITOR=null.monitor
            ;;
        pipewire)
            printf '%s\n' "PIPEWIRE_RUNTIME_DIR=$pipewire_folder/runtime" \
                "XDG_RUNTIME_DIR=$pipewire_folder/runtime" "PULSE_SERVER=unix:$pipewire_pulse_socket" \
                "VORLIK_SINK_MONITOR=$pipewire_sink.monitor"
            ;;
        *) usage ;;
    esac
}

case $action in
    run) run ;;
    ready) ready ;;
    environment) environment ;;
    *) usage ;;
esac
