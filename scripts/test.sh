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
(cd "$KAGAKU_ROOT/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")

configure_and_build "$KAGAKU_ROOT/build-sanitize" -DKAGAKU_WERROR=ON -DKAGAKU_SANITIZE=ON \
    -DKAGAKU_BUILD_UI=ON -DKAGAKU_BUILD_BENCH=OFF
(cd "$KAGAKU_ROOT/build-sanitize" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")
