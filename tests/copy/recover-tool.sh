#!/usr/bin/env bash
# vantrel-recover on FAT images made here with real tools (sfdisk, mkfs.fat,
# mtools, ImageMagick): every live file and every recoverable deleted file
# comes back byte for byte in its folder, a second copy overwrites the first,
# the listing of a small card is the golden one, and the exit statuses are
# those of the usage. With --wine the Windows build runs under Wine (inside
# scripts/wine-tests.sh, which prepares the prefix).
#
# Usage: tests/copy/recover-tool.sh [--wine] TOOL
set -uo pipefail

wine=false
if [ "${1:-}" = "--wine" ]; then
  wine=true
  shift
fi
tool=$(realpath "${1:?usage: recover-tool.sh [--wine] TOOL}")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DOCUMENTS_DIR=$work/documents MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# A path as the tool takes it.
arg() { if $wine; then winepath -w "$1"; else echo "$1"; fi; }

# recover EXPECTED-STATUS OUT ERR ARGS...: runs the tool, paths already
# converted, and checks its exit status.
recover() {
  local expected=$1 out=$2 err=$3
  shift 3
  if $wine; then
    (cd "$(dirname "$tool")" && wine "$(basename "$tool")" "$@") >"$out" 2>"$err"
  else
    "$tool" "$@" >"$out" 2>"$err"
  fi
  local status=$?
  [ "$status" -eq "$expected" ] || fail "vantrel-recover $* exited with $status, not $expected: $(cat "$err")"
}

# The golden card: a FAT12 floppy of plain files with fixed contents, some
# with long names, some deleted, one deleted folder. Five files stay live, so
# that the search does not go on to the deleted ones by itself.
make_golden_card() {
  local image=$1 files=$work/golden-files
  mkdir -p "$files"
  mkfs.fat -C -i 1234ABCD -n GOLDEN "$image" 1440 >/dev/null
  seq 1 3000 >"$files/numbers"
  printf 'Read me first.\n' >"$files/readme"
  seq 1 2 9999 | tr '\n' ' ' >"$files/odd"
  head -c 20000 /dev/zero | tr '\0' 'v' >"$files/vees"
  mmd -i "$image" ::PHOTOS ::OLD
  mcopy -i "$image" "$files/readme" ::README.TXT
  mcopy -i "$image" "$files/numbers" "::Numbers from one.txt"
  mcopy -i "$image" "$files/odd" ::PHOTOS/PIC00001.DAT
  mcopy -i "$image" "$files/vees" ::PHOTOS/PIC00002.DAT
  mcopy -i "$image" "$files/readme" ::PHOTOS/PIC00003.DAT
  mcopy -i "$image" "$files/numbers" "::PHOTOS/A long name for a picture.dat"
  mcopy -i "$image" "$files/readme" ::OLD/NOTE1.TXT
  mcopy -i "$image" "$files/odd" ::OLD/NOTE2.TXT
  mdel -i "$image" ::PHOTOS/PIC00002.DAT
  mdeltree -i "$image" ::OLD
}

check_demo_card() {
  local card=$work/card.img originals=$work/originals out=$work/recovered
  "$here/../../scripts/make-demo-card" "$card" "$originals" >/dev/null || {
    fail "make-demo-card failed"
    return
  }
  recover 0 "$work/copy.out" "$work/copy.err" --quiet "$(arg "$card")" "$(arg "$out")"
  diff -r "$originals" "$out" >"$work/diff" || fail "the recovered files differ from the originals: $(cat "$work/diff")"
  tail -1 "$work/copy.out" | tr -d '\r' | grep -qx "$(find "$originals" -type f | wc -l) files were copied." ||
    fail "no count line: $(tail -1 "$work/copy.out")"

  # A second copy into the same folder overwrites the first: no numbered files.
  recover 0 "$work/again.out" "$work/again.err" --quiet "$(arg "$card")" "$(arg "$out")"
  diff -r "$originals" "$out" >"$work/diff" || fail "a second copy left other files: $(cat "$work/diff")"

  # A folder where a file must go: that copy fails, the rest are copied.
  rm -rf "$out" && mkdir -p "$out/DCIM/100DEMO/IMG_0002.JPG"
  recover 1 "$work/fail.out" "$work/fail.err" --quiet "$(arg "$card")" "$(arg "$out")"
  grep -q 'IMG_0002.JPG: ' "$work/fail.err" || fail "no system message for the failed copy: $(cat "$work/fail.err")"
  cmp -s "$originals/DCIM/100DEMO/IMG_0001.JPG" "$out/DCIM/100DEMO/IMG_0001.JPG" || fail "the copy before the failure is missing"
}

check_golden_listing() {
  local card=$work/golden.img
  make_golden_card "$card"
  recover 0 "$work/list.out" "$work/list.err" "$(arg "$card")"
  diff --strip-trailing-cr "$here/golden/listing.txt" "$work/list.out" >"$work/diff" ||
    fail "the listing differs from tests/copy/golden/listing.txt: $(cat "$work/diff")"
  recover 0 "$work/live.out" "$work/live.err" --no-deleted "$(arg "$card")"
  diff --strip-trailing-cr "$here/golden/listing-no-deleted.txt" "$work/live.out" >"$work/diff" ||
    fail "the listing without deleted entries differs: $(cat "$work/diff")"
}

check_exit_statuses() {
  local card=$work/golden.img
  recover 2 "$work/x.out" "$work/x.err" --frobnicate "$(arg "$card")"
  [ "$(wc -l <"$work/x.err")" -eq 1 ] && grep -q 'unknown option --frobnicate' "$work/x.err" ||
    fail "an unknown option gives no one-line usage error: $(cat "$work/x.err")"
  recover 2 "$work/x.out" "$work/x.err" "--types=" "$(arg "$card")"
  grep -q 'needs a value' "$work/x.err" || fail "a missing value is not named: $(cat "$work/x.err")"
  recover 2 "$work/x.out" "$work/x.err"
  recover 2 "$work/x.out" "$work/x.err" "$(arg "$work/no-such.img")"
  touch "$work/a-file"
  recover 2 "$work/x.out" "$work/x.err" "$(arg "$card")" "$(arg "$work/a-file")"
  [ -f "$work/a-file" ] || fail "a file given as DEST was replaced"
  recover 0 "$work/x.out" "$work/x.err" --help
  grep -q -- '--intensive=auto|force|suppress' "$work/x.out" || fail "--help does not list the options"
}

check_demo_card
check_golden_listing
check_exit_statuses

if [ "$failures" -ne 0 ]; then
  echo "vantrel-recover: $failures checks failed" >&2
  exit 1
fi
echo "vantrel-recover: all checks passed$($wine && echo ' (Wine)')"
