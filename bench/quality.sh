#!/usr/bin/env bash
# Picture quality of conversions: the PSNR of each output's pictures against
# the source scaled to the phone's size by pixel area and taken at the
# output's frame rate, for a still picture and a moving clip (1280x720
# H.264 with B-pictures, as cameras record), to 3GP (phone 0: H.263
# 176x144 12 fps) and to MP4 (phone 0: MPEG-4 176x144 12 fps). Beside
# movanta-convert of this tree: the ffmpeg command line with the same
# settings, and BASELINE, another movanta-convert (an older build) when
# given. Needs Debian's ffmpeg (apt-get install ffmpeg).
# Usage: [BASELINE=path/to/movanta-convert] bench/quality.sh
set -euo pipefail
cd "$(dirname "$0")/.."
command -v ffmpeg > /dev/null || { echo "needs Debian's ffmpeg (apt-get install ffmpeg)" >&2; exit 1; }

. bench/installed.sh

sources() {
  ffmpeg -nostdin -v error -f lavfi -i "testsrc2=size=1280x720:rate=25" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" -vf "loop=loop=-1:size=1:start=0" -t 10 -c:v libx264 -bf 3 \
    -c:a aac "$work/still.mp4"
  ffmpeg -nostdin -v error -f lavfi -i "mandelbrot=size=1280x720:rate=25" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 10 -c:v libx264 -bf 3 -c:a aac "$work/moving.mp4"
}

# The mean PSNR (dB, luma and chroma) of a phone file's pictures against
# the source's, area-scaled, at 12 pictures a second.
psnr() {  # output source
  ffmpeg -nostdin -v info -i "$1" -i "$2" \
    -lavfi "[0:v]setpts=PTS-STARTPTS[out];[1:v]scale=176:144:flags=area,fps=12,setpts=PTS-STARTPTS[ref];[out][ref]psnr" \
    -f null - 2>&1 | sed -n 's/.*PSNR .*average:\([0-9.inf]*\).*/\1/p' | tail -1
}

run() {  # tool source output
  case "$1" in
    movanta) "$convert" --phone 0 --video-quality 1 "$2" "$3" > /dev/null ;;
    baseline) env -u MOVANTA_REGISTRY_DIR "$BASELINE" --phone 0 --video-quality 1 "$2" "$3" > /dev/null ;;
    ffmpeg)
      case "$3" in
        *.3gp) ffmpeg -nostdin -v error -y -i "$2" -vf scale=176:144,fps=12 -c:v h263 -b:v 384k -an "$3" ;;
        *.mp4) ffmpeg -nostdin -v error -y -i "$2" -vf scale=176:144,fps=12 -c:v mpeg4 -b:v 384k -an "$3" ;;
      esac ;;
  esac
}

sources
tools="movanta ffmpeg"
[ -n "${BASELINE:-}" ] && tools="movanta baseline ffmpeg"
printf '%-8s %-4s' clip to
for tool in $tools; do printf ' %10s' "$tool"; done
echo
for clip in still moving; do
  for extension in 3gp mp4; do
    printf '%-8s %-4s' "$clip" "$extension"
    for tool in $tools; do
      run "$tool" "$work/$clip.mp4" "$work/$tool.$extension"
      printf ' %10s' "$(psnr "$work/$tool.$extension" "$work/$clip.mp4")"
    done
    echo
  done
done
echo "PSNR in dB against the source scaled by pixel area to 176x144 at 12 pictures a second"
