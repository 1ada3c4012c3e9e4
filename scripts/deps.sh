#!/usr/bin/env bash
# Installs the Debian packages Pencora needs to build, test and run, where any is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang clang-format-16
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libxml2-dev zlib1g-dev liblzma-dev libjpeg62-turbo-dev
  libsdl2-dev libsndfile1-dev libavcodec-dev libavformat-dev libavutil-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-core fonts-noto-cjk fonts-arphic-ukai fonts-arphic-uming fonts-wqy-zenhei
  xvfb xauth
  dpkg-dev file desktop-file-utils appstream xdotool x11-utils imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
