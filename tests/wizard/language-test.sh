#!/usr/bin/env bash
# The program in the user's language, under Wine: a German user gets 1031.DLL,
# a French one, for whom no module ships, gets 1033.DLL instead of a program
# that does not start. Each drives the wizard through its four steps over a
# small card image (scripts/wizard-recover) and copies its one photo; the
# copy step's status line tells which module the program runs with.
set -uo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

locales="$root/build/windows/locales"
for locale in de_DE.UTF-8 fr_FR.UTF-8; do
  "$root/scripts/make-locale.sh" "$locale" "$locales" || exit 1
done

# One photo at the start of random bytes: the sector search finds it.
convert -size 160x120 -seed 7 plasma:fractal -quality 85 "$work/photo.jpg" || exit 1
head -c $((1024 * 1024)) /dev/urandom >"$work/card.img"
dd if="$work/photo.jpg" of="$work/card.img" conv=notrunc status=none

# Runs the wizard as a user of LOCALE; the copy's status line must start with
# WORDS and the photo must come back.
run_as() {
  local locale=$1 words=$2 output
  output=$(LOCPATH=$locales LC_ALL=$locale "$root/scripts/wizard-recover" "$work/card.img" "$work/copies-$locale" \
    "$root/build/windows/screenshots/language-$locale" 2>&1)
  local status=$?
  if [ $status -ne 0 ]; then
    fail "$locale: the wizard did not get through (exit $status): $output"
  elif ! grep -qF "step 4: $words" <<<"$output"; then
    fail "$locale: the copy step did not say \"$words\": $output"
  fi
  local copy
  for copy in "$work/copies-$locale"/*; do
    cmp -s "$work/photo.jpg" "$copy" && return
  done
  fail "$locale: the photo did not come back"
}

run_as de_DE.UTF-8 "1 Datei wurde nach "
run_as fr_FR.UTF-8 "1 file was copied to "

if [ $failures -ne 0 ]; then
  echo "language-test: $failures failures" >&2
  exit 1
fi
echo "language-test: German users get 1031.DLL, French ones 1033.DLL"
