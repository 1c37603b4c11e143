# Sourced by the benchmarks that run whole programs: builds BUILD (default
# build/default), installs it into a temporary folder with a registry of
# its own, and sets `work` (that folder, removed at exit), `build` and
# `convert` (the installed movanta-convert).
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export MOVANTA_REGISTRY_DIR="$work/registry"
build="${BUILD:-build/default}"
cmake --build "$build" > /dev/null
cmake --install "$build" --prefix "$work/dist" > /dev/null
convert="$work/dist/bin/movanta-convert"
