#!/usr/bin/env bash
# Packs the test sections and shows them on a private X server with a
# compositing manager: the window must come up (a screenshot is taken), a
# real click on its stop button must print that button's command, and the
# window must end by itself. Then the section with real controls, a
# splitter and an embedded panel comes up stretched, has its splitter
# dragged and ends by itself.
# Usage: show_on_xvfb.sh MOVANTA_SKIN TESTDATA_FOLDER OUTPUT_FOLDER
set -euo pipefail
tool="$1"
data="$2"
out="$3"
mkdir -p "$out"
"$tool" pack "$data/Skin.txt" "$data/back.bmp" "$data/mask.bmp" "$data/play.bmp" "$data/stop.bmp" "$data/panel.bmp" \
  -o "$out/show.zsp"
# The canvas comes up at 100,100; the stop button lies at 70,50 in it, 40 x 20.
exec "$(dirname "$0")/../../../platform/ui/tests/on_xvfb.sh" bash -c '
  "$0" show "$1" Main --seconds 4 --screenshot "$2" > "$3" &
  shown=$!
  sleep 2
  xdotool mousemove 190 160 mousedown 1 sleep 0.2 mouseup 1
  wait $shown
  cat "$3"
  grep -q "command 32787" "$3"
  "$0" show "$1" Controls --embed Panel --size 480x300 --seconds 4 --screenshot "$4" > "$3" &
  shown=$!
  sleep 2
  xdotool mousemove 360 250 mousedown 1 sleep 0.2 mousemove 330 250 sleep 0.2 mouseup 1
  wait $shown
  cat "$3"
  grep -q "screenshot: " "$3"' "$tool" "$out/show.zsp" "$out/movanta-skin-show.png" "$out/show.log" \
  "$out/movanta-skin-controls.png"
