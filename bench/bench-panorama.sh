#!/usr/bin/env bash
# bench-panorama.sh [BUILD_DIR] [RUNS]
# The wall time of keldar-cli panorama and the share of each stage: on the sample's sequence
# (8 frames of 512 x 512) and on 16 frames of 1024 x 1024 round the full circle, plain and as
# an anaglyph (the sample only: the big set has one eye). A benchmark, not a test: it prints
# figures, the median run of RUNS (default 3).
set -euo pipefail
build=$(readlink -f "${1:-$(dirname "$0")/../build-tests}")
runs=${2:-3}
cli=$build/src/cli/keldar-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" make-sample "$work/sample" >/dev/null
"$build/bench/make_panorama_frames" "$work/big" 16 1024

measure() {  # NAME DIR [options]
  local name=$1 dir=$2; shift 2
  for ((i = 1; i <= runs; i++)); do
    local start end
    start=$(date +%s.%N)
    "$cli" panorama "$dir" "$work/out.jpg" --timings "$@" 2>"$work/t$i.txt" >/dev/null
    end=$(date +%s.%N)
    echo "$(echo "$end - $start" | bc) $i"
  done | sort -n | awk -v m=$(((runs + 1) / 2)) 'NR == m {print $2}' >"$work/median"
  local pick; pick=$(cat "$work/median")
  awk -v name="$name" '/ s$/ {n = NF; t = $(n - 1); $(n) = ""; $(n - 1) = ""; sub(/ +$/, ""); stage[++k] = $0; sec[k] = t; total += t}
       END {printf "%s: %.2f s\n", name, total; for (i = 1; i <= k; i++) printf "  %-24s %7.3f s %5.1f %%\n", stage[i], sec[i], 100 * sec[i] / total}' \
      "$work/t$pick.txt"
}
echo "keldar-cli panorama on $(nproc) cores, median of $runs runs"
measure "sample, 8 frames of 512 x 512" "$work/sample"
measure "sample, anaglyph of 8 + 8 frames" "$work/sample" --anaglyph
measure "16 frames of 1024 x 1024, full circle" "$work/big"
measure "16 frames of 1024 x 1024, --jobs 1" "$work/big" --jobs 1
