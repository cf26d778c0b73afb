#!/usr/bin/env bash
# Renders every page of the help sources with headless Chromium (Debian
# package chromium), as a reader of the help window would see it, into
# build/help-shots/PAGE.png. For looking at the pages, not part of the tests.
#
# Usage: scripts/help-screenshots.sh [WIDTH x HEIGHT, default 760x900]
set -euo pipefail
cd "$(dirname "$0")/.."

size=${1:-760x900}
browser=$(command -v chromium || true)
if [ -z "$browser" ]; then
  echo "chromium is missing: apt-get install chromium" >&2
  exit 1
fi
shots=build/help-shots
mkdir -p "$shots"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

for page in help/*.htm; do
  name=$(basename "$page" .htm)
  rm -f "$shots/$name.png"
  # Pages may not reach outside the file: the network stays off.
  "$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --user-data-dir="$profile" --proxy-server=127.0.0.1:9 --proxy-bypass-list='<-loopback>' \
    --window-size="${size/x/,}" --screenshot="$PWD/$shots/$name.png" \
    "file://$PWD/$page" >/dev/null 2>&1
  if [ ! -s "$shots/$name.png" ]; then
    echo "no screenshot of $page" >&2
    exit 1
  fi
  echo "$shots/$name.png"
done
