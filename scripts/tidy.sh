#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) over the sources under src/, or the directories
# given: ./scripts/tidy.sh [src/core ...]. Configures build-tidy/ for its compile commands the
# first time. Exit status 1 when any warning is printed; src/core is kept clean.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-tidy"
command -v clang-tidy >/dev/null || { echo "tidy.sh: needs clang-tidy (apt-get install clang-tidy)" >&2; exit 2; }
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DKELDAR_BUILD_BENCH=OFF >/dev/null
  # The windows' sources include what moc and uic generate.
  cmake --build "$build" --target keldar_ui_autogen >/dev/null 2>&1 || true
fi
[ $# -gt 0 ] || set -- src
cd "$root"
find "$@" -name '*.cpp' -print0 | sort -z |
  xargs -0 -P"$(nproc)" -n4 clang-tidy -p "$build" --quiet 2>/dev/null | tee "$build/tidy.log"
! grep -q 'warning:' "$build/tidy.log"
