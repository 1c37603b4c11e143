#!/usr/bin/env bash
# Damaged home videos: movanta-convert beside the ffmpeg command line on the
# same seeded damages (bit flips, cut ends, zeroed runs, damaged headers,
# spliced chunks) of seven four-second clips: an MPEG-4/MP3 AVI, an
# H.264/AAC MP4, an MPEG-2/MP2 program stream, a WMV, an H.264/FLAC
# Matroska file, an H.263/AAC 3GP and an H.263/AMR-NB 3GP (Movanta's own).
# Both make a 176x144 12 fps H.263 3GP (phone 0). For each kind of file:
# how many each tool converted and refused, the seconds of the clips each
# kept (at most the clip's four seconds: a file that comes out longer
# repeats a spliced part), the longest run, and every file one tool kept
# much less of; runs that crashed or timed out, and successes without a
# track, are counted apart. Needs Debian's ffmpeg and ffprobe (apt-get install ffmpeg).
# BUILD names the build folder to test (default build/default; build/sanitize
# counts every sanitizer finding as a crash).
# Usage: bench/damaged_inputs.sh [FILES_PER_KIND]   (default 30: 210 files)
set -euo pipefail
cd "$(dirname "$0")/.."
per_kind="${1:-30}"
ffmpeg="${FFMPEG:-ffmpeg}"
command -v "$ffmpeg" > /dev/null && command -v ffprobe > /dev/null ||
  { echo "needs Debian's ffmpeg and ffprobe (apt-get install ffmpeg)" >&2; exit 1; }

. bench/installed.sh
damage="$build/bin/damage_file"
limit=120  # seconds before a run counts as hung

# The clips, made with FFmpeg (the last by Movanta, for AMR-NB).
mkdir -p "$work/clips" "$work/damaged"
make_clip() {  # name, then ffmpeg's output options
  local name="$1"; shift
  "$ffmpeg" -nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=25 \
    -f lavfi -i "sine=frequency=440:sample_rate=44100" -t 4 "$@" "$work/clips/$name"
}
make_clip avi.avi -c:v mpeg4 -c:a libmp3lame -ac 2
make_clip mp4.mp4 -c:v libx264 -c:a aac -ac 2
make_clip mpg.mpg -c:v mpeg2video -c:a mp2 -ac 2 -f mpeg
make_clip wmv.wmv -c:v wmv2 -c:a wmav2 -ac 2
make_clip mkv.mkv -c:v libx264 -c:a flac -ac 2
make_clip 3gp.3gp -s 176x144 -r 15 -c:v h263 -c:a aac -ar 8000 -ac 1
"$convert" --phone 0 "$work/clips/avi.avi" "$work/clips/amr.3gp" > /dev/null

# The longest a file's streams last, in seconds; 0 without a stream.
seconds_of() {
  ffprobe -v error -show_entries stream=duration -of csv=p=0 "$1" 2> /dev/null |
    awk 'BEGIN { m = 0 } $1 + 0 > m { m = $1 + 0 } END { printf "%.2f", m }'
}

# One run: "<exit status> <seconds taken> <seconds kept>".
run() {  # tool input output
  local began status=0
  rm -f "$3"
  began=$(date +%s.%N)
  if [ "$1" = movanta ]; then
    timeout -k 5 "$limit" "$convert" --phone 0 "$2" "$3" > /dev/null 2>&1 || status=$?
  else
    timeout -k 5 "$limit" "$ffmpeg" -nostdin -v quiet -y -i "$2" -vf scale=176:144,fps=12 -c:v h263 -b:v 96k \
      -c:a aac -ar 8000 -ac 1 -b:a 12k -f 3gp "$3" > /dev/null 2>&1 || status=$?
  fi
  local took kept=0.00
  took=$(echo "$(date +%s.%N) - $began" | bc)
  [ -s "$3" ] && kept=$(seconds_of "$3")
  echo "$status $took $kept"
}

results="$work/results"
: > "$results"
for clip in "$work"/clips/*; do
  kind="$(basename "$clip")"
  kind="${kind%.*}"
  extension="${clip##*.}"
  for seed in $(seq 1 "$per_kind"); do
    damaged="$work/damaged/$kind-$seed.$extension"
    how=$("$damage" "$clip" "$damaged" "$seed")
    read -r m_status m_took m_kept < <(run movanta "$damaged" "$work/m.3gp")
    read -r f_status f_took f_kept < <(run ffmpeg "$damaged" "$work/f.3gp")
    echo "$kind $seed ${how// /_} $m_status $m_took $m_kept $f_status $f_took $f_kept" >> "$results"
  done
  echo "$kind: $per_kind files" >&2
done

awk -v limit="$limit" '
  function add(kind, tool, status, took, kept) {
    key = kind SUBSEP tool
    if (status == 0 && kept > 0) { converted[key]++; seconds[key] += kept }
    else if (status == 0) empty[key]++
    else if (status >= 124) hung[key]++
    else refused[key]++
    if (took > longest[key]) longest[key] = took
  }
  {
    kinds[$1] = 1
    if ($6 > 4) $6 = 4
    if ($9 > 4) $9 = 4
    add($1, "Movanta", $4, $5, $6); add($1, "FFmpeg", $7, $8, $9)
    add("all", "Movanta", $4, $5, $6); add("all", "FFmpeg", $7, $8, $9)
    if ($6 + 0.5 < $9) fewer = fewer sprintf("  %s-%s (%s): Movanta %.2f s, FFmpeg %.2f s\n", $1, $2, $3, $6, $9)
    if ($9 + 0.5 < $6) more++
  }
  END {
    printf "%-6s %-8s %9s %7s %6s %13s %12s %9s\n", "kind", "tool", "converted", "refused", "empty", "hung/crashed", "seconds kept", "longest s"
    n = split("avi mp4 mpg wmv mkv 3gp amr all", order, " ")
    for (i = 1; i <= n; i++) {
      kind = order[i]
      if (!(kind in kinds) && kind != "all") continue
      for (t = 1; t <= 2; t++) {
        tool = t == 1 ? "Movanta" : "FFmpeg"; key = kind SUBSEP tool
        printf "%-6s %-8s %9d %7d %6d %13d %12.1f %9.2f\n", kind, tool, converted[key], refused[key], empty[key],
          hung[key], seconds[key], longest[key]
      }
    }
    printf "\nFiles where Movanta kept 0.5 s or more more than FFmpeg: %d\n", more
    printf "Files where it kept 0.5 s or more less:\n%s", fewer == "" ? "  none\n" : fewer
  }' "$results"
