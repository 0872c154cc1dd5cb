#!/usr/bin/env bash
# Makes a directory of many product-named JPEG files (hard links of one small JPEG, copies
# where the file system has no hard links), to measure how the workbench copes with a large
# image directory:
#
#   bench/make-big-directory.sh DIR [COUNT] [JPEG]
#
# COUNT defaults to 20000. Without JPEG the first picture of a freshly generated sample
# directory is used (keldar-cli is looked for in the usual build directories or on PATH).
set -euo pipefail

dir=${1:?usage: make-big-directory.sh DIR [COUNT] [JPEG]}
count=${2:-20000}
source=${3:-}
here=$(cd "$(dirname "$0")/.." && pwd)

if ! [[ $count =~ ^[0-9]+$ ]] || (( count < 1 || count > 1000000 )); then
    echo "make-big-directory.sh: COUNT must be a whole number from 1 to 1000000, not '$count'" >&2
    exit 2
fi

if [[ -z $source ]]; then
    cli=""
    for candidate in "$here"/build*/src/cli/keldar-cli "$(command -v keldar-cli || true)"; do
        if [[ -n $candidate && -x $candidate ]]; then cli=$candidate; break; fi
    done
    if [[ -z $cli ]]; then
        echo "make-big-directory.sh: no keldar-cli found; build it or give a JPEG as the third argument" >&2
        exit 1
    fi
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    "$cli" make-sample "$scratch/sample" >/dev/null
    source=$(find "$scratch/sample" -maxdepth 1 -name '*.JPG' | sort | head -n 1)
fi
if [[ ! -f $source ]]; then
    echo "make-big-directory.sh: '$source' is not a file" >&2
    exit 1
fi

mkdir -p "$dir"
seed="$dir/.seed.jpg"
cp "$source" "$seed"

# Names like the archive's: rover, camera, a rising clock, type, site, drive, sequence, eye,
# filter, producer and version; both rovers and both eyes, every name different.
linked=0
eyes=(L L R R)
for (( i = 0; i < count; i++ )); do
    printf -v name '%dN%09dEFF%02d%02dP%04d%s0M1.JPG' $(( 1 + i % 2 )) $(( 128000000 + i * 37 )) \
        $(( i / 100 % 100 )) $(( i % 100 )) $(( 1000 + i % 9000 )) "${eyes[i % 4]}"
    if ln -f "$seed" "$dir/$name" 2>/dev/null; then
        linked=$(( linked + 1 ))
    else
        cp "$seed" "$dir/$name"
    fi
done
rm -f "$seed"
echo "$count files in $dir ($linked hard links of $(stat -c %s "$source") bytes)"
