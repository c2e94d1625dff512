#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Safe to run again: when everything is present it changes nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang-format
  clang libclang-rt-14-dev
  libirrlicht-dev libopenal-dev libvorbis-dev libloki-dev
  zlib1g-dev libpng-dev libjpeg-dev
  libx11-dev libxcursor-dev libxrandr-dev libxtst-dev libxfixes-dev libxkbcommon-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpugixml-dev
  xvfb xauth x11-apps libgl1-mesa-dri
  librsvg2-dev libcairo2-dev libfreetype-dev fonts-dejavu-core
  zip
  sox vorbis-tools
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get install -y --no-install-recommends "${missing[@]}"; then
  # A machine whose package lists are stale or empty finds nothing until they are fetched.
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
