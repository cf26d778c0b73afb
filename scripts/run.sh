#!/usr/bin/env bash
# The run command: installs what is missing, builds the native tools and the
# Windows program, then shows Vantrel's main job on a demo memory card: it
# makes build/demo/card.img when it is missing (photos in DCIM folders, some
# of them deleted), lets vantrel-recover find everything on it and copy it
# into build/demo/recovered/, and prints what came back.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows

card=build/demo/card.img
recovered=build/demo/recovered
if [ ! -f "$card" ]; then
  echo
  scripts/make-demo-card "$card"
fi
rm -rf "$recovered"
echo
echo "==== vantrel-recover $card $recovered"
echo "(what the search reports, then each file found: path, size in bytes, state;"
echo " then where each copy went)"
build/native/bin/vantrel-recover "$card" "$recovered"

program=build/windows/bin
back=$(find "$recovered" -type f | wc -l)
deleted=$(find "$recovered" -type f -name '@*' | wc -l)
echo
echo "$back files came back into $recovered/; the $deleted whose names begin with \"@\""
echo "had been deleted from the card (a deleted file loses its first letter and its long name)."
echo
echo "Built:"
echo "  native (Linux):  $(ls build/native/bin | tr '\n' ' ')"
echo "  Windows program: $program/Vantrel.exe with 1033.DLL and FileIdentify.dict beside it,"
echo "                   and $program/vantrel-recover.exe"
echo "Vantrel.exe opens its main window (under Wine: wine $program/Vantrel.exe)."
echo "vantrel-recover --help lists the tool's options; try it on your own card image."
echo "scripts/test.sh runs every suite and saves a screenshot of the main window in"
echo "build/windows/screenshots/."
