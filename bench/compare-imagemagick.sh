#!/usr/bin/env bash
# Times keldar-cli's anaglyph and composite commands against ImageMagick doing the same job on
# the same 1024 x 1024 JPEG inputs, in one run, and prints the ratios.
#
#   bench/compare-imagemagick.sh [path/to/keldar-cli]
#
# Environment: KELDAR_CLI (binary, if not given as argument), RUNS (timed runs per command,
# default 15), KEEP=1 keeps the scratch directory. Both sides write JPEG at quality 100
# without chroma subsampling, so they do comparable work. Uses hyperfine when installed,
# otherwise a loop timed with date +%s%N (mean of the runs after one warm-up run).
# Targets: anaglyph at least 3x faster than "composite -stereo", composite at least 3x faster
# than "convert -combine".
set -euo pipefail

source "$(dirname "$0")/find-tools.sh"

runs=${RUNS:-15}
work=$(mktemp -d "${TMPDIR:-/tmp}/keldar-compare.XXXXXX")
if [[ ${KEEP:-0} != 1 ]]; then trap 'rm -rf "$work"' EXIT; fi
cd "$work"

echo "keldar-cli: $cli"
echo "ImageMagick: $im_composite, $im_convert"
echo "Making 1024x1024 test JPEGs in $work ..."
"$im_convert" -seed 11 -size 1024x1024 plasma:fractal -quality 95 right.jpg
"$im_convert" -seed 12 -size 1024x1024 plasma:fractal -quality 95 left.jpg
for band in red green blue; do
  "$im_convert" -seed $((20 + ${#band})) -size 1024x1024 plasma:fractal -colorspace Gray -quality 95 "$band.jpg"
done

im_out=(-quality 100 -sampling-factor 1x1)
anaglyph_keldar="$cli anaglyph right.jpg left.jpg k-anaglyph.jpg"
anaglyph_im="$im_composite -stereo +0+0 left.jpg right.jpg ${im_out[*]} m-anaglyph.jpg"
composite_keldar="$cli composite red.jpg green.jpg blue.jpg k-composite.jpg"
composite_im="$im_convert red.jpg green.jpg blue.jpg -combine ${im_out[*]} m-composite.jpg"

# Each command must work before it is timed.
for cmd in "$anaglyph_keldar" "$anaglyph_im" "$composite_keldar" "$composite_im"; do
  if ! $cmd; then echo "failed: $cmd" >&2; exit 1; fi
done

# Mean wall time of a command in milliseconds.
mean_ms() {
  local cmd=$1
  if command -v hyperfine > /dev/null; then
    hyperfine --warmup 1 --runs "$runs" --export-json h.json "$cmd" > /dev/null 2>&1
    python3 -c 'import json; print("%.2f" % (json.load(open("h.json"))["results"][0]["mean"] * 1000))'
  else
    $cmd > /dev/null 2>&1
    local start end
    start=$(date +%s%N)
    for ((i = 0; i < runs; i++)); do $cmd > /dev/null 2>&1; done
    end=$(date +%s%N)
    awk -v ns=$((end - start)) -v n="$runs" 'BEGIN { printf "%.2f", ns / n / 1e6 }'
  fi
}

report() {
  local name=$1 ours=$2 theirs=$3 target=$4
  local k m
  k=$(mean_ms "$ours")
  m=$(mean_ms "$theirs")
  awk -v name="$name" -v k="$k" -v m="$m" -v t="$target" 'BEGIN {
    r = m / k
    printf "%-10s keldar-cli %8.2f ms   ImageMagick %8.2f ms   ratio %5.2fx   (target >= %dx: %s)\n",
           name, k, m, r, t, (r >= t ? "met" : "NOT met")
  }'
}

echo "Timing $runs runs each ($(command -v hyperfine > /dev/null && echo hyperfine || echo 'date loop')) ..."
report anaglyph "$anaglyph_keldar" "$anaglyph_im" 3
report composite "$composite_keldar" "$composite_im" 3
