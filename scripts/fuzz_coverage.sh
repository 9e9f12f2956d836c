#!/usr/bin/env bash
# How much of the product each fuzz harness reaches: replays the harness's inputs (the corpus
# fuzz.sh grew in build-fuzz/corpus, the committed seeds and the regressions) through a build
# with source-based coverage, and reports the lines, functions and regions they ran in the
# folder the harness is about (src/disk for the disk, TAP and D80 harnesses).
#   scripts/fuzz_coverage.sh [HARNESS|all]
# One summary line per harness on stdout; the per-file tables of everything the harness links
# are written next to the build, to build-fuzz-coverage/report-HARNESS.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts/deps.sh
. ./scripts/fuzz_harnesses.sh
brindle_packages+=(clang llvm)
brindle_install_deps

which=${1:-all}
build_dir=${BRINDLE_COVERAGE_BUILD_DIR:-build-fuzz-coverage}
corpus_root=${BRINDLE_FUZZ_BUILD_DIR:-build-fuzz}/corpus

brindle_select_harnesses "$which"

flags="-fprofile-instr-generate -fcoverage-mapping"
cmake -S . -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DBRINDLE_BENCH=OFF -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target "${harnesses[@]/#/fuzz_}"

if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

# The coverage of the harness being measured, over the files named (all it links when none).
report() {
    llvm-cov report "$binary" -instr-profile="$profiles/merged.profdata" \
        -ignore-filename-regex='(^|/)(tests|usr)/|_autogen/' "$@"
}

printf '%-12s %-10s %8s %22s %22s %22s\n' harness folder inputs lines functions regions
for name in "${harnesses[@]}"; do
    binary="$build_dir/tests/fuzz/fuzz_$name"
    profiles="$build_dir/profiles-$name"
    rm -rf "$profiles"
    mkdir -p "$profiles" "$corpus_root/$name"
    LLVM_PROFILE_FILE="$profiles/%p.profraw" "$binary" "$corpus_root/$name" \
        "tests/fuzz/corpus/$name" "tests/fuzz/regressions/$name" >"$build_dir/replay-$name.log" 2>&1
    inputs=$(tail -n 1 "$build_dir/replay-$name.log" | cut -d' ' -f1)
    llvm-profdata merge -sparse "$profiles"/*.profraw -o "$profiles/merged.profdata"
    case $name in
        check | image) folder=src/$name ;;
        cli_json) folder=src/cli ;;
        *) folder=src/disk ;;
    esac
    report >"$build_dir/report-$name.txt"
    # TOTAL: regions, missed, cover, functions, missed, executed, lines, missed, cover, ...
    read -r _ regions regionsMissed regionsCover functions functionsMissed functionsCover \
        lines linesMissed linesCover _ < <(report "$folder" | grep '^TOTAL')
    printf '%-12s %-10s %8s %22s %22s %22s\n' "$name" "$folder" "$inputs" \
        "$((lines - linesMissed))/$lines $linesCover" \
        "$((functions - functionsMissed))/$functions $functionsCover" \
        "$((regions - regionsMissed))/$regions $regionsCover"
done
