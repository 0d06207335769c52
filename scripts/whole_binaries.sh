#!/usr/bin/env bash
# Runs every GoogleTest binary registered with ctest once whole, as one
# process, in the environment ctest gives its cases. ctest runs each case in
# a process of its own, which hides a test that changes the working
# directory, the temporary directory, the environment or the engine and
# never puts it back; run whole, the next test of the binary sees it.
#
#   scripts/whole_binaries.sh BUILD_DIR [TIMEOUT_SECONDS]
#
# A binary may run as long as ctest allows all its cases together, at most
# an hour, unless TIMEOUT_SECONDS says otherwise.
set -uo pipefail
build=${1:?usage: whole_binaries.sh BUILD_DIR [TIMEOUT_SECONDS]}
override=${2:-}

# One line per binary: the path, the sum of its cases' timeouts, then its
# environment (NAME=VALUE), tab separated, taken from the first case ctest
# lists for it.
list=$(ctest --test-dir "$build" --show-only=json-v1 2>/dev/null | python3 -c '
import json, sys
seen = {}
for test in json.load(sys.stdin).get("tests", []):
    command = test.get("command") or []
    if len(command) < 2 or not any(a.startswith("--gtest_filter=") for a in command):
        continue
    env, timeout = [], 1500
    for prop in test.get("properties", []):
        if prop.get("name") == "ENVIRONMENT":
            env = prop.get("value") or []
        if prop.get("name") == "TIMEOUT":
            timeout = int(float(prop.get("value") or 1500))
    if command[0] in seen:
        seen[command[0]][0] += timeout
    else:
        seen[command[0]] = [timeout, env]
for binary, (timeout, env) in seen.items():
    print("\t".join([binary, str(min(timeout, 3600))] + env))
') || { echo "cannot list the tests of $build"; exit 1; }
[ -n "$list" ] || { echo "no test binaries listed in $build"; exit 1; }

failed=()
while IFS=$'\t' read -r -a fields; do
  binary=${fields[0]}
  limit=${override:-${fields[1]}}
  name=$(basename "$binary")
  log="$build/whole-$name.log"
  start=$SECONDS
  # Each binary in a scratch folder of its own, so files it leaves in its
  # working directory are found and do not meet the next binary's.
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/whole-$name-XXXXXX")
  (cd "$scratch" && env "${fields[@]:2}" timeout -k 10 "$limit" "$binary" --gtest_brief=1) \
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
