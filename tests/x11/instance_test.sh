#!/usr/bin/env bash
# One running copy of the display program: a second start from the same
# path leaves at once and brings the first forward; a copy elsewhere runs
# beside it; after kill -9 the next start works; SIGTERM ends it in order,
# with the settings saved.
#   instance_test.sh MIROVEX   (under tests/desktop/vdesk --tray)
set -u -o pipefail
mirovex=$1
pids=()
fail() { echo "FAIL: $*" >&2; for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done; exit 1; }
wait_until() {
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do ((SECONDS < deadline)) || return 1; sleep 0.05; done
}
alive() { kill -0 "$1" 2>/dev/null; }
gone() { ! kill -0 "$1" 2>/dev/null; }
# Toolbars on the screen: visible windows named Mirovex of the toolbar's size.
toolbars() { local w n=0; for w in $(xdotool search --onlyvisible --name '^Mirovex$' 2>/dev/null); do
    [[ $(xdotool getwindowgeometry "$w" 2>/dev/null) == *"Geometry: 238x42"* ]] && n=$((n + 1)); done; echo $n; }
toolbars_are() { [[ $(toolbars) == "$1" ]]; }

cfg=$XDG_DATA_HOME/Mirovex/MirovexA.cfg
mkdir -p "${cfg%/*}"
# No hints, and the toolbar hidden at start: the raise request must show it.
printf '[Options]\nDisplay Options=1\nEnvNotice=0\nToolBarAutoStart=0\n' >"$cfg"

"$mirovex" >"$VDESK_STATE/first.log" 2>&1 &
first=$!; pids+=("$first")
wait_until 10 bash -c "grep -q . '$XDG_RUNTIME_DIR'/Mirovex-*.lock 2>/dev/null" || fail "the first copy published no window"
sleep 0.3
toolbars_are 0 || fail "the toolbar shows although ToolBarAutoStart=0"

start=$SECONDS
"$mirovex" >"$VDESK_STATE/second.log" 2>&1; rc=$?
[[ $rc == 0 ]] || fail "the second copy ended with $rc: $(cat "$VDESK_STATE/second.log")"
((SECONDS - start <= 3)) || fail "the second copy took $((SECONDS - start)) s to leave"
alive "$first" || fail "the first copy died"
wait_until 5 toolbars_are 1 || fail "the first copy's toolbar did not come forward ($(toolbars) toolbars)"

# A copy in another folder is another program as far as the lock goes.
mkdir -p "$VDESK_STATE/elsewhere"
cp "$mirovex" "$VDESK_STATE/elsewhere/Mirovex"
"$VDESK_STATE/elsewhere/Mirovex" >"$VDESK_STATE/elsewhere.log" 2>&1 &
other=$!; pids+=("$other")
sleep 1.5
alive "$other" || fail "a copy in another folder did not run: $(cat "$VDESK_STATE/elsewhere.log")"
kill -TERM "$other"
wait_until 5 gone "$other" || fail "SIGTERM did not end the copy in another folder"

# kill -9 leaves no lock behind.
kill -9 "$first"
wait "$first" 2>/dev/null
rm -f "$cfg"
printf '[Options]\nDisplay Options=1\nEnvNotice=0\n' >"$cfg"
"$mirovex" >"$VDESK_STATE/third.log" 2>&1 &
third=$!; pids+=("$third")
wait_until 10 toolbars_are 1 || fail "no start after kill -9: $(cat "$VDESK_STATE/third.log")"
"$mirovex" >/dev/null 2>&1 || fail "a second copy beside the new first did not leave cleanly"
alive "$third" || fail "the new first copy died"

# SIGTERM: the orderly exit, settings saved.
kill -TERM "$third"
wait_until 5 gone "$third" || fail "SIGTERM did not end the program"
wait "$third"; rc=$?
[[ $rc == 0 ]] || fail "after SIGTERM the program ended with $rc"
grep -q '^samozagon=1' "$cfg" && grep -q '^Levo=300' "$cfg" || fail "SIGTERM did not save the settings: $(cat "$cfg")"
echo "instance test passed"
