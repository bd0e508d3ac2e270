#!/usr/bin/env bash
# What a GigE Vision camera streaming at its own high rate costs the live view: Aravis's GigE
# Vision fake camera on the loopback interface, set to BENCH_CAMERA_RATE frames a second before
# each run, serves the side camera of the real vantrel (the top position has no camera). Per run,
# over BENCH_SECONDS of live view after 3 s of warming up:
#   - the bytes per second that reach this computer over the loopback interface (the camera's
#     stream, and the little control traffic), and the frames per second that makes at most
#     (bytes / 307,200: every frame also carries packet headers);
#   - vantrel's CPU seconds (all threads) per 10 s of live view;
# then the same CPU figure with the two simulated cameras. Everything runs in a private network
# namespace. Prints a summary; raw figures stay in BUILD_DIR/bench/results/gige.
#
# Usage: bench/gige_bandwidth.sh [BUILD_DIR]
# Environment: BENCH_RUNS (runs of each, 5), BENCH_SECONDS (10), BENCH_CAMERA_RATE (200)
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/gige-fake.sh"
gige_enter_namespace "$0" "$BUILD_DIR"
source "$ROOT/scripts/x11-driver.sh"
source "$ROOT/bench/bench_lib.sh"

RUNS=${BENCH_RUNS:-5}
SECONDS_PER_RUN=${BENCH_SECONDS:-10}
RATE=${BENCH_CAMERA_RATE:-200}
OUT=$BUILD_DIR/bench/results/gige
for needed in "$BUILD_DIR/bin/vantrel" "$BUILD_DIR/tests/control_rect"; do
    [ -e "$needed" ] || { echo "bench: $needed is missing; build $BUILD_DIR first" >&2; exit 1; }
done
rm -rf "$OUT"
mkdir -p "$OUT"
work=$(mktemp -d)
pid=""
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    gige_fake_stop_all
    x11_stop
    rm -rf "$work"
}
trap cleanup EXIT

# Starts vantrel with a camera choice, starts live view and prints its pid.
start_live() {
    local choice=$1 log=$2 dialog
    (cd "$work" && exec env LC_ALL=en_US.UTF-8 VANTREL_CAMERA="$choice" \
        VANTREL_CAMERA_SERIALS=RR=GV01 "$BUILD_DIR/bin/vantrel" >"$log" 2>&1) &
    local started=$!
    dialog=$(x11_wait_window '^Vantrel \(') || { tail "$log" >&2; return 1; }
    xdotool windowmove "$dialog" 0 0
    X11_ENGLISH=1 x11_click_control "$dialog" 2000
    x11_wait_window '^Right-Right$' >/dev/null || { tail "$log" >&2; return 1; }
    echo "$started"
}

# Ends vantrel through its dialog, so that the modules release the camera; waits up to 10 s.
stop_live() {
    local dialog
    dialog=$(xdotool search --name '^Vantrel \(' 2>/dev/null | head -n1) || true
    [ -z "$dialog" ] || x11_key "$dialog" Escape
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    kill "$1" 2>/dev/null || true
}

# measure PID: "cpu_seconds_per_10s loopback_bytes_per_second" over SECONDS_PER_RUN.
measure() {
    local tick b0 b1 c0 c1 t0 t1
    tick=$(getconf CLK_TCK)
    sleep 3
    b0=$(gige_loopback_bytes)
    c0=$(cpu_ticks "$1")
    t0=$(date +%s%N)
    sleep "$SECONDS_PER_RUN"
    b1=$(gige_loopback_bytes)
    c1=$(cpu_ticks "$1")
    t1=$(date +%s%N)
    awk -v c="$((c1 - c0))" -v hz="$tick" -v b="$((b1 - b0))" -v ns="$((t1 - t0))" 'BEGIN {
        s = ns / 1e9; printf "%.3f %.0f\n", c / hz / s * 10, b / s }'
}

x11_start
gige_fake_start 127.0.0.1 GV01
echo "Machine: $(machine_summary)"
echo "GigE Vision fake camera at $RATE frames a second on the loopback interface;" \
    "$RUNS runs of ${SECONDS_PER_RUN} s each"
: >"$OUT/gige.txt"
: >"$OUT/simulated.txt"
for run in $(seq "$RUNS"); do
    gige_control GV01 AcquisitionFrameRate="$RATE" >/dev/null
    pid=$(start_live genicam "$OUT/vantrel-gige-$run.log")
    read -r cpu bytes < <(measure "$pid")
    rate_now=$(gige_control GV01 AcquisitionFrameRate | sed 's/.* = //')
    stop_live "$pid"
    pid=$(start_live sim-dalsa "$OUT/vantrel-sim-$run.log")
    read -r sim_cpu _ < <(measure "$pid")
    stop_live "$pid"
    pid=""
    echo "$cpu $bytes $rate_now" >>"$OUT/gige.txt"
    echo "$sim_cpu" >>"$OUT/simulated.txt"
    awk -v c="$cpu" -v b="$bytes" -v r="$rate_now" -v s="$sim_cpu" 'BEGIN {
        printf "   run: camera at %s frames/s while live; %.2f MB/s, at most %.1f frames/s;" \
            " vantrel %.3f CPU-s per 10 s (simulated cameras %.3f)\n", r, b / 1e6, b / 307200, c, s }'
done
bytes=$(cut -d' ' -f2 "$OUT/gige.txt" | stats)
cpu=$(cut -d' ' -f1 "$OUT/gige.txt" | stats)
sim=$(stats <"$OUT/simulated.txt")
awk -v b="$(field 1 "$bytes")" -v lo="$(field 2 "$bytes")" -v hi="$(field 3 "$bytes")" 'BEGIN {
    printf "   delivered to vantrel: median %.2f MB/s (min %.2f, max %.2f), at most %.1f frames/s\n",
        b / 1e6, lo / 1e6, hi / 1e6, b / 307200 }'
echo "   vantrel CPU-s per 10 s, GigE Vision camera: median $(field 1 "$cpu")" \
    "(min $(field 2 "$cpu"), max $(field 3 "$cpu"))"
echo "   vantrel CPU-s per 10 s, simulated cameras:  median $(field 1 "$sim")" \
    "(min $(field 2 "$sim"), max $(field 3 "$sim"))"
