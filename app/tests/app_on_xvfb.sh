#!/usr/bin/env bash
# The program Movanta as a person starts it, on a private X server with a
# compositing manager: not installed, it says so and shows no window;
# installed (into a temporary prefix, with a private user configuration)
# and started with a clip, its skinned main window comes up in the middle of
# the screen and plays the clip, the bars follow the real mouse, a second
# start raises it and ends without a window of its own, and its close
# button ends it with the settings saved.
# Usage: app_on_xvfb.sh BUILD_FOLDER OUTPUT_FOLDER
set -euo pipefail
export BUILD="$1" OUT="$2"
mkdir -p "$OUT"
export WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
unset MOVANTA_REGISTRY_DIR
export XDG_CONFIG_HOME="$WORK/config"
cmake --install "$BUILD" --prefix "$WORK/prefix" > "$WORK/install.log"
TMPDIR="$WORK" "$WORK/prefix/bin/movanta-convert" > "$WORK/sample.log"  # makes movanta-sample/sample.avi
exec "$(dirname "$0")/../../platform/ui/tests/on_xvfb.sh" bash -c '
set -euo pipefail
fail() { echo "FAIL: $*"; exit 1; }
# windows WIDTHxHEIGHT: the visible windows of that size.
windows() {
  for id in $(xdotool search --onlyvisible --name "" 2>/dev/null || true); do
    [ "$(xdotool getwindowgeometry "$id" | sed -n "s/.*Geometry: //p")" = "$1" ] && echo "$id"
  done
  true
}
wait_for() {
  for _ in $(seq 200); do [ -n "$(windows "$1")" ] && return 0; sleep 0.1; done
  return 1
}

# Not installed: the message, no main window, and the end once it is read.
MOVANTA_REGISTRY_DIR="$WORK/nothing" "$BUILD/lib/Movanta" > "$WORK/alone.log" 2>&1 &
alone=$!
sleep 2
[ -z "$(windows 620x540)" ] || fail "a main window without an installation"
xdotool key Return
wait $alone || true
kill -0 $alone 2>/dev/null && fail "not installed, it does not end"
echo "not installed: message shown, no window"

"$WORK/prefix/bin/movanta" "$WORK/movanta-sample/sample.avi" > "$WORK/first.log" 2>&1 &
first=$!
wait_for 620x540 || fail "the main window did not come up: $(cat "$WORK/first.log" "$WORK/sample.log")"
main=$(windows 620x540)
[ "$(xdotool getwindowgeometry "$main" | sed -n "s/.*Position: \([0-9,]*\).*/\1/p")" = "202,114" ] || fail "not centred"
sleep 2
grep -q "NexaroMovantaMainFrame" "$XDG_CONFIG_HOME/movanta/registry/HKEY_CURRENT_USER.reg" || fail "no WndClassName"
echo "started: main window centred, playing the clip"
# Paused, the position bar at three tenths, the start mark, the bar at
# eight tenths, the end mark: five seconds marked. The volume at its loudest.
xdotool mousemove --window "$main" 46 494 click 1
sleep 0.5
xdotool mousemove --window "$main" 199 411 click 1
sleep 0.5
xdotool mousemove --window "$main" 146 494 click 1
sleep 0.3
xdotool mousemove --window "$main" 475 411 click 1
sleep 0.5
xdotool mousemove --window "$main" 188 494 click 1
xdotool mousemove --window "$main" 572 174 click 1
sleep 1
import -window root "$OUT/movanta-marked.png" 2>/dev/null || true

# Convert: the save dialog takes a name, the progress dialog shows, and the
# file is a complete phone file of the marked length.
xdotool mousemove --window "$main" 574 494 click 1
sleep 2
xdotool type --delay 10 "$WORK/phone.3gp"
xdotool key Return
info=""
for _ in $(seq 60); do
  sleep 0.5
  [ -n "$(windows 420x180)" ] && continue  # the progress dialog is up
  info=$("$WORK/prefix/bin/movanta-convert" --info "$WORK/phone.3gp" 2>/dev/null || true)
  echo "$info" | grep -q "^Video " && break
done
echo "$info" | grep -q "^Video     H263 176x144" || fail "no phone file: $info"
seconds=$(echo "$info" | sed -n "s/^Duration  \([0-9]*\)\..*/\1/p")
[ "${seconds:-0}" -ge 4 ] && [ "${seconds:-0}" -le 6 ] || fail "the marked five seconds became $seconds: $info"
echo "converted: $(echo "$info" | grep Duration)"

# Another window takes the focus; a second start gives it back and ends.
"$WORK/prefix/bin/movanta-skin" show "$WORK/prefix/lib/movanta/Movanta.zsp" MessageDlgOK --dialog --seconds 8 > /dev/null &
other=$!
wait_for 420x220 || fail "the other window did not come up"
xdotool mousemove --window "$(windows 420x220)" 100 100 click 1
sleep 0.5
timeout 10 "$WORK/prefix/bin/movanta" "/no/such clip.avi" > "$WORK/second.log" 2>&1 || fail "the second start failed"
sleep 0.5
[ "$(windows 620x540 | wc -l)" = 1 ] || fail "a second main window"
focus=$(xdotool getwindowfocus)
[ "$focus" = "$main" ] || fail "the first window was not raised (focus on $focus, main $main)"
kill $other 2>/dev/null || true
echo "second start: the first window raised, no second one"

# The close button ends the program; the settings are saved.
xdotool mousemove --window "$main" 584 30 click 1
for _ in $(seq 50); do kill -0 $first 2>/dev/null || break; sleep 0.1; done
kill -0 $first 2>/dev/null && fail "the close button did not end it"
grep -q "\"VolumeValue\"=bin:64000000" "$XDG_CONFIG_HOME/movanta/registry/HKEY_CURRENT_USER.reg" ||
  fail "the volume set with the mouse was not saved: $(cat "$XDG_CONFIG_HOME/movanta/registry/HKEY_CURRENT_USER.reg")"
echo "closed: settings saved"
echo "5 passed, 0 failed"'
