#!/usr/bin/env bash
# A camera-link module that cannot be loaded: the message is shown and answered, no dialog
# appears, and vantrel ends with status 1. The modules of the build, reachable through
# LD_LIBRARY_PATH, do not count: only the program's own folder does.
set -euo pipefail
BUILD_DIR=${VANTREL_BUILD_DIR:?}
source "${VANTREL_SOURCE_DIR:?}/scripts/x11-driver.sh"
x11_start
trap x11_stop EXIT

passed=0
failed=0
check() {  # check LOCALE VENDOR_CODE EXPECTED_MESSAGE
    local locale=$1 vendor=$2 expected=$3 folder log status
    folder=$(mktemp -d)
    cp "$BUILD_DIR/bin/vantrel" "$BUILD_DIR/bin/PalveroToolLangEng.so" \
        "$BUILD_DIR/bin/VantrelTestHooks.so" "$folder/"
    cp "$BUILD_DIR/tests/doubles/detect_returns_$vendor.so" "$folder/QxCamDetecter.so"
    log="$folder/messages.log"
    LANG=$locale LC_ALL=$locale LD_LIBRARY_PATH="$BUILD_DIR/bin" VANTREL_CAMERA=sim-dalsa \
        VANTREL_MSGBOX_LOG="$log" "$folder/vantrel" >/dev/null 2>&1 &
    local pid=$!
    x11_answer_message_box
    status=0
    wait "$pid" || status=$?
    if [ "$status" -eq 1 ] && [ "$(cat "$log")" = "$expected" ] &&
        ! xdotool search --name '^Vantrel \(' >/dev/null 2>&1; then
        passed=$((passed + 1))
    else
        echo "FAILED: $locale vendor $vendor: status $status, messages: $(cat "$log")"
        failed=$((failed + 1))
    fi
    rm -rf "$folder"
}

check ko_KR.UTF-8 1 "DALSA 카메라 로드 실패"
check en_US.UTF-8 1 "Failure to Load DALSA Camera"
check en_US.UTF-8 2 "Failure to Load Vieworks Camera"
check ko_KR.UTF-8 3 "WVTCamLinkDLLHV.dll을 찾을 수 없습니다."
check en_US.UTF-8 3 "WVTCamLinkDLLHV.dll을 찾을 수 없습니다."
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
