#!/usr/bin/env bash
# Installs what is missing, builds Keldar with its tests and runs every test.
# KELDAR_SANITIZE=1 builds and runs them under AddressSanitizer and UBSan instead.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

keldar_install_missing
if [ "${KELDAR_SANITIZE:-0}" = 1 ]; then
  build="$KELDAR_ROOT/build-asan"
  keldar_build "$build" -DCMAKE_BUILD_TYPE=Debug -DKELDAR_SANITIZE=ON -DKELDAR_BUILD_BENCH=OFF
else
  build="$KELDAR_ROOT/build-tests"
  keldar_build "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cd "$build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)"
