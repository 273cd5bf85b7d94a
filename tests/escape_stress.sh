#!/usr/bin/env bash
# The options dialog driven from the keyboard, Start, a few seconds of the
# show, Escape: repeated many times on a real X server while two busy loops
# load the machine. Every run must end with status 0 and no X error: the
# dialog window is destroyed right after Start, and nothing may still be on
# its way to it from another X connection.
#
# usage: escape_stress.sh ZELVIK DATA_DIR OUT_DIR
# ZELVIK_ESCAPE_RUNS (default 10) runs; ZELVIK_ESCAPE_SHOW_SECONDS (default
# 1) second of show before Escape; ZELVIK_ESCAPE_LOAD=0 runs without the
# busy loops.
set -uo pipefail

ZELVIK=$(realpath "$1")
DATA_DIR=$2
OUT=$3
RUNS=${ZELVIK_ESCAPE_RUNS:-10}
SHOW_SECONDS=${ZELVIK_ESCAPE_SHOW_SECONDS:-1}
mkdir -p "$OUT"
rm -f "$OUT"/escape-*

TEST_NAME=escape_stress
# shellcheck source=x11_show.sh
source "$(dirname "${BASH_SOURCE[0]}")/x11_show.sh"
need_x_tools
start_xvfb

LOAD_PIDS=()
stop_all() {
  local pid
  for pid in "${LOAD_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  stop_x_and_show
}
trap stop_all EXIT
if [[ "${ZELVIK_ESCAPE_LOAD:-1}" != 0 ]]; then
  for _ in 1 2; do
    yes >/dev/null &
    LOAD_PIDS+=($!)
  done
fi

failures=0
for run in $(seq "$RUNS"); do
  err="$OUT/escape-$run.txt"
  (cd "$DATA_DIR" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null \
    LD_PRELOAD="${ZELVIK_E2E_PRELOAD:-}" exec "$ZELVIK") 2>"$err" &
  ZELVIK_PID=$!
  if ! DIALOG=$(wait_window "Quillomarth demo engine" 30); then
    note "run $run: the options dialog did not appear: $(tr '\n' ' ' <"$err")"
    failures=$((failures + 1))
    stop "$ZELVIK_PID"; wait "$ZELVIK_PID" 2>/dev/null; ZELVIK_PID=""
    continue
  fi
  # No window manager: the keyboard goes where the pointer is.
  eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  sleep 0.2
  xdotool key Tab Tab Down Down
  xdotool key Return
  wait_window "Demo" 30 >/dev/null || note "run $run: no show window after Return"
  sleep "$SHOW_SECONDS"
  xdotool key Escape
  for _ in $(seq 50); do
    kill -0 "$ZELVIK_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$ZELVIK_PID" 2>/dev/null; then
    note "run $run: still running five seconds after Escape"
    stop "$ZELVIK_PID"
  fi
  wait "$ZELVIK_PID"
  status=$?
  ZELVIK_PID=""
  xerror=$(grep -c "X Error\|X error" "$err")
  echo "$TEST_NAME: run $run: status $status, X errors $xerror"
  if ((status != 0 || xerror != 0)); then
    failures=$((failures + 1))
    sed "s/^/  stderr: /" "$err"
  fi
done
echo "$TEST_NAME: $((RUNS - failures)) of $RUNS runs ended cleanly"
((failures == 0)) || fail "$failures of $RUNS runs failed"
