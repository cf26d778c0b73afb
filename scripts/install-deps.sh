#!/usr/bin/env bash
# Installs the Debian packages that building and testing Vantrel need, and only
# those that are missing. Runs as root, or through sudo when it is available.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  googletest libbenchmark-dev
  mingw-w64
  wine wine64 fonts-wine
  xvfb xauth x11-apps imagemagick libimage-exiftool-perl sox
  fonts-liberation fonts-comic-neue fonts-dejavu-extra
  dosfstools mtools fdisk exfatprogs exfat-fuse
  ffmpeg zip ghostscript libgsf-bin xxd python3 locales
  clang libclang-rt-14-dev
  fp-utils libchm-bin proot
  nsis xdotool unzip
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "All build packages are installed."
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then as_root=(sudo); else
    echo "Installing ${missing[*]} needs root." >&2
    exit 1
  fi
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q "${missing[@]}"
