#!/usr/bin/env bash
# Makes a directory of product-named JPEGs for bench_slideshow:
#
#   bench/make-slideshow-directory.sh DIR [COUNT] [grey|colour] [SIDE]
#   bench/make-slideshow-directory.sh DIR COUNT --from SOURCE_DIR
#
# COUNT defaults to 100, grey (a navigation camera) and 1024 x 1024. The pictures are made
# and written by bench_slideshow itself (the workbench's own JPEG writer). With --from, the
# JPEGs of SOURCE_DIR are copied round-robin under product names instead (real pictures).
set -euo pipefail

dir=${1:?usage: make-slideshow-directory.sh DIR [COUNT] [grey|colour] [SIDE]}
count=${2:-100}
here=$(cd "$(dirname "$0")/.." && pwd)

if ! [[ $count =~ ^[0-9]+$ ]] || (( count < 1 || count > 100000 )); then
    echo "make-slideshow-directory.sh: COUNT must be a whole number from 1 to 100000, not '$count'" >&2
    exit 2
fi

if [[ ${3:-} == --from ]]; then
    source=${4:?make-slideshow-directory.sh: --from needs a directory}
    mapfile -t pictures < <(find "$source" -maxdepth 1 -type f -iname '*.jpg' | sort)
    if (( ${#pictures[@]} == 0 )); then
        echo "make-slideshow-directory.sh: no JPEG in '$source'" >&2
        exit 1
    fi
    mkdir -p "$dir"
    for (( i = 0; i < count; i++ )); do
        printf -v name '%dN%09dEFF%02d%02dP%04d%s0M1.JPG' $(( 1 + i % 2 )) $(( 128000000 + i * 37 )) \
            $(( i / 100 % 100 )) $(( i % 100 )) $(( 1000 + i % 9000 )) "$( (( i % 2 )) && echo R || echo L)"
        cp "${pictures[i % ${#pictures[@]}]}" "$dir/$name"
    done
    echo "$count copies of ${#pictures[@]} JPEGs in $dir"
    exit 0
fi

bench=""
for candidate in "$here"/build*/bench/bench_slideshow; do
    if [[ -x $candidate ]]; then bench=$candidate; break; fi
done
if [[ -z $bench ]]; then
    echo "make-slideshow-directory.sh: no bench_slideshow found; build it first" >&2
    exit 1
fi
"$bench" --make "$dir" "$count" "${3:-grey}" "${4:-1024}"
