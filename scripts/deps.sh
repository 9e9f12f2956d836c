# Sourced by run.sh and test.sh: installs the Debian packages that building and testing need.
# The tape tools of the field (zmakebas, pasmo, fuse-emulator-utils) are for the interop tests.
brindle_packages=(cmake g++ make pkg-config qt6-base-dev libgl-dev libspectrum-dev libbz2-dev zlib1g-dev libpng-dev
                  libgtest-dev libgmock-dev libbenchmark-dev zmakebas pasmo fuse-emulator-utils)

brindle_install_deps() {
    local missing=()
    local p
    for p in "${brindle_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
