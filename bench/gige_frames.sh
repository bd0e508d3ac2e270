#!/usr/bin/env bash
# What reaches the program from GigE Vision cameras streaming at 20 frames a second, through the
# real camera-link module (build/bench/gige_frames), in a private network namespace:
#   - complete frames a second received, for one camera and for two at once, as an ordinary
#     account (nobody) and as root (which receives through a packet socket);
#   - the longest time one frame tick spends in the module, and the longest gap between two
#     ticks, when the side camera dies during live view.
# Prints the medians over BENCH_RUNS runs (3) of BENCH_SECONDS (10) and the system's
# net.core.rmem_max, which caps the socket buffer of an ordinary account.
#
# Usage: bench/gige_frames.sh [BUILD_DIR]
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/gige-fake.sh"
gige_enter_namespace "$0" "$BUILD_DIR"
source "$ROOT/bench/bench_lib.sh"

RUNS=${BENCH_RUNS:-3}
SECONDS_PER_RUN=${BENCH_SECONDS:-10}
probe="$BUILD_DIR/bench/gige_frames"
[ -x "$probe" ] || { echo "bench: $probe is missing; build $BUILD_DIR first" >&2; exit 1; }
cd "$(mktemp -d)"
chmod 755 .
trap gige_fake_stop_all EXIT

start_fakes() {
    gige_fake_start 127.0.0.1 GV01
    gige_fake_start 127.0.0.2 GV02
    gige_control GV01 AcquisitionFrameRate=20 >/dev/null
    gige_control GV02 AcquisitionFrameRate=20 >/dev/null
}

# frames USER SERIALS: "RR RT" frames a second of one run.
frames() {
    local as=() output
    [ "$1" = root ] || read -ra as <<<"$(gige_user_prefix)"
    output=$(VANTREL_CAMERA_SERIALS=$2 "${as[@]}" "$probe" "$BUILD_DIR/bin" "$SECONDS_PER_RUN" \
        2>/dev/null)
    echo "$(awk '$1 == "RR" { print $2 }' <<<"$output") $(awk '$1 == "RT" { print $2 }' <<<"$output")"
}

echo "Machine: $(machine_summary); net.core.rmem_max $(sysctl -n net.core.rmem_max)"
echo "GigE Vision fake cameras at 20 frames a second; $RUNS runs of ${SECONDS_PER_RUN} s each"
start_fakes
for user in nobody root; do
    for serials in RR=GV01 RR=GV01,RT=GV02; do
        side=()
        top=()
        for _ in $(seq "$RUNS"); do
            read -r rr rt < <(frames "$user" "$serials")
            side+=("$rr")
            top+=("$rt")
        done
        rr=$(printf '%s\n' "${side[@]}" | stats)
        line="   $user, $( [ "$serials" = RR=GV01 ] && echo "one camera: " || echo "two cameras:")"
        line+=" side $(field 1 "$rr") frames/s (min $(field 2 "$rr"))"
        if [ "$serials" != RR=GV01 ]; then
            rt=$(printf '%s\n' "${top[@]}" | stats)
            line+=", top $(field 1 "$rt") (min $(field 2 "$rt"))"
        fi
        echo "$line"
    done
done

ticks=()
gaps=()
for _ in $(seq "$RUNS"); do
    (sleep 4 && gige_fake_stop GV01) &
    killer=$!
    read -ra as <<<"$(gige_user_prefix)"
    output=$(VANTREL_CAMERA_SERIALS=RR=GV01,RT=GV02 "${as[@]}" "$probe" "$BUILD_DIR/bin" 10 --ticks \
        2>/dev/null)
    wait "$killer" || true
    ticks+=("$(awk '{ print $3 }' <<<"$output")")
    gaps+=("$(awk '{ print $7 }' <<<"$output")")
    gige_fake_stop GV01
    gige_fake_start 127.0.0.1 GV01
done
tick=$(printf '%s\n' "${ticks[@]}" | stats)
gap=$(printf '%s\n' "${gaps[@]}" | stats)
echo "   the side camera dies during live view: longest tick in the module median" \
    "$(field 1 "$tick") ms (max $(field 3 "$tick")), longest gap between ticks median" \
    "$(field 1 "$gap") ms (max $(field 3 "$gap")); the ticks come every 110 ms"
