# The private sound servers of the tests: a PulseAudio server with a 48 kHz null sink, and a
# PipeWire graph (its own D-Bus session daemon, pipewire with a null sink, wireplumber,
# pipewire-pulse). Everything a server and its clients keep goes under a folder given: never a
# user's server, cookie or configuration. Sourced by scripts/with-test-servers.sh and
# tests/tools/sound_server.sh.
# shellcheck shell=bash disable=SC2034  # the variables are for the scripts that source this

readonly pipewire_sink=vorlik-null
# s for one readiness check: a daemon that takes the connection and never answers fails it.
readonly check_deadline=2

# $1: the folder; sets pulse_folder, pulse_socket, pulse_environment (the server's and its
# clients' variables) and pulseaudio_arguments. No configuration script (-n): only a 48 kHz null
# sink, whose monitor tests record, and the native protocol on our own socket. As root it warns
# that it is meant for --system, and runs all the same.
pulse_folder=
pulse_socket=
pulse_environment=()
pulseaudio_arguments=()
set_pulse_environment() {
    pulse_folder=$1/pulse
    mkdir -p "$pulse_folder/home" "$pulse_folder/runtime" "$pulse_folder/config" \
        "$pulse_folder/state"
    pulse_socket=$pulse_folder/native
    pulse_environment=(HOME="$pulse_folder/home" XDG_RUNTIME_DIR="$pulse_folder/runtime"
                       XDG_CONFIG_HOME="$pulse_folder/config"
                       PULSE_RUNTIME_PATH="$pulse_folder/runtime"
                       PULSE_STATE_PATH="$pulse_folder/state" PULSE_SERVER="unix:$pulse_socket")
    pulseaudio_arguments=(-n --daemonize=no --exit-idle-time=-1 --disallow-exit
                          --log-target=stderr -L "module-null-sink rate=48000"
                          -L "module-native-protocol-unix socket=$pulse_socket")
}

pulseaudio_ready() {
    [[ -s $pulse_folder/config/pulse/cookie ]] &&
        env "${pulse_environment[@]}" timeout "$check_deadline" pactl info >/dev/null 2>&1
}

# $1: the folder; sets pipewire_folder, pipewire_pulse_socket, pipewire_environment and
# dbus_arguments. The graph's configuration is the system's plus a drop-in that makes a 48 kHz
# stereo null sink; its session bus, on which wireplumber depends, is its own.
pipewire_folder=
pipewire_pulse_socket=
pipewire_environment=()
dbus_arguments=()
set_pipewire_environment() {
    pipewire_folder=$1/pipewire
    local home=$pipewire_folder/home dropins
    dropins=$home/.config/pipewire/pipewire.conf.d
    mkdir -p "$dropins" "$pipewire_folder/runtime"
    chmod 700 "$pipewire_folder/runtime"
    printf '%s\n' 'context.objects = [' '    { factory = adapter args = {' \
        '        factory.name = support.null-audio-sink' "        node.name = $pipewire_sink" \
        '        node.description = "Null sink" media.class = "Audio/Sink"' \
        '        audio.position = [ FL FR ] audio.rate = 48000' \
        '        monitor.channel-volumes = true } }' ']' >"$dropins/null-sink.conf.$$"
    # Renamed into place whole: a daemon starting meanwhile never reads it half written.
    mv -f "$dropins/null-sink.conf.$$" "$dropins/null-sink.conf"
    pipewire_pulse_socket=$pipewire_folder/runtime/pulse/native
    pipewire_environment=(HOME="$home" XDG_CONFIG_HOME="$home/.config"
                          XDG_STATE_HOME="$home/.local/state"
                          XDG_RUNTIME_DIR="$pipewire_folder/runtime"
                          PIPEWIRE_RUNTIME_DIR="$pipewire_folder/runtime"
                          DBUS_SESSION_BUS_ADDRESS="unix:path=$pipewire_folder/bus")
    dbus_arguments=(--session --nofork --nopidfile --address="unix:path=$pipewire_folder/bus")
}

dbus_ready() {
    [[ -S $pipewire_folder/bus ]]
}

pipewire_ready() {
    env "${pipewire_environment[@]}" timeout "$check_deadline" pw-cli info 0 >/dev/null 2>&1
}

# pipewire-pulse answers, and the session manager has made the null sink the default, which it
# does once it manages the graph (and so links new streams).
pipewire_pulse_ready() {
    env "${pipewire_environment[@]}" PULSE_SERVER="unix:$pipewire_pulse_socket" \
        timeout "$check_deadline" pactl get-default-sink 2>/dev/null | grep -qx "$pipewire_sink"
}
