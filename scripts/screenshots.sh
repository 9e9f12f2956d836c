#!/usr/bin/env bash
# Regenerates the pictures in docs/: builds brindle and brindle-cli, makes a sample image of
# several disks with brindle-cli (files of every type through a TAP file, binary host files),
# starts Brindle on it under a private X server and saves the main window as it shows a disk's
# files (docs/files.png), a volume's properties (docs/properties.png) and a directory sector
# (docs/dump.png). BRINDLE_SCREENSHOT_DISPLAY picks the X display (default :98),
# BRINDLE_SCREENSHOT_DIR another folder for the pictures, and BRINDLE_SCALE=2 takes them at a
# scale factor of 2.
set -euo pipefail
cd "$(dirname "$0")/.."
. ./scripts/deps.sh
brindle_packages+=(xvfb openbox xdotool imagemagick python3)
brindle_install_deps

build_dir=${BRINDLE_BUILD_DIR:-build}
cmake -S . -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target brindle brindle-cli
brindle=$PWD/$build_dir/src/app/brindle
cli=$PWD/$build_dir/src/cli/brindle-cli
display=${BRINDLE_SCREENSHOT_DISPLAY:-:98}
scale=${BRINDLE_SCALE:-1}
out=${BRINDLE_SCREENSHOT_DIR:-$PWD/docs}
work=$(mktemp -d)
mkdir -p "$out"

pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# The sample files: a TAP file with a program, a number array, a character array, a screen of
# code and a headless block, and two host files for binary import.
python3 - "$work" <<'PY'
import struct, sys

def block(flag, payload):
    body = bytes([flag]) + payload
    checksum = 0
    for byte in body:
        checksum ^= byte
    return struct.pack("<H", len(body) + 1) + body + bytes([checksum])

def header(kind, name, data, start, basic):
    return block(0x00, bytes([kind]) + name.ljust(10).encode() + struct.pack("<HHH", len(data), start, basic))

program = b"\x00\x0a\x0e\x00\xf5\"HELLO, MDOS\"\x0d"
numbers = bytes([1, 3, 0]) + bytes(15)
letters = bytes([1, 5, 0]) + b"ABCDE"
screen = bytes((x * 7 + x // 256) % 256 for x in range(6912))
tape = b""
for kind, name, data, start, basic in [(0, "hello", program, 10, len(program)),
                                       (1, "scores", numbers, 0, 0x8100),
                                       (2, "names", letters, 0, 0xC200),
                                       (3, "screen", screen, 16384, 32768)]:
    tape += header(kind, name, data, start, basic) + block(0xFF, data)
tape += block(0xFF, bytes(range(200)))
work = sys.argv[1]
open(f"{work}/demo.tap", "wb").write(tape)
open(f"{work}/notes.txt", "wb").write(b"Disk 1 holds the tools.\n" * 40)
open(f"{work}/font.bin", "wb").write(bytes((x * 13) % 256 for x in range(768)))
PY

image=$work/sample.trw
"$cli" create "$image" --disks 3 --name demo
"$cli" rename-disk "$image" 0 "Games"
"$cli" tap-import "$image" 0 "$work/demo.tap"
"$cli" rename-disk "$image" 1 "Tools"
"$cli" rename-volume "$image" 1 tools
"$cli" put "$image" 1 "$work/notes.txt" "$work/font.bin"
"$cli" rename-disk "$image" 2 "Spare"

Xvfb "$display" -screen 0 $((1280 * scale))x$((900 * scale))x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.2; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# A settings folder of its own: no recent files or boot template of the user's show up.
XDG_CONFIG_HOME=$work/config QT_SCALE_FACTOR=$scale "$brindle" "$image" >/dev/null 2>&1 &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name "sample.trw - Brindle" | head -n 1)
xdotool windowmove "$window" 0 0 windowsize "$window" $((880 * scale)) $((540 * scale))
xdotool windowactivate --sync "$window"
# Widen the tree so that the sector labels show in full: drag the splitter's handle right.
sleep 1
xdotool mousemove --window "$window" $((177 * scale)) $((200 * scale)) mousedown 1 \
    mousemove --window "$window" $((250 * scale)) $((200 * scale)) mouseup 1

shot() {
    sleep 1
    import -display "$display" -window "$window" "$out/$1.png"
    echo "wrote $out/$1.png"
}

# The tree opens on the first disk, its files in the list. Right expands the selected item,
# Down moves to the next visible one: the record header, then the volume, then its sectors
# from sector 0; sector 6 is the first directory sector.
tree_keys() { xdotool key --window "$window" --delay 150 "$@"; }
shot files
tree_keys Right Down Down
shot properties
tree_keys Right Down Down Down Down Down Down Down
shot dump
