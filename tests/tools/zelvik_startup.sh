#!/usr/bin/env bash
# The program started (Start pressed by ZELVIK_AUTOSTART) beside every kind
# of unusable scene1.bmp and demo.xm, on SDL's dummy video and audio: the
# show must start and keep running without its pictures or its music,
# with exactly one line on stderr per unusable file, and end with status 0
# when it gets SIGTERM. Then SIGINT, SIGTERM and SIGHUP during a normal
# show: status 0, nothing on stderr.
#
# Usage: zelvik_startup.sh PATH-TO-zelvik PATH-TO-scene1.bmp PATH-TO-demo.xm
# ZELVIK_E2E_PRELOAD: a library to preload into the program alone (the
# sanitizer build's leak-report helper).
set -uo pipefail
set -m  # background jobs keep SIGINT at its default, as from a terminal

ZELVIK="$(realpath "$1")"
SHEET="$(realpath "$2")"
MUSIC="$(realpath "$3")"
WORK="$(mktemp -d)"
PID=""
cleanup() {
  [[ -n "$PID" ]] && kill -9 "$PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
chmod 755 "$WORK"
failures=0
passes=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# How the program is run for the permission case: as root every file is
# readable, so there it runs as the unprivileged user nobody.
AS_NOBODY=()
if [[ $(id -u) -eq 0 ]]; then
  if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 &&
     setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$ZELVIK" 2>/dev/null; then
    AS_NOBODY=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  else
    AS_NOBODY=(skip)
  fi
fi

# show NAME SIGNAL [RUNNER...]: runs the program in $WORK/NAME for a second,
# sends SIGNAL, and waits at most 5 s for it to end. Sets STATUS (999 when
# it died early or hung) and SECONDS_TO_END.
show() {
  local name="$1" signal="$2"
  shift 2
  (cd "$WORK/$name" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ZELVIK_AUTOSTART=1 \
    LD_PRELOAD="${ZELVIK_E2E_PRELOAD:-}" exec "$@" "$ZELVIK") 2>"$WORK/$name.err" &
  PID=$!
  sleep 1
  STATUS=999
  if ! kill -0 "$PID" 2>/dev/null; then
    wait "$PID"
    fail "$name: the show ended by itself within a second (status $?)"
    PID=""
    return
  fi
  local start end
  start=$(date +%s%N)
  kill "-$signal" "$PID"
  for _ in $(seq 50); do
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$PID" 2>/dev/null; then
    fail "$name: still running 5 s after SIG$signal"
    kill -9 "$PID"
    wait "$PID" 2>/dev/null
    PID=""
    return
  fi
  wait "$PID"
  STATUS=$?
  PID=""
  end=$(date +%s%N)
  SECONDS_TO_END=$(( (end - start) / 1000000 ))
}

# case NAME SHEET-LINE MUSIC-LINE [RUNNER...]: $WORK/NAME holds the files;
# the lines are what stderr must say about each ("" for nothing).
case_() {
  local name="$1" sheetLine="$2" musicLine="$3"
  shift 3
  show "$name" TERM "$@"
  [[ $STATUS -eq 999 ]] && return
  local expected=""
  [[ -n "$sheetLine" ]] && expected+="zelvik: scene1.bmp: $sheetLine"$'\n'
  [[ -n "$musicLine" ]] && expected+="zelvik: demo.xm: $musicLine"$'\n'
  local said
  said="$(cat "$WORK/$name.err"; echo x)"
  said="${said%x}"
  if [[ $STATUS -ne 0 ]]; then
    fail "$name: exit status $STATUS, expected 0"
    sed 's/^/  stderr: /' "$WORK/$name.err"
  elif [[ "$said" != "$expected" ]]; then
    fail "$name: stderr was"$'\n'"$said"$'\n'"expected"$'\n'"$expected"
  else
    passes=$((passes + 1))
    printf '%-14s status %d, ended %4d ms after SIGTERM, said: %s\n' "$name" "$STATUS" "$SECONDS_TO_END" \
      "$(tr '\n' '|' <"$WORK/$name.err")"
  fi
}

folder() {
  mkdir -p "$WORK/$1"
  chmod 755 "$WORK/$1"
  echo "$WORK/$1"
}

d=$(folder good)
cp "$SHEET" "$d/scene1.bmp"
cp "$MUSIC" "$d/demo.xm"
case_ good "" ""

# Found neither in the working folder nor in the installed data folder
# beside the program: the line names both places. The build's own program
# has its data beside it (build/share/zelvik), so a copy of it runs here
# from a folder of its own.
d=$(folder missing)
mkdir -p "$WORK/alone/bin"
cp "$ZELVIK" "$WORK/alone/bin/"
nowhere="not found in $(realpath "$d") or in $(realpath "$WORK")/alone/share/zelvik"
ZELVIK="$WORK/alone/bin/$(basename "$ZELVIK")" case_ missing "$nowhere" "$nowhere"

d=$(folder empty)
: >"$d/scene1.bmp"
: >"$d/demo.xm"
case_ empty "empty file" "not a module file (empty)"

d=$(folder cut)
head -c 20 "$SHEET" >"$d/scene1.bmp"
head -c $(($(stat -c %s "$MUSIC") / 2)) "$MUSIC" >"$d/demo.xm"
case_ cut "cut short: 20 bytes, the headers alone need 54" "module file is cut short"

# Cut in the pixel rows: the sheet is used as far as it goes.
d=$(folder cut-rows)
head -c 33078 "$SHEET" >"$d/scene1.bmp"
cp "$MUSIC" "$d/demo.xm"
case_ cut-rows "cut short: 33078 of 65078 bytes, the rest reads as zero" ""

# Each file where the other should be.
d=$(folder swapped)
cp "$MUSIC" "$d/scene1.bmp"
cp "$SHEET" "$d/demo.xm"
case_ swapped "not a BMP file" "not a module file"

d=$(folder huge)
truncate -s 200M "$d/scene1.bmp"
truncate -s 200M "$d/demo.xm"
case_ huge "not a BMP file" "too large for a module file"

d=$(folder locked)
cp "$SHEET" "$d/scene1.bmp"
cp "$MUSIC" "$d/demo.xm"
chmod 000 "$d/scene1.bmp" "$d/demo.xm"
if [[ "${AS_NOBODY[0]:-}" == skip ]]; then
  echo "SKIP: no permission: running as root and the program cannot be run as nobody"
else
  case_ locked "permission denied" "cannot be read: Permission denied" "${AS_NOBODY[@]}"
fi

d=$(folder folders)
mkdir "$d/scene1.bmp" "$d/demo.xm"
case_ folders "is a folder" "is a folder"

d=$(folder pipes)
mkfifo "$d/scene1.bmp" "$d/demo.xm"
case_ pipes "not a regular file" "not a regular file"

# Stop signals during a normal show.
for signal in INT TERM HUP; do
  d=$(folder "signal-$signal")
  cp "$SHEET" "$d/scene1.bmp"
  cp "$MUSIC" "$d/demo.xm"
  show "signal-$signal" "$signal"
  [[ $STATUS -eq 999 ]] && continue
  if [[ $STATUS -ne 0 || -s "$WORK/signal-$signal.err" ]]; then
    fail "SIG$signal: exit status $STATUS, stderr '$(cat "$WORK/signal-$signal.err")'"
  else
    passes=$((passes + 1))
    printf 'SIG%-11s status 0, ended %4d ms after the signal\n' "$signal" "$SECONDS_TO_END"
  fi
done

echo "$passes passed, $failures failed"
[[ $failures -eq 0 ]]
