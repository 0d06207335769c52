#!/usr/bin/env bash
# Fuzzes every parser: builds the clang fuzz targets (build-fuzz/, -DFUZZ=ON)
# and runs each for SECONDS (default 1800) under ASan and UBSan, one after
# the other, then prints a table of executions, coverage, corpus size and
# findings. A crash, sanitizer report, hang (over 10 s) or memory blow-up
# (over 2 GiB) fails the run; its input is kept in build-fuzz/findings/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# The corpus each run grows is kept in build-fuzz/campaign/TARGET and is the
# starting point of the next run; the seeds come from fuzz_seeds at build
# time. FUZZ_BUILD_DIR picks another build folder. FUZZ_RUNS=N also ends each
# target after N executions, so a campaign can ask for "a million runs or
# SECONDS, whichever comes first".
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1800}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
  exit 2
fi
dir=${FUZZ_BUILD_DIR:-build-fuzz}
all=(image_bmp image_png wav archive object world ini lines http wire host replay hiscores obj)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

echo "== fuzz: build $dir"
mkdir -p "$dir"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -DFUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
fi
if ! cmake --build "$dir" -j"$(nproc)" --target fuzz_targets >"$dir/build.log" 2>&1; then
  grep -E -A5 'error|Error' "$dir/build.log" | head -n 60
  echo "fuzz: build of $dir failed (full log: $dir/build.log)"
  exit 1
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
table=()
n=0
for t in "${targets[@]}"; do
  n=$((n + 1))
  bin=$dir/fuzz/fuzz_$t
  if [ ! -x "$bin" ]; then
    echo "fuzz: no target $t" >&2
    status=1
    continue
  fi
  corpus=$dir/campaign/$t
  findings=$dir/findings/$t
  log=$dir/logs/$t.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  dict=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="fuzz/dict/$t.dict")
  echo "== fuzz [$n/${#targets[@]}] $t: ${seconds}s"
  # Findings of earlier runs stay for whoever fixes them; this run counts
  # only its own.
  stamp=$dir/logs/$t.started
  touch "$stamp"
  # Standard output closed: the parsers' own messages would slow the run.
  runs=()
  [ -n "${FUZZ_RUNS:-}" ] && runs=(-runs="$FUZZ_RUNS")
  "$bin" "${dict[@]}" "${runs[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -malloc_limit_mb=2048 -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "$dir/corpus/$t" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
  units=$(find "$corpus" -type f | wc -l)
  found=$(find "$findings" -type f -newer "$stamp" | wc -l)
  table+=("$(printf '%-10s %12s %7s %7s %7s %8s' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" \
    "$units" "$found")")
  if [ $rc -ne 0 ] || [ "$found" -ne 0 ]; then
    status=1
    echo "fuzz: $t FAILED (exit $rc); log $log; inputs kept:"
    find "$findings" -type f -newer "$stamp" | sed 's/^/  /'
    grep -m1 -E 'ERROR: |runtime error: |SUMMARY: ' "$log" | sed 's/^/  /'
  fi
done

echo
printf '%-10s %12s %7s %7s %7s %8s\n' target executions cov ft corpus findings
printf '%s\n' "${table[@]}"
if [ $status -eq 0 ]; then echo "fuzz: no findings"; else echo "fuzz: FINDINGS (see above)"; fi
exit $status
