#!/usr/bin/env bash
# Long playback through the audio renderer on SDL's disk driver, with a
# sound device that runs 3.4% slow and one that runs 1% fast: how far the
# graph's clock (which the pictures keep to) strays from the sound heard,
# as the worst mean of two seconds, and how many gaps the sound has.
# Usage: bench/av_sync.sh [SECONDS]   (length of each playback, default 600)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
cmake --build build/default --target arender_tests > /dev/null
MOVANTA_PLAYBACK_SECONDS="$seconds" build/default/bin/arender_tests --gtest_filter='AudioClockTest.*' |
  grep -E 'device:|OK|FAILED'
