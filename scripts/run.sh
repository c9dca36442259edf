#!/usr/bin/env bash
# Installs what is missing, builds the program optimised, makes sure kn.mdb exists here and starts the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVI23_TESTS=OFF
cmake --build "$root/build/release" -j "$(nproc)"
if [ ! -e kn.mdb ]; then
  "$root/build/release/tools/vi23-init" kn.mdb
  echo "Создана пустая база данных $(pwd)/kn.mdb"
fi
if [ -x "$root/build/release/app/vi23" ]; then
  exec "$root/build/release/app/vi23"
fi
echo "База данных $(pwd)/kn.mdb готова; главное окно программы ещё не собрано в этой версии." >&2
exit 1
