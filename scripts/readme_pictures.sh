#!/usr/bin/env bash
# Writes the README's pictures afresh: runs the screen test that saves them at 1280x1024 and
# copies them, scaled to 640 pixels wide with a palette of 64 colours, to docs/.
#   scripts/readme_pictures.sh [BUILD_DIR]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build="${1:-$KAGAKU_ROOT/build}"

install_missing_packages imagemagick
cmake --build "$build" --target ui_readme_pictures_test
ctest --test-dir "$build" -R '^ui_readme_pictures_test_1280x1024$' --output-on-failure

mkdir -p "$KAGAKU_ROOT/docs"
for name in name-screen level-menu drill result detail-report; do
    convert "$build/screenshots/readme-$name-1280x1024.png" -resize 640x \
        -colors 64 -strip "PNG8:$KAGAKU_ROOT/docs/$name.png"
done
ls -l "$KAGAKU_ROOT/docs"
