#!/usr/bin/env bash
# Installs the Debian packages Quillmoor needs to build, generate its content,
# run and test. Only Debian's own package archive is used; nothing else is
# downloaded. Packages already present are left alone.
set -euo pipefail

packages=(
  # build tools
  build-essential cmake ninja-build pkg-config clang
  # the game: window, input, audio device, images, archive, sound, movie,
  # fast screenshots, fast picture data
  libsdl2-dev libsdl2-image-dev libzip-dev libogg-dev libvorbis-dev libtheora-dev libpng-dev
  libdeflate-dev
  # tests and benchmarks (the kill and full-disk tests are Python scripts)
  libgtest-dev libbenchmark-dev python3
  # content tools: fonts and placeholder art
  libfreetype-dev libcairo2-dev libvorbis-dev fonts-dejavu-core fonts-dejavu-extra fonts-urw-base35
  # the pictures of things: the colour emoji font's glyphs
  fonts-noto-color-emoji
  # a display for looking at the real window without a desktop, and clicks
  # into it (make window-memory)
  xvfb xauth xdotool
  # installing and packaging: checking the desktop entry and metadata,
  # building the .deb and working out its dependencies
  desktop-file-utils appstream dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages are present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "install-deps: done"
