#!/usr/bin/env bash
# Installs what is missing, builds the project twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in both,
# then gives every parser a short dose of fuzzing.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh || exit 1
jobs=$(nproc)
status=0

# The cheapest check first: every include points down the layers.
scripts/check_layers.sh || status=1

run_suite() {
  local dir=$1; shift
  echo "== build $dir"
  mkdir -p "$dir"
  cmake -S . -B "$dir" "$@" >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; return 1; }
  if ! cmake --build "$dir" -j"$jobs" >"$dir/build.log" 2>&1; then
    grep -E -A5 'error|Error' "$dir/build.log" | head -n 80
    echo "build of $dir failed (full log: $dir/build.log)"; return 1
  fi
  grep -E 'warning:' "$dir/build.log" | sort -u | head -n 40
  echo "== test $dir"
  ctest --test-dir "$dir" -j"$jobs" -E '^e2e\.' --output-on-failure --timeout 900 2>&1 | tail -n 40
  local unit=${PIPESTATUS[0]}
  # The end-to-end runs type into real windows under Xvfb and wait on what
  # a busy machine shows late; one that fails gets one more try.
  echo "== end-to-end $dir"
  ctest --test-dir "$dir" -R '^e2e\.' --repeat until-pass:2 --output-on-failure --timeout 300 \
    2>&1 | tail -n 40
  local e2e=${PIPESTATUS[0]}
  [ "$unit" -eq 0 ] && [ "$e2e" -eq 0 ]
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo || status=1

# Every test binary once whole in the plain build: ctest's one process per
# case hides a test that leaves the directory, the environment or the
# engine changed for the next.
echo "== whole binaries build"
scripts/whole_binaries.sh build || status=1

# The runtime as an SDK: install, a new program built against it, the
# Debian packages unpacked and run (a few minutes, on the plain build).
echo "== sdk and packages"
scripts/sdk_check.sh build || status=1
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON || status=1

# ThreadSanitizer over the subsystems that run threads of their own: the
# network workers, the sound device's callback and the host's child waiter.
# Only their test binaries are built, each run whole.
echo "== build build-tsan"
tsan_targets=(test_net test_audio test_host)
mkdir -p build-tsan
if cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=thread \
     >build-tsan/configure.log 2>&1 &&
   cmake --build build-tsan -j"$jobs" --target "${tsan_targets[@]}" >build-tsan/build.log 2>&1; then
  echo "== test build-tsan"
  for target in "${tsan_targets[@]}"; do
    binary=$(find build-tsan/tests -type f -name "$target" -perm -u+x | head -n 1)
    log=build-tsan/$target.log
    if SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1 \
       TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
       timeout -k 10 1200 "$binary" --gtest_brief=1 >"$log" 2>&1; then
      echo "tsan $target: passed"
    else
      echo "tsan $target: FAILED (log: $log)"
      grep -E -A12 'WARNING: ThreadSanitizer|^\[  FAILED  \]' "$log" | head -n 60
      status=1
    fi
  done
else
  tail -n 40 build-tsan/configure.log build-tsan/build.log
  echo "build of build-tsan failed"; status=1
fi

# The fuzz dose: every parser's libFuzzer target for a short while, in a
# clang build of its own (build-fuzz/); a finding fails the run and its
# input stays in build-fuzz/findings/.
echo "== fuzz dose"
scripts/fuzz.sh "${FUZZ_DOSE_SECONDS:-20}" || status=1

if [ $status -eq 0 ]; then echo "ALL TESTS PASSED (plain, sanitizer, thread builds and fuzz dose)"; else echo "TESTS FAILED"; fi
exit $status
