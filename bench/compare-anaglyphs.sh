#!/usr/bin/env bash
# Times "keldar-cli anaglyphs" over a directory of stereo pairs, on one thread and on all
# cores, against a loop of ImageMagick's "composite -stereo" on two parallel jobs over the
# same pairs, in one run, and prints pairs per second and the ratios.
#
#   bench/compare-anaglyphs.sh [path/to/keldar-cli]
#
# Environment: KELDAR_CLI (binary, if not given as argument), PAIRS (default 200), SIDE
# (pixels, default 1024), KEEP=1 keeps the scratch directory, COLOUR=1 three-channel inputs.
# The pictures are ImageMagick plasma, eight different ones shared out over the pairs, as
# single-channel JPEGs like the rovers' raw NAVCAM images. Both sides write JPEG at quality 100 without chroma subsampling.
# Targets: all cores at least 1.8x the pairs per second of --jobs 1, and at least 5x the
# pairs per second of the ImageMagick loop. Build with -DCMAKE_BUILD_TYPE=Release.
set -euo pipefail

source "$(dirname "$0")/find-tools.sh"

pairs=${PAIRS:-200}
side=${SIDE:-1024}
work=$(mktemp -d "${TMPDIR:-/tmp}/keldar-anaglyphs.XXXXXX")
if [[ ${KEEP:-0} != 1 ]]; then trap 'rm -rf "$work"' EXIT; fi
cd "$work"

echo "keldar-cli: $cli ($(nproc) cores)"
echo "ImageMagick: $im_composite"
echo "Making $pairs pairs of ${side}x${side} JPEGs in $work ..."
# NAVCAM products are single-channel JPEGs, as the rovers' raw images are; COLOUR=1 makes
# three-channel inputs (quality 100, 4:4:4, by keldar-cli's own encoder) instead.
for i in 0 1 2 3 4 5 6 7; do
  "$im_convert" -seed $((31 + i)) -size "${side}x${side}" plasma:fractal "BMP3:base$i.bmp"
  if [[ ${COLOUR:-0} == 1 ]]; then
    "$cli" sunset "base$i.bmp" "base$i.jpg" --passes 0
  else
    "$im_convert" "base$i.bmp" -colorspace Gray -type Grayscale -quality 95 "base$i.jpg"
  fi
done
mkdir pairs
for ((i = 0; i < pairs; i++)); do
  id=$(printf '2N%09dEFF0300P1512' $((127531000 + i)))
  cp "base$(((2 * i) % 8)).jpg" "pairs/${id}L0M1.JPG"
  cp "base$(((2 * i + 1) % 8)).jpg" "pairs/${id}R0M1.JPG"
done
cat pairs/* > /dev/null  # every run reads from the page cache

# Wall time and CPU time (user + system, all threads and children) of a command in seconds.
# The CPU time tells how much work each side does even when other loads share the cores.
measure() {
  local start end cpu=nan
  start=$(date +%s%N)
  if [[ -x /usr/bin/time ]]; then
    cpu=$(/usr/bin/time -f '%U %S' "$@" 2>&1 > /dev/null | tail -n 1 | awk '{ print $1 + $2 }')
  else
    "$@" > /dev/null
  fi
  end=$(date +%s%N)
  awk -v ns=$((end - start)) -v cpu="$cpu" 'BEGIN { printf "%.3f %s\n", ns / 1e9, cpu }'
}

im_pair() {
  local left=$1
  "$im_composite" -stereo +0+0 "$left" "${left%L0M1.JPG}R0M1.JPG" -quality 100 -sampling-factor 1x1 \
    "im/$(basename "$left" .JPG)-B30C16M50-01.jpg"
}
im_loop() { ls pairs/*L0M1.JPG | xargs -P2 -I{} bash -c 'im_pair "$1"' _ {}; }
export -f im_pair im_loop
export im_composite
mkdir im

echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
read -r one one_cpu < <(measure "$cli" anaglyphs pairs out-1 --jobs 1)
read -r all all_cpu < <(measure "$cli" anaglyphs pairs out-all)
read -r im im_cpu < <(measure bash -c im_loop)
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

for out in out-1 out-all im; do
  made=$(ls "$out" | wc -l)
  if [[ $made != "$pairs" ]]; then echo "$out holds $made files, not $pairs" >&2; exit 1; fi
done
if ! cmp -s "out-1/$(ls out-1 | head -n 1)" "out-all/$(ls out-all | head -n 1)"; then
  echo "--jobs 1 and all cores wrote different files" >&2
  exit 1
fi

awk -v n="$pairs" -v one="$one" -v all="$all" -v im="$im" -v c1="$one_cpu" -v ca="$all_cpu" -v ci="$im_cpu" 'BEGIN {
  printf "keldar-cli anaglyphs --jobs 1   %7.2f s  %7.1f pairs/s  %6.1f ms CPU/pair\n", one, n / one, c1 * 1000 / n
  printf "keldar-cli anaglyphs (all)      %7.2f s  %7.1f pairs/s  %6.1f ms CPU/pair\n", all, n / all, ca * 1000 / n
  printf "composite -stereo, xargs -P2    %7.2f s  %7.1f pairs/s  %6.1f ms CPU/pair\n", im, n / im, ci * 1000 / n
  s = one / all; r = im / all
  printf "all cores vs --jobs 1: %.2fx (target >= 1.8x: %s)\n", s, (s >= 1.8 ? "met" : "NOT met")
  printf "all cores vs ImageMagick: %.2fx (target >= 5x: %s)\n", r, (r >= 5 ? "met" : "NOT met")
}'
