#!/usr/bin/env bash
# Makes the sample files that the suites read, with the real tools that write
# such files: ImageMagick, exiftool, ffmpeg, zip, Ghostscript, the mingw-w64
# compiler, mkfs.fat, sfdisk and mtools for card images, and mkfs.exfat (with
# exfat-fuse on a loop device where that can be had) for exFAT ones. Made
# afresh on every run.
#
# Usage: scripts/make-samples.sh FOLDER
set -euo pipefail

out=${1:?usage: make-samples.sh FOLDER}
mkdir -p "$out"
here=$(cd "$(dirname "$0")" && pwd)
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

# A WAV whose data chunk is odd (8001 one-byte samples), so its pad byte counts.
ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=8001:duration=1 -c:a pcm_u8 sound-odd.wav
convert $picture -quality 80 photo.webp
# Pictures of many sectors: PNG in several IDAT chunks, GIF in many sub-blocks.
convert -size 200x150 -seed 5 plasma:fractal photo-large.png
convert -size 200x150 -seed 5 plasma:fractal photo-large.gif
# An MJPEG AVI whose first frame starts a sector: the title's length moves
# the frames to the next 512-byte boundary.
mjpeg=(-v error -y -f lavfi -i testsrc=size=64x48:rate=10 -t 1 -c:v mjpeg)
ffmpeg "${mjpeg[@]}" -metadata title=x "$work/mjpeg.avi"
frame=$(($(grep -obUa 00dc "$work/mjpeg.avi" | sed -n 2p | cut -d: -f1) + 8))
ffmpeg "${mjpeg[@]}" -metadata title="x$(printf '%*s' $(((512 - frame % 512) % 512)) '' | tr ' ' x)" clip-mjpeg.avi
[ "$(xxd -p -s $((frame + (512 - frame % 512) % 512)) -l 2 clip-mjpeg.avi)" = ffd8 ]

printf 'Holiday photos, June.\n' >"$work/notes.txt"
rm -f archive.zip
(cd "$work" && zip -q "$OLDPWD/archive.zip" notes.txt)

printf '%%!PS\n/Helvetica findfont 24 scalefont setfont 72 720 moveto (Vantrel) show showpage\n' >"$work/page.ps"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=document.pdf "$work/page.ps"

# MP3s as the frame walk meets them: without any tag or Xing frame, with
# both, at a variable bitrate, and MPEG-2 and 2.5 (one with an ID3v1 block).
untagged=(-id3v2_version 0 -write_xing 0)
ffmpeg "${sound[@]}" -b:a 128k "${untagged[@]}" sound-128k.mp3
ffmpeg "${sound[@]}" -b:a 320k -write_id3v1 1 -metadata title=Tone sound-320k.mp3
ffmpeg "${sound[@]}" -q:a 4 -id3v2_version 0 sound-vbr.mp3
ffmpeg "${sound[@]}" -ar 22050 -b:a 32k "${untagged[@]}" sound-22k.mp3
ffmpeg "${sound[@]}" -ar 8000 -b:a 8k "${untagged[@]}" sound-8k.mp3
ffmpeg "${sound[@]}" -ar 11025 -b:a 16k -write_id3v1 1 -metadata title=Tone sound-11k.mp3

# pdf_update SOURCE OUTPUT EOL: SOURCE with an incremental update appended (a
# new information dictionary, its cross-reference section and a trailer that
# points back at the one before), its lines ending in EOL, as the last "%%EOF".
pdf_update() {
  local eol=$3 entry=$' \n' base prev size root obj
  [ "$eol" = $'\n' ] || entry=$eol  # each cross-reference entry is 20 bytes
  base=$(stat -c %s "$1")
  prev=$(tail -c 64 "$1" | grep -a -A1 startxref | tail -1 | tr -d '\r')
  size=$(grep -a -o '/Size [0-9]*' "$1" | tail -1 | cut -d' ' -f2)
  root=$(grep -a -o '/Root [0-9]* [0-9]* R' "$1" | tail -1)
  obj="$size 0 obj${eol}<< /Title (Vantrel, updated) >>${eol}endobj${eol}"
  {
    cat "$1"
    printf '%s' "$obj"
    printf 'xref%s%d 1%s%010d 00000 n%s' "$eol" "$size" "$eol" "$base" "$entry"
    printf 'trailer%s<< /Size %d %s /Info %d 0 R /Prev %d >>%s' "$eol" $((size + 1)) "$root" "$size" "$prev" "$eol"
    printf 'startxref%s%d%s%%%%EOF%s' "$eol" $((base + ${#obj})) "$eol" "$eol"
  } >"$2"
  [ "$(grep -a -c '%%EOF' "$2")" = 2 ]
}
pdf_update document.pdf document-updated.pdf $'\n'
pdf_update document.pdf document-crlf.pdf $'\r\n'

# ffmpeg ends a program stream without the end code; camcorders and DVD
# authoring write it.
ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=25 -t 1 -c:v mpeg1video -f mpeg "$work/ended.mpg"
{ cat "$work/ended.mpg"; printf '\0\0\1\271'; } >clip-ended.mpg

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

# The formats the built-in tests know, as the tools write them. exiftool -o
# and zip do not replace an earlier run's files, so those go first.
rm -f camera-exif-only.jpg stored.zip deflated.zip zip64.zip commented.zip
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
tail -c +$((0x$(xxd -p -l 4 "$work/plain.mov") + 1)) "$work/plain.mov" >clip-wide.mov
# ISO media as phones and cameras write them: 3GP (H.263 and AAC), AAC audio
# alone, and a fragmented MP4 (a movie box without samples, then fragments).
ffmpeg -v error -y -f lavfi -i testsrc=size=128x96:rate=10 "${sound[@]}" -t 1 -c:v h263 -c:a aac -ar 8000 -ac 1 clip.3gp
ffmpeg "${sound[@]}" -c:a aac sound.m4a
ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=10 -t 2 -g 5 -c:v mpeg4 -movflags frag_keyframe+empty_moov \
  clip-fragmented.mp4
# An MJPEG MOV whose first frame starts a sector: the movie box comes first
# and the title's length moves the frames to the next 512-byte boundary.
mjpeg_mov=("${mjpeg[@]}" -f mov -movflags +faststart)
ffmpeg "${mjpeg_mov[@]}" -metadata title=x "$work/mjpeg.mov"
frame=$(($(grep -obUa mdat "$work/mjpeg.mov" | head -1 | cut -d: -f1) + 4))
ffmpeg "${mjpeg_mov[@]}" -metadata title="x$(printf '%*s' $(((512 - frame % 512) % 512)) '' | tr ' ' x)" clip-mjpeg.mov
[ "$(xxd -p -s $((frame + (512 - frame % 512) % 512)) -l 2 clip-mjpeg.mov)" = ffd8 ]
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

# TIFF as libtiff writes it (the directories after the data): in strips, in
# tiles, and of three pages; and camera RAW files built on TIFF, each with a
# JPEG preview at a sector's start (scripts/make-raw.py), that exiftool reads.
plasma="-size 200x150 -seed 3 plasma:fractal -depth 8"
convert $plasma -define tiff:endian=lsb -define tiff:rows-per-strip=16 tiff-strips.tif
convert $plasma -define tiff:endian=msb -define tiff:tile-geometry=64x64 -compress zip tiff-tiles.tif
convert -size 96x64 -seed 4 plasma:fractal \( -size 96x64 gradient:red-blue \) \( -size 48x32 xc:lime \) -depth 8 \
  -define tiff:endian=msb -compress lzw tiff-pages.tif
convert -size 160x120 -seed 6 plasma:fractal -quality 80 "$work/preview.jpg"
for raw in dng cr2 nef; do
  python3 "$here/make-raw.py" "$raw" "$work/preview.jpg" "$work/thumbnail.jpg" "camera.$raw"
  [ "$(exiftool -s3 -Error "camera.$raw")" = "" ]
done

# Card images: FAT12, FAT16 and FAT32 volumes of 512-byte sectors, filled by
# mtools as a camera and a computer would, some files deleted at the end (so
# that nothing reuses their clusters). fat-manifest.txt lists what each image
# holds: state, the path a recovery shows, the source file, and the
# modification time the entry holds (mtools writes it in TZ's local time).
export TZ=UTC MTOOLS_SKIP_CHECK=1
rm -rf fat-files
mkdir -p fat-files
printf 'Vantrel test card.\r\n' >fat-files/readme.txt
for i in $(seq 1 120); do printf 'Day %d: the lake, the hills and the old bridge.\n' "$i"; done >fat-files/notes.txt
: >fat-files/empty.dat
head -c 5000 /dev/urandom >fat-files/deep.bin
for i in 1 2 3 4 5; do convert -size 320x240 -seed "$i" plasma:fractal -quality 85 "fat-files/img$i.jpg"; done
convert -size 800x600 -seed 9 plasma:fractal -quality 90 fat-files/lake.jpg
convert -size 300x200 -seed 11 plasma:fractal fat-files/delme.jpg
convert -size 300x200 -seed 12 plasma:fractal fat-files/longdel.jpg
convert -size 200x150 -seed 13 plasma:fractal fat-files/old2.jpg
printf 'An old note.\r\n' >fat-files/old1.txt
cp sound.mp3 fat-files/sound.mp3

# state, path on the volume, path a recovery shows, source, modification time.
# A lower-case 8.3 name gets no long name (only the case flags of Windows NT),
# so it shows in capitals.
files=(
  "live|::README.TXT|\\README.TXT|readme.txt|2020-01-02 03:04:06"
  "live|::notes for the trip.txt|\\notes for the trip.txt|notes.txt|2021-06-15 10:30:20"
  "live|::EMPTY.DAT|\\EMPTY.DAT|empty.dat|2019-12-31 23:59:58"
  "live|::DCIM/100CANON/IMG_0001.JPG|\\DCIM\\100CANON\\IMG_0001.JPG|img1.jpg|2022-03-04 05:06:08"
  "live|::DCIM/100CANON/IMG_0002.JPG|\\DCIM\\100CANON\\IMG_0002.JPG|img2.jpg|2022-03-04 05:07:10"
  "live|::DCIM/100CANON/Holiday at the lake.jpg|\\DCIM\\100CANON\\Holiday at the lake.jpg|lake.jpg|2022-07-08 18:00:00"
  "deleted|::DCIM/100CANON/IMG_0005.JPG|\\DCIM\\100CANON\\@MG_0005.JPG|img5.jpg|2022-03-04 05:09:12"
  "live|::DCIM/100CANON/IMG_0003.JPG|\\DCIM\\100CANON\\IMG_0003.JPG|img3.jpg|2022-03-04 05:10:14"
  "deleted|::DELME.JPG|\\@ELME.JPG|delme.jpg|2023-01-01 00:00:00"
  "live|::Music/sound.mp3|\\Music\\SOUND.MP3|sound.mp3|2018-05-05 05:05:04"
  "deleted|::Deleted photo with long name.jpg|\\@ELETE~1.JPG|longdel.jpg|2023-02-03 04:05:06"
  "live|::DATA/A/B/C/deep.bin|\\DATA\\A\\B\\C\\DEEP.BIN|deep.bin|2017-08-09 10:11:12"
  "deleted|::OLD/OLD1.TXT|\\@LD\\@LD1.TXT|old1.txt|2016-01-01 12:00:00"
  "deleted|::OLD/OLD2.JPG|\\@LD\\@LD2.JPG|old2.jpg|2016-01-01 12:00:02"
  "live|::DCIM/100CANON/IMG_0004.JPG|\\DCIM\\100CANON\\IMG_0004.JPG|img4.jpg|2022-03-04 05:11:16"
)

# fill IMAGE: folders, then the files in order, then the deletions.
fill() {
  local image=$1 entry state volume shown source stamp
  mmd -i "$image" ::DCIM ::DCIM/100CANON ::Music ::DATA ::DATA/A ::DATA/A/B ::DATA/A/B/C ::OLD
  for entry in "${files[@]}"; do
    IFS='|' read -r state volume shown source stamp <<<"$entry"
    touch -d "$stamp" "fat-files/$source"
    mcopy -m -i "$image" "fat-files/$source" "$volume"
  done
  for entry in "${files[@]}"; do
    IFS='|' read -r state volume shown source stamp <<<"$entry"
    [ "$state" = deleted ] && [ "${volume#::OLD/}" = "$volume" ] && mdel -i "$image" "$volume"
  done
  mdeltree -i "$image" ::OLD
}

rm -f fat12.img fat16.img fat32.img card.img quick.img
truncate -s 4M fat12.img && mkfs.fat -F 12 -S 512 -s 4 -n CARD12 fat12.img >/dev/null && fill fat12.img
truncate -s 8M fat16.img && mkfs.fat -F 16 -S 512 -s 2 -n CARD16 fat16.img >/dev/null && fill fat16.img
truncate -s 36M fat32.img && mkfs.fat -F 32 -S 512 -s 1 -n CARD32 fat32.img >/dev/null && fill fat32.img
# An SD card: a partition table and a FAT32 volume from sector 8192 (4 MiB).
truncate -s 40M card.img
printf 'label: dos\nstart=8192, type=c, bootable\n' | sfdisk -q card.img
mkfs.fat -F 32 -S 512 -s 1 -h 8192 --offset 8192 -n SDCARD card.img $(((40 * 2048 - 8192) / 2)) >/dev/null
fill card.img@@4M
for entry in "${files[@]}"; do
  IFS='|' read -r state volume shown source stamp <<<"$entry"
  printf '%s\t%s\tfat-files/%s\t%s\n' "$state" "$shown" "$source" "$stamp"
done >fat-manifest.txt

# A card filled with photos and then quick-formatted: only the data is left.
quick=(camera.jpg progressive.jpg fat-files/lake.jpg photo.jpg fat-files/img1.jpg camera-exif.jpg tiny.jpg)
truncate -s 36M quick.img && mkfs.fat -F 32 -S 512 -s 1 -i 1234ABCD quick.img >/dev/null
for photo in "${quick[@]}"; do mcopy -i quick.img "$photo" "::$(basename "$photo")"; done
mkfs.fat -F 32 -S 512 -s 1 -i 1234ABCD quick.img >/dev/null
printf '%s\n' "${quick[@]}" >quick-manifest.txt

# exFAT volumes as mkfs.exfat makes them, of several sizes and cluster sizes;
# exfat-boot.txt holds what dump.exfat and exfatlabel read from each. Where
# a loop device can be had, exfat-4k.img has 4096-byte sectors (mkfs.exfat
# takes them from the device), and with exfat-fuse exfat.img gets a camera's
# folder with one file deleted; exfat-manifest.txt lists its files (state,
# path, size, modification time in UTC), and is empty where the volume stays
# empty.
exfat_images=("exfat.img 16M 4K CAMERA" "exfat-8m.img 8M 512 SMALL" "exfat-32k.img 32M 32K WIDE" "exfat-64m.img 64M 128K -"
  "exfat-4k.img 32M 4K FOURK 4096")
exfat_files=(
  "live|DCIM/100CANON/IMG_0001.JPG|5000|2022-03-04 05:06:07"
  "live|DCIM/100CANON/Holiday at the lake, seen from the hills above the old bridge.jpg|70000|2022-07-08 18:00:01"
  "deleted|DCIM/100CANON/IMG_0002.JPG|2|2022-03-04 05:07:10"
)
fill_exfat() {
  local image=$1 mount=$work/exfat-mount loop entry state path size stamp
  command -v mount.exfat-fuse >/dev/null && loop=$(losetup -f --show "$image" 2>/dev/null) || return 1
  mkdir -p "$mount"
  if ! timeout 20 mount.exfat-fuse "$loop" "$mount" >/dev/null 2>&1; then
    losetup -d "$loop"
    return 1
  fi
  mkdir -p "$mount/DCIM/100CANON"
  for entry in "${exfat_files[@]}"; do
    IFS='|' read -r state path size stamp <<<"$entry"
    head -c "$size" /dev/urandom >"$mount/$path"
    TZ=UTC touch -d "$stamp" "$mount/$path"
  done
  for entry in "${exfat_files[@]}"; do
    IFS='|' read -r state path size stamp <<<"$entry"
    [ "$state" = deleted ] && rm "$mount/$path"
  done
  umount "$mount" && losetup -d "$loop"
}
rm -f exfat*.img exfat-boot.txt
: >exfat-manifest.txt
# make_exfat IMAGE CLUSTER LABEL [SECTOR]: false when no loop device gives
# the sector size asked for.
make_exfat() {
  local image=$1 options=(-c "$2") loop
  [ "$3" = - ] || options+=(-L "$3")
  if [ -z "${4:-}" ]; then mkfs.exfat "${options[@]}" "$image" >/dev/null && return; fi
  loop=$(losetup -b "$4" -f --show "$image" 2>/dev/null) || return 1
  mkfs.exfat "${options[@]}" "$loop" >/dev/null
  losetup -d "$loop"
}
for made in "${exfat_images[@]}"; do
  read -r name size cluster label sector <<<"$made"
  truncate -s "$size" "$name"
  if ! make_exfat "$name" "$cluster" "$label" $sector; then rm "$name" && continue; fi
  if [ "$name" = exfat.img ] && fill_exfat "$name"; then printf '%s\n' "${exfat_files[@]}" >exfat-manifest.txt; fi
  fsck.exfat -n "$name" >/dev/null
  boot=$(dump.exfat "$name" | awk -F: '/Dump Boot sector/ { on = 1; next }
    on && NF == 2 { gsub(/[ \t]/, "", $2); printf "%s ", $2 } on && NF < 2 { exit }')
  printf '%s %s%s\n' "$name" "$boot" "$(exfatlabel "$name" 2>/dev/null | sed -n 's/^label: //p')"
done >exfat-boot.txt

# A camera card written through exfat-fuse, for whole runs: folders, a long
# name, a file that grew after another was written (so its clusters are no
# longer one run and the FAT holds its chain), and deleted files, one of them
# in a folder that was removed as a whole. exfat-camera-manifest.txt lists
# state, path, size and modification time in UTC; exfat-files/ holds each
# file as it was written. Then a card filled with photos and quick-formatted
# again, whose photos only the sector search can find (exfat-quick-manifest.txt
# in the order they were written). Neither is made without a loop device and
# exfat-fuse.
rm -rf exfat-camera.img exfat-quick.img exfat-files exfat-camera-manifest.txt exfat-quick-manifest.txt
: >exfat-camera-manifest.txt
: >exfat-quick-manifest.txt
camera_files=(
  "live|DCIM/100CANON/IMG_0001.JPG|5000|2022-03-04 05:06:07"
  "deleted|DCIM/100CANON/IMG_0002.JPG|40000|2022-03-04 05:07:10"
  "live|DCIM/100CANON/MVI_0003.MOV|10000|2022-03-04 05:08:00"
  "live|DCIM/100CANON/Holiday at the lake, seen from the hills above the old bridge.jpg|70000|2022-07-08 18:00:01"
  "live|DCIM/101TRIP/IMG_0101.JPG|12000|2022-08-01 10:00:00"
  "deleted|DCIM/102GONE/IMG_0201.JPG|9000|2022-08-02 11:30:00"
  "live|MISC/notes.txt|0|2022-09-01 08:00:00"
)
# mount_exfat IMAGE MOUNT: prints the loop device; false without one.
mount_exfat() {
  local loop
  command -v mount.exfat-fuse >/dev/null && loop=$(losetup -f --show "$1" 2>/dev/null) || return 1
  mkdir -p "$2"
  if ! timeout 20 mount.exfat-fuse "$loop" "$2" >/dev/null 2>&1; then
    losetup -d "$loop"
    return 1
  fi
  echo "$loop"
}
fill_camera() {
  local mount=$work/camera-mount loop entry state path size stamp
  loop=$(mount_exfat exfat-camera.img "$mount") || return 1
  for entry in "${camera_files[@]}"; do
    IFS='|' read -r state path size stamp <<<"$entry"
    mkdir -p "$mount/$(dirname "$path")" "exfat-files/$(dirname "$path")"
    head -c "$size" /dev/urandom >"exfat-files/$path"
    cp "exfat-files/$path" "$mount/$path"
  done
  # The clip grows after the photos behind it were written.
  head -c 30000 /dev/urandom >>exfat-files/DCIM/100CANON/MVI_0003.MOV
  tail -c 30000 exfat-files/DCIM/100CANON/MVI_0003.MOV >>"$mount/DCIM/100CANON/MVI_0003.MOV"
  for entry in "${camera_files[@]}"; do
    IFS='|' read -r state path size stamp <<<"$entry"
    TZ=UTC touch -d "$stamp" "$mount/$path"
  done
  rm "$mount/DCIM/100CANON/IMG_0002.JPG"
  rm -r "$mount/DCIM/102GONE"
  umount "$mount" && losetup -d "$loop"
  for entry in "${camera_files[@]}"; do
    IFS='|' read -r state path size stamp <<<"$entry"
    printf '%s|%s|%s|%s\n' "$state" "$path" "$(stat -c %s "exfat-files/$path")" "$stamp"
  done >exfat-camera-manifest.txt
}
fill_quick() {
  local mount=$work/quick-mount loop photo
  loop=$(mount_exfat exfat-quick.img "$mount") || return 1
  for photo in "${quick[@]}"; do cp "$photo" "$mount/$(basename "$photo")"; done
  umount "$mount" && losetup -d "$loop"
  mkfs.exfat -c 4K exfat-quick.img >/dev/null
  printf '%s\n' "${quick[@]}" >exfat-quick-manifest.txt
}
# A 1 MiB volume whose every sector the whole-run fuzzer can place: a folder,
# photos, one of them deleted.
fill_fuzz() {
  local mount=$work/fuzz-mount loop
  loop=$(mount_exfat exfat-fuzz.img "$mount") || return 1
  mkdir -p "$mount/DCIM/100CANON"
  cp photo.jpg "$mount/DCIM/100CANON/IMG_0001.JPG"
  cp progressive.jpg "$mount/DCIM/100CANON/IMG_0002.JPG"
  cp tiny.jpg "$mount/DCIM/100CANON/A photo with a long name.jpg"
  rm "$mount/DCIM/100CANON/IMG_0002.JPG"
  umount "$mount" && losetup -d "$loop"
}
rm -f exfat-fuzz.img
truncate -s 1M exfat-fuzz.img && mkfs.exfat -c 512 -b 4096 -L FUZZ exfat-fuzz.img >/dev/null
fill_fuzz || true
truncate -s 32M exfat-camera.img && mkfs.exfat -c 4K -L CAMERA exfat-camera.img >/dev/null
fill_camera || rm -rf exfat-camera.img exfat-files
[ -f exfat-camera.img ] && fsck.exfat -n exfat-camera.img >/dev/null
truncate -s 36M exfat-quick.img && mkfs.exfat -c 4K exfat-quick.img >/dev/null
fill_quick || rm -f exfat-quick.img

# The same camera card written by make-exfat.py instead of exfat-fuse, so
# that it is made everywhere: the files of camera_files in their order, the
# clip growing by 30000 bytes after the later ones were written, then the
# deletions. exfat-built-manifest.txt and exfat-built-files/ as for the card
# above.
rm -rf exfat-built.img exfat-built-files exfat-built-manifest.txt
truncate -s 32M exfat-built.img && mkfs.exfat -c 4K -L CAMERA exfat-built.img >/dev/null
head -c 30000 /dev/urandom >"$work/clip-end"
clip=DCIM/100CANON/MVI_0003.MOV
clip_stamp=$(printf '%s\n' "${camera_files[@]}" | awk -F'|' -v clip="$clip" '$2 == clip { print $4 }')
for entry in "${camera_files[@]}"; do
  IFS='|' read -r state path size stamp <<<"$entry"
  mkdir -p "exfat-built-files/$(dirname "$path")"
  head -c "$size" /dev/urandom >"exfat-built-files/$path"
  printf 'mkdir "%s" "%s"\nput "%s" "%s" "%s"\n' "$(dirname "$path")" "$stamp" "$path" "exfat-built-files/$path" "$stamp"
done >"$work/camera-script"
printf '%s\n' "grow $clip \"$work/clip-end\" \"$clip_stamp\"" \
  "rm DCIM/100CANON/IMG_0002.JPG" "rmdir -r DCIM/102GONE" >>"$work/camera-script"
python3 "$here/make-exfat.py" exfat-built.img "$work/camera-script"
cat "$work/clip-end" >>"exfat-built-files/$clip"
fsck.exfat -n exfat-built.img >/dev/null
for entry in "${camera_files[@]}"; do
  IFS='|' read -r state path size stamp <<<"$entry"
  printf '%s|%s|%s|%s\n' "$state" "$path" "$(stat -c %s "exfat-built-files/$path")" "$stamp"
done >exfat-built-manifest.txt

# A card of 20,000 small files in 20 folders, for the copy step's list.
rm -rf "$work/many" && mkdir -p "$work/many"
for folder in $(seq -w 1 20); do
  mkdir "$work/many/D$folder"
  for file in $(seq -w 1 1000); do printf 'file %s of folder %s\n' "$file" "$folder" >"$work/many/D$folder/F$file.TXT"; done
done
rm -f many.img && truncate -s 64M many.img && mkfs.fat -F 32 -S 512 -s 1 -n MANY many.img >/dev/null
mcopy -s -i many.img "$work/many"/* ::/

# Pictures for the picture library and the preview: four coloured quarters
# (red, lime / blue, yellow) show which way up a picture came out.
quarters() {  # WIDTHxHEIGHT OUTPUT [OPTIONS...]
  local w=${1%x*} h=${1#*x} out=$2
  shift 2
  convert -size "$((w / 2))x$((h / 2))" xc:red xc:lime +append \
    \( -size "$((w / 2))x$((h / 2))" xc:blue xc:yellow +append \) -append "$@" "$out"
}
quarters 64x32 pane-64x32.jpg
quarters 4000x3000 pane-4000x3000.jpg -quality 90
quarters 6000x4000 "$work/pane-24mp.png"
convert "$work/pane-24mp.png" -attenuate 0.4 +noise Gaussian -quality 90 pane-24mp.jpg
quarters 640x480 pane-progressive.jpg -interlace JPEG
quarters 64x32 pane.bmp
quarters 64x32 pane.gif
quarters 64x32 pane-ii.tif -define tiff:endian=lsb
quarters 64x32 pane-mm.tif -define tiff:endian=msb
quarters 1600x1200 pane-landscape.jpg -quality 85
# Upright 300 x 400; stored lying on its side, the tag says turn it clockwise.
quarters 300x400 "$work/upright.png"
convert "$work/upright.png" -rotate -90 pane-portrait.jpg
exiftool -q -overwrite_original -Orientation#=6 pane-portrait.jpg
# Lime, half transparent over the left half, clear over the right.
convert -size 32x32 xc:"rgba(0,255,0,0.5)" -size 32x32 xc:none +append +repage PNG32:pane-alpha.png
# A camera's clip: the video names the clip, its picture is the THM beside it.
ffmpeg "${video[@]}" -metadata title=MVI_0001 pane-clip.avi
quarters 160x120 JPEG:MVI_0001.THM

echo "Samples in $(pwd): $(ls | tr '\n' ' ')"
