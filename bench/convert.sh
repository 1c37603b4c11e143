#!/usr/bin/env bash
# Whole conversions: movanta-convert against the ffmpeg command line with the
# same settings (picture size, frame rate, codecs and bit rates), the two
# alternating, on a 640x480 30 fps MPEG-4/MP3 AVI, a 1280x720 H.264/AAC MP4
# and a 1920x1080 30 fps H.264/AAC MP4 (made here the first time), to 3GP
# and to MP4 for phone 0 at qualities 1/1 (the settings are in peer.sh). Reports the medians of wall
# time, CPU time and peak memory, their ratios, the peak memory of Debian's
# ffmpeg on the same job, and the real bit rates of every output. For the H.264 clips, also the peer's time to decode the
# pictures alone (`-map 0:v -f null -`): the floor of any converter that
# decodes every picture.
#
# The peer needs an ffmpeg with an AMR-NB encoder, which Debian's lacks:
# PEER_FFMPEG (default /tmp/movanta-bench/ffmpeg-amr/bin/ffmpeg). The inputs
# come from INPUT_DIR (default /tmp/movanta-bench/inputs):
# a_640x480_mpeg4_mp3.avi and b_1280x720_h264_aac.mp4.
# Usage: bench/convert.sh [RUNS]   (runs of each tool on each case, default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-3}"
. bench/peer.sh
inputs="${INPUT_DIR:-/tmp/movanta-bench/inputs}"
for needed in "$inputs/a_640x480_mpeg4_mp3.avi" "$inputs/b_1280x720_h264_aac.mp4"; do
  [ -e "$needed" ] || { echo "missing $needed (see the peer's build and input scripts)" >&2; exit 1; }
done
{ command -v ffprobe && command -v ffmpeg; } > /dev/null || { echo "needs Debian's ffmpeg and ffprobe (apt-get install ffmpeg)" >&2; exit 1; }
full_hd="$inputs/e_1920x1080_h264_aac.mp4"
if [ ! -e "$full_hd" ]; then
  echo "making $full_hd (30 s)" >&2
  ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=1920x1080:rate=30 -f lavfi -i "sine=frequency=440:sample_rate=48000" \
    -t 30 -c:v libx264 -preset fast -b:v 8M -c:a aac -b:a 160k -ac 2 -f mp4 "$full_hd.part" && mv "$full_hd.part" "$full_hd"
fi

. bench/installed.sh

# Debian's ffmpeg on the same job, for its peak memory: it has no AMR-NB
# encoder, so its 3GP carries AAC at 8 kHz mono instead.
debian_job() {  # input output
  case "$2" in
    *.3gp) ffmpeg -nostdin -loglevel error -y -i "$1" -vf scale=176:144,fps=12 -c:v h263 -b:v 384k \
             -c:a aac -ar 8000 -ac 1 -b:a 12k -f 3gp "$2" ;;
    *.mp4) PEER=ffmpeg peer_job "$1" "$2" ;;
  esac
}
export -f debian_job

# One timed run: wall seconds, CPU seconds, peak KiB.
timed() {  # tool input output
  local log="$work/time"
  rm -f "$3"
  case "$1" in
    movanta)
      touch "$3"
      /usr/bin/time -f "%e %U %S %M" -o "$log" "$convert" --phone 0 --video-quality 1 --audio-quality 1 "$2" "$3" \
        > /dev/null ;;
    peer) /usr/bin/time -f "%e %U %S %M" -o "$log" bash -c 'peer_job "$0" "$1"' "$2" "$3" ;;
    debian) /usr/bin/time -f "%e %U %S %M" -o "$log" bash -c 'debian_job "$0" "$1"' "$2" "$3" ;;
  esac
  awk '{printf "%.3f %.3f %d\n", $1, $2 + $3, $4}' "$log"
}


bitrates() {  # file: "video kbit/s, audio kbit/s"
  ffprobe -v error -show_entries stream=codec_type,bit_rate -of csv=p=0 "$1" |
    awk -F, '$1 == "video" {v = $2 / 1000} $1 == "audio" {a = $2 / 1000} END {printf "%.1f %.1f", v, a}'
}

printf '%-26s %-4s %9s %9s %9s %8s %8s %8s %16s %10s %16s\n' input to wall_s peer_s wall cpu_s peer_cpu \
  cpu peak_MiB/peer debian_MiB bitrate_v/a
for input in "$inputs/a_640x480_mpeg4_mp3.avi" "$inputs/b_1280x720_h264_aac.mp4" "$full_hd"; do
  for extension in 3gp mp4; do
    : > "$work/movanta.times"
    : > "$work/peer.times"
    : > "$work/debian.times"
    for ((run = 0; run < runs; ++run)); do
      timed movanta "$input" "$work/movanta.$extension" >> "$work/movanta.times"
      timed peer "$input" "$work/peer.$extension" >> "$work/peer.times"
      timed debian "$input" "$work/debian.$extension" >> "$work/debian.times"
    done
    mw=$(cut -d' ' -f1 "$work/movanta.times" | median)
    pw=$(cut -d' ' -f1 "$work/peer.times" | median)
    mc=$(cut -d' ' -f2 "$work/movanta.times" | median)
    pc=$(cut -d' ' -f2 "$work/peer.times" | median)
    mm=$(cut -d' ' -f3 "$work/movanta.times" | median)
    pm=$(cut -d' ' -f3 "$work/peer.times" | median)
    dm=$(cut -d' ' -f3 "$work/debian.times" | median)
    printf '%-26s %-4s %9.2f %9.2f %8.2fx %8.2f %8.2f %7.2fx %7.1f/%-7.1f %10.1f %s | %s\n' "$(basename "$input")" \
      "$extension" "$mw" "$pw" "$(echo "$mw / $pw" | bc -l)" "$mc" "$pc" "$(echo "$mc / $pc" | bc -l)" \
      "$(echo "$mm / 1024" | bc -l)" "$(echo "$pm / 1024" | bc -l)" "$(echo "$dm / 1024" | bc -l)" \
      "$(bitrates "$work/movanta.$extension")" "$(bitrates "$work/peer.$extension")"
  done
done
echo
for input in "$inputs/b_1280x720_h264_aac.mp4" "$full_hd"; do
  : > "$work/decode.times"
  for ((run = 0; run < runs; ++run)); do
    /usr/bin/time -f "%e" -o "$work/time" "$PEER" -nostdin -loglevel error -i "$input" -map 0:v -f null - &&
      cat "$work/time" >> "$work/decode.times"
  done
  printf '%-26s peer decoding the pictures alone: %.2f s\n' "$(basename "$input")" "$(median < "$work/decode.times")"
done
echo "ratios are movanta / peer (below 1: movanta is faster); bit rates kbit/s video audio, movanta | peer"
