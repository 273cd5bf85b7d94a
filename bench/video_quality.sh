#!/usr/bin/env bash
# Measures the video capture: speed against real time, peak memory, file
# size, and the picture's fidelity as RGB PSNR of every frame against the
# lossless render of the same frame (worst frame and mean).
# Usage: bench/video_quality.sh [RUNS] [UNTIL] [extra zelvik-capture options...]
#   RUNS   captures to time (default 3; the median is printed)
#   UNTIL  last demo clock (default: the whole show)
# Runs in the data folder of build/ (or ZELVIK_BUILD_DIR); needs ffmpeg
# and /usr/bin/time. The lossless reference is made once per UNTIL and kept in
# $ZELVIK_VQ_DIR (default /tmp/zelvik-video-quality).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
CAPTURE="$(build_path "$BUILD_DIR" zelvik-capture)"
RUNS="${1:-3}"
UNTIL="${2:-10935}"
shift $(($# < 2 ? $# : 2))
WORK="${ZELVIK_VQ_DIR:-/tmp/zelvik-video-quality}"
mkdir -p "$WORK"
cd "$(build_path "$BUILD_DIR" data)"

reference="$WORK/reference_$UNTIL.mkv"
if [[ ! -s "$reference" ]]; then
  echo "video_quality: making the lossless reference (demo clock 0 ... $UNTIL)" >&2
  "$CAPTURE" --quiet --no-music --lossless --until "$UNTIL" --video "$reference" "$@"
fi

seconds_of_video=$(awk -v u="$UNTIL" 'BEGIN { printf "%.2f", (int(u * 60 / 100) + 1) / 60 }')
declare -a speeds
for run in $(seq "$RUNS"); do
  /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" "$CAPTURE" --quiet --until "$UNTIL" \
    --video "$WORK/video.mp4" "$@"
  read -r wall user system rss <"$WORK/time"
  speed=$(awk -v v="$seconds_of_video" -v w="$wall" 'BEGIN { printf "%.2f", v / w }')
  speeds+=("$speed")
  echo "run $run: ${wall} s wall, $(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }') s CPU," \
    "${speed}x real time, peak RSS $((rss / 1024)) MB, load $(cut -d' ' -f1 /proc/loadavg)"
done
median=$(printf '%s\n' "${speeds[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')

# Both streams renumbered frame by frame: Matroska keeps milliseconds, MP4
# exact 1/60 s, and pairing by time would match neighbouring frames.
ffmpeg -v error -i "$WORK/video.mp4" -i "$reference" -lavfi \
  "[0:v]settb=1/60,setpts=N,scale=in_color_matrix=bt709:in_range=limited:out_range=full:flags=bicubic+accurate_rnd+full_chroma_int,format=gbrp[a];[1:v]settb=1/60,setpts=N,format=gbrp[b];[a][b]psnr=stats_file=$WORK/psnr.log" \
  -f null -
read -r worst frame mean < <(awk '{
    for (i = 1; i <= NF; i++) if ($i ~ /^psnr_avg:/) {
      split($i, a, ":"); v = (a[2] == "inf") ? 99 : a[2]; s += v; n++
      if (min == "" || v < min) { min = v; f = $1 }
    }
  } END { printf "%s %s %.2f\n", min, f, s / n }' "$WORK/psnr.log")
echo "median ${median}x real time over $RUNS runs; $(stat -c %s "$WORK/video.mp4") bytes;" \
  "RGB PSNR worst $worst dB (frame ${frame#n:}), mean $mean dB"
