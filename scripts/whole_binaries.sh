#!/usr/bin/env bash
# Runs every GoogleTest binary registered with ctest once whole, as one
# process, in the environment ctest gives its cases. ctest runs each case in
# a process of its own, which hides a test that changes the working
# directory, the temporary directory, the environment or the engine and
# never puts it back; run whole, the next test of the binary sees it.
#
#   scripts/whole_binaries.sh BUILD_DIR [TIMEOUT_SECONDS]
set -uo pipefail
build=${1:?usage: whole_binaries.sh BUILD_DIR [TIMEOUT_SECONDS]}
limit=${2:-1200}

# One line per binary: the path, then its environment (NAME=VALUE, tab
# separated), taken from the first case ctest lists for it.
list=$(ctest --test-dir "$build" --show-only=json-v1 2>/dev/null | python3 -c '
import json, sys
seen = {}
for test in json.load(sys.stdin).get("tests", []):
    command = test.get("command") or []
    if len(command) < 2 or not any(a.startswith("--gtest_filter=") for a in command):
        continue
    if command[0] in seen:
        continue
    env = []
    for prop in test.get("properties", []):
        if prop.get("name") == "ENVIRONMENT":
            env = prop.get("value") or []
    seen[command[0]] = env
for binary, env in seen.items():
    print("\t".join([binary] + env))
') || { echo "cannot list the tests of $build"; exit 1; }
[ -n "$list" ] || { echo "no test binaries listed in $build"; exit 1; }

failed=()
while IFS=$'\t' read -r -a fields; do
  binary=${fields[0]}
  name=$(basename "$binary")
  log="$build/whole-$name.log"
  start=$SECONDS
  # Each binary in a scratch folder of its own, so files it leaves in its
  # working directory are found and do not meet the next binary's.
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/whole-$name-XXXXXX")
  (cd "$scratch" && env "${fields[@]:1}" timeout -k 10 "$limit" "$binary" --gtest_brief=1) \
    >"$log" 2>&1
  status=$?
  rm -rf "$scratch"
  if [ $status -eq 0 ]; then
    echo "whole $name: passed ($((SECONDS - start)) s)"
  else
    echo "whole $name: FAILED with status $status (log: $log)"
    grep -E '^\[  FAILED  \]|Failure|ERROR|Sanitizer' "$log" | head -n 20
    failed+=("$name")
  fi
done <<<"$list"

if [ ${#failed[@]} -gt 0 ]; then
  echo "binaries failing when run whole: ${failed[*]}"
  exit 1
fi
