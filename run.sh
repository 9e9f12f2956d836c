#!/usr/bin/env bash
# Installs what is missing, builds Brindle and starts it; arguments go to the program
# (a Tarrow image to open, or nothing for a new one).
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts/deps.sh
brindle_install_deps

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Brindle is a windowed program and there is no display here. Run it from a desktop"
    echo "session, or under a virtual X server:"
    echo "  apt-get install xvfb && xvfb-run ./run.sh $*"
    exit 1
fi

build_dir=${BRINDLE_BUILD_DIR:-build}
cmake -S . -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target brindle
exec "$build_dir/src/app/brindle" "$@"
