#!/usr/bin/env bash
# Puts the demo card into Wine as a card in a card reader: the image made by
# make-demo-card on a read-only loop device, mapped to drive R: as a
# removable drive with that raw device behind it. The step-1 suite lists and
# opens it when bin/loop-card.txt names the drive; where the machine cannot
# (not root, no loop devices), bin/loop-card-unavailable.txt says why and
# that test is skipped.
#
# Usage: scripts/wine-loop-card.sh attach|detach BUILD_DIR
# WINEPREFIX must be set, as scripts/wine-tests.sh sets it.
set -uo pipefail

action=${1:?usage: wine-loop-card.sh attach|detach BUILD_DIR}
build=$(cd "${2:?usage: wine-loop-card.sh attach|detach BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work="$build/loop-card"
letter=r
marker="$build/bin/loop-card.txt"
unavailable="$build/bin/loop-card-unavailable.txt"
dosdevices="$WINEPREFIX/dosdevices"

set_drive_type() {
  local reg="$work/drive.reg"
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n"%s:"=%s\n' "$letter" "$1" >"$reg"
  wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
}

refuse() {
  echo "$1" >"$unavailable"
  echo "Loop-device card not attached: $1"
  exit 0
}

attach() {
  rm -f "$marker" "$unavailable"
  [ "$(id -u)" = 0 ] || refuse "attaching a loop device needs root"
  command -v losetup >/dev/null || refuse "losetup is not installed"
  mkdir -p "$work/root"
  "$here/make-demo-card" "$work/card.img" >/dev/null 2>&1 || refuse "make-demo-card failed"
  local device
  device=$(losetup --find --show --read-only "$work/card.img" 2>/dev/null) || refuse "no loop device can be attached here"
  echo "$device" >"$work/device"
  # The folder stands for the mounted volume; Wine takes the label from it.
  echo "DEMO-CARD" >"$work/root/.windows-label"
  ln -sfn "$work/root" "$dosdevices/$letter:"
  ln -sfn "$device" "$dosdevices/$letter::"
  set_drive_type '"floppy"'
  # Wine learns its drives when it starts: the next program starts it anew.
  wineserver -k
  wineserver -w
  echo "${letter^^}:" >"$marker"
  echo "Loop-device card: $device as drive ${letter^^}:"
}

detach() {
  rm -f "$marker" "$dosdevices/$letter:" "$dosdevices/$letter::"
  if [ -f "$work/device" ]; then
    set_drive_type '-'
    losetup --detach "$(cat "$work/device")" 2>/dev/null
    rm -f "$work/device"
  fi
}

case "$action" in
  attach) attach ;;
  detach) detach ;;
  *) echo "usage: wine-loop-card.sh attach|detach BUILD_DIR" >&2; exit 2 ;;
esac
