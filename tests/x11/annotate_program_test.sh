#!/usr/bin/env bash
# The two programs together: "Vidizizu" (the display program's hotkey)
# starts one annotation program, toggles it, and Stop All and the display
# program's exit end it; start-up with bad handles; a second copy hands the
# display program's id to the first.
#   annotate_program_test.sh MIROVEX   (annotate beside it; under vdesk)
set -u -o pipefail
mirovex=$1
annotate=$(dirname "$mirovex")/annotate
pids=()
fail() { echo "FAIL: $*" >&2; for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done; exit 1; }
wait_until() {
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do ((SECONDS < deadline)) || return 1; sleep 0.05; done
}
# Gone, or a zombie whose parent has not reaped it yet.
gone() { [[ ! -e /proc/$1 ]] || [[ $(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) == Z ]]; }
# Annotation programs on this desktop (other desktops may run their own).
ours() { tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY"; }
our_annotates() { local p; for p in $(pgrep -x annotate); do ours "$p" && ! gone "$p" && echo "$p"; done; }
annotates() { our_annotates | wc -l; }
annotates_are() { [[ $(annotates) == "$1" ]]; }
# Board and toolbar on the screen; the 32 x 32 tray button, which stays
# where there is no tray, is not counted.
visible() { local w n=0; for w in $(xdotool search --onlyvisible --name '^Mirovex Vidizizu$' 2>/dev/null); do
    [[ $(xdotool getwindowgeometry "$w" 2>/dev/null) == *"Geometry: 32x32"* ]] || n=$((n + 1)); done; echo $n; }
visible_are() { [[ $(visible) == "$1" ]]; }
first_annotate() { our_annotates | head -1; }

folder=$XDG_DATA_HOME/Mirovex
mkdir -p "$folder"
printf '[Options]\nDisplay Options=1\nEnvNotice=0\n' >"$folder/MirovexA.cfg"
printf '[Options]\nHotKey5=Ctrl+Alt+V\nHotKey6=Ctrl+Alt+X\n' >"$folder/MirovexHOT.cfg"
printf '[SaveImage]\nImageName=Talk\n[Mreza]\nMrezaX=33\n' >"$folder/NotelB.cfg"
cp "$folder/NotelB.cfg" "$VDESK_STATE/NotelB.before"

start_mirovex() {
    "$mirovex" >>"$VDESK_STATE/mirovex.log" 2>&1 &
    mp=$!; pids+=("$mp")
    wait_until 15 bash -c "xdotool search --onlyvisible --name '^Mirovex$' >/dev/null 2>&1" ||
        fail "Mirovex did not come up: $(cat "$VDESK_STATE/mirovex.log")"
}
vidizizu() { xdotool key ctrl+alt+v; }

start_mirovex
# Twice within six seconds: one program. The second press either finds the
# launch blocked or, once the hand-shake is in, toggles the first.
vidizizu; vidizizu
wait_until 10 annotates_are 1 || fail "no annotation program started"
sleep 1
annotates_are 1 || fail "$(annotates) annotation programs run after two presses"
visible_are 0 && vidizizu
wait_until 10 visible_are 2 || fail "board and toolbar did not show ($(visible) windows)"
# 200 unmaps and maps.
vidizizu
wait_until 5 visible_are 0 || fail "the toggle did not put it away ($(visible) windows)"
vidizizu
wait_until 5 visible_are 2 || fail "the toggle did not bring it back ($(visible) windows)"
annotates_are 1 || fail "a toggle started another program"
# Stop All ends it at once, and nothing is saved on the way.
ap=$(first_annotate)
xdotool key ctrl+alt+x
wait_until 2 gone "$ap" || fail "Stop All did not end the annotation program within 2 s"
cmp -s "$folder/NotelB.cfg" "$VDESK_STATE/NotelB.before" || fail "NotelB.cfg changed on the quit code"

# Six seconds after the launch the next press starts a new one; the display
# program's exit ends it.
sleep 6
vidizizu
wait_until 10 visible_are 2 || fail "no new annotation program after Stop All"
ap=$(first_annotate)
kill -TERM "$mp"
wait_until 2 gone "$ap" || fail "the display program's exit did not end the annotation program within 2 s"
wait_until 10 gone "$mp" || fail "Mirovex did not end on SIGTERM"
cmp -s "$folder/NotelB.cfg" "$VDESK_STATE/NotelB.before" || fail "NotelB.cfg changed on exit"

# Bad handles: the program runs on its own. A foreign window gets nothing
# (the test window would print what reached it).
for arg in abc 0 4294967296 99999999 foreign; do
    if [[ $arg == foreign ]]; then
        xmessage -name foreign "foreign" &
        xm=$!; pids+=("$xm")
        wait_until 10 bash -c "xdotool search --name '^foreign$' >/dev/null 2>&1" || fail "no foreign window"
        arg=$(xdotool search --name '^foreign$' | head -1)
    fi
    "$annotate" "$arg" >"$VDESK_STATE/bad.log" 2>&1 &
    ap=$!; pids+=("$ap")
    wait_until 10 visible_are 2 || fail "annotate $arg did not show its board: $(cat "$VDESK_STATE/bad.log")"
    kill -TERM "$ap"
    wait_until 5 gone "$ap" || fail "annotate $arg did not end on SIGTERM"
    wait_until 5 visible_are 0 || fail "windows stayed after annotate $arg"
done
[[ -n ${xm:-} ]] && kill "$xm" 2>/dev/null

# A copy started by hand first; the display program's launch then finds it:
# the second copy leaves, the first hand-shakes, and the next "Vidizizu"
# toggles the first.
"$annotate" >"$VDESK_STATE/hand.log" 2>&1 &
hand=$!; pids+=("$hand")
wait_until 10 visible_are 2 || fail "annotate by hand did not show"
start_mirovex
vidizizu
sleep 2
annotates_are 1 || fail "$(annotates) annotation programs after the second start"
vidizizu
wait_until 5 visible_are 0 || fail "the first copy was not linked by the second start"
gone "$hand" && fail "the first copy died"
kill -TERM "$mp"
wait_until 2 gone "$hand" || fail "the exit did not end the linked first copy"
echo "annotate program test passed"
