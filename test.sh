#!/usr/bin/env bash
# Does the set-up of movanta.sh, then builds the default and the sanitizer
# build (AddressSanitizer + UndefinedBehaviorSanitizer) with warnings as
# errors and runs every test of both. Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh

movanta_install_packages "${MOVANTA_TEST_PACKAGES[@]}"
movanta_build build/default -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOVANTA_WERROR=ON
movanta_install build/default dist
movanta_build build/sanitize -DCMAKE_BUILD_TYPE=Debug -DMOVANTA_WERROR=ON -DMOVANTA_SANITIZE=ON

jobs=$(nproc)
status=0
echo "== default build"
ctest --test-dir build/default --output-on-failure -j "$jobs" || status=1
echo "== sanitizer build"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS="suppressions=$PWD/scripts/lsan_suppressions.txt" \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs" || status=1
exit $status
