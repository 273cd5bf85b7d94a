#!/usr/bin/env bash
# The installed show, as a user meets it: the build installed into a
# temporary prefix, then <prefix>/bin/zelvik started under Xvfb from an
# unrelated, empty working folder, with Start pressed by ZELVIK_AUTOSTART
# and the music written by SDL's disk audio driver. It must find its
# pictures (the grey square and the first panel on a screenshot) and its
# music (the audio file not silent) in <prefix>/share/zelvik, say nothing
# on stderr, and end with status 0 on SIGTERM.
#
# usage: installed_show.sh BUILD_DIR OUT_DIR
# The screenshot, the audio file and the program's stderr are left in
# OUT_DIR.
set -uo pipefail

BUILD_DIR=$1
OUT=$2
mkdir -p "$OUT"
rm -f "$OUT"/installed-*

TEST_NAME=installed
# shellcheck source=../x11_show.sh
source "$(dirname "${BASH_SOURCE[0]}")/../x11_show.sh"
need_x_tools cmake

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
PREFIX="$SCRATCH/prefix"
ELSEWHERE="$SCRATCH/somewhere-else"
mkdir -p "$ELSEWHERE"
cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$OUT/installed-install.log" 2>&1 ||
  fail "cmake --install failed: $(tail -3 "$OUT/installed-install.log")"
[[ -x "$PREFIX/bin/zelvik" ]] || fail "no $PREFIX/bin/zelvik after the install"

start_xvfb  # its EXIT trap replaces the one above
trap 'stop_x_and_show; rm -rf "$SCRATCH"' EXIT

AUDIO="$OUT/installed-audio.raw"
(cd "$ELSEWHERE" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO" ZELVIK_AUTOSTART=1 \
  LD_PRELOAD="${ZELVIK_E2E_PRELOAD:-}" exec "$PREFIX/bin/zelvik") 2>"$OUT/installed-stderr.txt" &
ZELVIK_PID=$!

wait_window "Demo" 20 >/dev/null || fail "the show did not start: $(cat "$OUT/installed-stderr.txt")"
# Demo clock about 250: the first panel has slid in (it is whole from about
# 90 to 420) and the square sits on the crossing of the glyph strips.
sleep 2.5
SHOT="$OUT/installed-show.png"
import -window root "$SHOT"
kill -0 "$ZELVIK_PID" 2>/dev/null || fail "the show ended by itself: $(cat "$OUT/installed-stderr.txt")"

# Without the sheet both places would be black; the square is drawn by
# the show itself but checked as well, as the sign that the picture is
# the intro at all.
expect_levels "square" 266 126 294 154 180 220 180 220
expect_levels "first panel" 10 6 89 25 5 40 200 255

# SIGTERM ends the show like Escape: status 0 within five seconds.
kill -TERM "$ZELVIK_PID"
await_end 5 SIGTERM
((END_STATUS == 0)) || fail "exit status $END_STATUS after SIGTERM: $(cat "$OUT/installed-stderr.txt")"

expect_sound "$AUDIO"

# SDL's disk audio driver announces itself on stderr; anything else there
# is a complaint of the program's own (such as a data file not found).
grep -v -e "SDL disk i/o audio driver" -e "Writing to file" -e '^[[:space:]]*$' "$OUT/installed-stderr.txt" \
  >"$OUT/installed-stderr-own.txt" || true
[[ -s "$OUT/installed-stderr-own.txt" ]] && fail "the program wrote to stderr: $(cat "$OUT/installed-stderr-own.txt")"
note "passed (screenshot $SHOT)"
