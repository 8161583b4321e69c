#!/usr/bin/env bash
# Builds the benchmarks and prints their figures: the per-frame work without
# a display, then the frame-rate run on private virtual desktops (a 1280x720
# and a 1920x1080 target, without and with a compositor), with ffmpeg's X11
# grabber on the same area for comparison; then what a still, a slightly
# changing, a scrolling and a fully moving screen cost, with and without a
# compositor, beside a GStreamer pipeline doing the same job.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MIROVEX_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
command -v ffmpeg >/dev/null || { echo "bench: installing ffmpeg for the comparison"; 
    sudo=(); ((EUID == 0)) || sudo=(sudo); DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends ffmpeg; }
command -v gst-launch-1.0 >/dev/null || { echo "bench: installing GStreamer for the comparison"
    sudo=(); ((EUID == 0)) || sudo=(sudo); DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends \
        gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-x; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIROVEX_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target bench_frame bench_effects bench_cursor bench_scrolltext bench_slideshow \
    bench_editor bench_framerate bench_changes bench_link annotate
vdesk=$root/tests/desktop/vdesk
frames=${FRAMES:-600}

"$build/bench/bench_frame"
"$build/bench/bench_effects"
"$build/bench/bench_cursor"
"$build/bench/bench_scrolltext"
"$build/bench/bench_slideshow"
"$build/bench/bench_editor"

ffmpeg_cpu() { # CPU ms per frame of ffmpeg grabbing the primary display at 60 fps
    local out
    out=$( (ffmpeg -loglevel error -f x11grab -framerate 60 -video_size 1920x1080 -i "$DISPLAY+0,0" \
        -frames:v "$frames" -f null - </dev/null; times) | tail -n 1)
    # `times`, second line: the children's user and system time, as 0m1.234s
    awk -v n="$frames" '{ split($1, u, /[ms]/); split($2, s, /[ms]/);
        printf "  ffmpeg x11grab CPU/frame   %.2f ms\n", ((u[1] * 60 + u[2]) + (s[1] * 60 + s[2])) * 1000 / n }' <<<"$out"
}
export -f ffmpeg_cpu
export frames
for args in "--layout side" "--layout twin" "--layout side --compositor"; do
    echo "== desktop: $args"
    # shellcheck disable=SC2086
    "$vdesk" run --quiet $args -- bash -c "'$build/bench/bench_framerate' $frames; '$build/bench/bench_framerate' $frames nearest; '$build/bench/bench_framerate' $frames heavy; '$build/bench/bench_framerate' $frames cursor; '$build/bench/bench_framerate' $frames focus; ffmpeg_cpu"
done

for args in "--layout side" "--layout side --compositor"; do
    echo "== what changes cost: $args"
    # shellcheck disable=SC2086
    "$vdesk" run --quiet $args -- "$build/bench/bench_changes" "${SECONDS_PER_ROW:-4}"
done

echo "== start-up: --layout side --tray"
cmake --build "$build" -j2 --target Mirovex
"$vdesk" run --quiet --layout side --tray -- bash "$root/bench/startup.sh" "$build/display/Mirovex" 10
