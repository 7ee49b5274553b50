#!/usr/bin/env bash
# One net game played by the two hosts at once over 127.0.0.1: the "talk"
# scenario of tests/programs/src/netgame_peers.c with its host under one host
# and both joiners under the other (their joining order, which decides who
# hosts after the host leaves, stays as between equals). Messages go every
# way, the host leaves and alice, on the other system, hosts on.
#   netgame_cross_host.sh wine|linux PROGRAM.exe QXRUN.exe QXLINUX WINE-RUN
# wine: the host runs under Wine, alice and bob in qxlinux; linux: the other
# way round. Skipped (77) when the Linux host is not built.
set -uo pipefail
side=$1 program=$2 qxrun=$3 qxlinux=$4 winerun=$5
if [ ! -x "$qxlinux" ]; then
    echo "SKIPPED: $qxlinux is not built (scripts/build builds it after the Windows images)"
    exit 77
fi
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
# A name of this run alone: the game ports are shared by every game on the machine.
game="qxcross${side}$$x$RANDOM"
limit=90

under_wine() {  # ROLE: qxrun prints the output, the boxes and the exit code at the end
    timeout $((limit + 15)) "$winerun" "$qxrun" --timeout $((limit * 1000)) "$program" talk "$1" "$game" \
        >"$work/$1" 2>"$work/$1.wine" </dev/null &
    pids+=($!)
}
natively() {
    # Standard error is the message box of the Windows program.
    timeout "$limit" "$qxlinux" "$program" talk "$1" "$game" >"$work/$1" 2>"$work/$1.box" </dev/null &
    pids+=($!)
}

# True once the game answers discovery (kind 21, the question; kind 22, the
# answer with its name) on one of the game ports.
game_is_up() {
    local port reply
    for port in $(seq 28400 28415); do
        exec 3<>"/dev/udp/127.0.0.1/$port" 2>/dev/null || continue
        printf '\001\025\000\000\000\000' >&3 2>/dev/null
        # One datagram, written out as soon as it is read.
        reply=$(timeout 0.2 dd bs=1500 count=1 <&3 2>/dev/null | tr -c '[:alnum:]' '.')
        exec 3<&-
        case "$reply" in *"$game"*) return 0 ;; esac
    done
    return 1
}

# Wine's server and services first, so that a cold start is not counted.
"$winerun" "$qxrun" --version >/dev/null 2>&1 </dev/null
if [ "$side" = wine ]; then host=under_wine; joiner=natively; else host=natively; joiner=under_wine; fi
$host host
# The joiners start together once the game is there, as in the Windows tests.
up=""
for _ in $(seq 1 150); do game_is_up && { up=1; break; }; sleep 0.2; done
if [ -z "$up" ]; then
    echo "FAIL: the host's game never answered discovery"
    exit 1
fi
$joiner alice
$joiner bob
for p in "${pids[@]}"; do wait "$p"; done
pids=()

status=0
expect() {  # ROLE LINE
    if ! tr -d '\r' <"$work/$1" | grep -qxF "$2"; then
        echo "FAIL: $1 did not print \"$2\""
        status=1
    fi
}
for role in host alice bob; do
    echo "--- $role ($([ "$role" = host ] && echo "$side" || { [ "$side" = wine ] && echo linux || echo wine; }))"
    tr -d '\r' <"$work/$role"
    expect "$role" "ok end"
    if tr -d '\r' <"$work/$role" | grep -q "FAIL\|^messagebox: \|^timed out"; then status=1; fi
    if [ -s "$work/$role.box" ]; then
        echo "FAIL: $role stopped with: $(cat "$work/$role.box")"
        status=1
    fi
done
expect host "ok 10000 reliable messages in order"
expect bob "ok 10000 reliable messages in order"
expect bob "ok 2000-byte text whole"
expect alice "ok directed messages"
expect alice "ok alice hosts after the host left"
[ $status -eq 0 ] && echo "PASSED: $side host, joiners on the other system"
exit $status
