#!/usr/bin/env bash
# Installs what is missing, builds, and starts kvprog_a against the built-in KV417R emulator.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the tool and the emulator: ./test.sh builds the rest.
cmake --build build -j2 --target kvprog_a kvmodem
if [ -x build/kvmodem ] && [ -z "${KVPROG_COM1:-}" ]; then
    link="$PWD/build/kvmodem-COM1"
    build/kvmodem --model KV417R --link "$link" --line-timing &
    modem=$!
    trap 'kill $modem 2>/dev/null || true' EXIT
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
    export KVPROG_COM1="$link"
    echo "COM1 is the KV417R emulator at $link"
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display: starting under Xvfb."
    xvfb-run -a build/kvprog_a
    exit $?
fi
build/kvprog_a
