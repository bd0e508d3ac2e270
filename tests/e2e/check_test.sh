#!/usr/bin/env bash
# vantrel-check end to end, in a private network namespace: the simulated cameras turned off the
# references kept beforehand, no reference, a corrupt reference, bad arguments and a folder that
# cannot be written; the GigE Vision fake with a reference kept beforehand, and held by a second
# program (busy, left alone); promtool on the written file and on the example alerting rules; and
# Debian's node exporter serving the file on the loopback.
set -euo pipefail
BUILD_DIR=${VANTREL_BUILD_DIR:?}
SOURCE_DIR=${VANTREL_SOURCE_DIR:?}
source "$SOURCE_DIR/scripts/gige-fake.sh"
gige_enter_namespace "$0" "$@"

check_bin=$BUILD_DIR/bin/vantrel-check
keeper=$BUILD_DIR/tests/check_reference
for needed in "$check_bin" "$keeper"; do
    [ -x "$needed" ] || { echo "$needed is missing"; exit 1; }
done
work=$(mktemp -d)
chmod 777 "$work"
holder=""
exporter=""
cleanup() {
    [ -z "$holder" ] || kill "$holder" 2>/dev/null || true
    [ -z "$exporter" ] || kill "$exporter" 2>/dev/null || true
    gige_fake_stop_all
    chmod -R u+w "$work" 2>/dev/null || true
    if [ -n "${KEEP_WORK:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

source "$VANTREL_SOURCE_DIR/tests/e2e/checks.sh"
# run_check NAME ARGS...: runs the check, keeping its output in $work/NAME.out and .err and its
# exit status in $work/NAME.status.
run_check() {
    local name=$1 status=0
    shift
    "$check_bin" --seconds 2 "$@" >"$work/$name.out" 2>"$work/$name.err" || status=$?
    echo "$status" >"$work/$name.status"
}
status_is() { [ "$(cat "$work/$1.status")" = "$2" ]; }
line_says() { grep -q "^$2 .*  $3\( (.*)\)\?$" "$work/$1.out"; }
json_figure() { jq -r ".cameras[] | select(.position == \"$2\") | $3" "$work/$1.out"; }
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }

# --- The simulated cameras -------------------------------------------------------------------
export VANTREL_CAMERA=sim-dalsa
refs=$work/references
"$keeper" "$BUILD_DIR/bin/QxCamLinkDLLDALSA.so" 0 "$refs" >/dev/null
mkdir -p "$work/textfile"
prom=$work/textfile/vantrel.prom

run_check aligned --references "$refs" --prometheus "$prom"
check "unturned cameras: status 0" status_is aligned 0
check "unturned cameras: both aligned" \
    bash -c "grep -c '  aligned$' '$work/aligned.out' | grep -qx 2"
check "the file is written" grep -q '^vantrel_camera_aligned{position="RR"} 1$' "$prom"

VANTREL_SIM_POSE="RR=12,-5,1.5" run_check moved --references "$refs" --json
check "a turned camera: status 1" status_is moved 1
check "a turned camera: moved" [ "$(json_figure moved RR .verdict)" = moved ]
check "a turned camera: the other aligned" [ "$(json_figure moved RT .verdict)" = aligned ]
check "a turned camera: its offset" near "$(json_figure moved RR .offset_px.horizontal)" 12 1
check "a turned camera: its roll" near "$(json_figure moved RR .roll_degrees)" 1.5 0.2

mkdir -p "$work/empty"
run_check none --references "$work/empty"
check "no reference: status 2" status_is none 2
check "no reference: said" line_says none RR "no reference"

cp -r "$refs" "$work/corrupt"
for picture in "$work"/corrupt/*RR*.pgm; do printf 'P5\n640 480\n255\nshort' >"$picture"; done
run_check corrupt --references "$work/corrupt"
check "a corrupt reference: status 2" status_is corrupt 2
check "a corrupt reference: no reference for its camera" line_says corrupt RR "no reference"
check "a corrupt reference: the other camera still checked" line_says corrupt RT aligned

run_check bad --pair middle
check "a bad argument: status 2" status_is bad 2
check "a bad argument: one line" [ "$(wc -l <"$work/bad.err")" = 1 ]
check "a bad argument: no results" [ ! -s "$work/bad.out" ]
run_check help --help
check "--help: status 0" status_is help 0
check "--help: the options" grep -q -- --prometheus "$work/help.out"
VANTREL_CAMERA=sim-none run_check nocam --references "$refs"
check "no camera: status 2" status_is nocam 2
check "no camera: said" line_says nocam RT "no camera"
check "no camera: the program's message on standard error" \
    grep -q 'Cannot find Camera (Check Filter Diver or DLL)' "$work/nocam.err"
# Modules are loaded from the program's own folder only, as vantrel loads them: a copy of the
# check without them finds no detector, takes DALSA, and cannot load its module.
mkdir -p "$work/alone"
cp "$check_bin" "$work/alone/"
status=0
LD_LIBRARY_PATH="$BUILD_DIR/bin" "$work/alone/vantrel-check" --seconds 1 --references "$refs" \
    >"$work/alone.out" 2>"$work/alone.err" || status=$?
check "modules beside it only: status 2" [ "$status" = 2 ]
check "modules beside it only: the program's messages" \
    grep -q "alone/QxCamLinkDLLDALSA.so: cannot open.*" "$work/alone.err"
check "modules beside it only: the DALSA failure" \
    grep -q 'Failure to Load DALSA Camera' "$work/alone.err"

# A folder that cannot be written: an error, the old file as it was. Without capabilities, so
# that the namespace's root is refused as an ordinary account is.
cp "$prom" "$work/before.prom"
chmod 555 "$work/textfile"
status=0
setpriv --bounding-set -all --inh-caps -all -- "$check_bin" --seconds 1 --references "$refs" \
    --prometheus "$prom" >/dev/null 2>"$work/unwritable.err" || status=$?
chmod 755 "$work/textfile"
check "an unwritable folder: status 2" [ "$status" = 2 ]
check "an unwritable folder: said" grep -q "cannot write $prom" "$work/unwritable.err"
check "an unwritable folder: the old file kept" cmp -s "$prom" "$work/before.prom"
check "an unwritable folder: nothing left beside it" [ "$(ls -A "$work/textfile" | wc -l)" = 1 ]

# --- Prometheus's tools and Debian's node exporter -------------------------------------------
check "promtool accepts the file" promtool check metrics <"$prom"
VANTREL_SIM_POSE="RT=0,0,0,0;RR=20,0,0" run_check moved2 --references "$refs" --prometheus "$prom"
check "promtool accepts the file of a moved camera" promtool check metrics <"$prom"
check "promtool: the example rules" \
    promtool test rules "$SOURCE_DIR/tests/e2e/check_rules_test.yml"

port=19100
prometheus-node-exporter --collector.disable-defaults --collector.textfile \
    --collector.textfile.directory="$work/textfile" --web.listen-address="127.0.0.1:$port" \
    >"$work/exporter.log" 2>&1 &
exporter=$!
scrape() { curl -fsS "http://127.0.0.1:$port/metrics" >"$work/metrics" 2>/dev/null; }
for _ in $(seq 50); do scrape && break; sleep 0.1; done
check "the node exporter serves the check's metrics" \
    grep -q '^vantrel_camera_verdict{position="RR",verdict="moved"} 1$' "$work/metrics"
check "the node exporter: the offset" near "$(sed -n \
    's/^vantrel_camera_offset_pixels{axis="horizontal",position="RR"} //p' "$work/metrics")" 20 1
check "the node exporter: the run's gauges" grep -q '^vantrel_check_success [01]$' "$work/metrics"
check "the node exporter read the file without error" \
    grep -q '^node_textfile_scrape_error 0$' "$work/metrics"

# --- The GigE Vision fake --------------------------------------------------------------------
unset VANTREL_CAMERA
export VANTREL_CAMERA_SERIALS=RR=GV01
gige_fake_start 127.0.0.1 GV01
user=$(gige_user_prefix)
gige_refs=$work/gige-references
mkdir -p "$gige_refs"
chmod 777 "$gige_refs"
# shellcheck disable=SC2086
check "a reference of the fake camera kept" \
    bash -c '"$@" >/dev/null' _ $user "$keeper" "$BUILD_DIR/bin/QxCamLinkDLLDALSA.so" 0 "$gige_refs"
gige_check() {  # gige_check NAME: the check as an ordinary account
    local name=$1 status=0
    # shellcheck disable=SC2086
    $user "$check_bin" --seconds 2 --references "$gige_refs" --json >"$work/$name.out" \
        2>"$work/$name.err" || status=$?
    echo "$status" >"$work/$name.status"
}
# Every feature the module may write, read through the fake's own control channel.
features=(PixelFormat Width Height OffsetX OffsetY BinningHorizontal BinningVertical
    TriggerSelector TriggerMode AcquisitionMode AcquisitionFrameRate ExposureTimeAbs GainRaw
    GevSCPSPacketSize AcquisitionFrameRateEnable AcquisitionFrameRateMode ExposureAuto)
read_features() { arv-tool-0.8 -a 127.0.0.1 control "${features[@]}" 2>&1 | sed 's/ min:.*$//'; }
before=$(read_features)
[[ $before == *"Width = "* ]] || { echo "the fake's features cannot be read: $before"; exit 1; }
gige_check gige
check "the fake camera: left as it was found" [ "$(read_features)" = "$before" ]
# The fake's picture moves from frame to frame, so any verdict of a measurement will do.
measured() { grep -qxE 'aligned|moved|covered|out of focus' <<<"$(json_figure "$1" RR .verdict)"; }
check "the fake camera: measured against its reference" measured gige
check "the fake camera: the module's line on standard error" grep -q 'serves RR' "$work/gige.err"
check "the fake camera: no reference for the top position" \
    [ "$(jq -r '.cameras[1].verdict' "$work/gige.out")" = "no reference" ]

# A lens covered: the fake's picture at the shortest exposure is black.
exposure=$(gige_control GV01 ExposureTimeAbs)
gige_control GV01 ExposureTimeAbs=10 >/dev/null
gige_check covered
check "a dark picture: status 1" status_is covered 1
check "a dark picture: covered" [ "$(jq -r '.cameras[0].verdict' "$work/covered.out")" = covered ]
gige_control GV01 "${exposure// /}" >/dev/null

arv-camera-test-0.8 -n Aravis-Fake-GV01 >/dev/null 2>&1 &
holder=$!
sleep 2
before=$(read_features)
gige_check busy
check "held by another program: left alone" [ "$(read_features)" = "$before" ]
check "held by another program: status 2" status_is busy 2
check "held by another program: camera busy" \
    [ "$(jq -r '.cameras[0].verdict' "$work/busy.out")" = "camera busy" ]
check "held by another program: still holding it" kill -0 "$holder"
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
holder=""

echo "passed: $passed, failed: $failed"
[ "$failed" -eq 0 ]
