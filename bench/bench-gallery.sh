#!/usr/bin/env bash
# Times keldar-cli gallery (a contact sheet of 128-pixel thumbnails) over 2,000 grey JPEGs of
# 1024 x 1024, and in the same run makes 128-pixel thumbnails of the same files with other
# tools, for the ratios:
#   montage       ImageMagick's contact sheet of the same files (-define jpeg:size=256x256)
#   vips          vipsthumbnail -s 128, two processes each over half the files
#   convert       ImageMagick, one process per file (-define jpeg:size=256x256 -thumbnail), two at a time
#   djpeg 1/8     libjpeg's 1/8-scale decode of each file alone, two at a time: the floor
#
#   bench/bench-gallery.sh [BUILD_DIR] [FILES]
#
# Needs ffmpeg to make the files (the sample's dust-devil frames brought to 1024 x 1024, each
# file its own bytes), and for the comparisons imagemagick, libvips-tools and
# libjpeg-turbo-progs; a missing tool's row is left out with a note.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-release}
files=${2:-2000}
cli=$build/src/cli/keldar-cli
[[ -x $cli ]] || { echo "bench-gallery.sh: no keldar-cli in $build/src/cli" >&2; exit 2; }
command -v ffmpeg >/dev/null || { echo "bench-gallery.sh: needs ffmpeg to make the files" >&2; exit 2; }
work=${TMPDIR:-/tmp}/keldar-bench-gallery
dir=$work/files-$files
if [[ ! -d $dir ]]; then
    rm -rf "$work/sample" "$dir.part" "$work/sources"
    "$cli" make-sample "$work/sample" >/dev/null
    mkdir -p "$dir.part" "$work/sources"
    i=0
    for f in "$work/sample"/*P1853L0M1.JPG; do
        ffmpeg -v error -y -i "$f" -vf scale=1024:1024 -q:v 3 "$work/sources/$((i++)).jpg"
    done
    for (( i = 0; i < files; i++ )); do
        printf -v name '2N%09dEFF6300P%04dL0M1.JPG' $(( 169500000 + i * 31 )) $(( 1853 + i / 100 ))
        cp "$work/sources/$(( i % 16 )).jpg" "$dir.part/$name"
    done
    mv "$dir.part" "$dir"
fi
cat "$dir"/* > /dev/null  # every run reads from the page cache
seconds() { local s=$(date +%s.%N); "$@" > /dev/null 2>&1 || true; echo "$(date +%s.%N) - $s" | bc; }
out=$work/out; rm -rf "$out"; mkdir -p "$out"
ours=$(seconds "$cli" gallery "$dir" "$out/sheet.jpg")
printf '%-44s %8.2f s\n' "keldar-cli gallery, $files files" "$ours"
row() {  # name seconds
    printf '%-44s %8.2f s   %6.2f x keldar-cli'"'"'s time\n' "$1" "$2" "$(echo "$2 / $ours" | bc -l)"
}
if command -v vipsthumbnail >/dev/null; then
    mkdir -p "$out/vips"
    t=$(seconds bash -c "ls '$dir'/*.JPG | split -n r/2 --filter='xargs vipsthumbnail -s 128 -o $out/vips/%s.jpg' -")
    row "vipsthumbnail -s 128, 2 processes" "$t"
else echo "(no vipsthumbnail: apt-get install libvips-tools)"; fi
if command -v convert >/dev/null; then
    mkdir -p "$out/im"
    t=$(seconds bash -c "ls '$dir'/*.JPG | xargs -P2 -I{} sh -c 'convert -define jpeg:size=256x256 \"{}\" -thumbnail 128x128 \"$out/im/\$(basename \"{}\")\"'")
    row "convert -thumbnail 128x128, 2 at a time" "$t"
    t=$(seconds montage -define jpeg:size=256x256 "$dir"/*.JPG -geometry 128x128+4+4 "$out/montage.jpg")
    row "montage of 128-pixel thumbnails" "$t"
else echo "(no ImageMagick: apt-get install imagemagick)"; fi
if command -v djpeg >/dev/null; then
    t=$(seconds bash -c "ls '$dir'/*.JPG | xargs -P2 -n1 djpeg -scale 1/8 -grayscale -outfile /dev/null")
    row "djpeg -scale 1/8, 2 at a time (the floor)" "$t"
else echo "(no djpeg: apt-get install libjpeg-turbo-progs)"; fi
