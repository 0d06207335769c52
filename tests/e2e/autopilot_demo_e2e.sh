#!/usr/bin/env bash
# The autopilot as a person watches it: the course flown from the script at
# real speed, heard through the sound device (SDL's disk driver writes what
# it plays to a file), and ended by a real Escape with status 0. The demo
# starts from the default settings and leaves the player's settings alone.
#
#   autopilot_demo_e2e.sh BINARY
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
binary=$(readlink -f "$1")

start_x 1280x1024x24
start_wm
audio=$E2E_WORK/audio.raw
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$audio
# The player's own settings, which a demo must neither use nor change.
export XDG_CONFIG_HOME=$E2E_WORK/config
mkdir -p "$XDG_CONFIG_HOME/zelvo2"
settings=$XDG_CONFIG_HOME/zelvo2/settings.ini
printf 'masterVolume=0\n' >"$settings"

fail() {
  echo "autopilot demo e2e: $*" >&2
  cat "$E2E_WORK/stderr" >&2 2>/dev/null
  [ -n "${E2E_APP:-}" ] && kill -9 "$E2E_APP" 2>/dev/null
  exit 1
}

# Loud: some sample of the 16-bit output is well above the noise floor.
loud() {
  python3 - "$audio" <<'EOF'
import array, sys
try:
    data = open(sys.argv[1], "rb").read()
except OSError:
    sys.exit(1)
samples = array.array("h", data[: len(data) // 2 * 2])
sys.exit(0 if any(abs(s) > 512 for s in samples) else 1)
EOF
}

TMPDIR=$E2E_WORK "$binary" --autopilot >"$E2E_WORK/stdout" 2>"$E2E_WORK/stderr" &
E2E_APP=$!
main=$(wait_window "Zelvo2") || fail "no game window"
started=$SECONDS
until loud; do
  kill -0 "$E2E_APP" 2>/dev/null || fail "the demo ended on its own"
  [ $((SECONDS - started)) -lt 10 ] || fail "nothing audible within 10 s ($(stat -c %s "$audio" 2>/dev/null) bytes)"
  sleep 0.5
done
kill -0 "$E2E_APP" 2>/dev/null || fail "the demo ended on its own"
press "$main" Escape
wait_exit "$E2E_APP" 10
[ "$E2E_STATUS" = 0 ] || fail "Escape ended the demo with status $E2E_STATUS"
E2E_APP=
[ "$(cat "$settings")" = "masterVolume=0" ] || fail "the demo changed the player's settings"
echo "autopilot demo e2e: passed"
