#!/usr/bin/env bash
# Pictures of the seven tabs of the main window over the sample enterprise, taken in a virtual X
# display: tools/screenshots.sh [BUILD_DIR [OUT_DIR [WIDTHxHEIGHT]]] (defaults build/release,
# docs/screens and 1280x800; 1024x600 shows a small screen).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
out=$(realpath -m "${2:-$root/docs/screens}")
size=${3:-1280x800}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/tools/vi23-init" --demo kn.mdb >/dev/null
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 ${size}x24" "$build/tools/vi23-screens" "$out"
