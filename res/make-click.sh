#!/usr/bin/env bash
# Makes the click of the caption and step buttons with sox: a soft, short tick
# (a 1.6 kHz tone over a touch of noise, faded out within 30 ms), 16-bit mono.
#
# Usage: make-click.sh OUTPUT.wav
set -euo pipefail

out=${1:?usage: make-click.sh OUTPUT.wav}
sox -n -r 22050 -c 1 -b 16 "$out" synth 0.03 sine 1600 synth 0.03 pinknoise mix \
  fade q 0.001 0.03 0.026 vol 0.5
