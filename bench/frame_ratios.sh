#!/usr/bin/env bash
# Runs the per-range and whole-show benchmarks with the byte-copy baseline
# in one run and prints medians of five repetitions: each range's draw-only
# and whole-frame cost in microseconds, and the whole frame over the
# baseline; then the mean frame of the whole show at 100 frames per second
# over the baseline. Times are the process's own processor time, which a
# machine shared with other work disturbs far less than time on the clock.
# Usage: bench/frame_ratios.sh [PATH-TO-zelvik_bench [extra benchmark options]]
# (default: the zelvik_bench of build/, or of ZELVIK_BUILD_DIR)
set -euo pipefail
if (($#)); then
  BENCH="$1"
  shift
else
  source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
  BENCH="$(build_path "$BUILD_DIR" zelvik_bench)"
fi
"$BENCH" --benchmark_filter='ByteCopyBaseline|BM_Range|BM_WholeShow|ExpandCanvas|ConvertFrame/0' \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@" 2>/dev/null |
  awk '
    function micro(value, unit) { return unit == "ns" ? value / 1000 : unit == "us" ? value : value * 1000 }
    $1 ~ /_median$/ {
      name = $1; sub(/_median$/, "", name)
      t = micro($4, $5)
      if (name == "BM_ByteCopyBaseline") base = t
      else if (name == "BM_ExpandCanvas") expand = t
      else if (name == "BM_ConvertFrame/0") convert = t
      else if (name == "BM_WholeShow") { whole = t / $7; wholeFrames = $7 }
      else if (name ~ /^BM_RangeDraw\//) { i = name; sub(/.*\//, "", i); draw[i] = t }
      else if (name ~ /^BM_RangeFrame\//) {
        i = name; sub(/.*\//, "", i); frame[i] = t
        label = ""; for (k = 7; k <= NF; ++k) label = label (k > 7 ? " " : "") $k
        names[i] = label
      }
    }
    END {
      printf "byte-copy baseline (64,000 + 2 x 256,000 bytes): %.1f us\n", base
      printf "ExpandCanvas: %.1f us   32-bit conversion of a frame: %.1f us\n\n", expand, convert
      printf "%-2s  %-24s %10s %10s %8s\n", "#", "range", "draw us", "frame us", "frame/base"
      for (i = 0; i < 12; ++i)
        printf "%-2d  %-24s %10.1f %10.1f %8.1f\n", i, names[i], draw[i], frame[i], frame[i] / base
      if (wholeFrames > 0)
        printf "\nwhole show at 100 fps (%d frames): %.1f us a frame, %.2f x the baseline\n",
               wholeFrames, whole, whole / base
    }'
