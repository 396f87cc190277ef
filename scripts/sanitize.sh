#!/usr/bin/env bash
# Builds everything with clang, AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize/
# (or $SANITIZE_BUILD_DIR), runs every test there (the window tests offscreen, the fuzz targets'
# seed corpora included), then runs each fuzz target for $FUZZ_SECONDS seconds (60 by default; 0
# skips that part).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SANITIZE_BUILD_DIR:-$root/build-sanitize}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKORVANTA_SANITIZE=ON -DKORVANTA_FUZZ=ON ${SANITIZE_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --parallel "$(nproc)"

# A leak, an overflow or undefined behaviour fails the test that meets it.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$build" --output-on-failure --parallel 2

"$root/scripts/fuzz.sh" "$build"
