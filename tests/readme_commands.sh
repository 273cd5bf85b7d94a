#!/usr/bin/env bash
# Runs every command that README.md gives its reader, as the reader would
# type it, so that a renamed script, path, option or file fails here. The
# commands are the README's code blocks (lines indented by four spaces),
# one a line; a comment after "  # " is the README's own and is dropped.
#
# Each command is matched to one way of running it below; a command that
# matches none fails, so that a new one is never left untested. Commands
# that would run for minutes run with a short argument in place of the
# long one (scripts/fuzz 600 runs for 2 s). The commands share the build
# scripts/test has just made: they run against build/, build-fuzz/,
# build-windows/ and build-web/ as the README names them, and a command
# whose build is not there yet (the Windows and web builds on a machine
# that never made them) is reported as not run, with the reason. The
# README's links into the checkout (its pictures, docs/) must lead to files.
#
# usage: tests/readme_commands.sh [README]
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
README="${1:-$ROOT/README.md}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
TEST_NAME=readme
OUT="$WORK"
# shellcheck source=x11_show.sh
source "$ROOT/tests/x11_show.sh"
# shellcheck source=../scripts/lib.sh
source "$ROOT/scripts/lib.sh"
CAPTURE="$(build_path "$ROOT/build" zelvik-capture)"

passed=0
failed=0
skipped=0

# The README's commands: lines of its indented code blocks (a block starts
# after a blank line), without their trailing comments.
readme_commands() {
  awk '
    /^    / && (blank || code) { code = 1; line = substr($0, 5)
                                  sub(/[ \t]+#[ \t].*$/, "", line); sub(/[ \t]+$/, "", line)
                                  if (line != "") print line; blank = 0; next }
    /^[ \t]*$/ { blank = 1; next }
    { code = 0; blank = 0 }
  ' "$1"
}

# The command with the README's paths below the checkout made absolute, for
# commands run in a scratch folder (they write their files where they run).
rooted() {
  sed -E "s#(^|[[:space:]=])(\./)?(build(-[a-z]+)?/)#\1$ROOT/\3#g" <<<"$1"
}

# A command with its first whole number replaced by $2 (scripts/fuzz 600
# becomes scripts/fuzz 2); fails when it has none.
first_number() {
  local shorter
  shorter=$(sed -E "0,/(^|[[:space:]])[0-9]+([[:space:]]|$)/s//\1$2\2/" <<<"$1")
  [[ "$shorter" != "$1" ]] || fail "no number to shorten in: $1"
  echo "$shorter"
}
last_number() {
  [[ "$1" =~ ^(.*[[:space:]])[0-9]+$ ]] || fail "no number at the end of: $1"
  echo "${BASH_REMATCH[1]}$2"
}

# Runs the command text with bash in folder $1, output in $WORK/log.
run_in() {
  local folder="$1"
  shift
  (cd "$folder" && timeout -k 5 "${TIMEOUT:-300}" bash -c "$*") >"$WORK/log" 2>&1 ||
    fail "status $? from: $* (in $folder)"$'\n'"$(tail -n 20 "$WORK/log")"
}

# Fails when the program said it could not find or use a data file.
no_complaint() {
  ! grep -E "^zelvik(-capture)?: (scene1\.bmp|demo\.xm): " "$WORK/log" || fail "the program complained (above)"
}

# Skips the command: prints the reason, and the exit status 77 marks it.
not_run() { echo "not run: $*"; exit 77; }

# --- The ways of running them -------------------------------------------------

# scripts/run: the show as a user starts it, on Xvfb with Start pressed by
# ZELVIK_AUTOSTART and the music written by SDL's disk audio driver; the
# intro must come up at its place with its sound, and SIGTERM end it with
# status 0.
show_from_run() {
  need_x_tools
  start_xvfb
  local audio="$WORK/audio.raw"
  (cd "$ROOT" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" ZELVIK_AUTOSTART=1 \
    exec bash -c "exec $1") >"$WORK/log" 2>&1 </dev/null &
  ZELVIK_PID=$!
  wait_window "Demo" 300 >/dev/null || fail "the show's window did not appear:"$'\n'"$(tail -n 20 "$WORK/log")"
  # Screenshots until the intro's grey square is up (canvas pixel 280,140).
  SHOT="$WORK/run.png"
  local grey=0
  for _ in $(seq 40); do
    sleep 0.5
    import -window root "$SHOT"
    kill -0 "$ZELVIK_PID" 2>/dev/null || fail "the show ended by itself:"$'\n'"$(tail -n 20 "$WORK/log")"
    grey=$(convert "$SHOT" -colorspace Gray \
      -format "%[fx:round(p{$((280 * PIC_W / 320 + 2)),$((PIC_Y + 140 * PIC_H / 200 + 2))}*255)]" info:)
    ((grey >= 150)) && break
  done
  expect_levels "band" 110 20 260 130 0 30 0 40
  expect_levels "square" 266 126 294 154 180 220 180 220
  expect_levels "column of glyphs" 279 20 284 118 0 60 200 255
  expect_sound "$audio"
  kill -TERM "$ZELVIK_PID"
  await_end 5 SIGTERM
  ((END_STATUS == 0)) || fail "status $END_STATUS after SIGTERM"
  no_complaint
}

# A picture to make sprite sheets from, and the check that a sheet made from
# it is taken by the show without a word.
make_photo() { convert -size 640x480 gradient:orange-navy -swirl 120 "$1/photo.jpg"; }
sheet_is_usable() {
  "$CAPTURE" --quiet --at 1000 --png "$WORK/frames" --sheet "$1" 2>"$WORK/err" ||
    fail "the capture tool failed on $1: $(cat "$WORK/err")"
  [[ ! -s "$WORK/err" ]] || fail "the sheet was complained about: $(cat "$WORK/err")"
}

run_one() {
  local command="$1" scratch="$WORK/scratch" shorter
  rm -rf "$scratch"
  mkdir -p "$scratch"
  case "$command" in
    scripts/run)
      show_from_run "$command" ;;
    scripts/test)
      # This is the command running these checks; CI runs it as it stands.
      grep -qx "scripts/test" "$ROOT/.ci/run" || fail ".ci/run does not run $command" ;;
    scripts/test-windows | scripts/test-web)
      grep -qx "$command" "$ROOT/.ci/run" || fail ".ci/run does not run $command"
      echo "run by .ci/run" ;;
    scripts/build-windows)
      [[ -f "$ROOT/build-windows/CMakeCache.txt" ]] ||
        not_run "no build-windows/ yet (scripts/test-windows makes it; its libraries take ~10 min once)"
      run_in "$ROOT" "$command" ;;
    scripts/build-web)
      [[ -f "$ROOT/build-web/site/index.html" ]] ||
        not_run "no build-web/ yet (scripts/test-web makes it; its libraries take ~10 min once)"
      run_in "$ROOT" "$command" ;;
    "scripts/fuzz "*)
      [[ -f "$ROOT/build-fuzz/CMakeCache.txt" ]] ||
        not_run "no build-fuzz/ yet (scripts/test makes it unless ZELVIK_FUZZ_SECONDS=0)"
      shorter=$(first_number "$command" 2) || exit 1
      run_in "$ROOT" "$shorter" ;;
    "scripts/soak "*)
      shorter=$(last_number "$command" 3) || exit 1
      run_in "$ROOT" "$shorter" ;;
    "scripts/soak-capture "*)
      shorter=$(first_number "$command" 10) || exit 1
      run_in "$ROOT" "$shorter" ;;
    scripts/package)
      run_in "$ROOT" "$command" ;;
    "apt install "*)
      # Simulated: nothing is installed on the machine running the tests.
      run_in "$ROOT" "apt-get -o DPkg::Lock::Timeout=600 --simulate ${command#apt }" ;;
    "convert "* | *sheet_from_picture*)
      make_photo "$scratch"
      run_in "$scratch" "$(rooted "$command")"
      sheet_is_usable "$scratch/scene1.bmp" ;;
    *zelvik-capture*--video*)
      run_in "$scratch" "$(rooted "$command") --until 100 --quiet"
      no_complaint
      local file="${command##*--video }"
      file="${file%% *}"
      [[ -s "$scratch/$file" ]] || fail "no $file written" ;;
    *zelvik-capture*--bench*)
      run_in "$scratch" "$(rooted "$command") --until 100"
      no_complaint ;;
    *zelvik-capture*)
      run_in "$scratch" "$(rooted "$command")"
      no_complaint
      [[ -n "$(find "$scratch" -name 'clock_*' -print -quit)" ]] || fail "no frames written" ;;
    "python3 -m http.server "*)
      [[ -f "$ROOT/build-web/site/index.html" ]] ||
        not_run "no build-web/site yet (scripts/build-web makes it)"
      serve_site "$command" ;;
    "cmake "*)
      run_in "$ROOT" "$command" ;;
    "ctest "*)
      # One group of the suite, not all of it again.
      run_in "$ROOT" "$command --tests-regex '^WholeFrames'"
      grep -q "100% tests passed" "$WORK/log" || fail "ctest ran no test: $(tail -n 3 "$WORK/log")" ;;
    *)
      fail "no way to run this README command is known: add one to ${BASH_SOURCE[0]}" ;;
  esac
}

# The web site served as the README says, on a free port in place of the
# README's, fetched once: the page and the show's module must be there.
serve_site() {
  local port
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  [[ "$1" =~ [[:space:]]8000$ ]] || fail "the command does not end in its port 8000: $1"
  (cd "$ROOT" && exec ${1% 8000} "$port") >"$WORK/log" 2>&1 &
  local server=$!
  local fetched=""
  for _ in $(seq 50); do
    fetched=$(python3 - "$port" <<'PY' 2>/dev/null
import sys, urllib.request
base = f"http://127.0.0.1:{sys.argv[1]}/"
page = urllib.request.urlopen(base, timeout=5).read().decode()
module = urllib.request.urlopen(base + "zelvik.wasm", timeout=5).read()
print("zelvik.js" in page, module[:4] == b"\0asm")
PY
) && break
    sleep 0.1
  done
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  [[ "$fetched" == "True True" ]] || fail "the served site lacks the page or the module ($fetched)"
}

# The README's links into the checkout (its pictures, docs/) must lead to
# a file.
links_lead_somewhere() {
  local link
  grep -oE '(src="|\]\()[^")#]+' "$README" | sed -E 's/^(src="|\]\()//' | while read -r link; do
    [[ "$link" == *://* ]] && continue
    [[ -e "$(dirname "$README")/$link" ]] || fail "a link leads nowhere: $link"
  done
}
if (links_lead_somewhere) >"$WORK/result" 2>&1; then
  passed=$((passed + 1))
  echo "ok       the README's links into the checkout"
else
  failed=$((failed + 1))
  echo "FAIL     the README's links into the checkout"
  sed 's/^/    /' "$WORK/result"
fi

mapfile -t COMMANDS < <(readme_commands "$README")
((${#COMMANDS[@]})) || { echo "readme: no commands found in $README"; exit 1; }
for command in "${COMMANDS[@]}"; do
  started=$(date +%s)
  (run_one "$command") >"$WORK/result" 2>&1
  status=$?
  took=$(($(date +%s) - started))
  if ((status == 0)); then
    passed=$((passed + 1))
    printf 'ok       %-64s %3d s\n' "$command" "$took"
  elif ((status == 77)); then
    skipped=$((skipped + 1))
    printf 'not run  %-64s %s\n' "$command" "$(grep '^not run: ' "$WORK/result" | cut -c10-)"
  else
    failed=$((failed + 1))
    printf 'FAIL     %-64s %3d s\n' "$command" "$took"
    sed 's/^/    /' "$WORK/result"
  fi
done
echo "readme: the README's commands took $SECONDS s"
echo "readme: $passed passed, $failed failed, $skipped skipped"
((failed == 0))
