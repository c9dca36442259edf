#!/usr/bin/env bash
# Installs what is missing, builds the program optimised and starts it over the data folder given
# (default: the user's data folder, ~/.local/share/vi23), never in the source tree. The program asks
# before it creates an empty kn.mdb there.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVI23_TESTS=OFF
cmake --build "$root/build/release" -j "$(nproc)"
if [ $# -gt 0 ]; then
  exec "$root/build/release/app/vi23" "$1"
fi
exec "$root/build/release/app/vi23" --user-folder
