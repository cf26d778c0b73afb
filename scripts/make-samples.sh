#!/usr/bin/env bash
# Makes the sample files that the suites read, with the real tools that write
# such files: ImageMagick, exiftool, ffmpeg, zip, Ghostscript and the
# mingw-w64 compiler. Made afresh on every run.
#
# Usage: scripts/make-samples.sh FOLDER
set -euo pipefail

out=${1:?usage: make-samples.sh FOLDER}
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

# Photos as cameras write them: 12 megapixels of noisy detail at quality 92,
# and the same with an EXIF thumbnail (a whole JPEG, FF D9 included, inside
# the APP1 segment).
convert -size 4000x3000 gradient:navy-orange -attenuate 0.6 +noise Gaussian -quality 92 camera.jpg
convert -size 160x120 gradient:red-blue -quality 80 "$work/thumbnail.jpg"
cp camera.jpg camera-exif.jpg
exiftool -q -overwrite_original "-ThumbnailImage<=$work/thumbnail.jpg" camera-exif.jpg
convert -size 640x480 plasma:fractal -seed 7 -interlace JPEG -quality 75 progressive.jpg
convert -size 1x1 xc:white tiny.jpg

# The formats the built-in tests know, as the tools write them.
exiftool -q -o camera-exif-only.jpg -JFIF:All= camera-exif.jpg
ffmpeg "${video[@]}" -movflags +faststart -brand mp42 clip-mp42.mp4
ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=25 -t 2 -c:v mpeg2video -f vob clip.mpg
ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=10 -f lavfi -i sine -t 1 -c:v wmv2 -c:a wmav2 clip.asf
# QuickTime movies older than the file-type box begin with their movie or
# data atom; ffmpeg always writes the box, so these two lose it.
ffmpeg "${video[@]}" -movflags +faststart "$work/fast.mov"
tail -c +$((0x$(xxd -p -l 4 "$work/fast.mov") + 1)) "$work/fast.mov" >clip-moov.mov
ffmpeg "${video[@]}" "$work/plain.mov"
tail -c +$((0x$(xxd -p -l 4 "$work/plain.mov") + 8 + 1)) "$work/plain.mov" >clip-mdat.mov
head -c 20000 /dev/urandom >"$work/photo.raw"
(cd "$work" && zip -q -0 "$OLDPWD/stored.zip" notes.txt photo.raw)
(cd "$work" && zip -q "$OLDPWD/deflated.zip" notes.txt photo.raw)
(cd "$work" && zip -q -fz "$OLDPWD/zip64.zip" notes.txt photo.raw)
(cd "$work" && zip -q - notes.txt photo.raw | cat >"$OLDPWD/streamed.zip")
(cd "$work" && echo "Holiday archive" | zip -q -z "$OLDPWD/commented.zip" notes.txt)
mkdir -p "$work/ole"
head -c 5000 /dev/urandom >"$work/ole/WordDocument"
printf 'compound object' >"$work/ole/CompObj"
(cd "$work/ole" && gsf createole "$OLDPWD/word.doc" WordDocument CompObj >/dev/null 2>&1)
(cd "$work/ole" && mv WordDocument Unknown && gsf createole "$OLDPWD/unknown.ole" Unknown CompObj >/dev/null 2>&1)

echo "Samples in $(pwd): $(ls | tr '\n' ' ')"
