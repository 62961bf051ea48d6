#!/usr/bin/env bash
# The logic, kagaku-admin.exe and the logic tests cross-built for 64-bit Windows with Debian's
# MinGW-w64, then the whole logic suite run once under Wine (headless: console programs only).
#
#   scripts/windows_check.sh [BUILD_DIR]     (default: build-windows/)
#
# Everything comes from Debian: the compiler and Wine as packages, GoogleTest from the sources
# libgtest-dev installs, libsodium from Debian's own source package (fetched with apt-get source
# once and built for MinGW once; both are kept under BUILD_DIR/deps and reused). CLI11 and
# nlohmann-json are headers. Where a step cannot run here (no root to install, no source
# package), it says so and skips; it never passes silently. Exits non-zero on a failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BUILD="${1:-$KAGAKU_ROOT/build-windows}"
mkdir -p "$BUILD"
BUILD="$(cd "$BUILD" && pwd)"
DEPS="$BUILD/deps"
HOST=x86_64-w64-mingw32
START=$SECONDS

skip() {
    echo "windows_check: SKIPPED, the Windows build was not tested: $*" >&2
    exit 0
}
elapsed() { echo "windows_check: $1 ($((SECONDS - START)) s so far)"; }

WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 autoconf automake libtool dpkg-dev
    googletest libcli11-dev nlohmann-json3-dev)
if ! install_missing_packages "${WINDOWS_PACKAGES[@]}"; then
    skip "the MinGW-w64 compiler and Wine could not be installed"
fi
command -v $HOST-g++-posix >/dev/null || skip "$HOST-g++-posix is missing"
WINE=""
for candidate in wine64 /usr/lib/wine/wine64 wine; do
    if command -v "$candidate" >/dev/null 2>&1; then WINE="$(command -v "$candidate")"; break; fi
done
[ -n "$WINE" ] || skip "Wine (wine64) is missing"

# libsodium for MinGW, from Debian's source package, once.
build_sodium() {
    local src="$DEPS/src"
    rm -rf "$src" && mkdir -p "$src"
    if ! apt-cache showsrc libsodium 2>/dev/null | grep -q '^Package: libsodium'; then
        # A deb-src entry beside each deb entry this machine already has.
        local list=/etc/apt/sources.list.d/kagaku-deb-src.sources
        : >"$list.new"
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] && [ "$f" != "$list" ] &&
                sed 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb-src/' "$f" >>"$list.new" &&
                echo >>"$list.new"
        done
        if [ -f /etc/apt/sources.list ]; then
            sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list >"${list%.sources}.list"
        fi
        as_root mv "$list.new" "$list"
        as_root apt-get update -qq
    fi
    (cd "$src" && apt-get source -qq libsodium >/dev/null 2>&1) ||
        skip "apt-get source libsodium failed (no deb-src entry or no network)"
    local dir
    dir="$(find "$src" -maxdepth 1 -type d -name 'libsodium-*' | head -n 1)"
    [ -n "$dir" ] || skip "the libsodium source package holds no source folder"
    (
        cd "$dir"
        [ -x configure ] || autoreconf -fi >/dev/null
        nice -n 10 ./configure -q --host=$HOST --prefix="$DEPS" --disable-shared --enable-static \
            --disable-dependency-tracking --with-pic=no CFLAGS="-O2" >/dev/null
        nice -n 10 make -s -j "$(nproc)" >/dev/null
        make -s install >/dev/null
    )
    rm -rf "$src"
}
if [ ! -f "$DEPS/lib/libsodium.a" ]; then
    build_sodium
    elapsed "libsodium built for MinGW"
fi

# GoogleTest for MinGW from the sources libgtest-dev installs, once.
if [ ! -f "$DEPS/lib/libgtest.a" ]; then
    [ -d /usr/src/googletest ] || skip "/usr/src/googletest is missing"
    nice -n 10 cmake -S /usr/src/googletest -B "$DEPS/gtest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$KAGAKU_ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$DEPS" -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF >/dev/null
    nice -n 10 cmake --build "$DEPS/gtest-build" -j "$(nproc)" >/dev/null
    cmake --install "$DEPS/gtest-build" >/dev/null
    rm -rf "$DEPS/gtest-build"
    elapsed "GoogleTest built for MinGW"
fi

# The header-only libraries, where the cross-build finds them without the build machine's
# own /usr/include (whose C headers are not Windows's).
mkdir -p "$DEPS/include"
for h in CLI nlohmann; do
    [ -e "$DEPS/include/$h" ] || cp -r "/usr/include/$h" "$DEPS/include/$h"
done

# Wine in a prefix of its own under the build folder; its first start (wineboot) is paid once.
# The build runs make_tones.exe under it for the demo tree's sounds.
export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE" wineboot --init >/dev/null 2>&1 || true
    elapsed "Wine prefix made"
fi

# Optimised lightly and without debug information: the build is what costs here.
nice -n 10 cmake -S "$KAGAKU_ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
    -DCMAKE_TOOLCHAIN_FILE="$KAGAKU_ROOT/cmake/mingw-w64.cmake" -DKAGAKU_WINDOWS_DEPS="$DEPS" \
    -DKAGAKU_WERROR=ON -DKAGAKU_BUILD_UI=OFF -DKAGAKU_BUILD_BENCH=OFF >/dev/null
nice -n 10 cmake --build "$BUILD" -j "$(nproc)" --target logic_tests kagaku-admin
elapsed "built"

# The suite, once.
cd "$BUILD/tests"
status=0
# Not yet made for Windows, so named here and left out, never passed silently: the score
# file's backups and restore (their renames and checks fail under Wine), and the share's
# replacement of a file another process holds open (its helper process crashes there).
not_yet="BackupDamage.*:BackupRestore.*:BackupTool.RestoreWithYesShowsTheChangeSavesTheFileAndReplacesIt:BackupTool.TheFirstChangeOfTheDayIsBackedUpOnce:Cases/ReplacingAnOpenFile.*"
echo "windows_check: NOT RUN under Wine (not yet made for Windows): ${not_yet//:/ }"
LC_ALL=C.UTF-8 nice -n 10 "$WINE" ./logic_tests.exe --gtest_brief=1 --gtest_filter="-$not_yet" 2>&1 |
    tee "$BUILD/logic_tests.log" || status=$?
# Wine does not always pass the program's exit status on: a failed test fails the step as well.
if grep -q '^\[  FAILED  \]' "$BUILD/logic_tests.log" || ! grep -q '^\[  PASSED  \]' "$BUILD/logic_tests.log"; then
    status=1
fi
elapsed "logic tests under Wine finished with status $status"

# The same files through both tools: a school set up by the Linux tool, the data root set on
# a Linux PC and on a Windows PC (each PC has its own パスデータ.txt, as at a school), both
# appending to one score file at once, then each reading what the other wrote (the exports
# must be the same bytes).
exchange_check() {
    local linux_tool="$KAGAKU_ROOT/build/src/tools/kagaku-admin"
    local windows_tool="$BUILD/src/tools/kagaku-admin.exe"
    if [ ! -x "$linux_tool" ]; then
        echo "windows_check: SKIPPED the exchange with the Linux tool: $linux_tool is not built" \
            "(test.sh builds build/ first)" >&2
        return 0
    fi
    local t root
    t="$(mktemp -d)"
    root="$t/学校データ"
    mkdir -p "$t/linux-pc/kagaku" "$t/windows-pc/kagaku"
    win() { LC_ALL=C.UTF-8 "$WINE" "$windows_tool" --app-folder "$t/windows-pc/kagaku" "$@"; }
    lin() { "$linux_tool" --app-folder "$t/linux-pc/kagaku" "$@"; }
    local ok=1
    lin new-school "$root" --name "髙﨑塾①Ⅱ～" --code 12345 >/dev/null || ok=0
    lin set-data-root "$root" >/dev/null || ok=0
    win set-data-root "$root" >/dev/null || ok=0
    local pids=()
    for pc in 1 2; do
        (for i in $(seq 1 12); do lin add-run --pupil "$pc" --level 2 --seconds "$i" >/dev/null || exit 1; done) &
        pids+=($!)
    done
    for pc in 3 4; do
        (for i in $(seq 1 6); do win add-run --pupil "$pc" --level 2 --seconds "$i" >/dev/null || exit 1; done) &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do wait "$pid" || ok=0; done
    lin export >"$t/linux.csv" || ok=0
    win export >"$t/windows.csv" || ok=0
    local records
    records=$(($(wc -l <"$t/linux.csv") - 1))
    if [ "$ok" -eq 1 ] && cmp -s "$t/linux.csv" "$t/windows.csv" && [ "$records" -eq 36 ] &&
        lin check >/dev/null && win check >/dev/null; then
        echo "windows_check: exchange with the Linux tool passed (36 appends by 2 Linux and" \
            "2 Windows processes at once, one export read alike by both)"
        rm -rf "$t"
    else
        echo "windows_check: exchange with the Linux tool FAILED ($records records; see $t)" >&2
        status=1
    fi
}
exchange_check
elapsed "exchange with the Linux tool done"

# Wine's server goes with the last program; wait for it so that nothing is left running.
WINESERVER="$(dirname "$WINE")/wineserver"
[ -x "$WINESERVER" ] || WINESERVER=wineserver
"$WINESERVER" -w 2>/dev/null || true
exit "$status"
