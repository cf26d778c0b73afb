#!/usr/bin/env bash
# The packages that scripts/package.sh made in build/dist/: the portable zip
# holds exactly the program's files, as built; the installer, under Wine,
# installs them silently into a folder of the test's choosing with its
# Start-menu shortcut and Uninstall key, the installed Vantrel.exe goes
# through its wizard, and the silent uninstall takes away all it put there
# and nothing else. Each page of the installer and of the uninstaller is
# saved in build/dist/screenshots/, with the installed program's steps in
# build/dist/screenshots/installed/.
# Meant to run inside xvfb-run, after the Windows build and package.sh.
set -uo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/../.." && pwd)
build="$root/build/windows"
bin="$build/bin"
dist="$root/build/dist"
shots="$dist/screenshots"
work=$(mktemp -d)
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

version=$(tr -d '[:space:]' <"$build/version.txt" 2>/dev/null)
zip_file="$dist/Vantrel-$version-portable.zip"
setup_file="$dist/Vantrel-$version-setup.exe"
for package in "$zip_file" "$setup_file"; do
  if [ -z "$version" ] || [ ! -s "$package" ]; then
    echo "FAIL: no package $package; run scripts/package.sh after the Windows build" >&2
    exit 1
  fi
done

# The package files, sorted as sort(1) sorts them.
expected=(1031.DLL 1033.DLL FileIdentify.dict PicturePane.dll README.txt Vantrel-1033.chm Vantrel.exe vantrel-recover.exe)
[ ! -f "$bin/Vantrel-1031.chm" ] || expected+=(Vantrel-1031.chm)
printf '%s\n' "${expected[@]}" | sort >"$work/expected"

# A version-resource string value of a Windows executable (UTF-16 text).
resource_value() { strings -el "$1" | grep -A1 -x "$2" | sed -n 2p; }

# same_files FOLDER WHAT: FOLDER holds the package's files as built.
same_files() {
  local file
  for file in "${expected[@]}"; do
    [ "$file" != README.txt ] || continue
    cmp -s "$bin/$file" "$1/$file" || fail "$2: $file is not the built one"
  done
}

echo "== the version, from the build to both packages"
[ "$(resource_value "$bin/Vantrel.exe" ProductVersion)" = "$version" ] ||
  fail "Vantrel.exe's product version is not $version, which the packages are named after"
[ "$(resource_value "$setup_file" ProductVersion)" = "$version" ] ||
  fail "the installer's product version is not $version"

echo "== the portable zip"
unzip -Z1 "$zip_file" | sort >"$work/zipped"
diff "$work/expected" "$work/zipped" >"$work/zip.diff" ||
  fail "the zip holds other files than the package's: $(tr '\n' ' ' <"$work/zip.diff")"
unzip -l "$zip_file" >"$work/listed" && grep -q ' Vantrel.exe$' "$work/listed" || fail "unzip -l lists no Vantrel.exe"
mkdir "$work/zip" && unzip -q "$zip_file" -d "$work/zip" || fail "the zip does not unpack"
same_files "$work/zip" zip
readme="$work/zip/README.txt"
if [ ! -s "$readme" ]; then
  fail "the zip's README.txt is empty or missing"
elif grep -qv $'\r$' "$readme"; then
  fail "README.txt has lines without Windows line ends: Notepad would run them together"
fi

# ---- Under Wine -------------------------------------------------------------
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No .NET, no Gecko, no sound drivers, and no menu entries of the Linux
# desktop for the shortcuts the installer makes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winealsa.drv,winepulse.drv,wineoss.drv="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Preparing the Wine prefix in $WINEPREFIX"
  wineboot --init >/dev/null 2>&1
fi
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine regedit /S "$(winepath -w "$root/scripts/wine-prefix.reg")" >/dev/null 2>&1
fi
trap 'rm -rf "$work" "$WINEPREFIX"/drive_c/package-test.*' EXIT

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel'
shortcut="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vantrel.lnk"
uninstaller='Uninstall Vantrel.exe'

# A fresh folder on the prefix's drive C: and its Windows path.
fresh_folder() {
  local folder
  folder=$(mktemp -d "$WINEPREFIX/drive_c/package-test.XXXXXX")
  winepath -w "$folder"
}
unix_path() { winepath -u "$1" | sed 's:/$::'; }

# The value of the Uninstall key named $1, as reg query prints it.
key_value() { wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }

# installed WINDOWS_FOLDER WHAT: the files, the key and the shortcut of an
# install into that folder.
installed() {
  local folder=$1 what=$2 unix
  unix=$(unix_path "$folder")
  { printf '%s\n' "${expected[@]}" "$uninstaller" | sort; } >"$work/want"
  ls -1 "$unix" 2>/dev/null | sort >"$work/have"
  diff "$work/want" "$work/have" >"$work/installed.diff" ||
    fail "$what: the folder holds other files than the package's: $(tr '\n' ' ' <"$work/installed.diff")"
  same_files "$unix" "$what"
  local name want
  for name in DisplayName DisplayVersion Publisher InstallLocation UninstallString NoModify NoRepair; do
    case $name in
      DisplayName) want=Vantrel ;;
      DisplayVersion) want=$version ;;
      Publisher) want=Talvenor ;;
      InstallLocation) want=$folder ;;
      UninstallString) want="\"$folder\\$uninstaller\"" ;;
      *) want=0x1 ;;
    esac
    [ "$(key_value "$name")" = "$want" ] || fail "$what: $name in the Uninstall key is '$(key_value "$name")', not '$want'"
  done
  if [ ! -f "$shortcut" ]; then
    fail "$what: no Start-menu shortcut $shortcut"
  elif ! strings -a "$shortcut" | grep -qiF "$folder\\Vantrel.exe"; then
    fail "$what: the Start-menu shortcut does not lead to $folder\\Vantrel.exe"
  fi
}

# uninstall WINDOWS_FOLDER: the silent uninstall. The uninstaller runs on
# from a copy of itself, so that it can delete itself: its end is the end of
# Wine's processes.
uninstall() {
  wine "$1\\$uninstaller" /S || fail "the uninstaller failed on $1"
  timeout 60 wineserver -w || fail "the uninstaller did not end within 60 s"
}

# removed WHAT: no key and no shortcut are left.
removed() {
  ! wine reg query "$uninstall_key" >/dev/null 2>&1 || fail "$1: the Uninstall key is still there"
  [ ! -e "$shortcut" ] || fail "$1: the Start-menu shortcut is still there"
}

# A card image with two photos, for the installed program to find.
make_card() {
  convert -size 320x240 -seed 7 plasma:fractal -quality 85 "$work/one.jpg" &&
    convert -size 240x320 -seed 8 plasma:fractal -quality 85 "$work/two.jpg" &&
    mkfs.fat -C -n CARD "$work/card.img" 8192 >/dev/null &&
    mmd -i "$work/card.img" ::DCIM &&
    mcopy -i "$work/card.img" "$work/one.jpg" "$work/two.jpg" ::DCIM/
}

# wizard PROGRAM: the installed program's four steps over the card, with a
# screenshot of each into build/dist/screenshots/installed/.
wizard() {
  local out="$shots/installed" name
  mkdir -p "$work/copies" "$out" && rm -f "$out"/*.png
  (cd "$work" && wine "$bin/wizard-driver.exe" --step-timeout=60 --run-timeout=120 --copy-timeout=120 \
    "--program=$1" -- "$(winepath -w "$work/card.img")" "$(winepath -w "$work/copies")" "$(winepath -w "$out")") ||
    fail "the installed Vantrel.exe did not go through its wizard"
  for name in "$out"/*.bmp; do
    [ -f "$name" ] && convert "$name" "${name%.bmp}.png" && rm -f "$name"
  done
  [ -s "$out/step1.png" ] || fail "no screenshot of the installed program's step 1"
  local copy
  for name in one two; do
    for copy in "$work"/copies/*/*; do cmp -s "$work/$name.jpg" "$copy" && continue 2; done
    fail "the installed program did not copy $name.jpg back"
  done
}

# Leftovers of an earlier run that failed would pass for this run's.
rm -f "$shortcut"
wine reg delete "$uninstall_key" /f >/dev/null 2>&1

echo "== silent install and uninstall"
folder="$(fresh_folder)\\Vantrel"
if wine "$setup_file" /S "/D=$folder"; then
  installed "$folder" "silent install"
  if make_card; then wizard "$folder\\Vantrel.exe"; else fail "the card image could not be made"; fi
  timeout 30 wineserver -w
  uninstall "$folder"
  [ ! -e "$(unix_path "$folder")" ] || fail "the uninstall left the folder $folder: $(ls -A "$(unix_path "$folder")")"
  removed "silent uninstall"
else
  fail "the silent install into $folder failed"
fi

echo "== a file of the user's own in the folder stays, and the folder with it"
folder="$(fresh_folder)\\Vantrel"
if wine "$setup_file" /S "/D=$folder"; then
  echo "mine" >"$(unix_path "$folder")/My notes.txt"
  uninstall "$folder"
  [ "$(ls -A "$(unix_path "$folder")" 2>/dev/null)" = "My notes.txt" ] ||
    fail "the uninstall did not leave exactly the user's file: $(ls -A "$(unix_path "$folder")" 2>&1)"
  removed "uninstall beside a user's file"
else
  fail "the silent install into $folder failed"
fi

echo "== the default folder: Programs in the user's local application data"
local_data=$(wine cmd /c echo '%LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
folder="$local_data\\Programs\\Vantrel"
# What a failed run left there would pass for this install's.
rm -rf "$(unix_path "$folder")"
if wine "$setup_file" /S; then
  installed "$folder" "install into the default folder"
  uninstall "$folder"
  [ ! -e "$(unix_path "$folder")" ] || fail "the uninstall left the default folder $folder"
  removed "uninstall from the default folder"
else
  fail "the silent install into the default folder failed"
fi

# ---- The pages, as a user sees them -----------------------------------------
# await_window TITLE: the X window of that title, within 30 s.
await_window() {
  local id tries
  for tries in $(seq 60); do
    id=$(xdotool search --name "^$1 *\$" 2>/dev/null | head -1)
    [ -z "$id" ] || { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}

# page WINDOW NAME: a screenshot of the window's current page.
page() {
  sleep 1.5
  import -window "$1" "$shots/$2.png" || fail "no screenshot $2.png"
}

press_enter() {
  xdotool windowfocus --sync "$1" 2>/dev/null
  # The last page closes on the key press: the key release finds no window.
  xdotool key --window "$1" Return 2>/dev/null
}

echo "== the installer's pages"
mkdir -p "$shots" && rm -f "$shots"/*.png
folder="$(fresh_folder)\\Vantrel"
wine "$setup_file" "/D=$folder" &
setup_process=$!
if window=$(await_window "Vantrel Setup"); then
  page "$window" 1-welcome && press_enter "$window"
  page "$window" 2-folder && press_enter "$window"
  for tries in $(seq 60); do
    [ -f "$(unix_path "$folder")/$uninstaller" ] && break
    sleep 0.5
  done
  page "$window" 3-install && press_enter "$window"
  page "$window" 4-finish && press_enter "$window"
else
  fail "the installer shows no window"
fi
timeout 60 tail --pid="$setup_process" -f /dev/null || { fail "the installer did not end"; kill "$setup_process"; }
installed "$folder" "install through the pages"

echo "== the uninstaller's pages"
wine "$folder\\$uninstaller" &
if window=$(await_window "Vantrel Uninstall"); then
  page "$window" 5-uninstall-confirm && press_enter "$window"
  for tries in $(seq 60); do
    [ ! -e "$(unix_path "$folder")" ] && break
    sleep 0.5
  done
  page "$window" 6-uninstall-done && press_enter "$window"
else
  fail "the uninstaller shows no window"
fi
timeout 60 wineserver -w || fail "the uninstaller did not end"
[ ! -e "$(unix_path "$folder")" ] || fail "the uninstall through its pages left $folder"
removed "uninstall through the pages"
for name in 1-welcome 2-folder 3-install 4-finish 5-uninstall-confirm 6-uninstall-done; do
  [ -s "$shots/$name.png" ] || fail "no screenshot $name.png"
done

if [ "$failures" -ne 0 ]; then
  echo "packages: $failures checks failed" >&2
  exit 1
fi
echo "packages: the zip and the installer hold the built program, and the uninstaller takes it all away again."
