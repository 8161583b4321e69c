#!/usr/bin/env bash
# Start-up time of the display program, median of RUNS starts on a private
# desktop (side layout, openbox, trayer): from the process start to its
# toolbar being on the screen, and the program's own work in it (from main()
# to the event loop, as the program reports it with MIROVEX_TIMING).
#   startup.sh MIROVEX [RUNS]   (under tests/desktop/vdesk --tray)
set -u -o pipefail
mirovex=$1 runs=${2:-10}
cfg=$XDG_DATA_HOME/Mirovex/MirovexA.cfg
mkdir -p "${cfg%/*}"
toolbar_up() { local w; for w in $(xdotool search --onlyvisible --name '^Mirovex$' 2>/dev/null); do
    [[ $(xdotool getwindowgeometry "$w" 2>/dev/null) == *"Geometry: 238x42"* ]] && return 0; done; return 1; }
shown=() own=()
for ((i = 0; i < runs; i++)); do
    printf '[Options]\nDisplay Options=1\nEnvNotice=0\n' >"$cfg"
    t0=$(date +%s%N)
    MIROVEX_TIMING=1 "$mirovex" 2>"$XDG_RUNTIME_DIR/startup.log" &
    pid=$!
    until toolbar_up; do sleep 0.005; done
    t1=$(date +%s%N)
    sleep 0.2
    kill -TERM "$pid"; wait "$pid"
    shown+=($(((t1 - t0) / 1000000)))
    own+=($(sed -n 's/.*start-up work \([0-9]*\) ms.*/\1/p' "$XDG_RUNTIME_DIR/startup.log"))
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
echo "start to toolbar shown: median $(median "${shown[@]}") ms  (runs: ${shown[*]})"
echo "own start-up work:      median $(median "${own[@]}") ms  (runs: ${own[*]})"

# The annotation program beside it: from the process start to its board on
# the screen, then the link's send-to-acknowledgement time (bench_link, when
# built: -DMIROVEX_BENCH=ON).
annotate=$(dirname "$mirovex")/annotate
bench_link=${BENCH_LINK:-$(dirname "$mirovex")/../bench/bench_link}
if [[ -x $annotate ]]; then
    board_up() { local w; for w in $(xdotool search --onlyvisible --name '^Mirovex Vidizizu$' 2>/dev/null); do
        [[ $(xdotool getwindowgeometry "$w" 2>/dev/null) == *"Geometry: 1920x1080"* ]] && return 0; done; return 1; }
    boards=()
    for ((i = 0; i < runs; i++)); do
        t0=$(date +%s%N)
        "$annotate" 2>/dev/null &
        pid=$!
        until board_up; do sleep 0.005; done
        t1=$(date +%s%N)
        boards+=($(((t1 - t0) / 1000000)))
        if ((i == 0)) && [[ -x $bench_link ]]; then
            control=$(grep -h . "$XDG_RUNTIME_DIR"/annotate-*.lock 2>/dev/null | head -1)
            [[ -n $control ]] && "$bench_link" "$control" 40
        fi
        kill -TERM "$pid"; wait "$pid"
    done
    echo "annotate start to board shown: median $(median "${boards[@]}") ms  (runs: ${boards[*]})"
fi
