#!/usr/bin/env bash
# Fuzzes the skin package reader, the script and the picture loaders with
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer for
# SECONDS (default 600), from testdata/package_corpus; new inputs go to a
# temporary folder. Builds build/fuzz with clang.
# Usage: skin/tests/fuzz_package.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DMOVANTA_SANITIZE=ON -DMOVANTA_FUZZ=ON > /dev/null
cmake --build build/fuzz --target fuzz_skin_package
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
LD_LIBRARY_PATH="$(dirname "$(clang -print-file-name=libclang_rt.asan-x86_64.so)")"
export LD_LIBRARY_PATH
# The runtime is a shared library here, loaded after the program's own.
ASAN_OPTIONS=verify_asan_link_order=0 LSAN_OPTIONS="suppressions=$PWD/scripts/lsan_suppressions.txt" \
  build/fuzz/bin/fuzz_skin_package -max_total_time="${1:-600}" -max_len=8192 -rss_limit_mb=2048 \
  "$work" skin/tests/testdata/package_corpus
