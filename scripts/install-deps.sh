#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Does nothing when every package is already present.
set -eu
packages=(
  g++ cmake make pkg-config
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev libopencv-videoio-dev
  libpng-dev
  libopencv-video-dev libopencv-contrib-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libglut-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libgtest-dev
  libfreetype-dev fonts-dejavu-core
  xvfb xauth xdotool imagemagick ffmpeg
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
