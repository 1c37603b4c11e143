#!/usr/bin/env bash
# Runs a test program on a private X server (Xvfb, 1024x768, 24 bits) with a
# compositing manager (picom), and stops both afterwards. With
# --no-compositor first, no compositing manager runs and the program sees
# MOVANTA_TEST_NO_COMPOSITOR=1.
set -euo pipefail
compositor=1
if [ "${1:-}" = "--no-compositor" ]; then
  compositor=0
  shift
fi
for tool in Xvfb picom xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "on_xvfb.sh: $tool is missing (Debian packages xvfb, picom, xdotool)" >&2
    exit 1
  fi
done
# Xvfb picks a free display itself and writes its number once it is ready,
# so tests running side by side never share a server.
numberFile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
xvfb=$!
picom=""
trap 'kill $picom $xvfb 2>/dev/null || true; wait 2>/dev/null || true; rm -f "$numberFile"' EXIT
for _ in $(seq 100); do [ -s "$numberFile" ] && break; sleep 0.1; done
number=$(tr -dc '0-9' < "$numberFile")
[ -n "$number" ] || { echo "on_xvfb.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
if [ "$compositor" = 1 ]; then
  picom --config /dev/null --backend xrender >/dev/null 2>&1 &
  picom=$!
else
  export MOVANTA_TEST_NO_COMPOSITOR=1
fi
QT_QPA_PLATFORM=xcb "$@"
