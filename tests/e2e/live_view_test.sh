#!/usr/bin/env bash
# The live view of the real vantrel with the simulated cameras, driven through the tour: the
# screenshots of every step stay in the build's e2e-artefacts folder.
set -euo pipefail
BUILD_DIR=${VANTREL_BUILD_DIR:?}
source "${VANTREL_SOURCE_DIR:?}/scripts/x11-driver.sh"
x11_start
trap x11_stop EXIT
rm -rf "$BUILD_DIR/tests/e2e-artefacts/tour"
if bash "$VANTREL_SOURCE_DIR/scripts/tour.sh" "$BUILD_DIR" "$BUILD_DIR/tests/e2e-artefacts/tour"; then
    echo "1 passed, 0 failed"
else
    echo "0 passed, 1 failed"
    exit 1
fi
