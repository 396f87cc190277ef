#!/usr/bin/env bash
# Configures and builds KORVANTA into build/ (or the folder given as $BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
# CMAKE_ARGS: further options for the configuration, e.g. -DKORVANTA_EXTRAS=OFF.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --parallel "$(nproc)"
