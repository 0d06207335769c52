#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, but only
# those that are missing, so a second call is quiet and takes a moment.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format git
  clang libclang-rt-14-dev
  libsdl2-dev libsdl2-mixer-dev libmpv-dev libpng-dev liblzo2-dev zlib1g-dev
  libcairo2-dev libmp3lame-dev libmpg123-dev
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
  libgl-dev libgl1-mesa-dri libegl-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils xfonts-base openbox
  python3 doxygen dpkg-dev lintian
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

echo "deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "deps: done"
