#!/usr/bin/env bash
# Measures the live view against its floors, side by side in one run on this machine:
#   1. the frame tick's own work (two grabs with every overlay and the focus tool on, six
#      read-outs) against copying the two frames, with an in-memory camera table;
#   2. the CPU time per minute of live view of the real vantrel under Xvfb with the fixed
#      camera module, against bench/minimal_display showing the same two frames;
#   3. the resident size over a fifteen-minute session driven in-process through the message
#      map, with the simulated cameras and with the fixed camera module;
#   4. the time from launch to the dialog on screen, with the simulated cameras;
#   5. the bandwidth and CPU of the live view with a GigE Vision camera streaming at 200 frames a
#      second (bench/gige_bandwidth.sh, in a private network namespace);
#   6. the complete frames a second that reach an ordinary account and root from GigE Vision
#      cameras at 20 frames a second, and the longest frame tick when one dies
#      (bench/gige_frames.sh, in a private network namespace);
#   7. the time and peak memory of one unattended check (bench/check_bench.sh);
#   8. the CPU time of the live view with the Alignment Assistant open against closed
#      (bench/assistant_cpu.sh).
# Prints a summary; raw figures stay in BUILD_DIR/bench/results/.
#
# Usage: scripts/bench.sh [BUILD_DIR]
# Environment: BENCH_RUNS (runs per program, 8), BENCH_SECONDS (measured seconds per run, 30),
#              BENCH_STARTS (launches timed, 10), BENCH_REPETITIONS (of each micro-benchmark, 20)
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
cd "$(dirname "$0")/.."
source scripts/x11-driver.sh
source bench/bench_lib.sh

RUNS=${BENCH_RUNS:-8}
SECONDS_PER_RUN=${BENCH_SECONDS:-30}
STARTS=${BENCH_STARTS:-10}
REPETITIONS=${BENCH_REPETITIONS:-20}
BENCH=$BUILD_DIR/bench
OUT=$BENCH/results
for needed in "$BUILD_DIR/bin/vantrel" "$BENCH/tick_bench" "$BENCH/minimal_display" \
    "$BENCH/live_session" "$BENCH/fixed_camlink.so" "$BUILD_DIR/tests/control_rect"; do
    [ -e "$needed" ] || { echo "bench: $needed is missing; build $BUILD_DIR first" >&2; exit 1; }
done
rm -rf "$OUT"
mkdir -p "$OUT"
# The program's default, Korean user interface (the programs derive it from the variable's text;
# the locale itself need not be installed).
KOREAN=ko_KR.UTF-8

# Two scratch folders of modules, each with a copy of vantrel: the fixed camera module and the
# simulated cameras, each as the DALSA module (no detector module: the program takes DALSA).
SCRATCH=$(mktemp -d)
X11_XVFB_PID=""
cleanup() {
    x11_stop
    rm -rf "$SCRATCH"
}
trap cleanup EXIT
mkdir -p "$SCRATCH/fixed" "$SCRATCH/sim"
for folder in fixed sim; do
    cp "$BUILD_DIR/bin/vantrel" "$BUILD_DIR/bin/PalveroToolLangEng.so" "$SCRATCH/$folder/"
done
cp "$BENCH/fixed_camlink.so" "$SCRATCH/fixed/QxCamLinkDLLDALSA.so"
cp "$BUILD_DIR/bin/QxCamLinkDLLDALSA.so" "$SCRATCH/sim/QxCamLinkDLLDALSA.so"

echo "Machine: $(machine_summary)"
echo "Load at start: $(load_average)"
echo

# ---- 1. the tick's own work --------------------------------------------------------------------
echo "1. Frame tick's own work ($REPETITIONS repetitions of each benchmark)"
# Repetitions of all benchmarks are interleaved at random, so that a slow spell of the machine
# spreads over them instead of falling on one.
"$BENCH/tick_bench" --benchmark_repetitions="$REPETITIONS" --benchmark_min_time=0.2 \
    --benchmark_enable_random_interleaving=true --benchmark_format=csv \
    >"$OUT/tick_bench.csv" 2>"$OUT/tick_bench.log"
benchmark_stats "$OUT/tick_bench.csv" >"$OUT/tick_bench.txt"
cat "$OUT/tick_bench.txt"
tick=$(awk '$1 == "BM_TickWork" {print $2}' "$OUT/tick_bench.txt")
floor=$(awk '$1 == "BM_TwoFrameCopy" {print $2}' "$OUT/tick_bench.txt")
echo "   tick's own work / two-frame copy: $(ratio "$tick" "$floor")"
echo "   load: $(load_average)"
echo

# ---- 2. the whole process ----------------------------------------------------------------------
x11_start
rect_of() { env LC_ALL=$KOREAN "$BUILD_DIR/tests/control_rect" "$1"; }
click_control() {
    local window=$1 x y w h
    read -r x y w h < <(rect_of "$2")
    xdotool mousemove --window "$window" $((x + w / 2)) $((y + h / 2)) click 1
}

# Starts vantrel from a scratch folder, switches the grid and the focus tool on, starts live
# view and places the windows side by side; prints the pid.
start_vantrel() {
    local folder=$1 log=$2 dialog side top
    (cd "$folder" && exec env LC_ALL=$KOREAN VANTREL_CAMERA=sim-dalsa ./vantrel >"$log" 2>&1) &
    local pid=$!
    dialog=$(x11_wait_window '^Vantrel \(') || { ended "$pid" "$log"; return 1; }
    # The resident size once the dialog has settled, before the cameras start.
    sleep 1
    resident_kib "$pid" >>"$OUT/rss_after_launch.txt"
    xdotool windowmove "$dialog" 0 0
    click_control "$dialog" 2012 # grid
    click_control "$dialog" 2017 # focus tool
    click_control "$dialog" 2000 # Start
    side=$(x11_wait_window '^Right-Right$') || return 1
    top=$(x11_wait_window '^Right-Top$') || return 1
    xdotool windowmove "$side" 0 420
    xdotool windowmove "$top" 660 420
    echo "$pid"
}

start_minimal() {
    local log=$1
    env LC_ALL=$KOREAN "$BENCH/minimal_display" >"$log" 2>&1 &
    local pid=$! side top
    side=$(x11_wait_window '^Floor-Side$') || { ended "$pid" "$log"; return 1; }
    top=$(x11_wait_window '^Floor-Top$') || { ended "$pid" "$log"; return 1; }
    xdotool windowmove "$side" 1320 0
    xdotool windowmove "$top" 1320 500
    echo "$pid"
}

# Reports a program that did not come up: its status if it has ended, and its last output.
ended() {
    local status=running
    kill -0 "$1" 2>/dev/null || { wait "$1" 2>/dev/null; status="ended with status $?"; }
    echo "bench: process $1 $status; its output ($2):" >&2
    tail -n 20 "$2" >&2
}

# Ends a program started in a command substitution (so not this shell's child) and waits, up to
# ten seconds, until it has gone.
stop_process() {
    kill "$1" 2>/dev/null || true
    for _ in $(seq 200); do
        [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null || echo Z)" = Z ] && return 0
        sleep 0.05
    done
}

echo "2. CPU seconds per minute of live view ($RUNS runs of ${SECONDS_PER_RUN} s; both programs" \
    "run side by side and are measured over the same seconds)"
: >"$OUT/process.txt"
for run in $(seq "$RUNS"); do
    vantrel=$(start_vantrel "$SCRATCH/fixed" "$OUT/vantrel-run$run.log")
    minimal=$(start_minimal "$OUT/minimal-run$run.log")
    measure_pair "$vantrel" "$minimal" "$SECONDS_PER_RUN" >>"$OUT/process.txt"
    stop_process "$vantrel"
    stop_process "$minimal"
    read -r cv _ _ cm _ _ < <(tail -n1 "$OUT/process.txt")
    echo "   run $run: vantrel $cv s/min, minimal display $cm s/min," \
        "ratio $(ratio "$cv" "$cm"), load $(load_average)"
done
summarise_process() {
    local cpu growth
    cpu=$(cut -d' ' -f"$2" "$OUT/process.txt" | stats)
    growth=$(awk -v c="$2" '{print $(c + 2) - $(c + 1)}' "$OUT/process.txt" | stats)
    printf '   %-16s median %s s/min (min %s, max %s); resident size at the end %s KiB, ' "$1" \
        "$(field 1 "$cpu")" "$(field 2 "$cpu")" "$(field 3 "$cpu")" \
        "$(cut -d' ' -f$(($2 + 2)) "$OUT/process.txt" | stats | cut -d' ' -f1)"
    echo "growth during a run median $(field 1 "$growth") KiB (max $(field 3 "$growth"))"
}
summarise_process vantrel: 1
summarise_process "minimal display:" 4
ratios=$(awk '{ printf "%.4f\n", ($4 > 0 ? $1 / $4 : 0) }' "$OUT/process.txt" | stats)
echo "   vantrel / minimal display, run by run: median $(field 1 "$ratios")" \
    "(min $(field 2 "$ratios"), max $(field 3 "$ratios"))"
echo "   vantrel / minimal display, all runs pooled: $(awk '{ a += $1; b += $4 }
    END { printf "%.3f", (b > 0 ? a / b : 0) }' "$OUT/process.txt")"
launch=$(stats <"$OUT/rss_after_launch.txt")
echo "   vantrel's resident size with the dialog up, before Start: median $(field 1 "$launch") KiB" \
    "(min $(field 2 "$launch"), max $(field 3 "$launch"))"
echo

# ---- 3. memory over a fifteen-minute session ---------------------------------------------------
echo "3. Resident size over a fifteen-minute session, in-process (8,182 frame ticks, then the limit timer)"
for folder in sim fixed; do
    QT_QPA_PLATFORM=offscreen VANTREL_CAMERA=sim-dalsa "$BENCH/live_session" "$SCRATCH/$folder" \
        >"$OUT/session_$folder.txt" \
        2>"$OUT/session_$folder.log"
    awk -v name="$folder" '
        { value[$1] = $2 }
        END {
            click = value["rss_kib_after_start"]; first = value["rss_kib_after_first_tick"]
            minute = value["rss_kib_after_one_minute"]; end = value["rss_kib_after_fifteen_minutes"]
            printf "   %-5s KiB: Start clicked %d, first tick %d, 1 min %d, 15 min %d, after the limit %d\n",
                name, click, first, minute, end, value["rss_kib_after_limit_stop"]
            printf "         growth: first tick -> 15 min %+d KiB, 1 -> 15 min %+d KiB, " \
                "Start -> 15 min %+d KiB; Start click %.0f ms; %.0f us CPU per tick\n",
                end - first, end - minute, end - click, value["start_click_ms"], value["tick_cpu_us"]
        }' "$OUT/session_$folder.txt"
done
echo "   load: $(load_average)"
echo

# ---- 4. launch to dialog -----------------------------------------------------------------------
echo "4. Launch to dialog on screen, VANTREL_CAMERA=sim-dalsa ($STARTS launches of $BUILD_DIR/bin/vantrel)"
: >"$OUT/startup_ms.txt"
mkdir -p "$SCRATCH/cwd"
for _ in $(seq "$STARTS"); do
    launch_to_window "$SCRATCH/cwd" '^Vantrel \(' \
        env LC_ALL=$KOREAN VANTREL_CAMERA=sim-dalsa "$BUILD_DIR/bin/vantrel" \
        >>"$OUT/startup_ms.txt" || echo "   a launch failed three times" >&2
done
startup=$(stats <"$OUT/startup_ms.txt")
echo "   median $(field 1 "$startup") ms (min $(field 2 "$startup"), max $(field 3 "$startup"))"
echo "   load: $(load_average)"
echo

# ---- 5. a GigE Vision camera at its own rate ---------------------------------------------------
echo "5. A GigE Vision camera streaming at 200 frames a second (Aravis's fake camera)"
bash bench/gige_bandwidth.sh "$BUILD_DIR"

# ---- 6. GigE Vision frames for an ordinary account -------------------------------------------
echo "6. GigE Vision cameras at 20 frames a second, as an ordinary account and as root"
bash bench/gige_frames.sh "$BUILD_DIR"

# ---- 7. the unattended check -------------------------------------------------------------------
echo "7. One unattended check with a pair of cameras (vantrel-check), simulated and GigE Vision"
bash bench/check_bench.sh "$BUILD_DIR"

# ---- 8. the Alignment Assistant --------------------------------------------------------------
echo "8. The live view with the Alignment Assistant open and closed, simulated cameras"
bash bench/assistant_cpu.sh "$BUILD_DIR"
