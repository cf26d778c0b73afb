#!/usr/bin/env bash
# The run command: installs what is missing, builds the native tools and the
# Windows program, then shows Vantrel's main job on a demo memory card: it
# makes build/demo/card.img when it is missing (photos in DCIM folders, some
# of them deleted), lets vantrel-recover find everything on it and copy it
# into build/demo/recovered/, drives the wizard of Vantrel.exe under Wine over
# the same card into build/demo/wizard-recovered/ (screenshots of each step in
# build/demo/screenshots/), prints what came back, and makes the portable zip
# and the installer in build/dist/.
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

# The same card through the wizard: Vantrel.exe under Wine, driven step by
# step as a user would click, with a screenshot of every step.
wizard_recovered=build/demo/wizard-recovered
screenshots=build/demo/screenshots
rm -rf "$wizard_recovered"
echo
echo "==== scripts/wizard-recover $card $wizard_recovered $screenshots"
scripts/wizard-recover "$card" "$wizard_recovered" "$screenshots"

# The two packages a user gets: the portable zip and the installer.
echo
echo "==== scripts/package.sh"
scripts/package.sh >/dev/null
version=$(cat build/windows/version.txt)
zip_package=build/dist/Vantrel-$version-portable.zip
setup_package=build/dist/Vantrel-$version-setup.exe

program=build/windows/bin
back=$(find "$recovered" -type f | wc -l)
deleted=$(find "$recovered" -type f -name '@*' | wc -l)
echo
echo "$back files came back into $recovered/; the $deleted whose names begin with \"@\""
echo "had been deleted from the card (a deleted file loses its first letter and its long name)."
echo "The wizard copied $(find "$wizard_recovered" -type f | wc -l) files into $wizard_recovered/;"
echo "its screenshots of every step are in $screenshots/."
echo
echo "Built:"
echo "  native (Linux):  $(ls build/native/bin | tr '\n' ' ')"
echo "  Windows program: $program/Vantrel.exe with 1033.DLL, 1031.DLL, PicturePane.dll and FileIdentify.dict beside it,"
echo "                   $program/vantrel-recover.exe, and $program/wizard-driver.exe,"
echo "                   which scripts/wizard-recover uses to drive the wizard"
echo "Vantrel.exe opens its main window (under Wine: wine $program/Vantrel.exe)."
echo "vantrel-recover --help lists the tool's options; try it on your own card image."
echo "scripts/test.sh runs every suite and saves a screenshot of the main window in"
echo "build/windows/screenshots/."
echo
echo "Packages of Vantrel $version, for users:"
echo "  $zip_package  (unpack anywhere and start Vantrel.exe)"
echo "  $setup_package  (installs for the current user, with a Start-menu entry)"
