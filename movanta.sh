#!/usr/bin/env bash
# Installs what is missing, builds into build/, installs into dist/ and runs
# the program's main job. Arguments go to movanta-convert.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh

movanta_install_packages
movanta_build build/default -DCMAKE_BUILD_TYPE=RelWithDebInfo
movanta_install build/default dist
exec dist/bin/movanta-convert "$@"
