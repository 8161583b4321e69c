#!/usr/bin/env bash
# Checks the promises of vdesk that no C++ test can see: exit statuses pass
# through, two desktops started together get their own displays, start/stop
# leaves no process behind, and Ctrl-C or a kill of vdesk stops the desktop.
set -u -o pipefail
here=$(cd "$(dirname "$0")" && pwd)
vdesk=$here/vdesk
work=$(mktemp -d "${TMPDIR:-/tmp}/vdesk-selftest.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
failures=0
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok   $what" >&2; else echo "FAIL $what" >&2; failures=$((failures + 1)); fi
}
# Pids of desktop processes recorded in a state folder that still run.
alive() {
    local name pid start left=0
    [[ -f $1/pids ]] || return 1
    while read -r name pid start; do
        # A zombie has stopped already; only its parent's bookkeeping is left.
        [[ $(awk '$3 != "Z" {print $22}' "/proc/$pid/stat" 2>/dev/null) == "$start" ]] && left=1
    done <"$1/pids"
    ((left))
}

status_passes() { "$vdesk" run --quiet --no-wm -- sh -c 'exit 7'; [[ $? == 7 ]]; }
check "exit status passes through" status_passes

private_dirs() {
    "$vdesk" run --quiet --no-wm --state "$work/p" -- sh -c \
        '[ "$HOME" = "$VDESK_STATE/home" ] && [ "$XDG_DATA_HOME" = "$VDESK_STATE/data" ] &&
         [ "$(stat -c %a "$XDG_RUNTIME_DIR")" = 700 ] && [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]'
}
check "private HOME and XDG folders" private_dirs
gone_after_run() { ! alive "$work/p" && [[ ! -d $work/p/home ]]; }
check "run stops its desktop and removes the private folders" gone_after_run

two_at_once() {
    "$vdesk" run --quiet --no-wm --state "$work/a" -- sh -c 'echo "$DISPLAY" >"$0"; sleep 1' "$work/da" &
    local a=$!
    "$vdesk" run --quiet --no-wm --state "$work/b" -- sh -c 'echo "$DISPLAY" >"$0"; sleep 1' "$work/db" &
    local b=$!
    wait $a && wait $b && [[ -s $work/da && -s $work/db && $(<"$work/da") != $(<"$work/db") ]]
}
check "two desktops at once get two displays" two_at_once

start_stop() {
    "$vdesk" start --quiet --compositor --tray --state "$work/s" >"$work/s.env" || return 1
    (source "$work/s.env" && xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null) || return 1
    alive "$work/s" || return 1
    "$vdesk" stop --state "$work/s" || return 1
    ! alive "$work/s"
}
check "start, then stop leaves nothing running" start_stop

interrupted() { # interrupted SIGNAL
    # A script's background jobs start with SIGINT ignored; a terminal's
    # Ctrl-C reaches a foreground vdesk with it at its default.
    env --default-signal=INT "$vdesk" run --quiet --state "$work/i$1" -- sleep 60 &
    local v=$! n=0
    until [[ -f $work/i$1/pids ]] && grep -q '^cmd ' "$work/i$1/pids"; do
        sleep 0.05; n=$((n + 1)); ((n < 400)) || return 1
    done
    kill "-$1" $v
    wait $v
    local rc=$?
    [[ $rc == $((128 + $(kill -l "$1"))) ]] && ! alive "$work/i$1"
}
check "SIGINT stops command and desktop" interrupted INT
check "SIGTERM stops command and desktop" interrupted TERM

killed_outright() {
    "$vdesk" run --quiet --state "$work/k" -- sleep 60 &
    local v=$! n=0
    until [[ -f $work/k/pids ]] && grep -q '^cmd ' "$work/k/pids"; do
        sleep 0.05; n=$((n + 1)); ((n < 400)) || return 1
    done
    kill -KILL $v
    wait $v 2>/dev/null
    n=0
    while alive "$work/k"; do sleep 0.05; n=$((n + 1)); ((n < 200)) || return 1; done
}
check "kill -9 of vdesk still stops the desktop" killed_outright

bad_usage() { "$vdesk" run --layout nowhere -- true 2>/dev/null; [[ $? == 2 ]]; }
check "bad layout is a usage error" bad_usage

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all vdesk checks passed" >&2
