#!/usr/bin/env bash
# The wizard against the command-line tool: on a FAT32 card with folders and
# deleted photos, the same card as exFAT, and a raw image without a file
# system, all made here, scripts/wizard-recover (Vantrel.exe driven through
# its four steps under Wine) must copy the same tree, byte for byte, as
# vantrel-recover does.
# The screenshots of both drives go to build/windows/screenshots/wizard/.
set -uo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shots="$root/build/windows/screenshots/wizard"
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The native tool gives the same results and needs no Wine; the Windows one
# stands in where the native build is missing.
recover_tool() {
  if [ -x "$root/build/native/bin/vantrel-recover" ]; then
    "$root/build/native/bin/vantrel-recover" --quiet "$@"
  else
    (export WINEPREFIX="$root/build/windows/wineprefix" WINEDEBUG=-all TZ=Europe/Berlin &&
      wine "$root/build/windows/bin/vantrel-recover.exe" --quiet "$(winepath -w "$1")" "$(winepath -w "$2")")
  fi
}

# A photo of its own, as a camera would write it, in a few KiB.
jpeg() {
  convert -size "$2" -seed "$3" plasma:fractal -quality 85 "$1"
}

# Photos at sector boundaries and between them, random bytes all around,
# no file system: only a search of the contents finds them. The search
# looks for a photo's start at the start of a sector, as cameras write them;
# the aligned photos are listed in $work/aligned.
make_raw_image() {
  local image=$1
  head -c $((4 * 1024 * 1024)) /dev/urandom >"$image"
  local offsets=(0 $((512 * 300)) $((512 * 1100 + 77)) $((512 * 3000 + 301)) $((512 * 6000)))
  local n=0
  : >"$work/aligned"
  for offset in "${offsets[@]}"; do
    n=$((n + 1))
    jpeg "$work/raw-$n.jpg" "$((200 + 40 * n))x$((150 + 30 * n))" "$n" || return 1
    dd if="$work/raw-$n.jpg" of="$image" bs=1 seek="$offset" conv=notrunc status=none || return 1
    [ $((offset % 512)) -ne 0 ] || echo "$work/raw-$n.jpg" >>"$work/aligned"
  done
}

# Every aligned photo is among the copies, byte for byte.
aligned_photos_back() {
  local photo copy
  while read -r photo; do
    for copy in "$1"/*; do cmp -s "$photo" "$copy" && continue 2; done
    fail "raw: $(basename "$photo") did not come back"
  done <"$work/aligned"
}

# compare NAME IMAGE LEAST: both ways of recovery, the same tree of at least
# LEAST files.
compare() {
  local name=$1 image=$2 least=$3
  local by_tool="$work/$name-tool" by_wizard="$work/$name-wizard"
  echo "== $name: vantrel-recover"
  if ! recover_tool "$image" "$by_tool" >"$work/$name-tool.log"; then
    fail "$name: vantrel-recover failed"
    return
  fi
  local found
  found=$(find "$by_tool" -type f | wc -l)
  [ "$found" -ge "$least" ] || fail "$name: vantrel-recover brought back $found files, fewer than $least"
  echo "== $name: wizard-recover ($found files expected)"
  rm -rf "${shots:?}/$name"
  if ! "$root/scripts/wizard-recover" --run-timeout=120 --copy-timeout=120 --step-timeout=30 \
    "$image" "$by_wizard" "$shots/$name"; then
    fail "$name: wizard-recover failed"
    return
  fi
  if diff -r "$by_tool" "$by_wizard" >"$work/$name.diff"; then
    echo "$name: the wizard copied the same $found files"
  else
    fail "$name: the wizard's copies differ from the tool's:"
    head -20 "$work/$name.diff" >&2
  fi
  for step in step1 step1-open-dialog step2 step3-finished step4 step4-copied; do
    [ -s "$shots/$name/$step.png" ] || fail "$name: no screenshot $step.png"
  done
}

"$root/scripts/make-demo-card" "$work/card.img" >/dev/null || fail "the FAT32 card could not be made"
# The demo card holds 8 live and 8 deleted files.
[ -f "$work/card.img" ] && compare fat32 "$work/card.img" 16

# The same card as exFAT, where a loop device and exfat-fuse can be had:
# deleted files come back under their own names, as they were put on it.
if "$root/scripts/make-demo-card" --exfat "$work/exfat.img" "$work/exfat-originals" >/dev/null 2>&1; then
  compare exfat "$work/exfat.img" 14
  diff -r "$work/exfat-originals" "$work/exfat-tool" >/dev/null ||
    fail "exfat: the tool's copies differ from the files put on the card"
else
  echo "== exfat: skipped, no loop device or exfat-fuse here"
fi

if make_raw_image "$work/raw.img"; then
  compare raw "$work/raw.img" "$(wc -l <"$work/aligned")"
  aligned_photos_back "$work/raw-tool"
else
  fail "the raw image could not be made"
fi

# A path the program cannot open: the wizard must say so, not succeed.
echo "== a file that is no card image"
printf 'x' >"$work/tiny.img"
if "$root/scripts/wizard-recover" --step-timeout=20 "$work/tiny.img" "$work/tiny-out" 2>"$work/tiny.err"; then
  fail "wizard-recover succeeded on a one-byte file"
elif ! grep -q "step" "$work/tiny.err"; then
  fail "wizard-recover failed without telling the step: $(cat "$work/tiny.err")"
else
  echo "refused as it should be: $(grep step "$work/tiny.err" | head -1)"
fi

# The script makes DEST; the driver on its own must tell a copy that did
# not happen, in the program's words, and fail.
echo "== a destination that is not there"
if (export WINEPREFIX="$root/build/windows/wineprefix" WINEDEBUG=-all TZ=Europe/Berlin \
  WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=" &&
  cd "$root/build/windows/bin" &&
  wine wizard-driver.exe --step-timeout=30 "$(winepath -w "$work/raw.img")" 'Z:\no\such\folder') 2>"$work/nowhere.err"; then
  fail "wizard-driver succeeded without a destination folder"
elif ! grep -q "step 4: .*existing folder" "$work/nowhere.err"; then
  fail "wizard-driver failed without the copy step's words: $(cat "$work/nowhere.err")"
else
  echo "refused as it should be: $(grep 'step 4' "$work/nowhere.err")"
fi

# Wine's own processes end a few seconds after the last program; the display
# the test runs on must outlive them.
WINEPREFIX="$root/build/windows/wineprefix" timeout 30 wineserver -w || true

if [ "$failures" -ne 0 ]; then
  echo "wizard-recover: $failures checks failed" >&2
  exit 1
fi
echo "wizard-recover: the wizard and the tool agree."
