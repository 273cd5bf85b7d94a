#!/usr/bin/env bash
# The show's picture after display changes, on a real X server with no
# window manager: the show's window is given one size after another (as a
# window manager does when the screen's resolution changes), and after
# each the screenshot must show the intro's square where the 4:3 picture
# puts it at that size, centred, with black borders. Fifty more changes
# must not make the program grow. Run once per way of presenting.
#
# usage: display_changes.sh ZELVIK DATA_DIR OUT_DIR surface|texture
set -uo pipefail

ZELVIK=$1
DATA_DIR=$2
OUT=$3
PRESENTATION=$4
mkdir -p "$OUT"
TEST_NAME="display_changes_$PRESENTATION"
rm -f "$OUT/$TEST_NAME"-*

# shellcheck source=x11_show.sh
source "$(dirname "${BASH_SOURCE[0]}")/x11_show.sh"
need_x_tools
start_xvfb

# The C library's allocator raises its threshold for giving large blocks
# their own mappings as they are freed, after which freed textures and
# pixel buffers stay in the heap and resident memory swings by 10 MB with
# fragmentation alone. A fixed threshold (and trimming the heap's top)
# makes resident memory follow the memory in use, so growth means a leak.
(cd "$DATA_DIR" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ZELVIK_AUTOSTART=1 \
  GLIBC_TUNABLES=glibc.malloc.mmap_threshold=65536:glibc.malloc.trim_threshold=131072 \
  ZELVIK_PRESENTATION="$PRESENTATION" LD_PRELOAD="${ZELVIK_E2E_PRELOAD:-}" exec "$ZELVIK") \
  2>"$OUT/$TEST_NAME-stderr.txt" &
ZELVIK_PID=$!
wait_window "Demo" 20 >/dev/null || fail "the show did not start: $(cat "$OUT/$TEST_NAME-stderr.txt")"
# The OpenGL renderer makes the window anew; the one that stays is the one to size.
sleep 1
WINDOW=$(wait_window "Demo" 5) || fail "the show's window went away: $(cat "$OUT/$TEST_NAME-stderr.txt")"

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$ZELVIK_PID/status"; }

# The picture rectangle of a W x H output (as the show computes it: rows
# 1.2 pixels tall, as large as fits, centred), in PIC_* for levels().
set_picture() {
  local w=$1 h=$2
  if ((w * 6 * 200 > h * 5 * 320)); then
    PIC_H=$h PIC_W=$(((h * 1600 + 600) / 1200))
  else
    PIC_W=$w PIC_H=$(((w * 1200 + 800) / 1600))
  fi
  PIC_X=$(((w - PIC_W) / 2)) PIC_Y=$(((h - PIC_H) / 2))
}

# Sizes of several shapes within the 1280x1024 screen: wide, tall, 5:4 and
# one smaller than 640x400 (the intro must still be on when the last is checked).
SIZES=(1280x720 800x1000 560x420 1280x1024)

# Grey levels "min max" of a screen rectangle of the screenshot $SHOT.
grey() { convert "$SHOT" -crop "$1" +repage -colorspace Gray -format "%[fx:round(minima*255)] %[fx:round(maxima*255)]" info:; }

# Whether $SHOT shows the picture at 4:3 for its size: the square's inner
# part (canvas 264-296 x 124-156: light grey 200, darker as the intro's
# last cycle fades it on a slow machine) evenly lit where it belongs, and
# black just outside the picture. Prints what it saw.
picture_right() {
  local w=$1 h=$2 min max b
  read -r min max <<<"$(levels 268 128 292 152)"
  echo "square $min-$max"
  ((min >= 120 && max <= 220)) || return 1
  if ((PIC_X > 1)); then
    read -r _ b <<<"$(grey "$((PIC_X - 1))x$h+0+0")"
    echo "left border $b"
    ((b <= 8)) || return 1
  fi
  if ((PIC_Y > 1)); then
    read -r _ b <<<"$(grey "${w}x$((PIC_Y - 1))+0+0")"
    echo "top border $b"
    ((b <= 8)) || return 1
  fi
}

started=$(date +%s%N)
for size in "${SIZES[@]}"; do
  w=${size%x*} h=${size#*x}
  set_picture "$w" "$h"
  changed=$(date +%s%N)
  xdotool windowsize "$WINDOW" "$w" "$h"
  SHOT="$OUT/$TEST_NAME-$size.png"
  # Screenshots until the picture is right (one shot may take seconds while
  # the X server is busy drawing the software-rendered frames of a loaded
  # machine, so the times printed are an upper bound).
  ok=""
  while (($(date +%s%N) - changed < 10000000000)); do
    kill -0 "$ZELVIK_PID" 2>/dev/null || fail "the show ended at $size: $(cat "$OUT/$TEST_NAME-stderr.txt")"
    import -window "$WINDOW" "$SHOT"
    [[ "$(identify -format "%wx%h" "$SHOT")" == "$size" ]] || continue
    if seen=$(picture_right "$w" "$h"); then ok=1; break; fi
  done
  [[ -n "$ok" ]] || fail "$size: no 4:3 picture ${PIC_W}x$PIC_H at $PIC_X,$PIC_Y within 10 s (${seen:-}; see $SHOT)"
  note "$size: picture ${PIC_W}x$PIC_H at $PIC_X,$PIC_Y right $((($(date +%s%N) - changed) / 1000000)) ms after the change (${seen//$'\n'/, })"
done
# The intro's square is there for 25 s of show time; the checks are done by then.
note "the checks took $((($(date +%s%N) - started) / 1000000)) ms"

# Fifty changes to settle the libraries' caches for these sizes, then fifty
# more: the second fifty must not make the program grow.
fifty_changes() {
  local i size
  for i in $(seq 50); do
    size=${SIZES[$((i % ${#SIZES[@]}))]}
    xdotool windowsize "$WINDOW" "${size%x*}" "${size#*x}"
    sleep 0.1
  done
  sleep 0.5
}
fifty_changes
before=$(rss_kib)
fifty_changes
after=$(rss_kib)
kill -0 "$ZELVIK_PID" 2>/dev/null || fail "the show ended during the changes"
note "resident memory after 50 changes ${before} KiB, after 50 more ${after} KiB"
if [[ "${ZELVIK_SANITIZED:-0}" == 1 ]]; then
  note "memory growth not judged under the sanitizers (their quarantine holds freed memory)"
else
  ((after - before < 4096)) || fail "the program grew by $((after - before)) KiB over 50 display changes"
fi

kill -TERM "$ZELVIK_PID"
await_end 2 SIGTERM
((END_STATUS == 0)) || fail "exit status $END_STATUS after SIGTERM: $(cat "$OUT/$TEST_NAME-stderr.txt")"
note "passed (screenshots in $OUT)"
