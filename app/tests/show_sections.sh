#!/usr/bin/env bash
# Shows each section of the built skin package with `movanta-skin show` on a
# private X server with a compositing manager, in the application's texts:
# the window must come up at its picture's size, a real click on one of its
# buttons must print that button's command, and a screenshot of the screen
# is kept for each (SECTION.png in the output folder).
# Usage: show_sections.sh MOVANTA_SKIN PACKAGE LOCALIZATION_FOLDER OUTPUT_FOLDER
set -euo pipefail
export MOVANTA_SKIN="$1" PACKAGE="$2" TEXTS="$3" OUT="$4"
mkdir -p "$OUT"
exec "$(dirname "$0")/../../platform/ui/tests/on_xvfb.sh" bash -c '
set -euo pipefail
# show SECTION MODE WIDTH HEIGHT X Y COMMAND: X, Y inside the window.
show() {
  local section=$1 mode=$2 size="$3x$4" x=$5 y=$6 command=$7 window=""
  local log="$OUT/$section.log"
  "$MOVANTA_SKIN" show "$PACKAGE" "$section" $mode --seconds 4 --texts "$TEXTS" \
    --screenshot "$OUT/$section.png" > "$log" &
  local shown=$!
  for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name "" 2>/dev/null || true); do
      [ "$(xdotool getwindowgeometry "$id" | sed -n "s/.*Geometry: //p")" = "$size" ] && window=$id
    done
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "FAIL: $section did not come up at $size"; return 1; }
  sleep 1.5
  xdotool mousemove --window "$window" "$x" "$y" mousedown 1 sleep 0.2 mouseup 1
  wait $shown
  grep -q "^command $command\$" "$log" || { echo "FAIL: $section: no command $command"; cat "$log"; return 1; }
  grep -q "^screenshot: " "$log" || { echo "FAIL: $section: no screenshot"; cat "$log"; return 1; }
  echo "$section: shown at $size, command $command clicked"
}
show MainFrm "" 620 540 574 494 32779
show MessageDlgOK --dialog 420 220 344 185 1
show MessageDlg --dialog 420 220 344 185 2
show OptionDlg --dialog 460 360 233 158 32789
show PreviewDlg --dialog 412 430 100 382 32787
show ProgressDlg --dialog 420 180 344 145 32797
echo "6 passed, 0 failed"'
