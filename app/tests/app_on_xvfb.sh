#!/usr/bin/env bash
# The program Movanta as a person uses it, on a private X server with a
# compositing manager (app_session.sh holds the steps): not installed, it
# says so; installed into a temporary prefix with a private user
# configuration and started with a clip, it plays the clip, takes marks and
# the volume from the real mouse, converts to a name typed into its save
# dialog, previews the result, asks before replacing a file, converts for
# another phone chosen in its options, is raised by a second start, and
# keeps its settings when closed. Screenshots go to OUTPUT_FOLDER.
# Usage: app_on_xvfb.sh BUILD_FOLDER OUTPUT_FOLDER SCREEN_PROBE
set -euo pipefail
export BUILD="$1" OUT="$2" PROBE="$3"
mkdir -p "$OUT"
export WORK="$(mktemp -d)"
# A Movanta a failed step left running would outlive its X server.
trap 'pkill -f "$WORK/prefix/" 2>/dev/null || true; rm -rf "$WORK"' EXIT
unset MOVANTA_REGISTRY_DIR
# A runtime folder of its own: the windows and named events the test's
# programs find are theirs, not those of tests running beside it (a
# second start must find this test's Movanta, not another window titled so).
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_CONFIG_HOME="$WORK/config"
cmake --install "$BUILD" --prefix "$WORK/prefix" > "$WORK/install.log"
TMPDIR="$WORK" "$WORK/prefix/bin/movanta-convert" > "$WORK/sample.log"  # makes movanta-sample/sample.avi
# Not exec: the trap above must still end what is left and remove $WORK.
"$(dirname "$0")/../../platform/ui/tests/on_xvfb.sh" bash "$(dirname "$0")/app_session.sh"
