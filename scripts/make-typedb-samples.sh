#!/usr/bin/env bash
# Makes the sample files that the dictionary suite identifies, with the real
# tools that write such files: ImageMagick, ffmpeg, zip, Ghostscript and the
# mingw-w64 compiler. Small files, made afresh on every run.
#
# Usage: scripts/make-typedb-samples.sh FOLDER
set -euo pipefail

out=${1:?usage: make-typedb-samples.sh FOLDER}
mkdir -p "$out"
cd "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

picture="-size 64x48 gradient:red-blue"
for ext in jpg png gif tif bmp; do
  convert $picture "photo.$ext"
done
convert $picture -define tiff:endian=msb photo-msb.tif

video=(-v error -y -f lavfi -i testsrc=size=64x48:rate=10 -t 1 -c:v mpeg4)
for ext in mp4 mov avi mkv; do
  ffmpeg "${video[@]}" "clip.$ext"
done
# 64 kbit/s: three frames fit in the two sectors the scan looks at.
sound=(-v error -y -f lavfi -i sine=frequency=440:duration=1)
ffmpeg "${sound[@]}" -b:a 64k sound.mp3
ffmpeg "${sound[@]}" -b:a 64k -id3v2_version 0 -write_xing 0 sound-untagged.mp3
ffmpeg "${sound[@]}" sound.wav

printf 'Holiday photos, June.\n' >"$work/notes.txt"
rm -f archive.zip
(cd "$work" && zip -q "$OLDPWD/archive.zip" notes.txt)

printf '%%!PS\n/Helvetica findfont 24 scalefont setfont 72 720 moveto (Vantrel) show showpage\n' >"$work/page.ps"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=document.pdf "$work/page.ps"

printf 'int main(void) { return 0; }\n' >"$work/program.c"
x86_64-w64-mingw32-gcc -o program.exe "$work/program.c"
printf '__declspec(dllexport) int Answer(void) { return 42; }\n' >"$work/library.c"
x86_64-w64-mingw32-gcc -shared -o library.dll "$work/library.c"

echo "Dictionary samples in $(pwd): $(ls | tr '\n' ' ')"
