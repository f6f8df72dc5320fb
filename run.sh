#!/usr/bin/env bash
# Installs what is missing, builds, and starts one of the tools against its modem emulator.
#   ./run.sh          (or ./run.sh a, ./run.sh kvprog_a)   kvprog_a on the KV417R emulator
#   ./run.sh b        (or ./run.sh kvprog_b)               kvprog_b on the KV935R emulator
set -euo pipefail
cd "$(dirname "$0")"
case "${1:-a}" in
    a | kvprog_a) tool=kvprog_a model=KV417R ;;
    b | kvprog_b) tool=kvprog_b model=KV935R ;;
    *) echo "usage: $0 [a | kvprog_a | b | kvprog_b]" >&2; exit 2 ;;
esac
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the tool and the emulator: ./test.sh builds the rest.
cmake --build build -j2 --target "$tool" kvmodem
if [ -x build/kvmodem ] && [ -z "${KVPROG_COM1:-}" ]; then
    if build/kvmodem --help 2>&1 | grep -qw "$model"; then
        link="$PWD/build/kvmodem-COM1"
        build/kvmodem --model "$model" --link "$link" --line-timing &
        modem=$!
        trap 'kill $modem 2>/dev/null || true' EXIT
        for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
        export KVPROG_COM1="$link"
        echo "COM1 is the $model emulator at $link"
    else
        echo "Note: build/kvmodem has no $model emulator yet; $tool starts without a modem on COM1."
    fi
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display: starting under Xvfb."
    xvfb-run -a "build/$tool"
    exit $?
fi
"build/$tool"
