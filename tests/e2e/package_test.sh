#!/usr/bin/env bash
# The Debian package: built by CPack, accepted by Debian's own checks (lintian, the AppStream
# validator, man), unpacked into a scratch root, holds no test hook; its vantrel starts there with
# the modules installed beside it, shows the dialog and ends cleanly.
set -euo pipefail
BUILD_DIR=${VANTREL_BUILD_DIR:?}
source "${VANTREL_SOURCE_DIR:?}/scripts/x11-driver.sh"
scratch=$(mktemp -d)
trap 'x11_stop; rm -rf "$scratch"' EXIT

(cd "$BUILD_DIR" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/vantrel_*.deb)
dpkg-deb -x "$deb" "$scratch/root"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libqt5widgets5 <<<"$depends" || { echo "no Qt dependency recorded"; exit 1; }
# Loaded at the first snapshot rather than linked, so named by hand.
grep -q libopencv-imgcodecs <<<"$depends" || { echo "no image codecs dependency"; exit 1; }

for file in usr/bin/vantrel usr/lib/vantrel/vantrel usr/lib/vantrel/QxCamDetecter.so \
    usr/lib/vantrel/QxCamLinkDLLDALSA.so usr/lib/vantrel/QxCamLinkDLLVW.so \
    usr/lib/vantrel/QxCamLinkDLLHV.so usr/lib/vantrel/PalveroToolLangEng.so \
    usr/share/applications/io.github.vantrel.Vantrel.desktop \
    usr/share/icons/hicolor/48x48/apps/vantrel.png \
    usr/lib/udev/rules.d/70-vantrel-usb3vision.rules usr/lib/sysctl.d/60-vantrel-gige.conf; do
    [ -e "$scratch/root/$file" ] || { echo "missing $file"; exit 1; }
done

# lintian reports no error and no warning, except ones overridden with a reason: a comment opens
# every block of override lines.
overrides="$scratch/root/usr/share/lintian/overrides/vantrel"
if [ -e "$overrides" ]; then
    awk '/^[[:space:]]*$/ { reason = 0; next } /^[[:space:]]*#/ { reason = 1; next }
        !reason { print "lintian override without a reason: " $0; bad = 1 } END { exit bad }' \
        "$overrides"
fi
lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
    { echo "lintian rejects the package:"; cat "$scratch/lintian.log"; exit 1; }

# The AppStream metadata is valid, and the desktop entry it launches is in the package.
metainfo=("$scratch"/root/usr/share/metainfo/*.metainfo.xml)
[ ${#metainfo[@]} -eq 1 ] && [ -e "${metainfo[0]}" ] || { echo "not one metainfo file"; exit 1; }
appstreamcli validate --no-net "${metainfo[0]}" ||
    { echo "appstreamcli rejects the metainfo"; exit 1; }
appstreamcli validate-tree --no-net "$scratch/root" ||
    { echo "appstreamcli rejects the metainfo with the desktop entry it launches"; exit 1; }

# Every manual page renders without a complaint (lintian has checked that each program has one).
for page in "$scratch"/root/usr/share/man/man*/*; do
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>"$scratch/man.log") ||
        { echo "man cannot open $page:"; cat "$scratch/man.log"; exit 1; }
    name=$(basename "$page" | cut -d. -f1)
    [ ! -s "$scratch/man.log" ] ||
        { echo "man complains about $page:"; cat "$scratch/man.log"; exit 1; }
    grep -q '^NAME$' <<<"$text" && grep -q "^ *$name - " <<<"$text" ||
        { echo "$page renders without its NAME section"; exit 1; }
done

# The udev rule opens USB3 Vision devices, by their interface class 0xEF, subclass 0x05, to the
# local user.
rule=$(grep -v '^#' "$scratch/root/usr/lib/udev/rules.d/70-vantrel-usb3vision.rules")
[[ $rule == *'ENV{ID_USB_INTERFACES}=="*:ef05??:*", TAG+="uaccess"'* ]] ||
    { echo "the udev rule does not grant USB3 Vision devices (class ef, subclass 05)"; exit 1; }

# The test hooks stay out of the package, and the hook variables do nothing in what it ships:
# its vantrel shows a message with VANTREL_MSGBOX_LOG set and logs nothing.
[ ! -e "$scratch/root/usr/lib/vantrel/VantrelTestHooks.so" ] || { echo "test hooks packaged"; exit 1; }
! grep -rlF VANTREL_MSGBOX_LOG "$scratch/root" || { echo "a packaged file knows the hook"; exit 1; }
x11_start
log="$scratch/messages.log"
(cd "$scratch" && LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 VANTREL_CAMERA=sim-none \
    VANTREL_MSGBOX_LOG="$log" "$scratch/root/usr/bin/vantrel" >/dev/null 2>&1) &
pid=$!
x11_answer_message_box
x11_key "$(x11_wait_window '^Vantrel \(')" Escape
wait "$pid"
[ ! -e "$log" ] || { echo "the packaged program wrote the message log"; exit 1; }

# With the test hooks put beside it, the messages of a normal run can be read.
cp "$BUILD_DIR/bin/VantrelTestHooks.so" "$scratch/root/usr/lib/vantrel/"
(cd "$scratch" && LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 VANTREL_CAMERA=sim-vieworks \
    VANTREL_MSGBOX_LOG="$log" "$scratch/root/usr/bin/vantrel" >/dev/null 2>&1) &
pid=$!
dialog=$(x11_wait_window '^Vantrel \(')
# The installed modules serve the cameras: Start opens the live windows.
x11_click_control "$dialog" 2000
x11_wait_window '^Right-Right$' >/dev/null
x11_key "$dialog" Escape
wait "$pid"
[ ! -s "$log" ] || { echo "unexpected messages:"; cat "$log"; exit 1; }
echo "1 passed, 0 failed"
