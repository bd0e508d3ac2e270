#!/usr/bin/env bash
# Installs the Debian packages Vantrel needs to build, run and test, when any is missing.
set -euo pipefail

packages=(
    cmake make g++ pkg-config dpkg-dev clang libclang-rt-14-dev
    libopencv-dev qtbase5-dev libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick x11-utils fonts-nanum
    libaravis-dev libusb-1.0-0-dev aravis-tools aravis-tools-cli
    # the GigE Vision tests: loopback addresses in a private network namespace (unshare comes
    # with util-linux)
    iproute2 util-linux
    lintian appstream man-db go-md2man  # the package's checks; the manual pages' Markdown to roff
    prometheus prometheus-node-exporter curl jq time  # the unattended check: tests and bench
    opencv-doc  # real photographs for the alignment tests and bench/alignment_photos (tests only)
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
