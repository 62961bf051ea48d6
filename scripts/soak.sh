#!/usr/bin/env bash
# The record file soak: ten processes act as PCs and append runs through the record layer at
# random intervals, while one acts as a teacher rewriting and deleting records, all on one score
# file in a copy of the demo data tree. At the end every acknowledged append must be there exactly
# once (less the deletions that reported success), with its last rewritten level, nothing torn,
# and the file must pass `kagaku-admin check`. Prints operations per second and the longest wait
# of an append for the lock.
#   scripts/soak.sh [BUILD_DIR] [APPENDS_PER_PC] [TEACHER_OPERATIONS]
# (defaults: build, 500, 300). Needs the targets record_soak_helper and kagaku-admin built.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
appends="${2:-500}"
teacher_ops="${3:-300}"
pcs=10

helper="$build/tests/record_soak_helper"
admin="$build/src/tools/kagaku-admin"
for tool in "$helper" "$admin"; do
    [ -x "$tool" ] || { echo "soak: $tool is not built" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The data tree and the program folder's files, without the program itself (which may be a
# copy onto a network share).
mkdir -p "$work/tree/kagaku"
cp "$build/demo-tree/パスデータ.txt" "$work/tree/"
cp "$build/demo-tree/kagaku/化学式.csv" "$work/tree/kagaku/"
find "$build/demo-tree" -mindepth 1 -maxdepth 1 -type d ! -name kagaku -exec cp -r {} "$work/tree/" \;
app="$work/tree/kagaku"
file="$(find "$work/tree" -name タイム回数データ.txt -printf '%h')/成績累積データ.dat"
# The soak counts every record of the file: it starts from an empty one, not the demo history.
rm -f "$file"

start=$(date +%s.%N)
pids=()
for pc in $(seq 1 $pcs); do
    "$helper" pc "$file" "$pc" "$appends" "$((RANDOM * 100 + pc))" >"$work/pc$pc.log" &
    pids+=($!)
done
"$helper" teacher "$file" "$teacher_ops" "$RANDOM" >"$work/teacher.log" &
pids+=($!)
failed=0
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
end=$(date +%s.%N)
[ "$failed" -eq 0 ] || { echo "soak: a process failed" >&2; exit 1; }

summary="$("$helper" verify "$file" "$work"/pc*.log "$work/teacher.log")" ||
    { echo "soak: $summary" >&2; exit 1; }
"$admin" --app-folder "$app" check >"$work/check.txt" ||
    { cat "$work/check.txt" >&2; echo "soak: kagaku-admin check failed" >&2; exit 1; }
ops=$(( pcs * appends + $(wc -l <"$work/teacher.log") ))
echo "soak: $summary"
awk -v ops="$ops" -v s="$start" -v e="$end" \
    'BEGIN { printf "soak: %d operations in %.1f s, %.0f per second\n", ops, e - s, ops / (e - s) }'
