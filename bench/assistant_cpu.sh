#!/usr/bin/env bash
# What the Alignment Assistant costs the whole process: the CPU seconds per 10 s of live view of
# the real vantrel under Xvfb with the simulated cameras (turned a little off their references,
# as make run starts them), first with the assistant closed, then open, in the same run. Goal:
# open at most 1.5 x closed. Raw figures stay in BUILD_DIR/bench/results/assistant.
#
# Usage: bench/assistant_cpu.sh [BUILD_DIR]
# Environment: BENCH_RUNS (runs, 5), BENCH_SECONDS (measured seconds each way, 10)
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/x11-driver.sh"
source "$ROOT/bench/bench_lib.sh"

RUNS=${BENCH_RUNS:-5}
SECONDS_EACH=${BENCH_SECONDS:-10}
OUT=$BUILD_DIR/bench/results/assistant
rm -rf "$OUT"
mkdir -p "$OUT"
home=$(mktemp -d)
x11_start
trap 'x11_stop; rm -rf "$home"' EXIT
export XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config X11_ENGLISH=1
export VANTREL_CAMERA=sim-dalsa VANTREL_SIM_POSE='RR=6,-3,0.5;RT=-4,5,0.3'

# cpu_per_10s PID: the CPU seconds PID uses per 10 s over the next SECONDS_EACH seconds.
cpu_per_10s() {
    local tick c0 c1 t0 t1
    tick=$(getconf CLK_TCK)
    c0=$(cpu_ticks "$1")
    t0=$(date +%s%N)
    sleep "$SECONDS_EACH"
    c1=$(cpu_ticks "$1")
    t1=$(date +%s%N)
    awk -v c="$((c1 - c0))" -v hz="$tick" -v ns="$((t1 - t0))" \
        'BEGIN { printf "%.3f\n", c / hz / (ns / 1e10) }'
}

# open_assistant DIALOG: from the window menu; a menu that did not open is asked for again.
open_assistant() {
    for _ in 1 2 3; do
        x11_key "$1" alt+space
        sleep 0.3
        xdotool key Down Down Return
        x11_wait_window '^Alignment Assistant$' >/dev/null 2>&1 && return 0
        x11_key "$1" Escape Escape 2>/dev/null || true
    done
    echo "bench: the assistant did not open" >&2
    return 1
}

for run in $(seq "$RUNS"); do
    LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 "$BUILD_DIR/bin/vantrel" >"$OUT/vantrel-$run.out" 2>&1 &
    pid=$!
    dialog=$(x11_wait_window '^Vantrel \(')
    x11_click_control "$dialog" 2000 # Start Camera
    x11_wait_window '^Right-Right$' >/dev/null
    sleep 3
    cpu_per_10s "$pid" >>"$OUT/closed.txt"
    open_assistant "$dialog"
    sleep 3
    cpu_per_10s "$pid" >>"$OUT/open.txt"
    x11_key "$dialog" Escape
    wait "$pid" || true
    paste "$OUT/closed.txt" "$OUT/open.txt" | tail -n1 |
        awk -v r="$run" '{ printf "   run %d: closed %.3f, open %.3f CPU-s per 10 s\n", r, $1, $2 }'
done

closed=$(stats <"$OUT/closed.txt")
open=$(stats <"$OUT/open.txt")
paste "$OUT/open.txt" "$OUT/closed.txt" | awk '{ print $1 / $2 }' >"$OUT/ratio.txt"
ratio_stats=$(stats <"$OUT/ratio.txt")
echo "   assistant closed: median $(field 1 "$closed") CPU-s per 10 s" \
    "(min $(field 2 "$closed"), max $(field 3 "$closed"))"
echo "   assistant open:   median $(field 1 "$open") CPU-s per 10 s" \
    "(min $(field 2 "$open"), max $(field 3 "$open"))"
echo "   open / closed, run by run: median $(field 1 "$ratio_stats")" \
    "(min $(field 2 "$ratio_stats"), max $(field 3 "$ratio_stats")); goal at most 1.5"
echo "   load: $(load_average)"
