#!/usr/bin/env bash
# Frames per second of YV12 scaling at 640x480 and 1280x720 down to 176x144
# and 320x240: the scaler filter's Transform, its scaler alone, libswscale
# called directly (context made once) and libswscale with a context made for
# every frame.  Usage: bench/scale.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
frames="${1:-2000}"
bench=build/default/bin/scale_bench
[ -x "$bench" ] || cmake --build build/default --target scale_bench
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
for source in "640 480" "1280 720"; do
  for target in "176 144" "320 240"; do
    for way in filter scaler libswscale recreate; do
      /usr/bin/time -f "%e %M" -o "$out" "$bench" "$way" $source $target "$frames" > /dev/null
      awk -v w="$way" -v s="${source/ /x}" -v t="${target/ /x}" -v n="$frames" \
        '{printf "%-9s -> %-8s %-10s %7.0f frames/s  %6d KiB\n", s, t, w, n / $1, $2}' "$out"
    done
  done
done
