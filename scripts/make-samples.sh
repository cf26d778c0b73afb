#!/usr/bin/env bash
# Makes the sample files that the suites read, with the real tools that write
# such files (ImageMagick, exiftool), afresh on every run.
#
# Usage: scripts/make-samples.sh FOLDER
set -euo pipefail

out=${1:?usage: make-samples.sh FOLDER}
mkdir -p "$out"
cd "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Photos as cameras write them: 12 megapixels of noisy detail at quality 92,
# and the same with an EXIF thumbnail (a whole JPEG, FF D9 included, inside
# the APP1 segment).
convert -size 4000x3000 gradient:navy-orange -attenuate 0.6 +noise Gaussian -quality 92 camera.jpg
convert -size 160x120 gradient:red-blue -quality 80 "$work/thumbnail.jpg"
cp camera.jpg camera-exif.jpg
exiftool -q -overwrite_original "-ThumbnailImage<=$work/thumbnail.jpg" camera-exif.jpg
convert -size 640x480 plasma:fractal -seed 7 -interlace JPEG -quality 75 progressive.jpg
convert -size 1x1 xc:white tiny.jpg

echo "Samples in $(pwd): $(ls | tr '\n' ' ')"
