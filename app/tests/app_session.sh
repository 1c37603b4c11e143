#!/usr/bin/env bash
# The session app_on_xvfb.sh runs on the private X server: a person's use of
# Movanta, step by step, with screenshots of what they see in $OUT.
# Needs: BUILD, OUT, WORK, PROBE and XDG_CONFIG_HOME from app_on_xvfb.sh.
set -euo pipefail
movanta="$WORK/prefix/bin/movanta"
info() { "$WORK/prefix/bin/movanta-convert" --info "$1" 2>/dev/null || true; }
fail() { echo "FAIL: $*"; exit 1; }
# windows WIDTHxHEIGHT: the visible windows of that size.
windows() {
  for id in $(xdotool search --onlyvisible --name "" 2>/dev/null || true); do
    [ "$(xdotool getwindowgeometry "$id" | sed -n "s/.*Geometry: //p")" = "$1" ] && echo "$id"
  done
  true
}
# wait_for SIZE: a window of that size, for up to a minute (the sanitizer
# build starting on a busy machine has taken over 20 s).
wait_for() {
  local until=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$until" ]; do [ -n "$(windows "$1")" ] && return 0; sleep 0.1; done
  return 1
}
# origin WINDOW: its screen position as "X Y".
origin() { xdotool getwindowgeometry "$1" | sed -n "s/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p"; }
# probe WINDOW X Y WIDTH HEIGHT [PNG]: the checksum of an area of a window.
probe() {
  local at
  read -r -a at <<< "$(origin "$1")"
  "$PROBE" $((at[0] + $2)) $((at[1] + $3)) "$4" "$5" ${6:+"$6"}
}
shot() { "$PROBE" 0 0 1024 768 "$OUT/$1.png" > /dev/null; }
# plays WINDOW X Y WIDTH HEIGHT: the area's pixels change within a second
# and show a picture.
plays() {
  local before after
  before=$(probe "$@")
  sleep 1
  after=$(probe "$@")
  [ "${before% *}" != "${after% *}" ] && [ "${after#* }" -gt 5000 ] || fail "no picture plays in $*: $before / $after"
}
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# converted FILE: waits for the conversion to a complete phone file.
converted() {
  local out=""
  for _ in $(seq 80); do
    sleep 0.5
    [ -n "$(windows 420x180)" ] && continue  # the progress dialog is up
    out=$(info "$1")
    echo "$out" | grep -q "^Video " && break
  done
  echo "$out"
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

"$movanta" "$WORK/movanta-sample/sample.avi" > "$WORK/first.log" 2>&1 &
first=$!
wait_for 620x540 || fail "the main window did not come up: $(cat "$WORK/first.log")"
main=$(windows 620x540)
[ "$(origin "$main")" = "202 114" ] || fail "not centred: $(origin "$main")"
grep -q "NexaroMovantaMainFrame" "$XDG_CONFIG_HOME/movanta/registry/HKEY_CURRENT_USER.reg" || fail "no WndClassName"
sleep 1.5
plays "$main" 24 100 512 288
shot movanta-playing
echo "started: main window centred, the clip playing in the video area"

# Paused, the position bar's handle dragged to three tenths, the start
# mark, the bar clicked at eight tenths, the end mark: five seconds marked.
# The volume at its loudest.
click "$main" 46 494
sleep 0.5
# Each step of the drag waits a little: a slow build takes its time to
# capture the mouse.
xdotool mousemove --window "$main" 120 411 sleep 0.2 mousedown 1 sleep 0.3 mousemove --window "$main" 160 411 \
  sleep 0.2 mousemove --window "$main" 199 411 sleep 0.3 mouseup 1
sleep 0.5
click "$main" 146 494
sleep 0.3
click "$main" 475 411
sleep 0.5
click "$main" 188 494
sleep 0.5
click "$main" 572 174
sleep 1
shot movanta-marked
# The window alone, as the README shows it (docs/movanta.png).
"$PROBE" 202 114 620 540 "$OUT/movanta-window.png" > /dev/null

# Convert: the save dialog takes a name, the progress dialog shows, and the
# file is a complete phone file of the marked length.
click "$main" 574 494
sleep 2
xdotool type --delay 10 "$WORK/phone.3gp"
xdotool key Return
sleep 0.3
shot movanta-progress
result=$(converted "$WORK/phone.3gp")
echo "$result" | grep -q "^Video     H263 176x144" || fail "no phone file: $result"
seconds=$(echo "$result" | sed -n "s/^Duration  \([0-9]*\)\..*/\1/p")
[ "${seconds:-0}" -ge 4 ] && [ "${seconds:-0}" -le 6 ] || fail "the marked five seconds became $seconds: $result"
echo "converted: $(echo "$result" | grep Duration)"

# Preview: the converted clip plays in a window of its own.
sleep 1
click "$main" 522 494
wait_for 412x430 || fail "no preview window"
preview=$(windows 412x430)
sleep 1
click "$preview" 52 382
sleep 1.5
plays "$preview" 30 56 352 288
shot movanta-preview
click "$preview" 384 28
sleep 1
[ -z "$(windows 412x430)" ] || fail "the preview did not close"
echo "preview: the converted clip plays"

# The same name again: the question whether to replace it; Cancel keeps it.
click "$main" 574 494
sleep 2
xdotool type --delay 10 "$WORK/phone.3gp"
xdotool key Return
wait_for 420x220 || fail "no question about the existing file"
shot movanta-question
click "$(windows 420x220)" 344 185
sleep 1
[ -z "$(windows 420x180)" ] || fail "a conversion after Cancel"
echo "existing file: asked, kept"

# Options: the message phone; its save dialog offers 3GP, MPEG-4 at 128 x 96.
click "$main" 174 75
wait_for 460x360 || fail "no options window"
options=$(windows 460x360)
click "$options" 230 93
sleep 0.5
xdotool key Down Down Return
sleep 0.5
shot movanta-options
click "$options" 280 319
sleep 1
click "$main" 574 494
sleep 2
xdotool type --delay 10 "$WORK/message"
xdotool key Return
result=$(converted "$WORK/message.3gp")
echo "$result" | grep -q "^Video .* 128x96" || fail "not the message phone's file: $result"
echo "options: the message phone's 3GP at 128 x 96"

# Another window takes the focus; a second start gives it back and ends.
"$WORK/prefix/bin/movanta-skin" show "$WORK/prefix/lib/movanta/Movanta.zsp" MessageDlgOK --dialog --seconds 8 > /dev/null &
other=$!
wait_for 420x220 || fail "the other window did not come up"
click "$(windows 420x220)" 100 100
sleep 0.5
timeout 10 "$movanta" "/no/such clip.avi" > "$WORK/second.log" 2>&1 || fail "the second start failed"
sleep 0.5
[ "$(windows 620x540 | wc -l)" = 1 ] || fail "a second main window"
focus=$(xdotool getwindowfocus)
[ "$focus" = "$main" ] || fail "the first window was not raised (focus on $focus, main $main)"
kill $other 2>/dev/null || true
echo "second start: the first window raised, no second one"

# The close button ends the program; the settings are saved.
click "$main" 584 30
for _ in $(seq 50); do kill -0 $first 2>/dev/null || break; sleep 0.1; done
kill -0 $first 2>/dev/null && fail "the close button did not end it"
wait $first || fail "the program did not end well: $(tail -60 "$WORK/first.log")"
hive="$XDG_CONFIG_HOME/movanta/registry/HKEY_CURRENT_USER.reg"
grep -q "\"VolumeValue\"=bin:64000000" "$hive" || fail "the volume set with the mouse was not saved: $(cat "$hive")"
grep -q "\"MobilePhone\"=bin:02000000" "$hive" || fail "the phone chosen was not saved: $(cat "$hive")"
echo "closed: settings saved"
echo "9 passed, 0 failed"
