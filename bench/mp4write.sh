#!/usr/bin/env bash
# Writes the same hour of 3GP samples through our MP4 library and through
# libavformat's muxer, each a few times, and prints wall time, peak memory
# and the ratio of the medians. Run after ./movanta.sh or ./test.sh built
# build/default.  Usage: bench/mp4write.sh [RUNS] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
seconds="${2:-3600}"
bench=build/default/bin/mp4write_bench
[ -x "$bench" ] || cmake --build build/default --target mp4write_bench
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

measure() {  # writer -> "wall_seconds max_rss_kib" per line
  for _ in $(seq "$runs"); do
    /usr/bin/time -f "%e %M" -o "$out/time" "$bench" "$1" "$out/$1.3gp" "$seconds"
    cat "$out/time"
  done
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

ours=$(measure mp4file)
theirs=$(measure libavformat)
ours_wall=$(echo "$ours" | cut -d' ' -f1 | median)
theirs_wall=$(echo "$theirs" | cut -d' ' -f1 | median)
ours_rss=$(echo "$ours" | cut -d' ' -f2 | median)
theirs_rss=$(echo "$theirs" | cut -d' ' -f2 | median)
printf "%-12s %10s %12s %12s\n" writer "wall s" "peak KiB" "file bytes"
printf "%-12s %10s %12s %12s\n" mp4file "$ours_wall" "$ours_rss" "$(stat -c %s "$out/mp4file.3gp")"
printf "%-12s %10s %12s %12s\n" libavformat "$theirs_wall" "$theirs_rss" "$(stat -c %s "$out/libavformat.3gp")"
awk -v a="$ours_wall" -v b="$theirs_wall" 'BEGIN {printf "time ratio mp4file/libavformat: %.2f\n", a / b}'
