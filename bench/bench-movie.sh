#!/usr/bin/env bash
# Times keldar-cli movie on 100 frames of 1024 x 1024 of one sequence, to .mp4 and .gif, plain
# and with --difference, with the share of preparing the frames (reading, scaling), the median
# and ffmpeg, and the peak memory of the run (GNU time's maximum resident size).
#
#   bench/bench-movie.sh [BUILD_DIR] [FRAMES]
#
# The frames are the sample's dust-devil frames brought to 1024 x 1024 and named as one
# sequence with consecutive clocks; they are made once under $TMPDIR.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-release}
frames=${2:-100}
cli=$build/src/cli/keldar-cli
[[ -x $cli ]] || { echo "bench-movie.sh: no keldar-cli in $build/src/cli" >&2; exit 2; }
command -v ffmpeg >/dev/null || { echo "bench-movie.sh: needs ffmpeg (Debian package ffmpeg)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "bench-movie.sh: needs GNU time (Debian package time)" >&2; exit 2; }
work=${TMPDIR:-/tmp}/keldar-bench-movie
dir=$work/frames-$frames
if [[ ! -d $dir ]]; then
    rm -rf "$work/sample" "$dir.part"
    "$cli" make-sample "$work/sample" >/dev/null
    mkdir -p "$dir.part"
    mapfile -t sources < <(ls "$work/sample" | grep 'P1853L0M1.JPG$' | sort)
    for (( i = 0; i < frames; i++ )); do
        printf -v name '2N%09dEFF6300P1853L0M1.JPG' $(( 169500000 + i * 31 ))
        ffmpeg -v error -y -i "$work/sample/${sources[i % ${#sources[@]}]}" -vf scale=1024:1024 -q:v 2 "$dir.part/$name"
    done
    mv "$dir.part" "$dir"
fi
printf '%-30s %8s %10s %8s %8s %12s %12s\n' run wall preparing median ffmpeg "keldar-cli" "with ffmpeg"
for run in "mp4" "mp4 --difference" "gif" "gif --difference"; do
    set -- $run
    out=$work/out.$1
    shift
    rm -f "$out"
    /usr/bin/time -f '%M' -o "$work/rss" "$cli" movie "$dir" "$out" "$@" --timings 2> "$work/timings" >/dev/null
    read -r preparing < <(awk '/^preparing/{print $3}' "$work/timings")
    read -r median < <(awk '/^median/{print $2}' "$work/timings")
    read -r encoder < <(awk '/^ffmpeg/{print $2}' "$work/timings")
    read -r all < <(awk '/^all/{print $2}' "$work/timings")
    read -r own < <(awk '/^peak memory/{print $3}' "$work/timings")
    printf '%-30s %7.2fs %9.2fs %7.2fs %7.2fs %9d MB %9d MB\n' "$frames x 1024², $run" "$all" "$preparing" "$median" \
        "$encoder" "$own" $(( $(cat "$work/rss") / 1024 ))
done
