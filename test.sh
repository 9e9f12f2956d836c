#!/usr/bin/env bash
# Installs what is missing, builds Brindle and its tests in build/, and runs every test headless.
# BRINDLE_SANITIZE=ON builds with AddressSanitizer and UndefinedBehaviorSanitizer;
# BRINDLE_WERROR=ON makes every warning an error.
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts/deps.sh
brindle_install_deps

build_dir=${BRINDLE_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DBRINDLE_SANITIZE="${BRINDLE_SANITIZE:-OFF}" \
    -DBRINDLE_WERROR="${BRINDLE_WERROR:-OFF}" -DBRINDLE_TESTS=ON
cmake --build "$build_dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
