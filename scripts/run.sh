#!/usr/bin/env bash
# Runs Vantrel. On a display it starts the program (with the simulated cameras unless
# VANTREL_CAMERA says otherwise); without one it tours the live view under Xvfb and saves
# screenshots in BUILD_DIR/tour.
set -euo pipefail
BUILD_DIR=${1:-build}
cd "$(dirname "$0")/.."

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec env VANTREL_CAMERA="${VANTREL_CAMERA:-sim-dalsa}" "$BUILD_DIR/bin/vantrel"
fi

source scripts/x11-driver.sh
x11_start
trap x11_stop EXIT
echo "No display: touring Vantrel under Xvfb; screenshots go to $BUILD_DIR/tour/"
rm -rf "$BUILD_DIR/tour"
scripts/tour.sh "$BUILD_DIR" "$BUILD_DIR/tour"
