#!/usr/bin/env bash
# Installs what is missing, builds, and starts 化学式 on the bundled demo data tree.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing_packages
configure_and_build "$KAGAKU_ROOT/build"

program="$KAGAKU_ROOT/build/demo-tree/kagaku/kagaku"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<MSG
The program is built, but there is no display to show it on (neither DISPLAY nor
WAYLAND_DISPLAY is set). Start it from a desktop session:
    $program
or, on a machine without a screen, inside a virtual one (apt-get install xvfb):
    xvfb-run -a $program
MSG
    exit 2
fi
exec "$program"
