# Sourced by the benchmarks that run the ffmpeg command line beside
# movanta-convert: PEER, an ffmpeg with an AMR-NB encoder (PEER_FFMPEG,
# default /tmp/movanta-bench/ffmpeg-amr/bin/ffmpeg; Debian's has none),
# `peer_job INPUT OUTPUT`, its command line for phone 0's 3GP or MP4 job
# with movanta-convert's settings (exported, for subshells), and `median`.
export PEER="${PEER_FFMPEG:-/tmp/movanta-bench/ffmpeg-amr/bin/ffmpeg}"
[ -x "$PEER" ] || { echo "missing $PEER (see the peer's build script)" >&2; exit 1; }

# 3GP: H.263 176x144 12 fps 384 kbit/s, AMR-NB 10.2 kbit/s; MP4: MPEG-4
# Part 2 176x144 12 fps 384 kbit/s, AAC 96 kbit/s stereo 48 kHz, cut-off 14 kHz.
peer_job() {  # input output
  case "$2" in
    *.3gp) "$PEER" -nostdin -loglevel error -y -i "$1" -vf scale=176:144,fps=12 -c:v h263 -b:v 384k \
             -c:a libopencore_amrnb -ar 8000 -ac 1 -b:a 10.2k -f 3gp "$2" ;;
    *.mp4) "$PEER" -nostdin -loglevel error -y -i "$1" -vf scale=176:144,fps=12 -c:v mpeg4 -b:v 384k \
             -c:a aac -b:a 96k -ar 48000 -ac 2 -cutoff 14000 -f mp4 "$2" ;;
  esac
}
export -f peer_job

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
