# Shared by run.sh and test.sh: installs what is missing from Debian's packages and builds.
# shellcheck shell=bash

KAGAKU_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

KAGAKU_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libicu-dev libgtest-dev libgmock-dev libbenchmark-dev libasound2-dev libsodium-dev
    libcli11-dev nlohmann-json3-dev
    fonts-ipafont-gothic fonts-ipafont-mincho
    cups printer-driver-cups-pdf poppler-utils
    dpkg-dev file
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "Installing packages needs root: run this as root or install sudo." >&2
        return 1
    fi
}

install_missing_packages() {
    local missing=() pkg
    for pkg in "${KAGAKU_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# build DIR [cmake options...]
configure_and_build() {
    local dir="$1"
    shift
    cmake -S "$KAGAKU_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$(nproc)"
}
