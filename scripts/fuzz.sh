#!/usr/bin/env bash
# Runs every fuzz target of a build made with -DKORVANTA_FUZZ=ON (the folder given, or
# build-sanitize/) for $FUZZ_SECONDS seconds each (60 by default), starting from its seed corpus in
# fuzz/corpus/<target>/. What a run finds is kept in <build>/fuzz-findings/ and fails the script.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-sanitize}"
seconds="${FUZZ_SECONDS:-60}"
[ "$seconds" -gt 0 ] || exit 0

findings="$build/fuzz-findings"
mkdir -p "$findings"
failed=()
for seeds in "$root"/fuzz/corpus/*/; do
    target="$(basename "$seeds")"
    # New inputs go to a scratch corpus in the build folder; the seeds in the repository stay as they are.
    work="$build/fuzz-corpus/$target"
    mkdir -p "$work"
    echo "fuzz: $target for ${seconds}s"
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" "$work" "$seeds" >"$build/fuzz-$target.log" 2>&1; then
        tail -n 60 "$build/fuzz-$target.log"
        failed+=("$target")
    else
        grep -E '^stat::number_of_executed_units' "$build/fuzz-$target.log" || true
    fi
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "fuzz: findings in ${failed[*]} (inputs in $findings)"
    exit 1
fi
