#!/usr/bin/env bash
# Decoding whole files the way the platform plays them (file source and the
# decoders the graph inserts, into sinks that throw the pictures and sound
# away) against `ffmpeg -i FILE -f null -` on the same files, one after the
# other: wall seconds and peak memory of each, and their ratio.
# Needs Debian's ffmpeg (apt-get install ffmpeg) to make the inputs and as
# the peer.  Usage: bench/playback.sh [SECONDS]   (length of each input)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
bench=build/default/bin/playback_bench
[ -x "$bench" ] || cmake --build build/default --target playback_bench
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
tone="aevalsrc=exprs='0.3*sin(2*PI*440*t)+0.05*(random(0)-0.5)|0.3*sin(2*PI*660*t)':s=44100:d=$seconds"
ff -f lavfi -i "testsrc2=size=640x480:rate=30:duration=$seconds" -f lavfi -i "$tone" \
  -c:v mpeg4 -b:v 2500k -c:a libmp3lame -b:a 192k "$work/a_640x480_mpeg4_mp3.avi"
ff -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=$seconds" -f lavfi -i "$tone" \
  -c:v libx264 -preset fast -b:v 4M -c:a aac -b:a 160k "$work/b_1280x720_h264_aac.mp4"
ff -f lavfi -i "testsrc2=size=720x576:rate=25:duration=$seconds" -f lavfi -i "$tone" \
  -c:v mpeg2video -b:v 6M -g 12 -bf 2 -c:a mp2 -b:a 224k -f mpeg "$work/d_720x576_mpeg2_mp2.mpg"
out="$work/time"
printf '%-28s %-8s %8s %9s\n' file way wall_s peak_MiB
for file in "$work"/*.*; do
  [ -f "$file" ] && [ "$file" != "$out" ] || continue
  for way in movanta ffmpeg; do
    if [ "$way" = movanta ]; then
      /usr/bin/time -f "%e %M" -o "$out" "$bench" "$file" > /dev/null
    else
      /usr/bin/time -f "%e %M" -o "$out" ffmpeg -nostdin -loglevel error -i "$file" -f null - > /dev/null
    fi
    awk -v f="$(basename "$file")" -v w="$way" '{printf "%-28s %-8s %8.2f %9.1f\n", f, w, $1, $2 / 1024}' "$out"
  done
done
