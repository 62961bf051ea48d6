#!/usr/bin/env bash
# The record path over a real SMB share (see share_server.sh for the server and the mount):
#   1. whether a byte-range lock taken on the server's side is seen through the mount (told,
#      not failed: it says whether locks between two machines pass through this client);
#   2. the record path's own tests with their temporary folders on the share: appends, locks
#      held by other processes, the deletion killed with SIGKILL, faults, the loader, and the
#      share's own cases (a rename it refuses, a folder of length 0);
#   3. a brief soak (ten PC processes and a teacher) on a score file on the share;
#   4. the program started on a data tree on the share until its name screen shows (its reads
#      of the score file counted with strace, the server's SMB requests with its counters),
#      then a run appended with kagaku-admin and the file checked.
# Where the share cannot run here (not root, no /dev/fuse, no Samba) it says so and skips.
#   scripts/share.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
source "$root/scripts/share_server.sh"

tests="$build/tests/logic_tests"
helper="$build/tests/append_helper"
admin="$build/src/tools/kagaku-admin"
program="$build/demo-tree/kagaku/kagaku"
for tool in "$tests" "$helper" "$admin" "$build/tests/record_soak_helper"; do
    [ -x "$tool" ] || { echo "share: $tool is not built" >&2; exit 2; }
done

started=$SECONDS
work="$(mktemp -d)"
program_pid=""  # strace, which started the program and ends with it
# strace blocks the signals that would end it while it traces: the program itself is ended.
stop_program() {
    [ -n "$program_pid" ] || return 0
    local traced
    for traced in $(pgrep -P "$program_pid"); do kill "$traced" 2>/dev/null || true; done
    wait "$program_pid" 2>/dev/null || true
    program_pid=""
}
finish() {
    stop_program
    share_stop
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "share: $*" >&2
    exit 1
}

if ! share_start "$work/share"; then
    echo "share step SKIPPED (not run, not passed): $SHARE_SKIP_REASON"
    exit 0
fi
echo "share: smbd $(smbd --version | awk '{print $2}') on 127.0.0.1${SHARE_NETNS:+ in network namespace $SHARE_NETNS}," \
    "mounted with smbnetfs $(dpkg-query -W -f='${Version}' smbnetfs 2>/dev/null) at $SHARE_FOLDER"

# 1. A lock on the served file itself stands for another machine whose SMB client passes its
# locks to the server (Samba keeps them as POSIX locks on the served file).
echo x >"$SHARE_SERVER_FOLDER/lockprobe.dat"
"$helper" hold "$SHARE_SERVER_FOLDER/lockprobe.dat" 4000 >"$work/hold.out" &
hold_pid=$!
for _ in $(seq 1 50); do grep -q locked "$work/hold.out" && break; sleep 0.1; done
grep -q locked "$work/hold.out" || fail "no lock on the served file"
timeout 2 "$helper" hold "$SHARE_FOLDER/lockprobe.dat" 0 >"$work/through.out" 2>&1 || true
if grep -q locked "$work/through.out"; then
    echo "share: locks between machines: NOT passed through by smbnetfs (a lock held on the" \
        "server was not seen through the mount; processes on one PC still exclude each other)"
else
    echo "share: locks between machines: passed through (a lock held on the server is seen)"
fi
kill "$hold_pid" 2>/dev/null || true
wait "$hold_pid" 2>/dev/null || true

# 2. The record path's tests on the share.
mkdir -p "$SHARE_FOLDER/tmp"
t0=$SECONDS
TMPDIR="$SHARE_FOLDER/tmp" KAGAKU_TEST_SHARE=smb "$tests" --gtest_brief=1 \
    --gtest_filter='SharedFile*:ScoreRecordFile.*:RecordConcurrency.*:RecordDeletion.*:RecordFaultWalk.*:Aggregation.*:*ReplacingAnOpenFile*:ShareCases.*' \
    >"$work/tests.log" 2>&1 || { cat "$work/tests.log" >&2; fail "record tests failed on the share"; }
echo "share: $(grep -E '^\[  PASSED  \]' "$work/tests.log") on the share ($((SECONDS - t0)) s)"

# 3. The soak: ten PCs and a teacher on one score file on the share.
t0=$SECONDS
TMPDIR="$SHARE_FOLDER/tmp" "$root/scripts/soak.sh" "$build" 60 40 | sed 's/^soak:/share: soak:/'
echo "share: soak took $((SECONDS - t0)) s"

# 4. The program on a data tree on the share; its own folder stays on the PC.
if [ ! -x "$program" ]; then
    echo "share: the program is not built (KAGAKU_BUILD_UI=OFF): start-up on the share SKIPPED"
else
    pc="$work/pc"
    mkdir -p "$pc/kagaku"
    cp "$program" "$build/demo-tree/kagaku/化学式.csv" "$pc/kagaku/"
    data="$(find "$build/demo-tree" -mindepth 1 -maxdepth 1 -type d ! -name kagaku)"
    cp -r "$data" "$SHARE_FOLDER/"
    tree="$SHARE_FOLDER/$(basename "$data")"
    # The records below are counted: start from an empty score file, not the demo history.
    find "$tree" -name 成績累積データ.dat -delete
    "$admin" --app-folder "$pc/kagaku" set-data-root "$tree" >/dev/null ||
        fail "set-data-root refused the tree on the share"
    # A few hundred runs, so that the reads are reads of something.
    for i in $(seq 1 5); do "$admin" --app-folder "$pc/kagaku" add-run --pupil "$i" --level 2 --seconds $((30 + i)) >/dev/null; done
    score="$(find "$tree" -name 成績累積データ.dat)"
    sleep 2  # the server adds up its request counters every second or so
    before="$(share_server_requests "$work/share")"
    KAGAKU_SCREEN_LOG=1 QT_QPA_PLATFORM=offscreen strace -f -qq -y -e trace=openat,pread64,read,fstat,newfstatat,statx,close \
        -o "$work/program.strace" "$pc/kagaku/kagaku" >/dev/null 2>"$work/screens.log" &
    program_pid=$!
    for _ in $(seq 1 120); do
        grep -qx "screen: namesel" "$work/screens.log" && break
        grep "^message: " "$work/screens.log" >&2 && fail "the program showed a message instead"
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended: $(cat "$work/screens.log")"
        sleep 0.5
    done
    grep -qx "screen: namesel" "$work/screens.log" || fail "no name screen within a minute"
    sleep 3  # the list is filled just after the screen shows; then the counters catch up
    after="$(share_server_requests "$work/share")"
    stop_program
    # strace writes the path's non-ASCII bytes as octal escapes: the score file is the .dat
    # whose name ends in one (the deletion copy's ends in "temp").
    opens=$(grep -cE 'openat\(.*[0-7]{3}\.dat", ' "$work/program.strace" || true)
    reads=$(grep -cE 'pread64\([0-9]+<[^>]*[0-7]{3}\.dat>' "$work/program.strace" || true)
    smb="$(join <(echo "$before") <(echo "$after") | awk '$3 > $2 { printf "%s %d, ", $1, $3 - $2 }')"
    echo "share: the program reached its name screen on the share: score file opened ${opens}x, read ${reads}x;" \
        "SMB requests meanwhile: ${smb%, }"
    added="$("$admin" --app-folder "$pc/kagaku" add-run --pupil 1 --level 2 --seconds 44 2>&1)" || true
    grep -q 記録6 <<<"$added" || fail "kagaku-admin add-run on the share did not append record 6: $added"
    "$admin" --app-folder "$pc/kagaku" check >"$work/check.txt" ||
        { cat "$work/check.txt" >&2; fail "kagaku-admin check failed on the share"; }
    [ "$(stat -c %s "$score")" -eq $((6 * 44)) ] || fail "the score file on the share is not 6 records"
    echo "share: kagaku-admin appended record 6 on the share; check passed"
fi
echo "share: done in $((SECONDS - started)) s"
