#!/usr/bin/env bash
# Holds the runtime's dependency order: a file may include headers of its
# own subsystem and of the layers its subsystem is built on, never of one
# above; only runtime/platform/ includes SDL, SDL_mixer, mpv or FFmpeg; only
# runtime/render/ (and the movie player in runtime/platform/) includes
# OpenGL or a render header that exposes it; the game sees the runtime only
# through runtime/runtime.h, and so do the examples. Prints every breach
# and fails when there is one.
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

declare -A allowed=(
  [platform]="platform"
  [core]="platform core"
  [render]="platform core render"
  [files]="platform core files"
  [net]="platform core files net"
  [pathplan]="platform core pathplan"
  [input]="platform core render input"
  [gfx2d]="platform core render files gfx2d"
  [host]="platform core render files host"
  [audio]="platform core render files input audio"
  [gfx3d]="platform core render files gfx2d gfx3d"
  [frame]="platform core render files net pathplan input gfx2d host audio gfx3d frame"
)

# Render headers that include OpenGL themselves, as one alternation.
gl_headers=$(grep -lE '^\s*#\s*include\s*[<"]GL/' runtime/render/*.h 2>/dev/null |
  xargs -r -n1 basename | sed 's/\./\\./g' | paste -sd'|')
gl_headers=${gl_headers:-no-such-header}

breaches=0
breach() {
  echo "layer breach: $1"
  breaches=$((breaches + 1))
}

while IFS= read -r -d '' file; do
  rel=${file#./}
  sub=$(echo "$rel" | cut -d/ -f2)
  [ "$rel" = "runtime/runtime.h" ] && continue
  deps=${allowed[$sub]:-}
  if [ -z "$deps" ]; then
    breach "$rel: runtime/$sub is not a known subsystem (add it to scripts/check_layers.sh)"
    continue
  fi
  while IFS= read -r line; do
    target=$(echo "$line" | sed -E 's/.*#include "runtime\/([^/"]+).*/\1/')
    [ "$target" = "runtime.h\"" ] && target=runtime.h
    if [[ " $deps " != *" $target "* ]]; then
      breach "$rel includes runtime/$target, which is above runtime/$sub"
    fi
  done < <(grep -E '^\s*#\s*include "runtime/' "$file")
  if [ "$sub" != platform ] &&
    grep -Eq '^\s*#\s*include\s*[<"](SDL[^>"]*|mpv/[^>"]*|libav[a-z]*/[^>"]*|libsw[a-z]*/[^>"]*)[>"]' "$file"; then
    breach "$rel includes SDL, SDL_mixer, mpv or FFmpeg outside runtime/platform/"
  fi
  # The movie player's platform code saves and restores the GL state libmpv
  # draws with; everything else draws through the render layer, whose GL
  # entry points header stays inside it.
  case "$sub" in
    platform | render) ;;
    *)
      if grep -Eq "^\s*#\s*include\s*[<\"](GL/|runtime/render/($gl_headers)[>\"])" "$file"; then
        breach "$rel includes OpenGL outside runtime/render/ and runtime/platform/"
      fi
      ;;
  esac
done < <(find ./runtime \( -name '*.h' -o -name '*.cpp' \) -print0)

if [ -d game ]; then
  while IFS= read -r hit; do
    breach "$hit (the game uses runtime/runtime.h only)"
  done < <(grep -rEn '^\s*#\s*include\s*[<"](runtime/(platform|core|render|files|net|pathplan|input|gfx2d|host|audio|gfx3d|frame)/|SDL|GL/|mpv/)' game || true)
fi

# The examples are what a programmer copies from: they use the public
# header alone, as a program outside this repository must.
if [ -d examples ]; then
  while IFS= read -r hit; do
    breach "$hit (examples use runtime/runtime.h only)"
  done < <(grep -rEn '^\s*#\s*include\s*[<"](runtime/|SDL|GL/|mpv/)' examples |
    grep -Ev '#\s*include\s*[<"]runtime/runtime\.h[>"]' || true)
fi

if [ "$breaches" -gt 0 ]; then
  echo "$breaches layer breach(es)"
  exit 1
fi
echo "layers: every include points down"
