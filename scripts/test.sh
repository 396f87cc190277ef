#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then the test of several counters on a
# Samba share mounted twice (scripts/share-test.sh: as root with /dev/fuse, else it says why it is
# skipped); then again under the sanitizers, with the fuzz targets (scripts/sanitize.sh;
# FUZZ_SECONDS per target).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/check-format.sh"
CMAKE_ARGS="-DKORVANTA_EXTRAS=ON ${CMAKE_ARGS:-}" "$root/scripts/build.sh"
ctest --test-dir "${BUILD_DIR:-$root/build}" --output-on-failure --parallel 2
"$root/scripts/share-test.sh" "${BUILD_DIR:-$root/build}"
"$root/scripts/sanitize.sh"
"$root/scripts/check-package.sh"
