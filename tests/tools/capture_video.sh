#!/usr/bin/env bash
# zelvik-capture --video: short videos checked with ffprobe and ffmpeg for
# frame count, codecs, profiles and level, shape, sound in step with the
# picture (sample-exact where the codec allows), determinism, exact pixels
# of the lossless file, and the failure paths (nothing left under the final
# name).
# Usage: capture_video.sh PATH-TO-zelvik-capture PATH-TO-scene1.bmp PATH-TO-demo.xm
set -uo pipefail

CAPTURE="$1"
SHEET="$2"
MUSIC="$3"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

equal() {  # equal NAME ACTUAL WANTED
  if [[ "$2" == "$3" ]]; then passes=$((passes + 1)); else
    echo "FAIL: $1: got '$2', wanted '$3'"
    failures=$((failures + 1))
  fi
}

capture() { "$CAPTURE" --sheet "$SHEET" --quiet "$@"; }

probe() {  # probe FILE STREAM ENTRY: one value of one stream
  ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of default=nw=1 "$1" | sort | paste -sd' '
}

packets() {  # packets FILE STREAM: number of packets (one per frame for video)
  ffprobe -v error -select_streams "$2" -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$1"
}

end_time() {  # end_time FILE STREAM: where the stream's last packet ends, in seconds
  ffprobe -v error -select_streams "$2" -show_entries packet=pts_time,duration_time -of csv=p=0 "$1" |
    awk -F, '{ e = $1 + $2; if (e > m) m = e } END { printf "%.6f\n", m }'
}

sound_bytes() {  # sound_bytes FILE: bytes of its decoded sound as 16-bit samples
  ffmpeg -v error -i "$1" -map 0:a -f s16le - | wc -c
}

in_step() {  # in_step FILE SECONDS: sound and picture end within SECONDS of each other
  local v a
  v=$(end_time "$1" v:0)
  a=$(end_time "$1" a:0)
  awk -v v="$v" -v a="$a" -v most="$2" 'BEGIN { d = v - a; if (d < 0) d = -d; exit !(d <= most) }' ||
    { echo "  picture ends at $v s, sound at $a s"; false; }
}

only_line_names() {  # stderr is one line that names the text
  [[ $(wc -l <"$WORK/err") -eq 1 ]] && grep -q -- "$1" "$WORK/err"
}

# --- The default: H.264 High 4:2:0 + AAC-LC, each canvas pixel 4x4, 1.5 s --
check "mp4" 0 capture --video "$WORK/a.mp4" --until 150 --music "$MUSIC"
expect "mp4 written, no partial file left" test -s "$WORK/a.mp4" -a ! -e "$WORK/a.mp4.part"
equal "mp4 frames: floor(150 * 60 / 100) + 1" "$(packets "$WORK/a.mp4" v:0)" 91
equal "mp4 video" "$(probe "$WORK/a.mp4" v:0 codec_name,profile,pix_fmt,level,width,height,sample_aspect_ratio,display_aspect_ratio)" \
  "codec_name=h264 display_aspect_ratio=4:3 height=800 level=40 pix_fmt=yuv420p profile=High sample_aspect_ratio=5:6 width=1280"
equal "mp4 sound" "$(probe "$WORK/a.mp4" a:0 codec_name,profile,sample_rate,channels)" \
  "channels=2 codec_name=aac profile=LC sample_rate=44100"
# The index before the media data, so that the file plays while it loads.
expect "mp4 index at the front" awk '/moov/ { exit 0 } /mdat/ { exit 1 }' \
  <(ffprobe -v trace "$WORK/a.mp4" 2>&1 | grep -o "type:'\(moov\|mdat\)'" | head -2)
# MP4 records the sound's exact length: the ends meet within a frame.
expect "mp4 sound and picture end together" in_step "$WORK/a.mp4" 0.0167

check "mp4 again" 0 capture --video "$WORK/b.mp4" --until 150 --music "$MUSIC"
ffmpeg -v error -i "$WORK/a.mp4" -f framemd5 - >"$WORK/a.md5" 2>&1
ffmpeg -v error -i "$WORK/b.mp4" -f framemd5 - >"$WORK/b.md5" 2>&1
expect "same arguments, same decoded frames and sound" cmp -s "$WORK/a.md5" "$WORK/b.md5"
expect "decoded something" test "$(grep -vc '^#' "$WORK/a.md5")" -gt 100
# --compact: the same frames from a slower preset, in fewer bytes.
check "compact" 0 capture --video "$WORK/compact.mp4" --compact --until 150 --music "$MUSIC"
equal "compact frames" "$(packets "$WORK/compact.mp4" v:0)" "$(packets "$WORK/a.mp4" v:0)"
expect "compact is smaller" test "$(stat -c %s "$WORK/compact.mp4")" -lt "$(stat -c %s "$WORK/a.mp4")"
# --chroma 444: the earlier default, square pixels at 1280x960 in full colour.
check "chroma 444" 0 capture --video "$WORK/full.mp4" --chroma 444 --until 50 --no-music
equal "chroma 444 video" "$(probe "$WORK/full.mp4" v:0 profile,pix_fmt,width,height,display_aspect_ratio)" \
  "display_aspect_ratio=4:3 height=960 pix_fmt=yuv444p profile=High 4:4:4 Predictive width=1280"

# --- WebM by the name: VP9 + Opus at 48000 Hz, sample-exact -----------------
check "webm" 0 capture --video "$WORK/w.webm" --until 150 --fps 30 --music "$MUSIC"
equal "webm container" "$(ffprobe -v error -show_entries format=format_name -of default=nw=1:nk=1 "$WORK/w.webm")" \
  "matroska,webm"
equal "webm video" "$(probe "$WORK/w.webm" v:0 codec_name,pix_fmt,width,height,display_aspect_ratio)" \
  "codec_name=vp9 display_aspect_ratio=1067:800 height=800 pix_fmt=yuv420p width=1280"
equal "webm sound" "$(probe "$WORK/w.webm" a:0 codec_name,sample_rate,channels)" \
  "channels=2 codec_name=opus sample_rate=48000"
equal "webm frames" "$(ffmpeg -v error -i "$WORK/w.webm" -map 0:v -f framecrc - | grep -vc '^#')" 46
# Opus's encoder delay and last block are trimmed by the file's own marks:
# exactly floor(46 * 48000 / 30) samples.
equal "webm samples" "$(sound_bytes "$WORK/w.webm")" $((73600 * 4))
check "webm 444" 0 capture --video "$WORK/full.webm" --chroma 444 --size 320x240 --until 50 --no-music
equal "webm 444: VP9 profile 1" "$(probe "$WORK/full.webm" v:0 codec_name,profile,pix_fmt)" \
  "codec_name=vp9 pix_fmt=yuv444p profile=Profile 1"
check "webm rate" 2 capture --video "$WORK/x.webm" --rate 44100 --until 10 --music "$MUSIC"
expect "webm rate: one line naming --rate" only_line_names "--rate"

# Matroska by the name, music at the low rate in mono, 60 fps.
check "mkv" 0 capture --video "$WORK/c.mkv" --until 250 --rate 22050 --mono --size 640x480 --music "$MUSIC"
equal "mkv video: 4:3 picture in the frame" "$(probe "$WORK/c.mkv" v:0 width,height,sample_aspect_ratio)" \
  "height=480 sample_aspect_ratio=1:1 width=640"
equal "mkv container" "$(ffprobe -v error -show_entries format=format_name -of default=nw=1:nk=1 "$WORK/c.mkv")" \
  "matroska,webm"
equal "mkv frames" "$(packets "$WORK/c.mkv" v:0)" 151
equal "mkv sound" "$(probe "$WORK/c.mkv" a:0 codec_name,sample_rate,channels)" \
  "channels=1 codec_name=aac sample_rate=22050"
# Matroska keeps AAC's last block whole: the sound may run on by up to one
# block of 1024 samples.
expect "mkv sound and picture end together" in_step "$WORK/c.mkv" 0.0465

check "silent" 0 capture --video "$WORK/d.mp4" --until 100 --no-music --size 320x240
equal "silent: picture only" "$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$WORK/d.mp4")" video

# --- Lossless at the canvas's size: the presented pixels come back exactly --
check "lossless" 0 capture --video "$WORK/e.mkv" --lossless --size native --until 300 --fps 30 \
  --music "$MUSIC"
equal "lossless video" "$(probe "$WORK/e.mkv" v:0 codec_name,width,height,pix_fmt,sample_aspect_ratio,display_aspect_ratio)" \
  "codec_name=ffv1 display_aspect_ratio=4:3 height=200 pix_fmt=bgr0 sample_aspect_ratio=5:6 width=320"
equal "lossless sound" "$(probe "$WORK/e.mkv" a:0 codec_name,sample_rate,channels)" \
  "channels=2 codec_name=flac sample_rate=44100"
equal "lossless frames" "$(packets "$WORK/e.mkv" v:0)" 91
# Lossless sound has no encoder delay: exactly floor(91 * 44100 / 30) samples.
equal "lossless samples" "$(sound_bytes "$WORK/e.mkv")" $((133770 * 4))
expect "lossless sound and picture end together" in_step "$WORK/e.mkv" 0.0333
# Frame 60 of 30 fps is drawn at clock 200 and frame 90 at clock 300.
check "surface of clock 200 and 300" 0 capture --fps 30 --at 200,300 --format 32 --surface "$WORK/s"
for frame in 60:200 90:300; do
  ffmpeg -v error -y -i "$WORK/e.mkv" -vf "select=eq(n\\,${frame%:*})" -frames:v 1 -f rawvideo -pix_fmt bgr0 \
    "$WORK/frame.raw"
  expect "lossless frame ${frame%:*} is the presented surface" \
    cmp -s "$WORK/frame.raw" "$(printf '%s/s/clock_%06d.raw' "$WORK" "${frame#*:}")"
done

# --- Failures leave nothing under the final name ------------------------------
check "folder missing" 1 capture --video "$WORK/no/such/folder/x.mp4" --until 10 --no-music
expect "folder missing: one line naming the file" only_line_names "no/such/folder/x.mp4"
expect "folder missing: no file" test ! -e "$WORK/no"

check "music missing" 1 capture --video "$WORK/f.mp4" --until 10 --music "$WORK/none.xm"
expect "music missing: one line naming --music" only_line_names "--music"
expect "music missing: no file" test ! -e "$WORK/f.mp4" -a ! -e "$WORK/f.mp4.part"

# A file size limit makes writing fail part-way, as a full disk does (the
# tool ignores the SIGXFSZ that comes with it).
echo "an older file" >"$WORK/g.mkv"
check "writing fails" 1 bash -c 'ulimit -f 200; exec "$@"' - \
  "$CAPTURE" --sheet "$SHEET" --quiet --video "$WORK/g.mkv" --lossless --size native --until 3000 --no-music
expect "writing fails: one line naming the file" only_line_names "g.mkv"
expect "writing fails: the older file is kept" grep -q "an older file" "$WORK/g.mkv"
expect "writing fails: partial file removed" test ! -e "$WORK/g.mkv.part"

# Ctrl+C part-way: stop, remove the partial file, status 130.
"$CAPTURE" --sheet "$SHEET" --quiet --video "$WORK/h.mp4" --size 320x240 --until 100000 --no-music \
  2>"$WORK/err" &
pid=$!
for _ in $(seq 600); do
  [[ $(stat -c %s "$WORK/h.mp4.part" 2>/dev/null || echo 0) -gt 20000 ]] && break
  sleep 0.05
done
kill -INT "$pid"
wait "$pid"
equal "interrupted: status" "$?" 130
expect "interrupted: one line" only_line_names "SIGINT"
expect "interrupted: no file" test ! -e "$WORK/h.mp4" -a ! -e "$WORK/h.mp4.part"

finish
