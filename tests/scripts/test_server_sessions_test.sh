#!/usr/bin/env bash
# Twenty sessions of the test servers in a row, each ending as a test that kills a JACK client
# may end: the client is killed and the servers are stopped at once. Every session must start,
# and none may leave its JACK server in the registry of servers (/dev/shm/jack-shm-registry),
# which has room for eight and frees a place only when its server exits cleanly.
# $1: scripts/with-test-servers.sh, $2: the midi-capture tool.
set -u

readonly sessions=20
readonly registry=/dev/shm/jack-shm-registry
with_test_servers=$1
capture=$2
names=$(mktemp "${TMPDIR:-/tmp}/test-server-sessions.XXXXXX")
trap 'rm -f "$names"' EXIT

# Inside a session: a JACK client with a port, killed once the server lists the port.
# shellcheck disable=SC2016  # expanded by the session's shell
readonly session_command='
    echo "$JACK_DEFAULT_SERVER" >>"$0"
    "$1" --name killed-client >/dev/null &
    client=$!
    timeout 10 bash -c "until jack_lsp 2>/dev/null | grep -q ^killed-client:; do sleep 0.05; done" ||
        { echo "the JACK client never showed its port" >&2; exit 1; }
    kill -KILL "$client"
    wait "$client" 2>/dev/null
    exit 0'

for ((session = 1; session <= sessions; session++)); do
    if ! "$with_test_servers" bash -c "$session_command" "$names" "$capture" 2>/dev/null; then
        echo "session $session of $sessions failed:" >&2
        "$with_test_servers" true
        exit 1
    fi
done

left=()
while read -r name; do
    grep -aqF ":$name:" "$registry" 2>/dev/null && left+=("$name")
done <"$names"
if ((${#left[@]} > 0)); then
    echo "${#left[@]} of $sessions sessions left their JACK server in $registry: ${left[*]}" >&2
    exit 1
fi
echo "$sessions sessions, none left its JACK server in $registry"
