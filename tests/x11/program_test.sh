#!/usr/bin/env bash
# The display program as a presenter starts it: without a display it says
# so and exits; on a desktop with a tray it shows the first-start hints, its
# toolbar and tray icon,
# the toolbar's Quick Show menu chooses Desktop, which shows the primary
# display on the second one, and the tray menu's Exit ends it and writes the
# settings.
#   program_test.sh MIROVEX   (under tests/desktop/vdesk --tray)
set -u -o pipefail
mirovex=$1
fail() { echo "FAIL: $*" >&2; [[ -n ${pid:-} ]] && kill "$pid" 2>/dev/null; exit 1; }
# wait_until SECONDS COMMAND...
wait_until() {
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do ((SECONDS < deadline)) || return 1; sleep 0.05; done
}

out=$(env -u DISPLAY "$mirovex" 2>&1); rc=$?
[[ $rc == 1 && $out == *"cannot reach the X display"* ]] || fail "without a display: rc $rc, said: $out"
out=$(DISPLAY=:999 "$mirovex" 2>&1); rc=$?
[[ $rc == 1 && $out == *'":999"'* ]] || fail "with a dead display: rc $rc, said: $out"

"$mirovex" >"$VDESK_STATE/mirovex.log" 2>&1 &
pid=$!
# The tray icon: the small window of ours embedded in the tray.
icon() { local w; for w in $(xdotool search --classname '^Mirovex$' 2>/dev/null); do
    xwininfo -id "$w" 2>/dev/null | awk '/Map State: IsViewable/ {v = 1} /^ *Width:/ {w = $2} /^ *Height:/ {h = $2}
        END {exit !(v && w <= 64 && h <= 64)}' && { echo "$w"; return; }; done; }
has_icon() { [[ -n $(icon) ]]; }
wait_until 10 has_icon || fail "no tray icon"
# The menu: a visible window of ours that is neither the icon nor the target.
menu_open() { local i w; i=$(icon)
    for w in $(xdotool search --onlyvisible --classname '^Mirovex$' 2>/dev/null); do
        [[ $w != "$i" && $(xdotool getwindowname "$w") != "Halvren - Mirovex" ]] &&
            xwininfo -id "$w" | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1; }

# A first start: the display hint, then (no compositor here) the notice of
# what the desktop limits. "Don't show me again." on the first is stored.
dialog() { local w; for w in $(xdotool search --onlyvisible --name '^Mirovex$' 2>/dev/null); do
    [[ $(xdotool getwindowgeometry "$w" 2>/dev/null) == *"Geometry: 590x$1"* ]] && { echo "$w"; return; }; done; }
has_hint() { [[ -n $(dialog 265) ]]; }
wait_until 10 has_hint || fail "no display hint at the first start"
# From OK to "Don't show me again.", tick it, and Return presses OK.
xdotool windowactivate --sync "$(dialog 265)" key Tab space Return
wait_until 5 grep -q '^Display Options=1' "$XDG_DATA_HOME/Mirovex/MirovexA.cfg" ||
    fail "the display hint's answer was not stored"
notice() { local w; for w in $(xdotool search --onlyvisible --name '^Mirovex$' 2>/dev/null); do
    local g; g=$(xdotool getwindowgeometry "$w" 2>/dev/null)
    [[ $g == *"Geometry: 590x"* && $g != *"590x265"* ]] && { echo "$w"; return; }; done; }
has_notice() { [[ -n $(notice) ]]; }
wait_until 5 has_notice || fail "no notice of the missing compositor"
xdotool windowactivate --sync "$(notice)" key Return
wait_until 5 bash -c '! [[ -n $(xdotool search --onlyvisible --name "^Mirovex$" 2>/dev/null | while read w; do xdotool getwindowgeometry "$w" | grep -q "Geometry: 590x" && echo "$w"; done) ]]' ||
    fail "the notice did not close"
grep -q '^EnvNotice=1' "$XDG_DATA_HOME/Mirovex/MirovexA.cfg" || fail "the notice's answer was not stored"

# The toolbar, at its place for a new settings folder.
toolbar() { local w; for w in $(xdotool search --onlyvisible --name '^Mirovex$' 2>/dev/null); do
    [[ $(xdotool getwindowgeometry "$w") == *"Geometry: 238x42"* ]] && { echo "$w"; return; }; done; }
has_toolbar() { [[ -n $(toolbar) ]]; }
wait_until 10 has_toolbar || fail "no toolbar"
eval "$(xdotool getwindowgeometry --shell "$(toolbar)")"
[[ $X == 300 && $Y == 600 ]] || fail "the toolbar is at $X,$Y, not 300,600"
xdotool mousemove $((X + 117 + 25)) $((Y + 5 + 14)) click 1    # Quick Show
wait_until 5 menu_open || fail "the Quick Show menu did not open"
xdotool key Down Down Down Down Return   # past the two area items and Focus: Desktop

target() { xdotool search --onlyvisible --name '^Halvren - Mirovex$' 2>/dev/null | head -n 1; }
has_target() { [[ -n $(target) ]]; }
wait_until 10 has_target || fail "no target window"
on_second() { local g; g=$(xdotool getwindowgeometry --shell "$(target)") && eval "$g" &&
    [[ $X == 1920 && $Y == 0 && $WIDTH == 1280 && $HEIGHT == 720 ]]; }
wait_until 10 on_second || fail "the target window is not full screen on the second display: $(xdotool getwindowgeometry "$(target)")"

state=$(xprop -id "$(target)" _NET_WM_STATE)
[[ $state == *_NET_WM_STATE_ABOVE* && $state == *_NET_WM_STATE_FULLSCREEN* ]] ||
    fail "the target window is not full screen and on top: $state"

# The tray icon sits in the primary's bottom right corner; in the mirror it
# must show at the matching place on the second display (scale 2/3).
eval "$(xdotool getwindowgeometry --shell "$(icon)")"
mx=$((1920 + (X + WIDTH / 2) * 2 / 3)) my=$(((Y + HEIGHT / 2) * 2 / 3))
not_black() { [[ $(import -window root -crop "9x9+$((mx - 4))+$((my - 4))" -format '%[fx:maxima.r+maxima.g+maxima.b]' info: 2>/dev/null) != 0 ]]; }
wait_until 10 not_black || fail "the mirror does not show the primary display's tray icon at $mx,$my"

xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
wait_until 5 menu_open || fail "the tray menu did not open"
xdotool key Up Return     # the last item: Exit
wait_until 10 bash -c "! kill -0 $pid 2>/dev/null" || fail "Exit did not end the program"
wait "$pid"; rc=$?
pid=
[[ $rc == 0 ]] || fail "the program ended with $rc"
grep -q '^samozagon=1' "$XDG_DATA_HOME/Mirovex/MirovexA.cfg" || fail "no settings written at exit"
echo "program test passed"
