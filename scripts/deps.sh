#!/usr/bin/env bash
# Installs, by name and only when missing, the Debian packages that the build, the program and the tests
# need (the tests start a throwaway PostgreSQL 15 server of their own: postgresql-15); with "package"
# also those that build and check the .deb, with "screens" those of the desktop pictures
# (tools/screenshots.sh).
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins libsqlite3-dev sqlite3
          googletest libgtest-dev libicu-dev fonts-liberation fontconfig poppler-utils xvfb xauth
          libpq-dev postgresql-15 libmdb3 mdbtools-dev qt6-translations-l10n libxlsxwriter-dev unzip
          libqrencode-dev zbar-tools libxml2-utils
          python3-markdown desktop-file-utils xdg-utils)
for group in "$@"; do
  case $group in
    package) packages+=(dpkg-dev file lintian) ;;
    screens) packages+=(openbox xdotool jgmenu librsvg2-common) ;;
    *) echo "Неизвестная группа пакетов: $group" >&2; exit 2 ;;
  esac
done
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
