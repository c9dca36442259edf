#!/usr/bin/env bash
# Builds the Debian package from the optimised build that run.sh also uses, checks it (the unpacked
# files, the desktop entry, the programs' --version, lintian) and prints the path of the .deb.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh" package
build=$root/build/release
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVI23_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/package/vi23_*.deb)
version=$(dpkg-deb -f "$deb" Version)
bash "$root/tests/install/check-install.sh" --deb "$deb" "$version"
# Errors fail the build; warnings are listed for the reader.
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "Пакет: $deb"
