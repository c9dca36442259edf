#!/usr/bin/env bash
# Installs, by name and only when missing, the Debian packages that the build, the program and the tests need.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins libsqlite3-dev sqlite3
          googletest libgtest-dev libicu-dev fonts-liberation fontconfig poppler-utils xvfb xauth
          libmdb3 mdbtools-dev qt6-translations-l10n libxlsxwriter-dev unzip
          libqrencode-dev zbar-tools libxml2-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Устанавливаются пакеты: ${missing[*]}"
  sudo=()
  [ "$(id -u)" = 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
