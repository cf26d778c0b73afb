#!/usr/bin/env bash
# vantrel-recover on FAT images made here with real tools (sfdisk, mkfs.fat,
# mtools, ImageMagick): every live file and every recoverable deleted file
# comes back byte for byte in its folder with the date the card gives it,
# nothing that was in the destination is replaced (a second copy keeps the
# first), the listing of a small card is the golden one, and the exit
# statuses are those of the usage. With --wine the Windows build runs under Wine (inside
# scripts/wine-tests.sh, which prepares the prefix).
#
# Usage: tests/recovery/copy/recover-tool.sh [--wine] TOOL
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
# A zone with summer time, so that a copy dated in UTC instead of the card's
# local time cannot pass.
export TZ=Europe/Berlin

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

# check_times ORIGINALS OUT: every copy has its original's modification
# time, which the card keeps to two seconds.
check_times() {
  local originals=$1 out=$2 original copy
  while IFS= read -r original; do
    copy=$out/${original#"$originals"/}
    [ "$(date -r "$original" +%s)" = "$(date -r "$copy" +%s 2>/dev/null)" ] ||
      fail "$copy is dated $(date -r "$copy" '+%F %T' 2>/dev/null), its original $(date -r "$original" '+%F %T')"
  done < <(find "$originals" -type f)
}

# fingerprints FOLDER: the contents and dates of the files below FOLDER,
# one line each, whatever their names.
fingerprints() {
  local file
  find "$1" -type f | while IFS= read -r file; do
    echo "$(md5sum <"$file" | cut -c1-32) $(date -r "$file" +%s)"
  done | sort
}

# check_listed_dates CARD FOLDER OUT: the copies of the files mdir lists in
# FOLDER of the card carry the date and minute mdir shows.
check_listed_dates() {
  local card=$1 folder=$2 out=$3 name extension size day minute copy
  while read -r name extension size day minute; do
    copy=$out/$folder/$name.$extension
    [ "$(date -r "$copy" '+%Y-%m-%d %-H:%M' 2>/dev/null)" = "$day $minute" ] ||
      fail "$copy is dated $(date -r "$copy" '+%F %T' 2>/dev/null), mdir lists $day $minute"
  done < <(mdir -i "$card" "::$folder" | grep -E '^[A-Z0-9_]+ +[A-Z0-9]+ +[0-9]+ [0-9-]+ ')
}

# check_kept PATH CONTENT: a file of the user's is as it was.
check_kept() { [ "$(cat "$1" 2>/dev/null)" = "$2" ] || fail "$1 was changed: $(cat "$1" 2>/dev/null | head -c 80)"; }

check_demo_card() {
  local card=$work/card.img originals=$work/originals out=$work/recovered
  "$here/../../../scripts/make-demo-card" "$card" "$originals" >/dev/null || {
    fail "make-demo-card failed"
    return
  }
  recover 0 "$work/copy.out" "$work/copy.err" --quiet "$(arg "$card")" "$(arg "$out")"
  diff -r "$originals" "$out" >"$work/diff" || fail "the recovered files differ from the originals: $(cat "$work/diff")"
  tail -1 "$work/copy.out" | tr -d '\r' | grep -qx "$(find "$originals" -type f | wc -l) files were copied." ||
    fail "no count line: $(tail -1 "$work/copy.out")"
  check_times "$originals" "$out"
  check_listed_dates "$card@@1M" DCIM/100DEMO "$out"

  # A second copy into the same folder keeps the first: every file twice,
  # each with its date, the second set numbered.
  recover 0 "$work/again.out" "$work/again.err" --quiet "$(arg "$card")" "$(arg "$out")"
  [ "$(fingerprints "$out")" = "$( (fingerprints "$originals" && fingerprints "$originals") | sort)" ] ||
    fail "a second copy did not keep both sets, each file dated: $(find "$out" -type f)"
  grep -q "IMG_0001 (2).JPG" "$work/again.out" || fail "the copy lines do not name the numbered files: $(cat "$work/again.out")"

  # The user's own files where the card's go: a file of the same name, a
  # read-only one, a folder of a file's name and a file of a folder's name
  # all stay as they were; the copies take numbered names beside them.
  rm -rf "$out" && mkdir -p "$out/DCIM/100DEMO/IMG_0002.JPG"
  printf 'not the card\n' >"$out/DCIM/100DEMO/IMG_0001.JPG"
  printf 'read-only\n' >"$out/DCIM/100DEMO/IMG_0004.JPG" && chmod a-w "$out/DCIM/100DEMO/IMG_0004.JPG"
  printf 'inside\n' >"$out/DCIM/100DEMO/IMG_0002.JPG/mine.txt"
  printf 'a note of mine\n' >"$out/Notes"
  recover 0 "$work/kept.out" "$work/kept.err" --quiet "$(arg "$card")" "$(arg "$out")"
  check_kept "$out/DCIM/100DEMO/IMG_0001.JPG" 'not the card'
  check_kept "$out/DCIM/100DEMO/IMG_0004.JPG" 'read-only'
  check_kept "$out/DCIM/100DEMO/IMG_0002.JPG/mine.txt" 'inside'
  check_kept "$out/Notes" 'a note of mine'
  local copy
  for copy in "DCIM/100DEMO/IMG_0001 (2).JPG" "DCIM/100DEMO/IMG_0002 (2).JPG" "DCIM/100DEMO/IMG_0004 (2).JPG"; do
    cmp -s "$originals/${copy/ (2)/}" "$out/$copy" || fail "$copy is not the card's ${copy/ (2)/}"
  done
  cmp -s "$originals/Notes/Trip to the lake.txt" "$out/Notes (2)/Trip to the lake.txt" ||
    fail "the folder Notes did not come back beside the user's file Notes"
  grep -q "IMG_0001 (2).JPG" "$work/kept.out" || fail "the copy lines do not name the numbered files: $(cat "$work/kept.out")"
}

check_golden_listing() {
  local card=$work/golden.img
  make_golden_card "$card"
  recover 0 "$work/list.out" "$work/list.err" "$(arg "$card")"
  diff --strip-trailing-cr "$here/golden/listing.txt" "$work/list.out" >"$work/diff" ||
    fail "the listing differs from tests/recovery/copy/golden/listing.txt: $(cat "$work/diff")"
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
