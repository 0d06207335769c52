#!/usr/bin/env bash
# Checks the runtime as an SDK and the two Debian packages, from a finished
# build, the way a programmer meets them:
#
#   scripts/sdk_check.sh [BUILD_DIR]
#
#  1. installs into a temporary prefix: nothing of platform/ or the build
#     tree in it;
#  2. brakmor-new refuses a non-empty folder, a bad name and an unwritable
#     target, and changes nothing;
#  3. a new program from the template builds out of tree against the prefix
#     with plain CMake, a one-file program with pkg-config --static; both
#     run headless and draw a picture that is not blank;
#  4. CPack makes libbrakmor-dev and zelvo2; unpacked into a folder, the
#     game flies the autopilot replay to "game complete" from there, and the
#     template builds against the unpacked SDK; lintian finds no error.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
scripts=$PWD/scripts
build=$(cd "${1:-build}" && pwd) || { echo "sdk: no build folder ${1:-build}"; exit 1; }
work=$(mktemp -d /tmp/brakmor_sdk_XXXXXX)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
export TMPDIR=$work XDG_DATA_HOME=$work/xdg
failures=0
started=$SECONDS

step() { printf '== sdk: %s (%ds)\n' "$1" $((SECONDS - started)); }
fail() {
  echo "FAIL sdk: $1"
  failures=$((failures + 1))
}
quiet() {
  local log=$work/last.log
  if ! "$@" >"$log" 2>&1; then
    tail -n 30 "$log"
    return 1
  fi
}

# Distinct colours of a PNG (8-bit RGB or RGBA, not interlaced): one means
# a blank picture.
png_colours() {
  python3 - "$1" "$scripts" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from png_rows import read_png
width, height, channels, rows = read_png(sys.argv[1])
print(len({r[i:i + channels] for r in rows for i in range(0, width * channels, channels)}))
PY
}

# Runs a program headless for 30 frames and checks frame 20's picture.
runs_and_draws() {
  local what=$1 program=$2 shot=$work/$1.png
  if ! quiet "$program" --unpaced --frames 30 --shot 20 "$shot"; then
    fail "$what did not run to its frame limit"
    return
  fi
  local colours
  colours=$(png_colours "$shot" 2>&1)
  if ! [ "$colours" -gt 1 ] 2>/dev/null; then
    fail "$what drew a blank picture ($colours)"
  fi
}

# ---- 1. install ----
step "install into a temporary prefix"
prefix=$work/prefix
quiet cmake --install "$build" --prefix "$prefix" || fail "cmake --install"
[ -f "$prefix/include/brakmor/runtime.h" ] || fail "no include/brakmor/runtime.h"
for file in lib/libbrakmor.a lib/libbrakmor_main.a lib/cmake/Brakmor/BrakmorConfig.cmake \
  lib/cmake/Brakmor/BrakmorConfigVersion.cmake lib/pkgconfig/brakmor.pc bin/sbxpack bin/objconv \
  bin/brakmor-new share/brakmor/template/main.cpp share/brakmor/template/assets/sprite.png \
  share/doc/brakmor/README.md; do
  [ -e "$prefix/$file" ] || fail "the prefix has no $file"
done
if [ -e "$prefix/include/brakmor/runtime/platform" ] ||
  find "$prefix/include" -name '*_internal.h' -o -name '*_service.h' | grep -q .; then
  fail "internal headers were installed"
fi
if grep -rIl -- "$build" "$prefix" | grep -q .; then
  fail "installed files name the build tree: $(grep -rIl -- "$build" "$prefix" | head -n 3)"
fi

# ---- 2. brakmor-new on bad input ----
step "brakmor-new refuses bad input"
new=$prefix/bin/brakmor-new
sandbox=$work/sandbox
mkdir -p "$sandbox/full" && echo keep >"$sandbox/full/notes.txt"
listing() { find "$sandbox" -printf '%p %s %T@ %m\n' | sort; }
refuses() {
  local why=$1; shift
  local before after
  before=$(listing)
  if "$new" "$@" >"$work/out.txt" 2>"$work/err.txt"; then
    fail "brakmor-new accepted $why"
    return
  fi
  after=$(listing)
  grep -q "brakmor-new: " "$work/err.txt" || fail "brakmor-new said nothing about $why"
  [ "$before" = "$after" ] || fail "brakmor-new changed files for $why"
}
refuses "a folder that is not empty" demo "$sandbox/full"
refuses "a name with a dash" my-game "$sandbox/a"
refuses "a name starting with a digit" 9lives "$sandbox/b"
refuses "a C++ keyword" class "$sandbox/c"
refuses "a CMake target name" test "$sandbox/d"
refuses "a file as the folder" demo "$sandbox/full/notes.txt"
refuses "a folder below a missing one" demo "$sandbox/missing/demo"
if [ "$(id -u)" -eq 0 ]; then
  # Root writes anywhere a file system lets it; /proc takes no folders.
  refuses "an unwritable place" demo /proc/brakmor_demo
else
  mkdir -p "$sandbox/locked" && chmod 555 "$sandbox/locked"
  refuses "an unwritable place" demo "$sandbox/locked/demo"
fi

# ---- 3. programs against the prefix ----
step "brakmor-new, configure, build and run against the prefix"
t0=$SECONDS
if quiet "$new" demo "$work/demo" &&
  quiet cmake -S "$work/demo" -B "$work/demo/build" &&
  quiet cmake --build "$work/demo/build"; then
  runs_and_draws template "$work/demo/build/demo"
  echo "   new, configure, build, run: $((SECONDS - t0)) s"
else
  fail "the template did not build against the prefix"
fi

step "a one-file program with pkg-config --static"
cat >"$work/one.cpp" <<'CPP'
#include <brakmor/runtime.h>

#include <string>

void ProgramStart(void* instance, void* previous, const char* commandLine, int show) {
  const std::string rest = UseStandardOptions(commandLine, "one");
  ProjectSettings settings;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(instance, previous, rest.c_str(), show, "one");
  if (!MainWindowHandle()) FatalRuntimeError(kErrInvalidArgument);
  for (int frame = 0;; ++frame) {
    FillRect(0, 0, 320, 240, 0x804020);
    FillRect(frame * 4 % 280, 100, 40, 40, 0x40C0FF);
    DrawText(RtString("one file"), 8, 8);
    EndFrame();
  }
}
CPP
# shellcheck disable=SC2046
if quiet g++ -o "$work/one" "$work/one.cpp" \
  $(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs --static brakmor); then
  runs_and_draws one-file "$work/one"
else
  fail "the one-file program did not build with pkg-config --static"
fi

# ---- 4. packages ----
step "build the Debian packages"
rm -rf "$build/packages"
if ! quiet cpack --config "$build/CPackConfig.cmake" -B "$build/packages"; then
  fail "cpack"
fi
sdk_deb=$(find "$build/packages" -maxdepth 1 -name 'libbrakmor-dev_*.deb' | head -n 1)
game_deb=$(find "$build/packages" -maxdepth 1 -name 'zelvo2_*.deb' | head -n 1)
[ -n "$sdk_deb" ] && [ -n "$game_deb" ] || fail "cpack made no libbrakmor-dev or zelvo2 package"

if [ -n "$sdk_deb" ] && [ -n "$game_deb" ]; then
  root=$work/unpacked
  dpkg-deb -x "$sdk_deb" "$root" && dpkg-deb -x "$game_deb" "$root" || fail "dpkg-deb -x"

  step "the unpacked game flies the autopilot to game complete"
  trace=$work/autopilot.jsonl
  before=$(find "$root" | sort)
  if quiet "$root/usr/games/zelvo2" --autopilot --unpaced --trace "$trace"; then
    grep -q '"screen":8,' "$trace" || fail "the unpacked game did not reach game complete"
  else
    fail "the unpacked game did not run"
  fi
  [ "$before" = "$(find "$root" | sort)" ] || fail "the game wrote into its unpacked folder"
  [ -f "$XDG_DATA_HOME/zelvo2/Hiscores.dat" ] || fail "no hiscore table in XDG_DATA_HOME"

  step "the template against the unpacked SDK"
  if quiet "$root/usr/bin/brakmor-new" packaged "$work/packaged" &&
    quiet cmake -S "$work/packaged" -B "$work/packaged/build" -DCMAKE_PREFIX_PATH="$root/usr" &&
    quiet cmake --build "$work/packaged/build"; then
    grep -q "$root/usr" "$work/packaged/build/CMakeCache.txt" ||
      fail "the template found another SDK than the unpacked one"
    runs_and_draws packaged "$work/packaged/build/packaged"
  else
    fail "the template did not build against the unpacked SDK"
  fi

  if command -v lintian >/dev/null; then
    step "lintian"
    lintian --tag-display-limit 0 "$sdk_deb" "$game_deb" >"$work/lintian.txt" 2>&1
    cat "$work/lintian.txt"
    if grep -q '^E: ' "$work/lintian.txt"; then fail "lintian reports errors"; fi
  fi
fi

if [ "$failures" -eq 0 ]; then
  echo "sdk: all checks passed in $((SECONDS - started)) s"
  exit 0
fi
echo "sdk: $failures check(s) failed"
exit 1
