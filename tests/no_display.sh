#!/usr/bin/env bash
# The show started where no display can be reached (no X server, no
# Wayland compositor, no video driver named): it must say so in one line
# and end with a non-zero status within two seconds, not fall back to a
# driver that shows nothing. With ZELVIK_AUTOSTART=1 too.
# usage: no_display.sh ZELVIK
set -uo pipefail
ZELVIK=$1
failures=0
for autostart in "" 1; do
  err=$(mktemp)
  start=$(date +%s%N)
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ZELVIK_AUTOSTART="$autostart" \
    SDL_AUDIODRIVER=dummy timeout -k 2 10 "$ZELVIK" 2>"$err" >/dev/null
  status=$?
  ms=$((($(date +%s%N) - start) / 1000000))
  lines=$(wc -l <"$err")
  echo "no_display (autostart '${autostart}'): status $status after $ms ms: $(cat "$err")"
  if ((status == 0 || status == 124 || status == 137 || ms > 2000)) || [[ $lines -ne 1 ]] ||
     ! grep -q "^zelvik: .*no display reachable" "$err"; then
    echo "no_display: FAIL: expected one 'zelvik: ... no display reachable' line and a quick non-zero status"
    failures=$((failures + 1))
  fi
  rm -f "$err"
done
((failures == 0))
