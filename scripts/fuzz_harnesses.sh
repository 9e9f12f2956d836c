# Sourced by fuzz.sh and fuzz_coverage.sh: sets `harnesses` to the harness named by $1, or to
# every harness of tests/fuzz for "all"; an unknown name ends the script.
brindle_select_harnesses() {
    local which=$1 source name
    harnesses=()
    for source in tests/fuzz/*_fuzzer.cpp; do
        name=$(basename "$source" _fuzzer.cpp)
        if [ "$which" = all ] || [ "$which" = "$name" ]; then
            harnesses+=("$name")
        fi
    done
    if [ ${#harnesses[@]} -eq 0 ]; then
        echo "$(basename "$0"): no harness named $which" >&2
        exit 2
    fi
}
