#!/usr/bin/env bash
# What one unattended check costs, from start to exit, with a pair of cameras: the time and the
# peak resident size of vantrel-check at its default two seconds of pictures, measured by
# /usr/bin/time, with the two simulated cameras and with two of Aravis's GigE Vision fake cameras
# (side and top, as an ordinary account), each against references kept beforehand. Goals: under
# 5 s and under 150 MB. Runs in a private network namespace; raw figures stay in
# BUILD_DIR/bench/results/check.
#
# Usage: bench/check_bench.sh [BUILD_DIR]
# Environment: BENCH_RUNS (runs of each, 5)
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/gige-fake.sh"
gige_enter_namespace "$0" "$BUILD_DIR"
source "$ROOT/bench/bench_lib.sh"

RUNS=${BENCH_RUNS:-5}
OUT=$BUILD_DIR/bench/results/check
check_bin=$BUILD_DIR/bin/vantrel-check
keeper=$BUILD_DIR/tests/check_reference
for needed in "$check_bin" "$keeper"; do
    [ -x "$needed" ] || { echo "bench: $needed is missing; build $BUILD_DIR first" >&2; exit 1; }
done
rm -rf "$OUT"
mkdir -p "$OUT"
work=$(mktemp -d)
chmod 777 "$work"
trap 'gige_fake_stop_all; rm -rf "$work"' EXIT

# runs NAME PREFIX...: RUNS checks, "seconds kilobytes status" a line in OUT/NAME.
runs() {
    local name=$1
    shift
    for _ in $(seq "$RUNS"); do
        local status=0
        rm -f "$work/time"
        "$@" /usr/bin/time -f '%e %M' -o "$work/time" "$check_bin" --references "$work/$name" \
            >/dev/null 2>>"$OUT/$name.err" || status=$?
        echo "$(tail -n1 "$work/time") $status" >>"$OUT/$name"
    done
}
report() {
    local name=$1 time memory
    time=$(cut -d' ' -f1 "$OUT/$name" | stats)
    memory=$(cut -d' ' -f2 "$OUT/$name" | awk '{ print $1 / 1024 }' | stats)
    printf '%-28s %6.2f s (%s..%s)   %6.1f MB (%s..%s)   exit %s\n' "$2" \
        "$(field 1 "$time")" "$(field 2 "$time")" "$(field 3 "$time")" \
        "$(field 1 "$memory")" "$(field 2 "$memory")" "$(field 3 "$memory")" \
        "$(cut -d' ' -f3 "$OUT/$name" | sort -u | tr '\n' ' ')"
}

echo "Machine: $(machine_summary)"
echo "Load at start: $(load_average)"
echo "vantrel-check, $RUNS runs each: median time (min..max), median peak resident (min..max)"

export VANTREL_CAMERA=sim-dalsa
"$keeper" "$BUILD_DIR/bin/QxCamLinkDLLDALSA.so" 0 "$work/sim" >/dev/null
runs sim env
report sim "simulated pair"

unset VANTREL_CAMERA
export VANTREL_CAMERA_SERIALS=RR=GV01,RT=GV02
gige_fake_start 127.0.0.1 GV01
gige_fake_start 127.0.0.2 GV02
user=$(gige_user_prefix)
mkdir -p "$work/gige"
chmod 777 "$work/gige"
# shellcheck disable=SC2086
$user "$keeper" "$BUILD_DIR/bin/QxCamLinkDLLDALSA.so" 0 "$work/gige" >/dev/null
# shellcheck disable=SC2086
runs gige env $user
report gige "GigE Vision fake pair"
echo "Goals: under 5 s and under 150 MB."
