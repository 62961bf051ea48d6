#!/usr/bin/env bash
# The Debian package end to end, as root: packs an already built tree with cpack, installs the
# .deb with dpkg, lays out a new school's data tree in a temporary folder with the installed
# kagaku-admin and points the program at it, starts the installed program there (offscreen)
# until it shows the name screen, then removes the package. The data tree and パスデータ.txt
# must come through the removal byte for byte.
# Usage: scripts/package_check.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
path_file=/opt/juku/パスデータ.txt

if dpkg-query -W -f='${Status}' kagaku 2>/dev/null | grep -q "install ok installed"; then
    echo "package check skipped: kagaku is installed on this machine and stays as it is" >&2
    exit 0
fi

work="$(mktemp -d)"
program_pid=""
installed=""
saved_path_file=""
[ -e "$path_file" ] && saved_path_file="$work/saved-path-file" && cp -p "$path_file" "$saved_path_file"
finish() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
    [ -n "$installed" ] && dpkg -r kagaku >/dev/null 2>&1
    if [ -n "$saved_path_file" ]; then cp -p "$saved_path_file" "$path_file"; else rm -f "$path_file"; fi
    rmdir /opt/juku 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "package check: $*" >&2
    exit 1
}

started=$SECONDS
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    fail "cpack failed"
}
deb="$(echo "$work"/package/kagaku_*.deb)"
echo "package check: $(basename "$deb"), Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg -i "$deb" >/dev/null
installed=yes
for f in /opt/juku/kagaku/kagaku /opt/juku/kagaku/化学式.csv /usr/share/applications/kagaku.desktop \
    /usr/share/icons/hicolor/scalable/apps/kagaku.svg /usr/share/doc/kagaku/copyright; do
    [ -f "$f" ] || fail "$f is not installed"
done
command -v kagaku-admin >/dev/null || fail "kagaku-admin is not on the PATH"

tree="$work/share/学校データ"
kagaku-admin new-school "$tree" --name "確認塾" --code 12345 >/dev/null
kagaku-admin set-data-root "$tree" >/dev/null

# The installed program on that tree, until it shows the name screen (a message box instead,
# such as a file error, fails the check with its text).
KAGAKU_SCREEN_LOG=1 QT_QPA_PLATFORM=offscreen /opt/juku/kagaku/kagaku >/dev/null 2>"$work/screens.log" &
program_pid=$!
for _ in $(seq 1 120); do
    grep -qx "screen: namesel" "$work/screens.log" && break
    grep "^message: " "$work/screens.log" >&2 && fail "the program showed a message instead"
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended: $(cat "$work/screens.log")"
    sleep 0.5
done
grep -qx "screen: namesel" "$work/screens.log" || fail "no name screen within a minute"
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=""

snapshot() { (cd "$tree" && find . -print0 | sort -z | xargs -0 -n 50 sha256sum -- 2>/dev/null; find . | sort); cat "$path_file"; }
before="$(snapshot)"
dpkg -r kagaku >/dev/null
installed=""
[ ! -e /opt/juku/kagaku/kagaku ] && [ ! -e /usr/bin/kagaku-admin ] || fail "files left after removal"
[ "$(snapshot)" = "$before" ] || fail "removing the package changed the data tree or $path_file"
echo "package check: installed, set up a school, reached the name screen, removed ($((SECONDS - started)) s)"
