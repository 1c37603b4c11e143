#!/usr/bin/env bash
# Packs the test section and shows it on a private X server for two seconds
# with a screenshot: movanta-skin show must come up and end by itself.
# Usage: show_on_xvfb.sh MOVANTA_SKIN TESTDATA_FOLDER OUTPUT_FOLDER
set -euo pipefail
tool="$1"
data="$2"
out="$3"
mkdir -p "$out"
"$tool" pack "$data/Skin.txt" "$data/back.bmp" "$data/mask.bmp" "$data/play.bmp" "$data/stop.bmp" -o "$out/show.zsp"
exec "$(dirname "$0")/../../../platform/ui/tests/on_xvfb.sh" "$tool" show "$out/show.zsp" Main --seconds 2 \
  --screenshot "$out/movanta-skin-show.png"
