#!/usr/bin/env bash
# Formats the files given with the house style of .clang-format, in place. Format what you
# touch, not the whole tree: ./scripts/format.sh src/core/panorama/HuginProject.cpp
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 FILE..." >&2; exit 2; }
exec clang-format -i --style=file "$@"
