#!/usr/bin/env bash
# Builds the Debian package and the source tarball:
#   build/kvprog_<version>_<arch>.deb   CPack, from build/ as ./test.sh leaves it
#   build/kvprog-<version>.tar.gz       git archive of HEAD: what is committed, no build folders
# The version is the one in the top CMakeLists.txt. scripts/check-package.sh checks both.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh dpkg-dev

# ./test.sh's configuration of build/, installed under /usr as Debian has it: a build that the
# test run left is reused as it is.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_SANITIZE= \
      -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build -j2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)

rm -f build/kvprog_*.deb build/kvprog-*.tar.gz
(cd build && cpack -G DEB >/dev/null)
deb=build/kvprog_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "cpack made no $deb" >&2; exit 1; }

git archive --format=tar.gz --prefix="kvprog-$version/" -o "build/kvprog-$version.tar.gz" HEAD
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "Note: uncommitted changes are in the .deb but not in the source tarball." >&2
fi
echo "$deb"
echo "build/kvprog-$version.tar.gz"
