#!/usr/bin/env bash
# Runs a command with its own virtual X display (with a window manager), Wayland compositor,
# dummy-driver JACK server, null-sink PulseAudio server and null-sink PipeWire graph (with
# pipewire-pulse and a session manager), stopped afterwards. The command reaches PulseAudio and
# JACK as usual; the PipeWire graph only through the VORLIK_PIPEWIRE_* variables (see
# tests/tools/on_pipewire.sh). VORLIK_JACK_PERIOD sets the JACK server's period in frames (1024
# unless set).
# shellcheck disable=SC2317  # the functions run from traps or are passed by name
set -u

readonly server_lifetime=3600  # s; a server outlives a killed run by at most this
readonly start_deadline=10     # s for each server to become ready
# s between asking a process to stop and killing it: longer than jackd's wait for a dead
# client's deactivation (5 s), so that jackd is never killed mid-way and its entry in the registry
# of servers (/dev/shm/jack-shm-registry, room for 8, freed only by a clean exit) goes with it.
readonly stop_deadline=8
readonly poll_interval=0.05    # s

readonly jack_server=vorlik-test-$$
readonly jack_period=${VORLIK_JACK_PERIOD:-1024}
workdir=
xvfb_wrapper=
openbox_wrapper=
weston_xvfb_wrapper=
weston_wrapper=
wayland_socket=
jackd_wrapper=
pulseaudio_wrapper=
dbus_wrapper=
pipewire_wrapper=
wireplumber_wrapper=
pipewire_pulse_wrapper=
command_pid=
display_number=
weston_display_number=

# shellcheck source=tests/tools/sound_servers.sh
source "${BASH_SOURCE[0]%/*}/../tests/tools/sound_servers.sh"

fail() {  # $1: message, $2: log file to show
    echo "with-test-servers: $1" >&2
    [[ -n ${2:-} && -s $2 ]] && sed 's/^/    /' "$2" >&2
    exit 1
}

# $1: pid of a child of this shell. An exited child still waiting to be reaped counts as stopped.
running() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [[ ${stat:0:1} != Z ]]
}

# $1: pid of a child of this shell. False when it still runs after stop_deadline.
exited_in_time() {
    local deadline=$((SECONDS + stop_deadline))
    while running "$1"; do
        ((SECONDS < deadline)) || return 1
        sleep "$poll_interval"
    done
}

stop_command() {
    [[ -n $1 ]] || return 0
    kill -TERM "$1" 2>/dev/null
    exited_in_time "$1" || kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

# $@: pids of servers' timeout wrappers, which pass TERM on to the servers, their children. All are
# asked at once, so that their stops overlap; one still running after stop_deadline is killed.
stop_servers() {
    local wrapper
    for wrapper in "$@"; do
        [[ -n $wrapper ]] && kill -TERM "$wrapper" 2>/dev/null
    done
    for wrapper in "$@"; do
        [[ -n $wrapper ]] || continue
        exited_in_time "$wrapper" || kill -KILL "$(server_pid "$wrapper")" "$wrapper" 2>/dev/null
        wait "$wrapper" 2>/dev/null
    done
}

# $1: pid of a server's timeout wrapper; prints the server's own pid.
server_pid() {
    local children=()
    read -ra children 2>/dev/null <"/proc/$1/task/$1/children"
    echo "${children[0]:-}"
}

# Only a killed Xvfb leaves its lock and socket behind; they go once their owner is gone.
# $1: display number, or empty.
remove_stale_display_files() {
    local lock=/tmp/.X$1-lock owner
    [[ -n $1 && -e $lock ]] || return 0
    owner=$(tr -d ' ' 2>/dev/null <"$lock")
    [[ -n $owner ]] && kill -0 "$owner" 2>/dev/null && return 0
    rm -f "$lock" "/tmp/.X11-unix/X$1"
}

# jackd removes a client that died only once it sees its socket close; asked to stop before
# that, it has already stopped its driver, so the removal waits out its whole timeout. Any
# request it answers comes after it has dealt with the sockets that closed before it.
jackd_settled() {
    [[ -z $jackd_wrapper ]] || timeout "$check_deadline" jack_lsp -s "$jack_server" >/dev/null 2>&1
}

cleanup() {
    local status=$?
    trap - INT TERM HUP
    stop_command "$command_pid"
    jackd_settled
    stop_servers "$pipewire_pulse_wrapper" "$wireplumber_wrapper" "$pipewire_wrapper" \
        "$dbus_wrapper" "$pulseaudio_wrapper" "$jackd_wrapper" "$weston_wrapper" \
        "$weston_xvfb_wrapper" "$openbox_wrapper" "$xvfb_wrapper"
    remove_stale_display_files "$weston_display_number"
    remove_stale_display_files "$display_number"
    [[ -n $workdir ]] && rm -rf "$workdir"
    exit "$status"
}

# $1: server name, $2: readiness check, $3: wrapper pid, $4: log file
wait_until_ready() {
    local deadline=$((SECONDS + start_deadline))
    until "$2"; do
        running "$3" || fail "$1 exited while starting:" "$4"
        ((SECONDS < deadline)) || fail "$1 not ready after ${start_deadline} s:" "$4"
        sleep "$poll_interval"
    done
}

# Xvfb picks a free display itself and writes its number once it accepts clients.
# $1: the file it writes to.
display_written() {
    local line
    read -r line <"$1" && [[ $line =~ ^[0-9]+$ ]] && echo "$line"
}

xvfb_ready() {
    display_number=$(display_written "$workdir/display")
}

weston_xvfb_ready() {
    weston_display_number=$(display_written "$workdir/weston-display")
}

# $1: name for its files in the work directory, $2: screen size; sets xvfb_started to the pid
# of its timeout wrapper.
xvfb_started=
start_xvfb() {
    : >"$workdir/$1"
    timeout "$server_lifetime" Xvfb -displayfd 3 -screen 0 "$2"x24 -nolisten tcp -noreset \
        3>"$workdir/$1" </dev/null >"$workdir/$1.log" 2>&1 &
    xvfb_started=$!
}

# The window manager has taken the display once it announces the desktops it manages.
openbox_ready() {
    DISPLAY=:$display_number xdotool get_num_desktops >/dev/null 2>&1
}

# Windows then get frames and can be maximised, as on a desktop. With its configuration and cache
# folders in the work directory, it runs with the system's defaults whatever the user has set up.
start_openbox() {
    DISPLAY=:$display_number XDG_CONFIG_HOME=$workdir XDG_CACHE_HOME=$workdir \
        timeout "$server_lifetime" openbox --sm-disable </dev/null >"$workdir/openbox.log" 2>&1 &
    openbox_wrapper=$!
    wait_until_ready openbox openbox_ready "$openbox_wrapper" "$workdir/openbox.log"
}

# Weston shows its output in a window on an X display of its own, where xdotool drives its seat
# (keyboard and pointer) and no window of a test on the first display is in the way; headless,
# it would have no seat, and Qt 6.4's Wayland platform then crashes as a widget takes the
# focus. The display is larger than weston's window, so that the pointer can enter the window
# from outside: only then does weston take its position whole rather than as a motion. The
# configuration leaves out the animations, the screen lock and the on-screen keyboard; --debug
# lets weston-debug show where it placed each window.
start_weston() {
    start_xvfb weston-display 1344x1088
    weston_xvfb_wrapper=$xvfb_started
    wait_until_ready Xvfb weston_xvfb_ready "$weston_xvfb_wrapper" "$workdir/weston-display.log"
    mkdir -m 700 "$workdir/weston"
    wayland_socket=$workdir/weston/wayland-vorlik
    printf '%s\n' '[core]' 'idle-time=0' '[shell]' 'locking=false' 'animation=none' \
        'close-animation=none' 'startup-animation=none' 'focus-animation=none' \
        '[input-method]' 'path=' >"$workdir/weston.ini"
    DISPLAY=:$weston_display_number XDG_RUNTIME_DIR=$workdir/weston \
        timeout "$server_lifetime" weston --backend=x11-backend.so --use-pixman \
        --width=1280 --height=1024 --socket="${wayland_socket##*/}" --idle-time=0 --debug \
        --config="$workdir/weston.ini" </dev/null >"$workdir/weston.log" 2>&1 &
    weston_wrapper=$!
    wait_until_ready weston weston_ready "$weston_wrapper" "$workdir/weston.log"
}

weston_ready() {
    [[ -S $wayland_socket ]] && WAYLAND_DISPLAY=$wayland_socket weston-info >/dev/null 2>&1
}

jackd_ready() {
    jack_lsp -s "$jack_server" >/dev/null 2>&1
}

start_jackd() {
    timeout "$server_lifetime" jackd --no-realtime --port-max 64 -n "$jack_server" -d dummy -r 48000 -p "$jack_period" \
        </dev/null >"$workdir/jackd.log" 2>&1 &
    jackd_wrapper=$!
    wait_until_ready jackd jackd_ready "$jackd_wrapper" "$workdir/jackd.log"
}

start_pulseaudio() {
    set_pulse_environment "$workdir"
    env "${pulse_environment[@]}" timeout "$server_lifetime" \
        pulseaudio "${pulseaudio_arguments[@]}" </dev/null >"$workdir/pulseaudio.log" 2>&1 &
    pulseaudio_wrapper=$!
    wait_until_ready pulseaudio pulseaudio_ready "$pulseaudio_wrapper" "$workdir/pulseaudio.log"
}

# $1: log name, then the command; sets graph_process to the pid of its timeout wrapper.
graph_process=
start_in_graph() {
    local log=$workdir/$1.log
    shift
    env "${pipewire_environment[@]}" timeout "$server_lifetime" "$@" </dev/null >"$log" 2>&1 &
    graph_process=$!
}

# wireplumber and pipewire-pulse start side by side once pipewire answers; they get ready while
# the other servers start (see wait_for_pipewire).
start_pipewire() {
    set_pipewire_environment "$workdir"
    start_in_graph dbus dbus-daemon "${dbus_arguments[@]}"
    dbus_wrapper=$graph_process
    wait_until_ready dbus-daemon dbus_ready "$dbus_wrapper" "$workdir/dbus.log"
    start_in_graph pipewire pipewire
    pipewire_wrapper=$graph_process
    wait_until_ready pipewire pipewire_ready "$pipewire_wrapper" "$workdir/pipewire.log"
    start_in_graph wireplumber wireplumber
    wireplumber_wrapper=$graph_process
    start_in_graph pipewire-pulse pipewire-pulse
    pipewire_pulse_wrapper=$graph_process
}

wait_for_pipewire() {
    wait_until_ready pipewire-pulse pipewire_pulse_ready "$pipewire_pulse_wrapper" \
        "$workdir/pipewire-pulse.log"
    running "$wireplumber_wrapper" || fail "wireplumber exited while starting:" \
        "$workdir/wireplumber.log"
}

if (($# == 0)); then
    echo "usage: with-test-servers.sh COMMAND [ARGS...]" >&2
    exit 2
fi
for tool in timeout Xvfb openbox xdotool weston weston-info jackd jack_lsp pulseaudio pactl \
    dbus-daemon pipewire wireplumber pipewire-pulse pw-cli pw-jack; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done

trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Nothing run from here on may start a JACK server of its own.
export JACK_NO_START_SERVER=1
workdir=$(mktemp -d "${TMPDIR:-/tmp}/with-test-servers.XXXXXX") || fail "cannot make a work directory"
start_pipewire
start_xvfb display 1920x1080
xvfb_wrapper=$xvfb_started
wait_until_ready Xvfb xvfb_ready "$xvfb_wrapper" "$workdir/display.log"
start_openbox
start_weston
start_jackd
# Without a session bus, D-Bus would try to start one for each program and leak doing so.
export DBUS_SESSION_BUS_ADDRESS=disabled:
start_pulseaudio
wait_for_pipewire

# Without WAYLAND_DISPLAY, toolkits use the virtual display rather than the user's desktop.
unset WAYLAND_DISPLAY
export DISPLAY=:$display_number
export JACK_DEFAULT_SERVER=$jack_server
# Clients read the server's own cookie rather than making one in the user's home folder.
export PULSE_SERVER=unix:$pulse_socket PULSE_COOKIE=$pulse_folder/config/pulse/cookie
# Tests that run on Wayland connect to this socket, and drive weston's seat on its X display.
export VORLIK_WAYLAND_DISPLAY=$wayland_socket VORLIK_WAYLAND_SEAT_DISPLAY=:$weston_display_number
# PipeWire clients find no daemon (a user's included) unless a test asks for the graph.
mkdir "$workdir/no-pipewire"
export PIPEWIRE_RUNTIME_DIR=$workdir/no-pipewire
# What the PipeWire wrappers and the benchmarks switch to; the servers' pids for load figures.
export VORLIK_PULSEAUDIO_SERVER=$PULSE_SERVER VORLIK_PULSEAUDIO_MONITOR=null.monitor
export VORLIK_SINK_MONITOR=$VORLIK_PULSEAUDIO_MONITOR
export VORLIK_PIPEWIRE_RUNTIME_DIR=$pipewire_folder/runtime
export VORLIK_PIPEWIRE_PULSE_SERVER=unix:$pipewire_pulse_socket
export VORLIK_PIPEWIRE_MONITOR=$pipewire_sink.monitor
VORLIK_JACKD_PID=$(server_pid "$jackd_wrapper")
VORLIK_PULSEAUDIO_PID=$(server_pid "$pulseaudio_wrapper")
VORLIK_PIPEWIRE_PID=$(server_pid "$pipewire_wrapper")
VORLIK_PIPEWIRE_PULSE_PID=$(server_pid "$pipewire_pulse_wrapper")
export VORLIK_JACKD_PID VORLIK_PULSEAUDIO_PID VORLIK_PIPEWIRE_PID VORLIK_PIPEWIRE_PULSE_PID
export VORLIK_TEST_SERVERS=1
echo "with-test-servers: display $DISPLAY, Wayland display $VORLIK_WAYLAND_DISPLAY," \
    "JACK server $JACK_DEFAULT_SERVER ($jack_period frames), PulseAudio server $PULSE_SERVER," \
    "PipeWire graph in $VORLIK_PIPEWIRE_RUNTIME_DIR" >&2

# In the background, so that a signal to this script is acted on at once, not after the command.
"$@" <&0 &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=
exit "$status"
