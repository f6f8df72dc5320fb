#!/usr/bin/env bash
# Builds and runs the whole test suite headless.
#   ./test.sh                     normal build in build/
#   ./test.sh --sanitize address  AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
#   ./test.sh --sanitize thread   ThreadSanitizer in build-tsan/ (serial component tests only)
set -euo pipefail
cd "$(dirname "$0")"
sanitize=""
[ "${1:-}" = "--sanitize" ] && sanitize="${2:?address or thread}"
./scripts/install-deps.sh

builddir=build
filter=()
case "$sanitize" in
    "") ;;
    address) builddir=build-asan ;;
    thread) builddir=build-tsan; filter=(-R '^(Comm|Serial)') ;;
    *) echo "unknown sanitizer: $sanitize" >&2; exit 2 ;;
esac
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S . -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKV_SANITIZE="$sanitize" -DKV_WERROR="$werror" >/dev/null
if [ "$sanitize" = thread ]; then
    cmake --build "$builddir" -j2 --target serial_tests
else
    cmake --build "$builddir" -j2
fi
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
# Most tests wait on a paced line or on the emulator, so four at a time keep two cores busy.
ctest --test-dir "$builddir" --output-on-failure -j4 "${filter[@]}"
