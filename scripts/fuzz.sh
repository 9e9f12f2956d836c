#!/usr/bin/env bash
# Fuzzes every reader: builds the libFuzzer harnesses of tests/fuzz with clang in build-fuzz/
# and runs one of them or all, one after the other.
#   scripts/fuzz.sh [HARNESS|all] [SECONDS] [libFuzzer options ...]
#   scripts/fuzz.sh --build [HARNESS|all]    (builds the harnesses and runs none)
# SECONDS (default 60) per harness, 0 for no time limit (with -runs=N, say). Inputs that reach
# something new are kept in build-fuzz/corpus/HARNESS. An input that crashes a harness is
# written to tests/fuzz/regressions/HARNESS/, where every build replays it once it is committed
# with its fix; the script then names it and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts/deps.sh
. ./scripts/fuzz_harnesses.sh
brindle_packages+=(clang libclang-rt-14-dev)
brindle_install_deps

build_only=false
if [ "${1:-}" = --build ]; then
    build_only=true
    shift
fi
which=${1:-all}
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))

brindle_select_harnesses "$which"

build_dir=${BRINDLE_FUZZ_BUILD_DIR:-build-fuzz}
cmake -S . -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target "${harnesses[@]/#/fuzz_}"
if $build_only; then
    exit 0
fi

# The harnesses write their host files to the temporary folder: memory where there is some.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

failed=0
for name in "${harnesses[@]}"; do
    corpus="$build_dir/corpus/$name"
    regressions="tests/fuzz/regressions/$name"
    log="$build_dir/fuzz-$name.log"
    mkdir -p "$corpus" "$regressions"
    echo "fuzz.sh: $name for ${seconds}s"
    status=0
    # -len_control=0: the whole length limit from the start. A record harness's input is a few
    # short patches, so long inputs cost no more to run than short ones, and a limit that grows
    # from the seeds' few bytes would hold a short run to one or two patches.
    "$build_dir/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=60 \
        -rss_limit_mb=2048 -len_control=0 -print_final_stats=1 \
        -artifact_prefix="$regressions/" "$@" \
        "$corpus" "tests/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        input=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
        echo "fuzz.sh: $name failed; input: ${input:-none written, see $log}" >&2
        failed=1
    fi
done
exit "$failed"
