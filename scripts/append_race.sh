#!/usr/bin/env bash
# A class finishing a timed drill together: N processes append one run each to one score file
# at the same moment (bench/append_race), for N = 10 and 30, on the local disk and on a real
# SMB share (share_server.sh; skipped with its reason where it cannot run). Each line gives
# the median, the 99th percentile and the longest time from that moment until a process's run
# was on the file, beside the floor (one process alone). "library" processes call the record
# layer directly; "tool" processes are `kagaku-admin add-run`, process start included.
#   scripts/append_race.sh [BUILD_DIR] [ROUNDS]     (defaults: build, 5)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
rounds="${2:-5}"
source "$root/scripts/share_server.sh"

race="$build/bench/append_race"
# KAGAKU_ADMIN measures another build of the tool (an older one, for a comparison);
# APPEND_RACE_MODES picks "library", "tool" or both.
admin="${KAGAKU_ADMIN:-$build/src/tools/kagaku-admin}"
modes="${APPEND_RACE_MODES:-library tool}"
for tool in "$race" "$admin"; do
    [ -x "$tool" ] || { echo "append race: $tool is not built" >&2; exit 2; }
done

work="$(mktemp -d)"
finish() {
    share_stop
    rm -rf "$work"
}
trap finish EXIT

# copy_data_tree DEST: the demo tree without the program file (the tool needs only the folder).
copy_data_tree() {
    rm -rf "$1"
    mkdir -p "$1/kagaku"
    cp "$build/demo-tree/パスデータ.txt" "$1/"
    cp "$build/demo-tree/kagaku/化学式.csv" "$1/kagaku/"
    find "$build/demo-tree" -mindepth 1 -maxdepth 1 -type d ! -name kagaku -exec cp -r {} "$1/" \;
    # An empty score file, not the demo history: the race times appends, not the day's backup.
    find "$1" -name 成績累積データ.dat -delete
}

# race FOLDER LABEL: the four measurements on a copy of the demo tree in FOLDER.
race() {
    local folder="$1" label="$2" n mode
    for mode in $modes; do
        for n in 10 30; do
            copy_data_tree "$folder/tree"
            local data
            data="$(find "$folder/tree" -name タイム回数データ.txt -printf '%h')"
            if [ "$mode" = library ]; then
                echo "$label: $("$race" library "$data/成績累積データ.dat" "$n" "$rounds")"
            else
                echo "$label: $("$race" tool "$admin" "$folder/tree/kagaku" "$n" "$rounds")"
            fi
        done
    done
}

mkdir -p "$work/local"
race "$work/local" "local disk"
if share_start "$work/share"; then
    race "$SHARE_FOLDER" "SMB share"
else
    echo "SMB share: SKIPPED (not measured): $SHARE_SKIP_REASON"
fi
