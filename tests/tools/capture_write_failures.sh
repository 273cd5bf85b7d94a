#!/usr/bin/env bash
# zelvik-capture when its output cannot be written to the end: a file size
# limit, a full disk (a small tmpfs), a read-only folder, the output folder
# removed during the run. Each time, for video, PNG and surface output:
# exit status 1, one line naming the file and the reason, nothing under
# the final name, no partial file, and no hang.
# The small file systems are mounted in a private mount namespace
# (unshare); where that is not allowed those cases are skipped with a line
# saying so.
# Usage: capture_write_failures.sh PATH-TO-zelvik-capture PATH-TO-scene1.bmp
set -uo pipefail

CAPTURE="$1"
SHEET="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

# No run may take longer than this: a hang counts as a failure (status 124).
LIMIT=60

only_line_names() {  # only_line_names TEXT...: stderr is one line containing every TEXT
  [[ $(wc -l <"$WORK/err") -eq 1 ]] || { sed 's/^/  stderr: /' "$WORK/err"; return 1; }
  local text
  for text in "$@"; do
    grep -qF -- "$text" "$WORK/err" || { echo "  '$text' not in: $(cat "$WORK/err")"; return 1; }
  done
}

nothing_left() {  # nothing_left FOLDER: no file in it but those named "older*"
  local left
  left=$(find "$1" -mindepth 1 ! -name 'older*' 2>/dev/null)
  [[ -z "$left" ]] || { echo "  left behind: $left"; false; }
}

capture() { timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet "$@"; }

# --- A file size limit (ulimit -f, in KiB): writing fails part-way ---------
# Past the limit the kernel sends SIGXFSZ, which ends a process that does
# not ignore it; the capture must ignore it and fail like on a full disk.
limited() {  # limited KIB COMMAND...
  local kib="$1"
  shift
  bash -c 'ulimit -f "$1"; shift; exec "$@"' - "$kib" "$@"
}

mkdir -p "$WORK/f"
echo "an older file" >"$WORK/f/older.mp4"
for name in older.mp4 new.mkv; do
  check "size limit: video $name" 1 limited 100 timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet \
    --video "$WORK/f/$name" --size 640x480 --until 3000 --no-music
  expect "size limit: video $name: one line naming the file and the reason" \
    only_line_names "f/$name" "File too large"
done
expect "size limit: the older file is kept" grep -q "an older file" "$WORK/f/older.mp4"
expect "size limit: no partial files" test ! -e "$WORK/f/older.mp4.part" -a ! -e "$WORK/f/new.mkv.part"
expect "size limit: no new video" test ! -e "$WORK/f/new.mkv"

# Frame 5000 compresses to about 8 KiB, more than the limit.
check "size limit: png" 1 limited 4 "$CAPTURE" --sheet "$SHEET" --quiet --at 0,5000 --png "$WORK/g"
expect "size limit: png: one line naming the file and the reason" \
  only_line_names "g/clock_005000.png" "File too large"
expect "size limit: png: the earlier frame written, no part of the later one" \
  test "$(ls "$WORK/g")" = "clock_000000.png"
check "size limit: surface" 1 limited 100 "$CAPTURE" --sheet "$SHEET" --quiet --at 0 --format 32 \
  --surface "$WORK/h"
expect "size limit: surface: one line naming the file and the reason" \
  only_line_names "h/clock_000000.raw" "File too large"
expect "size limit: surface: nothing left" nothing_left "$WORK/h"

# --- Full disk and read-only folder: a small tmpfs ---------------------------
MOUNT_NS=()
mkdir -p "$WORK/probe"
for candidate in "unshare -rm" "unshare -m"; do
  if $candidate bash -c 'mount -t tmpfs -o size=64k tmpfs "$1"' - "$WORK/probe" 2>/dev/null; then
    read -ra MOUNT_NS <<<"$candidate"
    break
  fi
done

# on_tmpfs MOUNT-OPTIONS COMMAND...: runs COMMAND (with $SMALL, the tmpfs
# folder, in its arguments) in a private mount namespace with a fresh
# tmpfs on $SMALL; leaves its stderr in $WORK/err, its status in
# $WORK/status and the tmpfs's files afterwards listed in $WORK/listing
# and copied to $WORK/kept.
SMALL="$WORK/small"
mkdir -p "$SMALL"
on_tmpfs() {
  local options="$1"
  shift
  "${MOUNT_NS[@]}" bash -c '
    work="$1" small="$2" options="$3"
    shift 3
    mount -t tmpfs -o "$options" tmpfs "$small" || exit 99
    "$@" 2>"$work/err"
    echo $? >"$work/status"
    find "$small" -mindepth 1 >"$work/listing"
    rm -rf "$work/kept"
    cp -r "$small" "$work/kept"' - "$WORK" "$SMALL" "$options" "$@"
}

status_is() { [[ "$(cat "$WORK/status")" == "$1" ]] || { echo "  status $(cat "$WORK/status"), wanted $1"; false; }; }
listing_empty() { [[ ! -s "$WORK/listing" ]] || { echo "  left: $(cat "$WORK/listing")"; false; }; }

if [[ ${#MOUNT_NS[@]} -eq 0 ]]; then
  echo "SKIP: cannot mount a tmpfs here (no user or mount namespaces): full-disk and read-only cases"
else
  # Full disk: 200 KiB for a video, for frames and for surfaces.
  for name in v.mp4 v.mkv; do
    on_tmpfs size=200k timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet --video "$SMALL/$name" \
      --size 640x480 --until 3000 --no-music
    expect "full disk: video $name: status 1" status_is 1
    expect "full disk: video $name: one line naming the file and the reason" \
      only_line_names "small/$name" "No space left on device"
    expect "full disk: video $name: nothing left" listing_empty
  done
  on_tmpfs size=200k timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet --until 2000 --png "$SMALL"
  expect "full disk: png: status 1" status_is 1
  expect "full disk: png: one line naming the file and the reason" \
    only_line_names "small/clock_" ".png" "No space left on device"
  expect "full disk: png: no partial frame" bash -c "! grep -q '\\.part\$' '$WORK/listing'"
  whole_pngs() {  # the frames that filled the disk are there, each ending in its IEND chunk
    local png count=0
    for png in "$WORK"/kept/*.png; do
      [[ -e $png ]] || continue
      [[ "$(tail -c 8 "$png" | head -c 4)" == IEND ]] || { echo "  $png is cut short"; return 1; }
      count=$((count + 1))
    done
    [[ $count -gt 0 ]] || { echo "  no frame was written before the disk filled"; false; }
  }
  expect "full disk: png: every frame left is whole" whole_pngs
  on_tmpfs size=200k timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet --at 0 --format 32 \
    --surface "$SMALL"
  expect "full disk: surface: status 1" status_is 1
  expect "full disk: surface: one line naming the file and the reason" \
    only_line_names "small/clock_000000.raw" "No space left on device"
  expect "full disk: surface: nothing left" listing_empty

  # Read-only: the file system is mounted read-only.
  on_tmpfs ro,size=64k timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet --video "$SMALL/v.mp4" \
    --until 100 --no-music
  expect "read-only: video: status 1" status_is 1
  expect "read-only: video: one line naming the file and the reason" \
    only_line_names "small/v.mp4" "Read-only file system"
  for output in --png --surface; do
    format=()
    [[ $output == --surface ]] && format=(--format 32)
    on_tmpfs ro,size=64k timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet --at 0 "${format[@]}" \
      "$output" "$SMALL/frames"
    expect "read-only: $output: status 1" status_is 1
    expect "read-only: $output: one line naming the folder and the reason" \
      only_line_names "small/frames" "Read-only file system"
  done
fi

# --- The output folder removed during the run ---------------------------------
# removed_while_running NAME FOLDER READY COMMAND...: starts COMMAND, waits
# until the file READY names exists (or some file is in FOLDER when READY
# is "*"), removes FOLDER, and expects status 1 within 20 s.
removed_while_running() {
  local name="$1" folder="$2" ready="$3"
  shift 3
  "$@" 2>"$WORK/err" &
  local pid=$! started=0
  for _ in $(seq 1200); do
    if [[ $ready == "*" ]]; then
      [[ $(find "$folder" -mindepth 1 -name 'clock_*[0-9].*' 2>/dev/null | wc -l) -ge 3 ]] && started=1
    else
      [[ $(stat -c %s "$ready" 2>/dev/null || echo 0) -gt 20000 ]] && started=1
    fi
    [[ $started == 1 ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  expect "$name: the run got going" test "$started" = 1
  # Files may appear while it is being removed: until it is gone.
  local removed_at=$SECONDS
  for _ in $(seq 100); do rm -rf "$folder" 2>/dev/null && [[ ! -e $folder ]] && break; done
  wait "$pid"
  local status=$?
  local took=$((SECONDS - removed_at))
  equal_status() { [[ $status -eq 1 ]] || { echo "  status $status, wanted 1"; false; }; }
  expect "$name: status 1" equal_status
  expect "$name: ended within 20 s of the removal (took $took s)" test "$took" -le 20
  expect "$name: one line naming the file" only_line_names "$folder/"
  expect "$name: nothing recreated" test ! -e "$folder"
}

mkdir -p "$WORK/r1"
# Far longer than the test may take: only noticing the removal ends it.
removed_while_running "folder removed: video" "$WORK/r1" "$WORK/r1/v.mp4.part" \
  timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet --video "$WORK/r1/v.mp4" --size 320x240 --until 1000000 --no-music
removed_while_running "folder removed: png" "$WORK/r2" "*" \
  timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet --until 1000000 --png "$WORK/r2"
removed_while_running "folder removed: surface" "$WORK/r3" "*" \
  timeout "$LIMIT" "$CAPTURE" --sheet "$SHEET" --quiet --until 1000000 --format 32 --surface "$WORK/r3"

finish
