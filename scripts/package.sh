#!/usr/bin/env bash
# Makes Vantrel's two packages from the Windows build in build/windows/bin:
#   build/dist/Vantrel-VERSION-portable.zip  the program's files and README.txt
#   build/dist/Vantrel-VERSION-setup.exe     the same files as a per-user
#                                            installer (NSIS, package/Vantrel.nsi)
# VERSION is the project's version, which the build writes into
# build/windows/version.txt from the same place the version resource takes it.
#
# Usage: scripts/package.sh [BUILD_DIR]   (default build/windows)
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
bin="$build/bin"
dist="$root/build/dist"
stage="$build/package"

if [ ! -s "$build/version.txt" ]; then
  echo "package.sh: $build/version.txt is missing; build first:" >&2
  echo "  cmake --preset windows && cmake --build build/windows" >&2
  exit 1
fi
version=$(tr -d '[:space:]' <"$build/version.txt")
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "package.sh: $build/version.txt holds no version X.Y.Z: $version" >&2
  exit 1
fi

# Every file of both packages, named once. A help file of a language comes
# along only when the build made one.
files=(Vantrel.exe 1033.DLL 1031.DLL FileIdentify.dict PicturePane.dll Vantrel-1033.chm)
[ ! -f "$bin/Vantrel-1031.chm" ] || files+=(Vantrel-1031.chm)
files+=(vantrel-recover.exe README.txt)

rm -rf "$stage"
mkdir -p "$stage/files" "$dist"
for file in "${files[@]}"; do
  [ "$file" != README.txt ] || continue
  if [ ! -f "$bin/$file" ]; then
    echo "package.sh: $bin/$file is missing; the packages need it" >&2
    exit 1
  fi
  cp -p "$bin/$file" "$stage/files/"
done
# Windows line ends, so that every Notepad shows the lines.
sed 's/\r*$/\r/' "$root/package/README.txt" >"$stage/files/README.txt"

zip_file="$dist/Vantrel-$version-portable.zip"
setup_file="$dist/Vantrel-$version-setup.exe"
rm -f "$zip_file" "$setup_file"
(cd "$stage/files" && zip -q -X "$zip_file" "${files[@]}")

{
  echo "!macro VANTREL_FILES operation"
  for file in "${files[@]}"; do echo "  !insertmacro \${operation} \"$file\""; done
  echo "!macroend"
} >"$stage/files.nsh"

# The welcome and finish pages show the program's icon on the colours of its
# main window.
icon="$build/res/pictures/Vantrel.ico"
convert -size 164x314 'gradient:rgb(224,227,219)-rgb(150,178,140)' \
  \( "$icon[1]" \) -gravity north -geometry +0+48 -composite \
  -alpha off -type TrueColor "BMP3:$stage/welcome.bmp"

makensis -V2 -NOCD \
  "-DVERSION=$version" \
  "-DBIN=$stage/files" \
  "-DFILES=$stage/files.nsh" \
  "-DICON=$icon" \
  "-DPICTURE=$stage/welcome.bmp" \
  "-DOUTFILE=$setup_file" \
  "$root/package/Vantrel.nsi"

echo "Packages of Vantrel $version:"
echo "  $zip_file"
echo "  $setup_file"
