#!/usr/bin/env bash
# Builds the Debian package from a clean Release build (no tests, no benchmarks) and leaves
# brindle_<version>_amd64.deb in the top folder, after validating the desktop entry, the
# AppStream data and the manual pages it carries.
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts/deps.sh
# dpkg-shlibdeps computes the dependencies and needs file; the validators check what we ship.
brindle_packages+=(dpkg-dev file appstream desktop-file-utils groff-base)
brindle_install_deps

build_dir=${BRINDLE_PACKAGE_DIR:-build-package}
rm -rf "$build_dir"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF -DBRINDLE_BENCH=OFF
cmake --build "$build_dir" -j"$(nproc)"

appstreamcli validate --no-net src/app/io.github.brindle.Brindle.metainfo.xml
desktop-file-validate src/app/brindle.desktop
# The manual pages must render without a single warning.
for page in src/app/brindle.1 src/cli/brindle-cli.1; do
    warnings=$(groff -ww -man -z "$page" 2>&1)
    [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done

(cd "$build_dir" && cpack -G DEB)
rm -f brindle_*.deb
cp "$build_dir"/brindle_*.deb .
ls brindle_*.deb
