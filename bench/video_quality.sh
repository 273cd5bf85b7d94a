#!/usr/bin/env bash
# Measures the video capture: speed against real time, processor time, peak
# memory, file size, and the picture's fidelity frame by frame against the
# lossless render of the same frame at the same size, as a player shows it
# (decoded and turned into RGB by FFmpeg's default conversion): RGB PSNR
# (worst frame and mean), luma PSNR and SSIM (worst and mean), and the
# frames under 40 dB.
# Usage: bench/video_quality.sh [RUNS] [UNTIL] [extra zelvik-capture options...]
#   RUNS   captures to time (default 3; the median is printed; 0 measures
#          the file left by an earlier run)
#   UNTIL  last demo clock (default: the whole show)
# Runs in the data folder of build/ (or ZELVIK_BUILD_DIR); needs ffmpeg and
# /usr/bin/time. ZELVIK_VQ_NAME names the capture (default video.mp4; its
# extension picks the container). The lossless reference is made once per
# UNTIL and frame size and kept in $ZELVIK_VQ_DIR (default
# /tmp/zelvik-video-quality).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
CAPTURE="$(build_path "$BUILD_DIR" zelvik-capture)"
RUNS="${1:-3}"
UNTIL="${2:-10935}"
shift $(($# < 2 ? $# : 2))
WORK="${ZELVIK_VQ_DIR:-/tmp/zelvik-video-quality}"
VIDEO="$WORK/${ZELVIK_VQ_NAME:-video.mp4}"
mkdir -p "$WORK"
cd "$(build_path "$BUILD_DIR" data)"

seconds_of_video=$(awk -v u="$UNTIL" 'BEGIN { printf "%.2f", (int(u * 60 / 100) + 1) / 60 }')
declare -a speeds walls cpus
for run in $(seq "$RUNS"); do
  /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" "$CAPTURE" --quiet --until "$UNTIL" --video "$VIDEO" "$@"
  read -r wall user system rss <"$WORK/time"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')
  speed=$(awk -v v="$seconds_of_video" -v w="$wall" 'BEGIN { printf "%.2f", v / w }')
  speeds+=("$speed") walls+=("$wall") cpus+=("$cpu")
  echo "run $run: ${wall} s wall, $cpu s CPU, ${speed}x real time, peak RSS $((rss / 1024)) MB," \
    "load $(cut -d' ' -f1 /proc/loadavg)"
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# The reference: the lossless render at the capture's frame size. Where that
# is a whole multiple of the canvas across and down, each canvas pixel is a
# block (nothing is blended): the reference is the canvas-sized render,
# repeated the same way.
IFS=, read -r width height aspect < <(ffprobe -v error -select_streams v:0 \
  -show_entries stream=width,height,sample_aspect_ratio -of csv=p=0 "$VIDEO")
if ((width % 320 == 0 && height % 200 == 0)); then
  size=native repeat="format=gbrp,scale=$width:$height:flags=neighbor,"
else
  size="${width}x$height" repeat=""
fi
reference="$WORK/reference_${UNTIL}_$size.mkv"
if [[ ! -s "$reference" ]]; then
  echo "video_quality: making the lossless reference (demo clock 0 ... $UNTIL, --size $size)" >&2
  "$CAPTURE" --quiet --no-music --lossless --until "$UNTIL" --size "$size" --video "$reference"
fi

# Both streams renumbered frame by frame: Matroska keeps milliseconds, MP4
# exact 1/60 s, and pairing by time would match neighbouring frames. The
# capture's RGB is FFmpeg's default conversion (it follows the stream's
# BT.709 studio-range tags); its luma is compared with the reference's
# converted by the same matrix.
ffmpeg -v error -i "$VIDEO" -i "$reference" -lavfi \
  "[0:v]settb=1/60,setpts=N,split[v0][v1];[1:v]settb=1/60,setpts=N,${repeat}format=gbrp,split[r0][r1];
   [v0]format=gbrp[c0];
   [v1]scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd,format=yuv444p,split[cy0][cy1];
   [r1]scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd,format=yuv444p,split[ry0][ry1];
   [c0][r0]psnr=stats_file=$WORK/psnr.log[o0];[cy0][ry0]psnr=stats_file=$WORK/luma.log[o1];
   [cy1][ry1]ssim=stats_file=$WORK/ssim.log[o2]" \
  -map '[o0]' -f null - -map '[o1]' -f null - -map '[o2]' -f null -
worst_and_mean() {  # worst_and_mean FILE FIELD: worst frame's value, its number, the mean, frames < 40
  awk -v field="$2" '{
      for (i = 1; i <= NF; i++) if (index($i, field ":") == 1) {
        v = substr($i, length(field) + 2); if (v == "inf") v = 99; s += v; n++
        if (min == "" || v + 0 < min + 0) { min = v; f = $1 }
        if (v + 0 < 40) low++
      }
    } END { printf "%s %s %.4f %d\n", min, f, s / n, low }' "$1"
}
read -r rgb rgb_frame rgb_mean rgb_low < <(worst_and_mean "$WORK/psnr.log" psnr_avg)
read -r luma luma_frame luma_mean luma_low < <(worst_and_mean "$WORK/luma.log" psnr_y)
read -r ssim ssim_frame ssim_mean _ < <(worst_and_mean "$WORK/ssim.log" Y)
((RUNS == 0)) || echo "median ${#speeds[@]} runs: $(median "${walls[@]}") s wall, $(median "${cpus[@]}") s CPU," \
  "$(median "${speeds[@]}")x real time"
echo "$(stat -c %s "$VIDEO") bytes; ${width}x$height, pixels $aspect"
echo "RGB PSNR worst $rgb dB (frame ${rgb_frame#n:}), mean $rgb_mean dB, $rgb_low frames < 40 dB;" \
  "luma PSNR worst $luma dB (frame ${luma_frame#n:}), mean $luma_mean dB, $luma_low frames < 40 dB;" \
  "luma SSIM worst $ssim (frame ${ssim_frame#n:}), mean $ssim_mean"
