#!/usr/bin/env bash
# Runs every fuzz target of the file readers for a bounded time from its seed corpus in
# tests/fuzz/corpus/, under AddressSanitizer and UBSan. Fails on any crash, leak, hang (a run
# over 10 seconds on one input), sanitizer report or broken property; the input that did it
# is kept in the build folder's fuzz-artifacts/. Prints the executions and the coverage
# (edges and features) each target reached.
#   scripts/fuzz.sh [BUILD_DIR] [SECONDS_PER_TARGET]      (defaults: build-fuzz, 15)
# The build folder is configured with CXX=clang++ -DKAGAKU_FUZZ=ON and built with the target
# fuzz_targets (test.sh does both).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build-fuzz}" && pwd)"
seconds="${2:-15}"

artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

failed=0
for seeds in "$root"/tests/fuzz/corpus/*/; do
    name="$(basename "$seeds")"
    target="$build/tests/fuzz/${name}_fuzz"
    [ -x "$target" ] || { echo "fuzz: $target is not built" >&2; exit 2; }
    mkdir -p "$work/$name"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/${name}-" \
        "$work/$name" "$seeds" >"$work/$name.log" 2>&1; then
        failed=1
        tail -n 60 "$work/$name.log" >&2
        echo "fuzz: $name FAILED (input kept in $artifacts)" >&2
    fi
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")"
    cov="$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$work/$name.log" | tail -n 1)"
    printf 'fuzz: %-16s %10s executions, %s\n' "$name" "${execs:-?}" "${cov:-cov: ?}"
done
exit "$failed"
