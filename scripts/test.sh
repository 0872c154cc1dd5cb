#!/usr/bin/env bash
# Installs what is missing, builds Keldar with its tests and runs every test.
#   ./scripts/test.sh                the normal build (build-tests/)
#   ./scripts/test.sh --sanitizers   the normal build, then the same suite again under
#                                    AddressSanitizer and UBSan (build-asan/); what CI runs
# KELDAR_SANITIZE=1 runs only the sanitizer build, as before.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

run_normal=1
run_sanitized=0
case "${1:-}" in
  --sanitizers) run_sanitized=1 ;;
  "") ;;
  *) echo "usage: $0 [--sanitizers]" >&2; exit 2 ;;
esac
if [ "${KELDAR_SANITIZE:-0}" = 1 ]; then run_normal=0; run_sanitized=1; fi

keldar_install_missing
export QT_QPA_PLATFORM=offscreen
if [ "$run_normal" = 1 ]; then
  keldar_build "$KELDAR_ROOT/build-tests" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  (cd "$KELDAR_ROOT/build-tests" && ctest --output-on-failure -j"$(nproc)")
fi
if [ "$run_sanitized" = 1 ]; then
  keldar_build "$KELDAR_ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKELDAR_SANITIZE=ON -DKELDAR_BUILD_BENCH=OFF
  (cd "$KELDAR_ROOT/build-asan" && ctest --output-on-failure -j"$(nproc)")
fi
