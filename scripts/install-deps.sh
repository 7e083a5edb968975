#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Corvid needs.
# Idempotent: packages already present are skipped, so a second run costs
# only a dpkg query. Runs apt-get as root, or through sudo otherwise.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config make
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libstb-dev libtiff-dev
  qt6-base-dev libqt6opengl6-dev libepoxy-dev libegl-dev libegl-mesa0
  libgl1-mesa-dri libgl-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  xvfb xauth
  ccache
  lib3ds-dev libassimp-dev assimp-utils zlib1g-dev libtinyobjloader-dev
  libcgal-dev libgmp-dev libmpfr-dev libspnav-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
