#!/usr/bin/env bash
# The game and the music tests on one machine at once, sharing one
# temporary directory as two programs of a user do: the game flies its
# replay over and over while the music tests unpack, open and reopen their
# archived pieces. Both must pass, and neither leaves an unpacked file
# behind.
#
#   side_by_side.sh ZELVO2 TEST_AUDIO
set -u
game=$1
music_tests=$2
run_dir=$(dirname "$game")
shared=$(mktemp -d "${TMPDIR:-/tmp}/side_by_side_XXXXXX")
trap 'rm -rf "$shared"' EXIT
export TMPDIR=$shared
# The audio tests keep to this folder instead of making one of their own.
export RT_TEST_TMPDIR=$shared

(
  runs=0
  while [ ! -e "$shared/stop" ]; do
    if ! "$game" --replay "$run_dir/autopilot.replay" --unpaced --frames 2400 \
      >>"$shared/game.log" 2>&1; then
      echo "game run $runs failed" >>"$shared/game.failed"
    fi
    runs=$((runs + 1))
  done
  echo "$runs" >"$shared/game.runs"
) &
loop=$!

"$music_tests" --gtest_filter='Music.*' --gtest_repeat=15 --gtest_brief=1 >"$shared/music.log" 2>&1
music=$?
touch "$shared/stop"
wait "$loop"

status=0
if [ $music -ne 0 ]; then
  echo "music tests failed beside the game:"
  grep -E 'Failure|FAILED|error' -A4 "$shared/music.log" | head -n 40
  status=1
fi
if [ -e "$shared/game.failed" ]; then
  echo "the game failed beside the music tests:"
  cat "$shared/game.failed"
  tail -n 20 "$shared/game.log"
  status=1
fi
echo "game runs: $(cat "$shared/game.runs" 2>/dev/null || echo 0)"
left=$(find "$shared" -mindepth 1 -maxdepth 1 -name 'brakmor-*' | wc -l)
if [ "$left" -ne 0 ]; then
  echo "unpacked folders left behind: $left"
  status=1
fi
exit $status
