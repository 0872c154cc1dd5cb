#!/usr/bin/env bash
# Installs what is missing, builds Keldar, writes the sample directory and starts the
# workbench in it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

keldar_install_missing
build="$KELDAR_ROOT/build"
keldar_build "$build" -DCMAKE_BUILD_TYPE=Release -DKELDAR_BUILD_TESTS=OFF -DKELDAR_BUILD_BENCH=OFF

sample="$KELDAR_ROOT/sample"
# Deterministic, so writing it again only refreshes our own files; anything a user saved there stays.
"$build/src/cli/keldar-cli" make-sample "$sample"

cd "$sample"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "keldar: no display available (DISPLAY is not set)." >&2
  echo "        On a desktop, run this command from a terminal there; on a server, try" >&2
  echo "        xvfb-run -a $0" >&2
  echo "Decoding the sample directory instead:" >&2
  "$build/src/cli/keldar-cli" decode ./*.JPG ./*.jpg
  exit 1
fi
exec "$build/keldar"
