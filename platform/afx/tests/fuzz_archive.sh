#!/usr/bin/env bash
# Fuzzes the archive reader with libFuzzer under AddressSanitizer for
# SECONDS (default 600), starting from testdata/archive_corpus; new inputs
# go to a temporary folder, not into the corpus. Needs clang.
# Usage: platform/afx/tests/fuzz_archive.sh [SECONDS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$here/../../.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I"$root/platform" -I"$here" \
  "$here/fuzz_archive.cpp" "$here/test_items.cpp" "$root"/platform/afx/{archive,collections,cstring,exception,file,object}.cpp \
  "$root/platform/win/text.cpp" -o "$work/fuzz_archive"
mkdir "$work/found"
"$work/fuzz_archive" -max_total_time="${1:-600}" -max_len=4096 -rss_limit_mb=1024 "$work/found" "$here/testdata/archive_corpus"
