# Shared by the shell tests that run the show on a real X server (Xvfb, no
# window manager), and by the soak and Windows scripts: starting and
# stopping the server, waiting for a window,
# grey levels of the 4:3 picture on a screenshot, and whether recorded
# audio is more than silence. The sourcing script sets TEST_NAME (the
# prefix of its messages) and OUT (where the server's log goes) first, and
# keeps the program's process id in ZELVIK_PID.

fail() { echo "$TEST_NAME: FAIL: $*" >&2; exit 1; }
note() { echo "$TEST_NAME: $*"; }

# Exits with 77 (skipped) when a tool the X tests need is missing.
need_x_tools() {
  local tool
  for tool in Xvfb xdotool import convert od "$@"; do
    command -v "$tool" >/dev/null || { echo "$TEST_NAME: $tool is not installed" >&2; exit 77; }
  done
}

# Sends SIGTERM, then SIGKILL to a straggler after a second: SDL turns
# SIGTERM into a quit request, which a program stuck elsewhere never reads.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 10); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$1" 2>/dev/null
}

# Starts Xvfb with a screen of $1 (WxHxDEPTH) and its log in $2, sets
# XVFB_PID, exports DISPLAY and waits until the server answers; the caller's
# EXIT trap stops it. The server picks its own free display number
# (-displayfd), so servers started side by side never share one, and it
# never resets when its last client leaves (-noreset): a reset between the
# readiness check and the program's first connection refuses that
# connection.
launch_xvfb() {
  local number_file="${2%.log}.display"
  rm -f "$number_file"
  Xvfb -displayfd 3 -noreset -screen 0 "$1" -nolisten tcp 3>"$number_file" >"$2" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [[ -s "$number_file" ]] && break
    kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start: $(cat "$2")"
    sleep 0.1
  done
  [[ -s "$number_file" ]] || fail "Xvfb gave no display number"
  export DISPLAY=":$(head -1 "$number_file")"
  for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb did not start: $(cat "$2")"
}

# Starts the tests' Xvfb at SCREEN_W x SCREEN_H (5:4, so the 4:3 picture has
# bars above and below); an EXIT trap stops the program and the server.
SCREEN_W=1280 SCREEN_H=1024
XVFB_PID=""
ZELVIK_PID=""
start_xvfb() {
  trap stop_x_and_show EXIT
  launch_xvfb "${SCREEN_W}x${SCREEN_H}x24" "$OUT/$TEST_NAME-xvfb.log"
}
stop_x_and_show() {
  [[ -n "$ZELVIK_PID" ]] && stop "$ZELVIK_PID"
  [[ -n "$XVFB_PID" ]] && stop "$XVFB_PID"
  wait 2>/dev/null
}

# Waits up to $1 seconds for the program to end after $2 (what was done to
# end it, for the message); fails while it still runs, else puts its exit
# status in END_STATUS.
await_end() {
  for _ in $(seq $(($1 * 10))); do kill -0 "$ZELVIK_PID" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$ZELVIK_PID" 2>/dev/null && fail "still running $1 seconds after $2"
  wait "$ZELVIK_PID"
  END_STATUS=$?
  ZELVIK_PID=""
}

# Waits up to $2 seconds for a window titled exactly $1; prints its id.
# Gives up early when the program has ended.
wait_window() {
  local id=""
  for _ in $(seq $(($2 * 10))); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    kill -0 "$ZELVIK_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# The 320 x 200 canvas at 4:3 on the screen above: 1280 x 960 from screen
# row 32 on. Grey levels (min max, 0-255) over the screen pixels of canvas
# rectangle x0..x1, y0..y1 (inclusive) of the screenshot $SHOT.
PIC_X=0 PIC_Y=32 PIC_W=1280 PIC_H=960
levels() {
  local sx0=$((PIC_X + $1 * PIC_W / 320)) sx1=$((PIC_X + ($3 + 1) * PIC_W / 320 - 1))
  local sy0=$((PIC_Y + $2 * PIC_H / 200)) sy1=$((PIC_Y + ($4 + 1) * PIC_H / 200 - 1))
  convert "$SHOT" -crop "$((sx1 - sx0 + 1))x$((sy1 - sy0 + 1))+$sx0+$sy0" +repage -colorspace Gray \
    -format "%[fx:round(minima*255)] %[fx:round(maxima*255)]" info:
}
expect_levels() {  # name x0 y0 x1 y1 min_low min_high max_low max_high
  local got min max
  got=$(levels "$2" "$3" "$4" "$5")
  read -r min max <<<"$got"
  if ((min < $6 || min > $7 || max < $8 || max > $9)); then
    fail "$1: grey levels $got, expected min $6-$7 and max $8-$9 (see $SHOT)"
  fi
  note "$1: $got"
}

# Fails unless the raw audio file $1 holds sound: more than 16 distinct
# byte values (silence from SDL's disk driver is one or two).
expect_sound() {
  [[ -s "$1" ]] || fail "no audio was written to $1"
  local distinct
  distinct=$(od -An -v -tu1 -w1 "$1" | sort -u | wc -l)
  ((distinct > 16)) || fail "the audio in $1 is silence ($distinct distinct byte values)"
  note "audio: $(stat -c %s "$1") bytes, $distinct distinct byte values"
}
