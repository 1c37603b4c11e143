#!/usr/bin/env bash
# A batch: eight 60-second 640x480 MPEG-4/MP3 clips to 3GP for phone 0
# (H.263 176x144 12 fps, AMR-NB), by `movanta-convert --jobs 2` against the
# ffmpeg command line with the same settings in a shell loop, one after
# another and two at a time (xargs -P 2). Wall times side by side, the
# medians of RUNS runs.
# The peer needs an ffmpeg with an AMR-NB encoder (PEER_FFMPEG, default
# /tmp/movanta-bench/ffmpeg-amr/bin/ffmpeg); the clip is INPUT_DIR's
# a_640x480_mpeg4_mp3.avi (default /tmp/movanta-bench/inputs).
# Usage: bench/batch.sh [RUNS]   (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-3}"
. bench/peer.sh
clip="${INPUT_DIR:-/tmp/movanta-bench/inputs}/a_640x480_mpeg4_mp3.avi"
[ -e "$clip" ] || { echo "missing $clip (see the peer's input script)" >&2; exit 1; }
. bench/installed.sh
mkdir -p "$work/clips"
for n in 1 2 3 4 5 6 7 8; do ln -s "$clip" "$work/clips/clip$n.avi"; done

wall() {  # command...: wall seconds
  /usr/bin/time -f "%e" -o "$work/time" "$@" > /dev/null 2>&1
  cat "$work/time"
}

: > "$work/movanta"; : > "$work/loop"; : > "$work/xargs"
for ((run = 0; run < runs; ++run)); do
  rm -rf "$work/out"; mkdir "$work/out"
  wall "$convert" --phone 0 --format 3gp --jobs 2 "$work"/clips/*.avi --output-dir "$work/out" >> "$work/movanta"
  wall bash -c 'for f in "$0"/clips/*.avi; do n=$(basename "$f" .avi); peer_job "$f" "$0/out/$n.peer.3gp"; done' \
    "$work" >> "$work/loop"
  wall bash -c 'ls "$0"/clips/*.avi | xargs -P 2 -I{} bash -c '"'"'peer_job "$0" "${0%.avi}.peer.3gp"'"'"' {}' \
    "$work" >> "$work/xargs"
done
m=$(median < "$work/movanta"); l=$(median < "$work/loop"); x=$(median < "$work/xargs")
printf '%-34s %8s\n' job "wall s"
printf '%-34s %8.2f\n' "movanta-convert --jobs 2" "$m" "ffmpeg, one after another" "$l" "ffmpeg, two at a time (xargs -P 2)" "$x"
printf 'movanta / one after another %.2fx, movanta / two at a time %.2fx\n' "$(echo "$m / $l" | bc -l)" \
  "$(echo "$m / $x" | bc -l)"
