#!/usr/bin/env bash
# The show on a real Wayland compositor: sway, headless, drawing with the
# processor, run as user nobody in a folder of its own, at output scale 1
# and 2 (a 1280 x 1024 output, so the 4:3 picture has bars above and
# below). wtype gives the seat a keyboard and types; grim takes the
# screenshots; sway's tree tells where the windows are.
#
# At each scale: the options dialog floats at its own size (not stretched
# by the tiler), drawn at the output's density, with its buttons; Enter
# starts the show; the show covers the output at 4:3 with the intro's grey
# square in its place; Escape ends it with status 0. At scale 1 an X server
# is reachable too (Xvfb at DISPLAY), and the show must still come up on
# Wayland; switching to another workspace and back (the compositor's
# Alt+Tab) leaves the show running and drawing.
#
# sway, not weston: SDL 2.26's video start-up crashes under weston 10's
# headless back end, which offers no seat.
#
# usage: wayland_show.sh ZELVIK CAPTURE_TOOL DATA_DIR OUT_DIR
# Needs root (the compositor refuses to run as root and runs as nobody
# through setpriv); skipped (77) where that or a program is missing.
set -uo pipefail

ZELVIK=$1 CAPTURE=$2 DATA_DIR=$3
OUT=$4/wayland
rm -rf "$OUT"
mkdir -p "$OUT"

TEST_NAME=wayland
# shellcheck source=x11_show.sh
source "$(dirname "${BASH_SOURCE[0]}")/x11_show.sh"
for tool in sway swaymsg grim wtype jq setpriv convert Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$TEST_NAME: $tool is not installed" >&2; exit 77; }
done
((EUID == 0)) || { echo "$TEST_NAME: needs root, to run the compositor as nobody" >&2; exit 77; }

SWAY_PID="" KEYBOARD_PID=""
cleanup() {
  [[ -n "$ZELVIK_PID" ]] && stop "$ZELVIK_PID"
  [[ -n "$KEYBOARD_PID" ]] && stop "$KEYBOARD_PID"
  [[ -n "$SWAY_PID" ]] && stop "$SWAY_PID"
  [[ -n "$XVFB_PID" ]] && stop "$XVFB_PID"
  wait 2>/dev/null
}
trap cleanup EXIT

# Starts sway at output scale $1; sets and exports what its clients need.
start_sway() {
  local dir=$OUT/sway$1
  mkdir -p "$dir/run" "$dir/home"
  chown nobody "$dir/run" "$dir/home"
  chmod 700 "$dir/run"
  chmod 755 "$OUT" "$dir"
  printf 'output HEADLESS-1 resolution %dx%d scale %s\nxwayland disable\n' "$SCREEN_W" "$SCREEN_H" "$1" >"$dir/sway.cfg"
  setpriv --reuid=nobody --regid=nogroup --clear-groups env -i HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run" \
    PATH=/usr/bin:/bin WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$dir/sway.cfg" >"$dir/sway.log" 2>&1 &
  SWAY_PID=$!
  export XDG_RUNTIME_DIR=$dir/run
  local socket=""
  for _ in $(seq 100); do
    socket=$(find "$dir/run" -maxdepth 1 -name 'wayland-[0-9]' -type s | head -1)
    SWAYSOCK=$(find "$dir/run" -maxdepth 1 -name 'sway-ipc.*.sock' -type s | head -1)
    [[ -n "$socket" && -n "$SWAYSOCK" ]] && break
    kill -0 "$SWAY_PID" 2>/dev/null || fail "sway did not start: $(tail -n 5 "$dir/sway.log")"
    sleep 0.1
  done
  [[ -n "$socket" ]] || fail "sway made no socket: $(tail -n 5 "$dir/sway.log")"
  export WAYLAND_DISPLAY=${socket##*/} SWAYSOCK
  # A keyboard on the seat for as long as the test runs (without one SDL
  # never gets the keyboard focus); it types one x when the test is long over.
  wtype -s 600000 x &
  KEYBOARD_PID=$!
}
stop_sway() {
  stop "$KEYBOARD_PID"
  stop "$SWAY_PID"
  KEYBOARD_PID="" SWAY_PID=""
}

# The window titled $1 in sway's tree, as one line of JSON; waits up to 20 s.
window() {
  local found=""
  for _ in $(seq 200); do
    found=$(swaymsg -t get_tree -r | jq -c --arg name "$1" '.. | objects | select(.name? == $name and .pid?)' | head -1)
    [[ -n "$found" ]] && { echo "$found"; return 0; }
    kill -0 "$ZELVIK_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Does this build draw the intro? (as in e2e_window.sh)
CAP_DIR="$OUT/capture"
mkdir -p "$CAP_DIR"
(cd "$DATA_DIR" && "$CAPTURE" --at 300 --png "$CAP_DIR" --quiet) || fail "capture tool failed"
square=$(convert "$CAP_DIR/clock_000300.png" -colorspace Gray -format "%[fx:round(p{280,140}*255)]" info:)

for scale in 1 2; do
  TEST_NAME="wayland (scale $scale)"
  start_sway "$scale"
  # At scale 1 an X server is there too: the show must still choose Wayland.
  unset DISPLAY
  if ((scale == 1)); then launch_xvfb 640x480x24 "$OUT/xvfb.log"; fi
  ERR=$OUT/stderr-$scale.txt
  # The protocol log says at which density the windows draw. In a
  # sanitizer build, leaks are not looked for here: SDL's Wayland back end,
  # libxkbcommon and Mesa leave theirs at exit, from places that cannot be
  # named (the X tests look for the show's own).
  sanitizer=()
  [[ -n "${ZELVIK_SANITIZED:-}" ]] && sanitizer=(ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0")
  (cd "$DATA_DIR" && exec env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy WAYLAND_DEBUG=client "${sanitizer[@]}" \
    LD_PRELOAD="${ZELVIK_E2E_PRELOAD:-}" "$ZELVIK") 2>"$ERR" &
  ZELVIK_PID=$!

  # --- The dialog ---------------------------------------------------------------
  window "Quillomarth demo engine" >/dev/null || fail "the options dialog did not appear: $(grep -v '^\[' "$ERR")"
  # The compositor first maps the window, then gives it its title bar and
  # moves its content down: the place is read again until the Start button
  # is found there (or 5 s have passed; a sanitizer build is slow).
  SHOT=$OUT/dialog-$scale.png
  for attempt in $(seq 20); do
    sleep 0.25
    dialog=$(window "Quillomarth demo engine") || fail "the options dialog went away: $(grep -v '^\[' "$ERR")"
    read -r x y w h < <(jq -r '"\(.rect.x) \(.rect.y) \(.rect.width) \(.rect.height)"' <<<"$dialog")
    grim "$SHOT"
    # The dialog's pixels: light grey with black text on the Start button.
    px=$((x * scale)) py=$((y * scale)) pw=$((w * scale)) ph=$((h * scale))
    start=$(convert "$SHOT" -crop "$((pw * 45 / 182))x$((ph * 17 / 50))+$((px + pw * 128 / 182))+$((py + ph * 6 / 50))" \
      +repage -colorspace Gray -format "%[fx:round(minima*255)] %[fx:round(mean*255)]" info:)
    read -r darkest mean <<<"$start"
    ((darkest < 60 && mean > 150)) && break
  done
  [[ $(jq -r .type <<<"$dialog") == floating_con ]] || fail "the dialog is tiled, not floating: $dialog"
  # 182 x 50 dialog units, about 320 x 80 points: not stretched.
  ((w < 400 && h < 120)) || fail "the dialog is ${w}x${h} points: stretched"
  ((darkest < 60 && mean > 150)) || fail "no Start button drawn at its place (grey levels $start; see $SHOT)"
  note "dialog: floating, ${w}x${h} points at ($x, $y); Start button grey levels $start (look $attempt)"

  # --- Start by keyboard, the show -------------------------------------------------
  wtype -k Return
  show=$(window "Demo") || fail "the show did not start: $(grep -v '^\[' "$ERR")"
  for _ in $(seq 50); do
    [[ $(swaymsg -t get_tree -r | jq '[.. | objects | select(.name? == "Demo") | .fullscreen_mode] | max') == 1 ]] && break
    sleep 0.1
  done
  sleep 3.5  # well into the intro's first cycle
  SHOT=$OUT/show-$scale.png
  grim "$SHOT"
  kill -0 "$ZELVIK_PID" 2>/dev/null || fail "the show ended by itself: $(grep -v '^\[' "$ERR")"
  border=$(convert "$SHOT" -crop "${SCREEN_W}x$((PIC_Y - 2))+0+0" +repage -colorspace Gray -format "%[fx:round(maxima*255)]" info:)
  ((border <= 8)) || fail "the border above the 4:3 picture is not black (see $SHOT)"
  if ((square >= 150)); then
    expect_levels "top bar" 110 1 260 14 0 30 0 40
    expect_levels "band" 110 20 260 130 0 30 0 40
    expect_levels "square" 266 126 294 154 180 220 180 220
    expect_levels "column of glyphs" 279 20 284 118 0 60 200 255
  else
    expect_levels "picture" 0 0 319 199 0 8 0 8
  fi

  # --- Away and back ------------------------------------------------------------------
  if ((scale == 1)); then
    swaymsg -q workspace 2
    sleep 1
    swaymsg -q workspace 1
    sleep 1
    grim "$OUT/back-a.png"
    sleep 0.5
    grim "$OUT/back-b.png"
    kill -0 "$ZELVIK_PID" 2>/dev/null || fail "the show ended when the workspace changed: $(grep -v '^\[' "$ERR")"
    changed=$(compare -metric AE "$OUT/back-a.png" "$OUT/back-b.png" null: 2>&1 | cut -d' ' -f1)
    awk -v c="$changed" 'BEGIN { exit !(c > 0) }' || fail "the picture stood still after coming back"
    note "away to another workspace and back: the show draws again"
  fi

  # --- Escape ---------------------------------------------------------------------------
  wtype -k Escape
  await_end 3 Escape
  ((END_STATUS == 0)) || fail "exit status $END_STATUS after Escape: $(grep -v '^\[' "$ERR")"
  grep -v '^\[' "$ERR" >"$OUT/stderr-own-$scale.txt"
  [[ -s "$OUT/stderr-own-$scale.txt" ]] && fail "the program wrote to stderr: $(cat "$OUT/stderr-own-$scale.txt")"
  # Every surface drawn at the output's density (the dialog's and the
  # show's), none scaled up by the compositor.
  grep -q "set_buffer_scale($scale)" "$ERR" || fail "no surface drawn at buffer scale $scale"
  grep -v "set_buffer_scale($scale)" "$ERR" | grep -q "set_buffer_scale" &&
    fail "a surface drawn at another scale: $(grep -o 'set_buffer_scale([0-9]*)' "$ERR" | sort | uniq -c)"
  if ((scale == 1)); then stop "$XVFB_PID"; XVFB_PID=""; fi
  stop_sway
done
TEST_NAME=wayland
note "passed (screenshots in $OUT)"
