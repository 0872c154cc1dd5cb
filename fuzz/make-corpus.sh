#!/bin/sh
# Generates the seed corpora from scratch with our own encoders (no borrowed files).
# Usage: fuzz/make-corpus.sh <fuzz build dir> [output dir, default <build dir>/corpus]
set -eu
build=${1:?usage: make-corpus.sh <fuzz build dir> [output dir]}
out=${2:-$build/corpus}
cmake --build "$build" -j2 --target fuzz_make_seeds
"$build/fuzz/fuzz_make_seeds" "$out"
for d in "$out"/*; do echo "$(ls "$d" | wc -l) seeds in $d"; done
