#!/bin/sh
# Makes docs/screenshot.png: the editor with its demo scene, started under a
# private X server (Xvfb), pictured by the editor itself once the first frame
# is drawn.
#
#   scripts/screenshot.sh [output.png]
#
# CORVID_BUILD_DIR chooses the build directory (default build/debug); it is
# configured and the editor built there when needed.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVID_BUILD_DIR:-$root/build/debug}
out=${1:-$root/docs/screenshot.png}
layout=${CORVID_SCREENSHOT_LAYOUT:-4}
# The object shown selected (marker, Objects List, information panel) and
# the tool chosen (100: Move).
select=${CORVID_SCREENSHOT_SELECT:-Sphere 0}
tool_mode=${CORVID_SCREENSHOT_TOOL:-100}

for tool in cmake ninja xvfb-run; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "screenshot.sh: $tool is missing (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
done

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build "$build" --target corvid

mkdir -p "$(dirname "$out")"
rm -f "$out"
# A screen of 1280 x 900 at 24 bits: the window fills it.
xvfb-run -a -s "-screen 0 1280x900x24" \
    "$build/src/corvid" --demo --layout "$layout" --tool "$tool_mode" --select "$select" --screenshot "$out"
if [ ! -s "$out" ]; then
    echo "screenshot.sh: no picture was written" >&2
    exit 1
fi
echo "$out"
