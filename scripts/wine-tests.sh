#!/usr/bin/env bash
# Runs every Windows test executable of a build tree under Wine, one Wine
# process per executable, and fails when any of them fails. Meant to run inside
# xvfb-run, so that the user-interface suites have a display.
#
# Usage: scripts/wine-tests.sh BUILD_DIR
set -uo pipefail

build=$(cd "${1:?usage: wine-tests.sh BUILD_DIR}" && pwd)
bin="$build/bin"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# A zone with summer time: the copy suites check that copies keep the card's
# local time, which a UTC machine could not tell from UTC.
export TZ=Europe/Berlin
# No .NET, no Gecko, and no sound drivers: the test machine has no sound card.
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv="

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Preparing the Wine prefix in $WINEPREFIX"
  wineboot --init >/dev/null 2>&1
fi
# A card in a card reader, where the machine can attach one.
"$(dirname "$0")/wine-loop-card.sh" attach "$build"
trap '"$(dirname "$0")/wine-loop-card.sh" detach "$build"' EXIT
wineserver --persistent=60

# The prefix's documents folder is a folder of its own, not a link to $HOME,
# so that the traces the suites write stay inside the build tree.
documents="$WINEPREFIX/drive_c/users/$(id -un)/Documents"
if [ -L "$documents" ]; then
  rm "$documents" && mkdir "$documents"
fi

# Font replacements and window handling of the test prefix.
if ! grep -q '"Comic Sans MS"="Comic Neue"' "$WINEPREFIX/user.reg" 2>/dev/null ||
  ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine regedit /S "$(winepath -w "$(dirname "$0")/wine-prefix.reg")" >/dev/null 2>&1
fi

failed=()
shopt -s nullglob
tests=("$bin"/*_tests.exe)
if [ ${#tests[@]} -eq 0 ]; then
  echo "No Windows test executables in $bin" >&2
  exit 1
fi
for test in "${tests[@]}"; do
  name=$(basename "$test")
  echo "== $name (Wine)"
  if ! (cd "$bin" && wine "$name" --gtest_brief=1); then
    failed+=("$name")
  fi
done
# Figures only: step 4 over a card of 20,000 files.
if [ -f "$bin/copyfiles_bench.exe" ]; then
  echo "== copyfiles_bench.exe (Wine)"
  (cd "$bin" && wine copyfiles_bench.exe) || failed+=(copyfiles_bench.exe)
fi
# The command-line tool, on FAT images made at test time.
if [ -f "$bin/vantrel-recover.exe" ]; then
  echo "== vantrel-recover.exe (Wine)"
  "$(dirname "$0")/../tests/recovery/copy/recover-tool.sh" --wine "$bin/vantrel-recover.exe" || failed+=(vantrel-recover.exe)
fi
"$(dirname "$0")/wine-loop-card.sh" detach "$build"
trap - EXIT
wineserver --kill

if [ ${#failed[@]} -ne 0 ]; then
  echo "Windows suites failed: ${failed[*]}" >&2
  exit 1
fi
echo "All ${#tests[@]} Windows suites passed."
