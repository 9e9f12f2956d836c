#!/usr/bin/env bash
# CI: builds the Debian package and checks it against what we promise: exactly these files, its
# library dependencies computed, and no maintainer scripts (the MIME and desktop databases and
# the icon cache are refreshed by the triggers of the packages that own them).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/package.sh

version=$(sed -n 's/^project(Brindle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=brindle_${version}_amd64.deb
[ -f "$deb" ] || { echo "no $deb" >&2; exit 1; }

expected="./usr/bin/brindle
./usr/bin/brindle-cli
./usr/share/applications/brindle.desktop
./usr/share/bash-completion/completions/brindle-cli
./usr/share/icons/hicolor/128x128/apps/brindle.png
./usr/share/icons/hicolor/16x16/apps/brindle.png
./usr/share/icons/hicolor/256x256/apps/brindle.png
./usr/share/icons/hicolor/32x32/apps/brindle.png
./usr/share/icons/hicolor/48x48/apps/brindle.png
./usr/share/icons/hicolor/64x64/apps/brindle.png
./usr/share/man/man1/brindle-cli.1.gz
./usr/share/man/man1/brindle.1.gz
./usr/share/metainfo/io.github.brindle.Brindle.metainfo.xml
./usr/share/mime/packages/brindle.xml"
actual=$(dpkg-deb -c "$deb" | awk '$6 !~ /\/$/ { print $6 }' | LC_ALL=C sort)
if [ "$actual" != "$(LC_ALL=C sort <<<"$expected")" ]; then
    echo "$deb holds other files than promised:" >&2
    diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual") >&2 || true
    exit 1
fi

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libspectrum8 qt6-qpa-plugins; do
    grep -q "\b$library\b" <<<"$depends" || { echo "$deb does not depend on $library" >&2; exit 1; }
done
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'preinst|postinst|prerm|postrm' || true)
[ -z "$scripts" ] || { echo "$deb carries maintainer scripts: $scripts" >&2; exit 1; }
echo "$deb: contents and dependencies as promised"
