#!/usr/bin/env bash
# bench-fetch.sh [KELDAR_CLI]
# keldar-cli fetch against a local stand-in for the archive (tests/fetch/archive_server.py)
# with 200 ms added to every answer: how many requests finding a sol in an index of 500,000
# records takes, and how long fetching that sol's 200 browse JPEGs of about 100 KB takes with
# 1 and with 4 connections. A benchmark, not a test: it prints figures.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$(readlink -f "${1:-$here/../build-tests/src/cli/keldar-cli}")
work=$(mktemp -d)
trap 'kill ${server:-0} 2>/dev/null || true; rm -rf "$work"' EXIT

python3 - "$work/archive" <<'PY'
import os, random, struct, sys, zlib
root = sys.argv[1]
vol = os.path.join(root, "spirit", "mer2no_0xxx")
cols = [("PATH_NAME", "CHARACTER", 40), ("FILE_NAME", "CHARACTER", 36), ("PRODUCT_ID", "CHARACTER", 29),
        ("PLANET_DAY_NUMBER", "ASCII_INTEGER", 5), ("FILTER_NAME", "CHARACTER", 14)]
per_sol, sols, wanted = 200, 2500, 1234
record_bytes = sum(c[2] + 1 for c in cols) + 2
os.makedirs(os.path.join(vol, "index"))
def ident(sol, k):
    return "2N%09dEFF0300P1512%s0M1" % (126400000 + sol * 88775 + k // 2 * 40, "LR"[k % 2])
with open(os.path.join(vol, "index", "edrindex.tab"), "w", newline="") as tab:
    for sol in range(1, sols + 1):
        folder = "sol%04d" % sol
        for k in range(per_sol):
            i = ident(sol, k)
            values = ['"/mer2no_0xxx/data/%s/edr/"' % folder, '"%s.img"' % i.lower(), '"%s"' % i, str(sol), '"CAM"']
            tab.write(",".join(v.ljust(c[2]) for v, c in zip(values, cols)) + " \r\n")
label = "PDS_VERSION_ID = PDS3\r\nRECORD_TYPE = FIXED_LENGTH\r\nRECORD_BYTES = %d\r\nFILE_RECORDS = %d\r\nOBJECT = INDEX_TABLE\r\n" % (record_bytes, per_sol * sols)
start = 1
for name, kind, width in cols:
    label += "  OBJECT = COLUMN\r\n    NAME = %s\r\n    DATA_TYPE = %s\r\n    START_BYTE = %d\r\n    BYTES = %d\r\n  END_OBJECT = COLUMN\r\n" % (name, kind, start, width)
    start += width + 1
open(os.path.join(vol, "index", "edrindex.lbl"), "w", newline="").write(label + "END_OBJECT = INDEX_TABLE\r\nEND\r\n")
# A noisy 24-bit BMP, made a JPEG by keldar-cli, copied for every product of the sol.
w = h = 190
random.seed(7)
rows = b"".join(bytes(random.randrange(256) for _ in range(w * 3)) + b"\0" * ((4 - w * 3 % 4) % 4) for _ in range(h))
bmp = b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0) + rows
open(os.path.join(root, "noise.bmp"), "wb").write(bmp)
open(os.path.join(root, "wanted.txt"), "w").write(" ".join(ident(wanted, k).lower() for k in range(per_sol)))
PY
"$cli" sunset "$work/archive/noise.bmp" "$work/archive/noise.jpg" --passes 0
browse="$work/archive/spirit/mer2no_0xxx/browse/sol1234/edr"
mkdir -p "$browse"
for id in $(cat "$work/archive/wanted.txt"); do cp "$work/archive/noise.jpg" "$browse/$id.img.jpg"; done
echo "browse JPEG: $(stat -c %s "$work/archive/noise.jpg") bytes; index: $(stat -c %s "$work/archive/spirit/mer2no_0xxx/index/edrindex.tab") bytes"

python3 "$here/../tests/fetch/archive_server.py" "$work/archive" > "$work/port" & server=$!
for _ in $(seq 1 50); do grep -q PORT "$work/port" 2>/dev/null && break; sleep 0.1; done
base="http://127.0.0.1:$(awk '{print $2}' "$work/port")/"
echo '{"latency_ms": 200}' > "$work/archive/.faults.json"
# The summary line gives the whole time and the index search's share; the transfers are the rest.
declare -A transfers
for jobs in 1 4; do
  line=$("$cli" fetch spirit 1234 "$work/out$jobs" --camera navcam --jobs "$jobs" --base "$base")
  echo "jobs $jobs: $line"
  transfers[$jobs]=$(sed -E 's/.* in ([0-9.]+) s \([0-9]+ index requests in ([0-9.]+) s.*/\1 - \2/' <<<"$line" | bc)
  echo "jobs $jobs: the 200 transfers took ${transfers[$jobs]} s"
done
echo "4 connections against 1: $(echo "scale=2; ${transfers[1]} / ${transfers[4]}" | bc)x on the transfers"
