#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs the whole test suite
# headless (Qt's offscreen platform), then the whole suite again, screens included, under
# AddressSanitizer and UBSan (the benchmarks are left out there). Any sanitizer report fails the
# test it comes from (the tests' environment says so, see the top CMakeLists.txt).
# Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing_packages

configure_and_build "$KAGAKU_ROOT/build" -DKAGAKU_WERROR=ON

# The print test goes through the print system where it can run one: as root, a PDF queue as
# the default printer; elsewhere it prints through Qt's PDF output.
if [ "$(id -u)" -eq 0 ] && [ -x /usr/sbin/cupsd ]; then
    if ! pgrep -x cupsd >/dev/null; then
        # Started here, so stopped here; it keeps none of this script's output open.
        /usr/sbin/cupsd </dev/null >/dev/null 2>&1
        trap 'pkill -x cupsd || true' EXIT
    fi
    for _ in 1 2 3 4 5; do lpstat -r >/dev/null 2>&1 && break; sleep 1; done
    lpadmin -p KagakuPDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null &&
        lpadmin -d KagakuPDF && export KAGAKU_CUPS_PDF_DIR="$HOME/PDF"
fi
(cd "$KAGAKU_ROOT/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")

# A brief soak of the record file: ten PC processes and a teacher on one score file.
"$KAGAKU_ROOT/scripts/soak.sh" "$KAGAKU_ROOT/build" 300 200

# The record path over a real SMB share (Samba's server and the smbnetfs FUSE client, for this
# step only); skipped with its reason where it cannot run (not root, no /dev/fuse).
if [ "$(id -u)" -eq 0 ] && [ -c /dev/fuse ]; then
    install_missing_packages samba smbnetfs fuse3 strace
fi
"$KAGAKU_ROOT/scripts/share.sh" "$KAGAKU_ROOT/build"

configure_and_build "$KAGAKU_ROOT/build-sanitize" -DKAGAKU_WERROR=ON -DKAGAKU_SANITIZE=ON \
    -DKAGAKU_BUILD_UI=ON -DKAGAKU_BUILD_BENCH=OFF
(cd "$KAGAKU_ROOT/build-sanitize" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")

# Every file reader under libFuzzer for a bounded time each (clang and its runtime from Debian's
# packages are needed for this step only).
install_missing_packages clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S "$KAGAKU_ROOT" -B "$KAGAKU_ROOT/build-fuzz" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAGAKU_WERROR=ON -DKAGAKU_FUZZ=ON \
    -DKAGAKU_BUILD_UI=OFF -DKAGAKU_BUILD_BENCH=OFF
cmake --build "$KAGAKU_ROOT/build-fuzz" -j "$(nproc)" --target fuzz_targets
"$KAGAKU_ROOT/scripts/fuzz.sh" "$KAGAKU_ROOT/build-fuzz" 12

# The Debian package, where dpkg may install it (as root): packed from build/, installed, a new
# school set up in a temporary folder, the installed program started on it until the name
# screen shows, then removed with the school's tree left untouched (a few seconds).
if [ "$(id -u)" -eq 0 ] && command -v dpkg >/dev/null 2>&1; then
    "$KAGAKU_ROOT/scripts/package_check.sh" "$KAGAKU_ROOT/build"
fi

# The logic and kagaku-admin for Windows, cross-built with MinGW-w64 and tested under Wine
# (builds libsodium and GoogleTest for MinGW once, into build-windows/deps/; says SKIPPED and
# why where it cannot run).
"$KAGAKU_ROOT/scripts/windows_check.sh" "$KAGAKU_ROOT/build-windows"
