#!/usr/bin/env bash
# Frames per second of H.263 encoding at QCIF and CIF, the filter's way and
# libavcodec called directly on the same frames; then the real bit rate of a
# QCIF stream at 12 frames a second when the encoder is told 25 (the fixed
# rate) and when it is told the real rate.  Usage: bench/h263enc.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
frames="${1:-1000}"
bench=build/default/bin/h263enc_bench
[ -x "$bench" ] || cmake --build build/default --target h263enc_bench
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
for size in "176 144" "352 288"; do
  for way in filter libavcodec; do
    /usr/bin/time -f "%e" -o "$out" "$bench" "$way" $size "$frames" > /dev/null
    awk -v w="$way" -v s="$size" -v n="$frames" '{printf "%-10s %-8s %7.0f frames/s\n", w, s, n / $1}' "$out"
  done
done
for rate in 64000 128000; do
  "$bench" bitrate "$rate" 12 30 25
  "$bench" bitrate "$rate" 12 30 12
done
