#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into build-fuzz/ and runs each one on
# its committed seed corpus for the given time; any finding fails the run.
#   scripts/fuzz.sh [seconds per target, default 20] [target ...]
# New inputs go to build-fuzz/runs/<target>/corpus, findings to build-fuzz/runs/<target>/findings;
# the seeds in fuzz/corpus stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
[ $# -gt 0 ] && shift
./scripts/install-deps.sh clang-14 libclang-rt-14-dev llvm-14

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKV_FUZZ=ON >/dev/null
cmake --build build-fuzz -j2 --target fuzz_all

targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(image_a image_b link_a link_b sim_kv417r sim_kv93x portfile open_a open_b
    factory_ini)
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
failed=()
for t in "${targets[@]}"; do
    run="$PWD/build-fuzz/runs/$t"
    mkdir -p "$run/corpus" "$run/findings"
    echo "== fuzz_$t: ${seconds} s"
    if build-fuzz/fuzz_"$t" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$run/findings/" "$run/corpus" "$PWD/fuzz/corpus/$t" >"$run/log" 2>&1; then
        grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units' "$run/log" || true
    else
        tail -n 40 "$run/log"
        echo "fuzz_$t: FINDING (input kept in $run/findings/)"
        failed+=("$t")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]}" >&2
    exit 1
fi
echo "fuzzing: ${#targets[@]} targets, no findings"
