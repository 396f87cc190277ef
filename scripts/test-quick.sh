#!/usr/bin/env bash
# The quick check a newcomer can wait for: installs what is missing, builds the programs and their
# tests (no benchmarks, no developer tools) and runs every test of that build. The full check that
# CI runs, with the sanitizers, fuzzing and the package, is scripts/test.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/check-format.sh"
CMAKE_ARGS="-DKORVANTA_EXTRAS=OFF ${CMAKE_ARGS:-}" "$root/scripts/build.sh"
ctest --test-dir "${BUILD_DIR:-$root/build}" --output-on-failure --parallel "$(nproc)"
