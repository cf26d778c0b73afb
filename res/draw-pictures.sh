#!/usr/bin/env bash
# Draws the executable's pictures with ImageMagick: the icon (16 to 256
# pixels), the logo, the banner and the button images.
#
# The motif is a memory card holding a photograph, with a green "bring back"
# badge. Pictures are drawn large and scaled down, so that edges are smooth.
# Button images sit on RGB(192,192,192) wherever the dialog's panel colour is
# to show through; the logo sits on the main window's own gradient, so that it
# needs no transparency.
#
# Usage: draw-pictures.sh OUTPUT_FOLDER
set -euo pipefail

out=${1:?usage: draw-pictures.sh OUTPUT_FOLDER}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Main window palette.
panel='rgb(224,227,219)'
see_through='rgb(192,192,192)'

# Writes a 24-bit Windows bitmap, the form LoadBitmap takes everywhere.
bmp() { convert "$1" -background "$2" -alpha remove -alpha off -type TrueColor "BMP3:$3"; }

# ---- The card, drawn on a transparent 512 x 512 canvas ---------------------
card_master() {
  convert -size 512x512 xc:none \
    -fill 'rgba(0,0,0,0.22)' -draw "roundrectangle 124,60 412,490 36,36" -blur 0x10 \
    \( -size 512x512 xc:none \
       -fill '#1f5fae' -stroke '#163f78' -strokewidth 8 \
       -draw "path 'M 144,40 L 326,40 L 400,114 L 400,436 Q 400,472 364,472 L 148,472 Q 112,472 112,436 L 112,72 Q 112,40 144,40 Z'" \
       -stroke none -fill '#2c76cc' \
       -draw "path 'M 150,52 L 320,52 L 388,120 L 388,250 L 124,250 L 124,76 Q 124,52 150,52 Z'" \
       -fill '#f2c94c' -stroke '#b8901f' -strokewidth 3 \
       -draw "roundrectangle 150,66 174,122 5,5" \
       -draw "roundrectangle 188,66 212,122 5,5" \
       -draw "roundrectangle 226,66 250,122 5,5" \
       -draw "roundrectangle 264,66 288,122 5,5" \
       -draw "roundrectangle 302,66 326,118 5,5" \
       -stroke none -fill white -draw "roundrectangle 142,150 370,444 20,20" \
    \) -composite \
    \( -size 196x252 gradient:'#7cc6f5'-'#dff3ff' \
       -fill '#ffd23f' -draw "circle 140,62 140,92" \
       -fill '#7bbf5a' -draw "path 'M 0,170 Q 60,110 120,150 T 196,130 L 196,252 L 0,252 Z'" \
       -fill '#3f8f3c' -draw "path 'M 0,214 Q 80,150 196,206 L 196,252 L 0,252 Z'" \
       \( +clone -alpha extract -fill black -colorize 100 -fill white -draw "roundrectangle 0,0 195,251 12,12" \) \
       -alpha off -compose CopyOpacity -composite \
    \) -geometry +158+166 -compose Over -composite \
    -fill 'rgba(0,0,0,0.25)' -draw "circle 396,402 396,300" \
    -fill white -draw "circle 392,392 392,286" \
    -fill '#1f9d4a' -draw "circle 392,392 392,300" \
    -fill none -stroke white -strokewidth 22 -draw "path 'M 417,349 A 50,50 0 1,1 347,370'" \
    -stroke none -fill white -draw "polygon 366,338 318,361 370,391" \
    "$work/card.png"
}

# The card for the smallest icons: fewer, bolder shapes that survive 16 and
# 24 pixels (no contacts, a plain photo, a thick arrow).
small_card_master() {
  convert -size 512x512 xc:none \
    -fill '#1f5fae' -stroke '#163f78' -strokewidth 16 \
    -draw "path 'M 144,40 L 326,40 L 400,114 L 400,436 Q 400,472 364,472 L 148,472 Q 112,472 112,436 L 112,72 Q 112,40 144,40 Z'" \
    -stroke none -fill white -draw "rectangle 150,150 362,440" \
    -fill '#7cc6f5' -draw "rectangle 170,170 342,330" \
    -fill '#3f8f3c' -draw "rectangle 170,330 342,420" \
    -fill '#ffd23f' -draw "circle 290,230 290,262" \
    -fill white -draw "circle 392,392 392,270" \
    -fill '#1f9d4a' -draw "circle 392,392 392,290" \
    -fill none -stroke white -strokewidth 34 -draw "path 'M 417,349 A 50,50 0 1,1 347,370'" \
    -stroke none -fill white -draw "polygon 372,326 306,362 378,400" \
    -trim +repage -background none -gravity center -extent 470x470 \
    "$work/card-small.png"
}

# The window's background gradient behind the logo: 10-pixel bands of
# (204,209,194) less 100/47 per band, as the window paints them at 700 x 500.
logo_background() {
  local width=$1 height=$2 top=$3 args=() y band
  for ((y = 0; y < height; y++)); do
    band=$(((top + y) / 10))
    args+=(-fill "rgb($(((204 * 47 - 100 * band) / 47)),$(((209 * 47 - 100 * band) / 47)),$(((194 * 47 - 100 * band) / 47)))"
      -draw "line 0,$y $((width - 1)),$y")
  done
  convert -size "${width}x${height}" xc:none "${args[@]}" "$work/logo-background.png"
}

card_master
# The card without the empty canvas round it, and as a square for icons.
convert "$work/card.png" -trim +repage "$work/card-trimmed.png"
convert "$work/card-trimmed.png" -background none -gravity center -extent 470x470 "$work/card-square.png"

# Icon 160: every size from the one master.
sizes=(256 128 64 48 32 24 16)
icons=()
small_card_master
for size in "${sizes[@]}"; do
  master="$work/card-square.png"
  if [ "$size" -le 24 ]; then master="$work/card-small.png"; fi
  convert "$master" -filter Lanczos -resize "${size}x${size}" "PNG32:$work/icon-$size.png"
  icons+=("$work/icon-$size.png")
done
convert "${icons[@]}" "$out/Vantrel.ico"

# Logo 132: 60 pixels high, drawn at (5, 5) on the window; the card keeps a
# few pixels off the window's outline.
convert "$work/card-trimmed.png" -filter Lanczos -resize x52 "$work/logo-card.png"
logo_width=$(($(identify -format '%w' "$work/logo-card.png") + 8))
logo_background "$logo_width" 60 5
convert "$work/logo-background.png" "$work/logo-card.png" -geometry +5+4 -compose Over -composite "$work/logo.png"
bmp "$work/logo.png" none "$out/logo.bmp"

# Banner 131: a strip of film, tiled across the window below its top band.
convert -size 24x16 xc:'rgb(66,72,58)' \
  -fill 'rgb(128,134,116)' -draw "line 0,0 23,0" \
  -fill 'rgb(40,44,34)' -draw "line 0,15 23,15" \
  -fill 'rgb(98,104,88)' -draw "line 0,1 23,1" \
  -fill "$panel" -draw "roundrectangle 7,5 16,10 2,2" \
  "$work/banner.png"
bmp "$work/banner.png" none "$out/banner.bmp"

# ---- Button images ----------------------------------------------------------
# Drawn eight times larger on the panel colour, scaled down, and the panel
# colour (give or take the smoothing) turned into the see-through grey.
button() {
  local name=$1 size=$2
  shift 2
  local big=$((size * 8))
  convert -size "${big}x${big}" xc:"$panel" "$@" -filter Lanczos -resize "${size}x${size}" \
    -fuzz 2% -fill "$see_through" -opaque "$panel" "$work/$name.png"
  bmp "$work/$name.png" "$see_through" "$out/$name.bmp"
}

# An arrow pointing right on a 256 canvas; mirrored for Back.
arrow="path 'M 40,100 L 132,100 L 132,46 Q 132,36 142,42 L 224,120 Q 232,128 224,136 L 142,214 Q 132,220 132,210 L 132,156 L 40,156 Q 30,156 30,146 L 30,110 Q 30,100 40,100 Z'"
button next 32 -fill '#2aa84f' -stroke '#1b7a37' -strokewidth 10 -draw "$arrow"
button next-disabled 32 -fill 'rgb(150,150,150)' -stroke 'rgb(120,120,120)' -strokewidth 10 -draw "$arrow"
button back 32 -fill '#3d7fd1' -stroke '#24579a' -strokewidth 10 -draw "$arrow" -flop

button browse 20 \
  -fill '#e0a93a' -stroke '#9a6d17' -strokewidth 8 \
  -draw "path 'M 14,40 L 62,40 L 76,56 L 146,56 L 146,138 L 14,138 Z'" \
  -fill '#f7c95c' -draw "path 'M 14,138 L 34,74 L 158,74 L 146,138 Z'"

button copy 32 \
  -fill white -stroke '#5a6a7a' -strokewidth 10 \
  -draw "path 'M 40,24 L 128,24 L 160,56 L 160,180 L 40,180 Z'" \
  -draw "path 'M 96,76 L 184,76 L 216,108 L 216,232 L 96,232 Z'" \
  -fill '#7cc6f5' -stroke none -draw "rectangle 114,128 198,204" \
  -fill '#3f8f3c' -draw "path 'M 114,204 L 140,168 L 160,186 L 176,164 L 198,204 Z'"

button refresh 20 \
  -fill none -stroke '#2c76cc' -strokewidth 22 \
  -draw "path 'M 120,57 A 46,46 0 1,1 61,38'" \
  -stroke none -fill '#2c76cc' -draw "polygon 102,23 41,9 65,73"

button clear 20 \
  -fill white -stroke '#5a6a7a' -strokewidth 10 -draw "roundrectangle 22,22 138,138 14,14" \
  -stroke '#d23c2a' -strokewidth 20 -draw "line 52,52 108,108" -draw "line 108,52 52,108"

echo "Pictures drawn in $out"
