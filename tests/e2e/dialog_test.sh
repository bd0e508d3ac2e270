#!/usr/bin/env bash
# The real vantrel under Xvfb shows its dialog, in Korean and in English; Escape closes it.
set -euo pipefail
BUILD_DIR=${VANTREL_BUILD_DIR:?}
source "${VANTREL_SOURCE_DIR:?}/scripts/x11-driver.sh"
artefacts="$BUILD_DIR/tests/e2e-artefacts"
mkdir -p "$artefacts"
x11_start
trap x11_stop EXIT

for locale in ko_KR.UTF-8 en_US.UTF-8; do
    log=$(mktemp)
    LANG=$locale LC_ALL=$locale VANTREL_CAMERA=sim-dalsa VANTREL_MSGBOX_LOG="$log" \
        "$BUILD_DIR/bin/vantrel" >/dev/null 2>&1 &
    pid=$!
    dialog=$(x11_wait_window '^Vantrel \(')
    sleep 0.5
    x11_shot "$artefacts/dialog-${locale%%_*}.png"
    title=$(xdotool getwindowname "$dialog")
    [[ $title =~ ^Vantrel\ \([A-Z][a-z]{2}\ [\ 0-9][0-9]\ [0-9]{4}\)$ ]] || { echo "title: $title"; exit 1; }
    x11_key "$dialog" Escape
    wait "$pid" || { echo "exit status $? in $locale"; exit 1; }
    [ ! -s "$log" ] || { echo "unexpected messages:"; cat "$log"; exit 1; }
    rm -f "$log"
done
echo "1 passed, 0 failed"
