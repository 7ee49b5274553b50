# Sourced by the end-to-end scripts: the start-up they share. A script may set
# `work` (its scratch folder, removed at exit) before sourcing, else it gets a
# new one under /tmp, and sets `report` (the file its program writes, shown
# when a check fails) after.
#   . "$(dirname "$0")/common.sh"
set -uo pipefail
work=${work:-$(mktemp -d)}
report=${report:-}
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    if [ -n "$report" ]; then echo "--- $(basename "$report"):"; tr -d '\r' < "$report" 2>/dev/null; fi
    exit 1
}

# Starts a Windows program under Wine (or, with QX_E2E_HOST set to the Linux
# host qxlinux, natively in it), detached from our pipes; sets pid.
launch() {
    if [ -n "${QX_E2E_HOST:-}" ]; then
        "$QX_E2E_HOST" "$@" >/dev/null 2>&1 </dev/null &
    else
        wine "$@" >/dev/null 2>&1 </dev/null &
    fi
    pid=$!
}

# A path as the program is given it: Windows' form under Wine; the Linux
# host maps either form, so it gets the path as it is.
program_path() {
    if [ -n "${QX_E2E_HOST:-}" ]; then echo "$1"; else winepath -w "$1"; fi
}

# Waits (at most 20 s) for a visible window whose name matches; prints its id.
window_named() {
    local found=""
    for _ in $(seq 1 200); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.1
    done
    return 1
}

# Waits (at most 5 s) until no visible window's name matches.
window_gone() {
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# Waits (at most 10 s) until the report holds N lines.
wait_lines() {
    for _ in $(seq 1 100); do
        [ "$(tr -d '\r' < "$report" 2>/dev/null | wc -l)" -ge "$1" ] && return 0
        sleep 0.1
    done
    fail "the program wrote no line $1"
}

# Waits (at most 10 s) for the program to end; fails with MESSAGE if it does not.
program_ends() {
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
    fail "$1"
}
