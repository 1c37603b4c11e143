#!/usr/bin/env bash
# Installs what is missing, builds into build/, installs into dist/ and runs
# the program's main job. With arguments they go to movanta-convert. Without
# any: on a desktop the application starts with the built-in sample clip
# open; without a display the sample is converted for phone 0 on the
# command line.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh

movanta_install_packages
movanta_build build/default -DCMAKE_BUILD_TYPE=RelWithDebInfo
movanta_install build/default dist
if [ $# -gt 0 ]; then
  exec dist/bin/movanta-convert "$@"
fi
dist/bin/movanta-convert
sample="${TMPDIR:-/tmp}/movanta-sample/sample.avi"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting Movanta with the sample clip open"
  exec dist/bin/movanta "$sample"
fi
echo "No display here: the application starts on a desktop with dist/bin/movanta [CLIP]"
