#!/usr/bin/env bash
# UninstallMovanta as a person starts it, against installations in a
# temporary prefix with a private user configuration: with Movanta running
# and Cancel chosen nothing happens; with no Movanta running the registered
# command removes the installation at once, keeping what the user put in its
# folders and the user's settings; with Movanta running and OK chosen,
# Movanta closes (saving its settings) and the installation goes; without
# "UninstallString" the uninstaller ends silently.
# Usage: uninstall_on_xvfb.sh BUILD_FOLDER
set -euo pipefail
export BUILD="$1"
export WORK="$(mktemp -d)"
# A message box left open would hold the test's output open after it ends.
trap 'pkill -f "$WORK/prefix/" 2>/dev/null || true; rm -rf "$WORK"' EXIT
unset MOVANTA_REGISTRY_DIR
export XDG_CONFIG_HOME="$WORK/config"
# A runtime folder of its own: the windows and named events the test's
# programs find are theirs, not those of tests running beside it (a unit
# test's window titled "Movanta" would get the uninstaller's question).
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Not exec: the trap above must still end what is left and remove $WORK.
"$(dirname "$0")/../../platform/ui/tests/on_xvfb.sh" bash -c '
set -euo pipefail
prefix="$WORK/prefix"
fail() { echo "FAIL: $*"; exit 1; }
install() { cmake --install "$BUILD" --prefix "$prefix" > "$WORK/install.log" || fail "install: $(cat "$WORK/install.log")"; }
uninstaller="$prefix/lib/movanta/UninstallMovanta"
main_window() {
  for id in $(xdotool search --onlyvisible --name "^Movanta\$" 2>/dev/null || true); do
    [ "$(xdotool getwindowgeometry "$id" | sed -n "s/.*Geometry: //p")" = 620x540 ] && echo "$id"
  done
  true
}
start_movanta() {
  "$prefix/bin/movanta" > "$WORK/movanta.log" 2>&1 &
  movanta=$!
  for _ in $(seq 200); do [ -n "$(main_window)" ] && return 0; sleep 0.1; done
  fail "Movanta did not come up"
}
# Waits for the window titled $1 and presses the key $2 in it until it
# closes (a key sent before the window has the focus is lost).
press_in() {
  for _ in $(seq 100); do xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 && break; sleep 0.1; done
  xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 || fail "no window \"$1\""
  for _ in $(seq 20); do
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$window" ] || return 0
    sleep 0.5
    xdotool windowfocus "$window" key "$2" 2>/dev/null || true
  done
  fail "the window \"$1\" does not close"
}
# The question is the only window titled "Waring".
answer() { press_in Waring "$1"; }
# The uninstall command tells how it ended in a message box of its own;
# once it is answered the command ends (before the next install, which
# replaces the files it runs from).
acknowledge_result() {
  press_in "Uninstall Movanta" Return
  for _ in $(seq 100); do pgrep -f "$prefix/bin/movanta-setup" > /dev/null || return 0; sleep 0.1; done
  fail "the uninstall command did not end after its result was answered"
}

install
start_movanta
"$uninstaller" &
uninstalling=$!
answer Escape
wait $uninstalling || true
sleep 1
kill -0 $movanta 2>/dev/null || fail "Cancel closed Movanta"
[ -x "$prefix/bin/movanta-convert" ] || fail "Cancel removed the installation"
echo "running, Cancel: Movanta runs on, nothing removed"

answer_ok() { answer Return; }
"$uninstaller" &
uninstalling=$!
answer_ok
wait $uninstalling || fail "the uninstaller failed after OK"
for _ in $(seq 80); do kill -0 $movanta 2>/dev/null || break; sleep 0.1; done
kill -0 $movanta 2>/dev/null && fail "OK did not close Movanta"
grep -q "VolumeValue" "$XDG_CONFIG_HOME/movanta/registry/HKEY_CURRENT_USER.reg" || fail "Movanta did not save its settings"
acknowledge_result
for _ in $(seq 100); do [ -e "$prefix/bin/movanta-convert" ] || break; sleep 0.1; done
[ -e "$prefix/bin/movanta-convert" ] && fail "OK did not uninstall"
left=$(find "$prefix" -mindepth 1 -not -type d)
[ -z "$left" ] || fail "left behind: $left"
echo "running, OK: Movanta closed with its settings saved, the installation removed"

install
mkdir -p "$prefix/lib/movanta"
echo "mine" > "$prefix/lib/movanta/notes.txt"
"$uninstaller" || fail "the uninstaller failed"
acknowledge_result
for _ in $(seq 100); do [ -e "$prefix/bin/movanta-convert" ] || break; sleep 0.1; done
[ -e "$prefix/bin/movanta-convert" ] && fail "the installation was not removed"
left=$(find "$prefix" -mindepth 1 -not -type d)
[ "$left" = "$prefix/lib/movanta/notes.txt" ] || fail "not exactly the user file left: $left"
[ -s "$XDG_CONFIG_HOME/movanta/registry/HKEY_CURRENT_USER.reg" ] || fail "the user settings went"
echo "not running: removed at once, the user file and settings kept"

install
sed -i "/UninstallString/d" "$prefix/lib/movanta/registry/HKEY_LOCAL_MACHINE.reg"
timeout 10 "$uninstaller" > "$WORK/silent.log" 2>&1 || [ $? -ne 124 ] || fail "without a command it does not end"
[ -s "$WORK/silent.log" ] && fail "not silent: $(cat "$WORK/silent.log")"
[ -x "$prefix/bin/movanta-convert" ] || fail "something was removed without a command"
echo "no command: a silent end"
echo "4 passed, 0 failed"'
