#!/usr/bin/env bash
# End-to-end run of the show on a real X server with no window manager:
# the options dialog comes up, Start is clicked, the intro appears full
# screen at 4:3, the music is audible (SDL's disk audio driver writes it
# to a file), and Escape ends the process with status 0 within two seconds.
#
# usage: e2e_window.sh ZELVIK CAPTURE_TOOL DATA_DIR OUT_DIR
# Screenshots, the audio file and the program's stderr are left in OUT_DIR.
set -uo pipefail

ZELVIK=$1
CAPTURE=$2
DATA_DIR=$3
OUT=$4
mkdir -p "$OUT"
rm -f "$OUT"/e2e-*

TEST_NAME=e2e
# shellcheck source=x11_show.sh
source "$(dirname "${BASH_SOURCE[0]}")/x11_show.sh"
need_x_tools
start_xvfb

# --- The program ----------------------------------------------------------------
AUDIO="$OUT/e2e-audio.raw"
# ZELVIK_E2E_PRELOAD: a library to preload into the program alone (the
# sanitizer build's leak-report helper).
(cd "$DATA_DIR" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO" \
  LD_PRELOAD="${ZELVIK_E2E_PRELOAD:-}" exec "$ZELVIK") 2>"$OUT/e2e-stderr.txt" &
ZELVIK_PID=$!

DIALOG=$(wait_window "Quillomarth demo engine" 20) || fail "the options dialog did not appear: $(cat "$OUT/e2e-stderr.txt")"
sleep 0.5
import -window "$DIALOG" "$OUT/e2e-dialog.png"
eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
# Start's centre: x 126 + 49/2, y 4 + 21/2 dialog units of a 182 x 50 dialog.
xdotool mousemove $((X + WIDTH * 1505 / 1820)) $((Y + HEIGHT * 145 / 500)) click 1

wait_window "Demo" 20 >/dev/null || fail "the show did not start: $(cat "$OUT/e2e-stderr.txt")"
sleep 3.5  # well into the intro's first cycle (demo clock 0-629)
SHOT="$OUT/e2e-show.png"
import -window root "$SHOT"
kill -0 "$ZELVIK_PID" 2>/dev/null || fail "the show ended by itself"

# --- Picture ------------------------------------------------------------------------
# Screen rows above and below the picture stay black (the glyph column
# reaches the canvas's last row, so a stretched picture would show there).
border_max() {
  convert "$SHOT" -crop "${SCREEN_W}x$2+0+$1" +repage -colorspace Gray -format "%[fx:round(maxima*255)]" info:
}
(($(border_max 0 $((PIC_Y - 2))) <= 8)) || fail "the border above the 4:3 picture is not black"
(($(border_max $((PIC_Y + PIC_H + 2)) $((SCREEN_H - PIC_Y - PIC_H - 2))) <= 8)) ||
  fail "the border below the 4:3 picture is not black"

# Does this build draw the intro? The capture tool renders the same show
# headless; where its frame at 3 s shows no square, the scenes are not in
# the build yet and only the window machinery can be checked.
CAP_DIR="$OUT/e2e-capture"
mkdir -p "$CAP_DIR"
(cd "$DATA_DIR" && "$CAPTURE" --at 300 --png "$CAP_DIR" --quiet) || fail "capture tool failed"
square=$(convert "$CAP_DIR/clock_000300.png" -colorspace Gray -format "%[fx:round(p{280,140}*255)]" info:)
if ((square >= 150)); then
  expect_levels "top bar" 110 1 260 14 0 30 0 40
  expect_levels "bottom bar" 110 185 260 198 0 30 0 40
  expect_levels "band" 110 20 260 130 0 30 0 40
  expect_levels "square" 266 126 294 154 180 220 180 220
  expect_levels "column of glyphs" 279 20 284 118 0 60 200 255
  expect_levels "row of glyphs" 110 139 250 148 0 60 200 255
else
  note "the intro draws nothing in this build: picture checked for the black 4:3 frame only"
  expect_levels "picture" 0 0 319 199 0 8 0 8
fi

# --- Sound --------------------------------------------------------------------------
if [[ -f "$DATA_DIR/demo.xm" ]]; then
  expect_sound "$AUDIO"
else
  note "no demo.xm in $DATA_DIR: sound not checked"
fi

# --- Escape ends it -----------------------------------------------------------------
xdotool key Escape
await_end 2 Escape
((END_STATUS == 0)) || fail "exit status $END_STATUS after Escape: $(cat "$OUT/e2e-stderr.txt")"
# SDL's disk audio driver announces itself on stderr; anything else there is
# a complaint of the program's own.
grep -v -e "SDL disk i/o audio driver" -e "Writing to file" -e '^[[:space:]]*$' "$OUT/e2e-stderr.txt" \
  >"$OUT/e2e-stderr-own.txt" || true
[[ -s "$OUT/e2e-stderr-own.txt" ]] && fail "the program wrote to stderr: $(cat "$OUT/e2e-stderr-own.txt")"
note "passed (screenshots in $OUT)"
