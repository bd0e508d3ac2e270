#!/usr/bin/env bash
# Runs Vantrel. On a display it starts the program from BUILD_DIR/run (with the simulated
# cameras, mounted off their reference, unless VANTREL_CAMERA says otherwise); without one it
# tours the live view under Xvfb and saves screenshots in BUILD_DIR/tour.
set -euo pipefail
BUILD_DIR=${1:-build}
cd "$(dirname "$0")/.."

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    # The simulated cameras are mounted a little off their reference, as in the tour, so that the
    # Alignment Assistant has something to show; Save Image writes its snapshots into
    # BUILD_DIR/run, not into the repository.
    BIN=$(cd "$BUILD_DIR/bin" && pwd)
    mkdir -p "$BUILD_DIR/run"
    cd "$BUILD_DIR/run"
    exec env VANTREL_CAMERA="${VANTREL_CAMERA:-sim-dalsa}" \
        VANTREL_SIM_POSE="${VANTREL_SIM_POSE-RR=12,-5,1.5;RT=0,3,-0.4}" "$BIN/vantrel"
fi

source scripts/x11-driver.sh
x11_start
trap x11_stop EXIT
echo "No display: touring Vantrel under Xvfb; screenshots go to $BUILD_DIR/tour/"
rm -rf "$BUILD_DIR/tour"
# The tour's window places and references stay with the tour, out of the user's settings.
mkdir -p "$BUILD_DIR/tour"
TOUR=$(cd "$BUILD_DIR/tour" && pwd)
export XDG_CONFIG_HOME="$TOUR/config" XDG_DATA_HOME="$TOUR/data"
scripts/tour.sh "$BUILD_DIR" "$BUILD_DIR/tour"
