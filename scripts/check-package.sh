#!/usr/bin/env bash
# Checks what scripts/package.sh made: lintian, the menu entries, the AppStream metadata, the
# udev rule's place, the source tarball; then installs the package with apt, starts both
# window tools from their menu entries offscreen, looks up every program's manual page, and
# removes the package again. CI runs it after the test suites (the metadata's screenshots are
# the window tests' artefacts). The 128 px renderings of the icons go to build/artefacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
./scripts/install-deps.sh lintian desktop-file-utils appstream dpkg-dev man-db librsvg2-bin

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt 2>/dev/null || true)
deb=build/kvprog_${version}_$(dpkg --print-architecture).deb
tarball=build/kvprog-$version.tar.gz
for f in "$deb" "$tarball"; do
    [ -n "$version" ] && [ -f "$f" ] || { echo "no ${f}: run scripts/package.sh first" >&2; exit 1; }
done
fail() { echo "check-package: $*" >&2; exit 1; }
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
step() { echo "== $*"; }

step "lintian"
# Fails on any error or warning; the warnings the package keeps are overridden, each with its
# reason, in packaging/lintian-overrides. Infos (I:) are shown and pass.
lintian --fail-on error,warning --display-info "$deb"

tmp=$(mktemp -d)
installed=""
cleanup() {
    [ -n "$installed" ] && "${sudo_cmd[@]}" apt-get purge -y -qq kvprog >/dev/null 2>&1
    rm -rf "$tmp"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$tmp/root"

step "desktop-file-validate, appstreamcli validate --no-net"
entries=("$tmp"/root/usr/share/applications/*.desktop)
metainfo=("$tmp"/root/usr/share/metainfo/*.metainfo.xml)
[ ${#entries[@]} -eq 2 ] && [ ${#metainfo[@]} -eq 2 ] || fail "expected 2 menu entries and 2 metainfo files"
desktop-file-validate "${entries[@]}"
appstreamcli validate --no-net "${metainfo[@]}"

step "versions, screenshots, icons, udev rule, source tarball"
changelog_version=$(zcat "$tmp/root/usr/share/doc/kvprog/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[ "$changelog_version" = "$version" ] || fail "changelog is at $changelog_version, the package at $version"
for m in "${metainfo[@]}"; do
    grep -q "<release version=\"$version\"" "$m" || fail "$(basename "$m") has no release $version"
    # Each screenshot is an artefact of the window tests, to be published under the same name.
    for shot in $(sed -n 's|.*<image>.*/\([^/<]*\)</image>.*|\1|p' "$m"); do
        [ -f "build/artefacts/$shot" ] || fail "$(basename "$m") shows $shot, which no test made (run ./test.sh)"
    done
done
mkdir -p build/artefacts
for icon in "$tmp"/root/usr/share/icons/hicolor/scalable/apps/*.svg; do
    rsvg-convert -w 128 -h 128 "$icon" -o "build/artefacts/$(basename "$icon" .svg)_128.png"
done
# uaccess only works before 73-seat-late.rules, and 71-seat.rules adds the seat tag.
for rule in "$tmp"/root/lib/udev/rules.d/*.rules; do
    n=$(basename "$rule" | cut -d- -f1)
    [ "$n" -lt 71 ] || fail "$(basename "$rule") is numbered $n, not below 71"
done
tar -tzf "$tarball" >"$tmp/tarball.txt"
if grep -E '^[^/]+/(build[^/]*|\.git)/' "$tmp/tarball.txt"; then
    fail "$tarball holds build or git folders"
fi
grep -qx "kvprog-$version/CMakeLists.txt" "$tmp/tarball.txt" || fail "$tarball has no CMakeLists.txt"

step "apt-get install $deb"
if dpkg-query -W -f='${Status}' kvprog 2>/dev/null | grep -q 'install ok installed'; then
    fail "kvprog is installed on this machine already; remove it first (this check installs and removes it)"
fi
installed=yes
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq -o DPkg::Lock::Timeout=300 \
    "./$deb" >/dev/null

step "window tools started from their menu entries, offscreen, in an empty home"
for entry in /usr/share/applications/org.kvprog.*.desktop; do
    tool=$(sed -n 's/^TryExec=//p' "$entry")
    home="$tmp/home of $tool"
    mkdir -p "$home"
    # The entries' Exec lines hold double quotes only, which the shell reads as the desktop
    # rules do.
    eval "set -- $(sed -n 's/^Exec=//p' "$entry")"
    # The tools run until their window is closed: the timeout ending them is success; an exit
    # of their own (a crash, a missing library or platform plugin) is failure.
    rc=0
    (cd / && HOME="$home" QT_QPA_PLATFORM=offscreen timeout 3 "$@" 2>"$tmp/$tool.err") || rc=$?
    if [ "$rc" -ne 124 ]; then
        cat "$tmp/$tool.err" >&2
        fail "$tool ended by itself with status $rc"
    fi
    [ -d "$home/kvprog" ] || fail "$tool's menu entry did not make ~/kvprog"
    echo "$tool: ran until stopped, in ~/kvprog"
done

step "manual pages, kvmodem, kvctl"
for program in $(dpkg -L kvprog | grep '^/usr/bin/'); do
    man -w "$(basename "$program")" >/dev/null || fail "no manual page for $program"
done
kvmodem --help >/dev/null
kvctl --version
man -w kvctl >/dev/null || fail "no manual page for kvctl"

step "apt-get purge kvprog"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get purge -y -qq -o DPkg::Lock::Timeout=300 \
    kvprog >/dev/null
installed=""
for f in /usr/bin/kvprog_a /usr/bin/kvprog_b /usr/bin/kvctl /usr/bin/kvmodem /lib/udev/rules.d/60-kvprog.rules; do
    [ ! -e "$f" ] || fail "$f is still there after the purge"
done
echo "check-package: all passed in $((SECONDS - start)) s"
