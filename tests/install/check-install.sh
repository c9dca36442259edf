#!/usr/bin/env bash
# Checks what the package installs, in a tree made by `cmake --install BUILD --prefix TREE/usr` or by
# unpacking the .deb (`dpkg-deb -x`): exactly the expected files, a valid desktop entry in Russian
# whose program and icon are there, man pages, a manual whose links all lead somewhere, and programs
# that answer --version, --help and a wrong option as they should.
# Usage: check-install.sh --tree TREE VERSION | --deb FILE.deb VERSION
set -uo pipefail
mode=$1 source=$2 version=$3
failures=0
fail() { echo "ОШИБКА: $*" >&2; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$mode" = --deb ]; then
  tree=$work/tree
  dpkg-deb -x "$source" "$tree" || { echo "не распаковать $source" >&2; exit 1; }
  [ "$(dpkg-deb -f "$source" Version)" = "$version" ] || fail "версия пакета $(dpkg-deb -f "$source" Version), а не $version"
  depends=$(dpkg-deb -f "$source" Depends)
  # From the libraries the programs link (dpkg-shlibdeps), and what they load at run time.
  for need in libqt6core6 libqt6widgets6 libsqlite3-0 libpq5 libmdb3 libxlsxwriter libqrencode libicu \
              qt6-qpa-plugins qt6-translations-l10n fonts-liberation xdg-utils; do
    grep -q "$need" <<<"$depends" || fail "в зависимостях пакета нет $need: $depends"
  done
else
  tree=$source
fi
usr=$tree/usr
programs=(vi23 vi23-init vi23-print vi23-import)

expected=(share/applications/vi23.desktop share/icons/hicolor/scalable/apps/vi23.svg
          share/vi23/manual/index.html share/doc/vi23/copyright share/doc/vi23/changelog.gz)
for p in "${programs[@]}"; do expected+=("bin/$p" "share/man/man1/$p.1.gz"); done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$usr" && find . -type f -o -type l | sed 's|^\./||' | sort) \
  || fail "установлены не те файлы (слева ожидаемые, справа установленные)"

entry=$usr/share/applications/vi23.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate отверг $entry"
for key in 'Name\[ru\]=Вельмар' 'Comment\[ru\]=.*УСН' 'Categories=.*Office;' 'Categories=.*Finance;' \
           'Icon=vi23$' 'Exec=vi23 --user-folder$' 'Terminal=false'; do
  grep -qE "^$key" "$entry" || fail "в пункте меню нет строки ${key//\\/}"
done
grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/vi23.svg" || fail "значок не SVG"

bash "$(dirname "${BASH_SOURCE[0]}")/check-programs.sh" "$version" "${programs[@]/#/$usr/bin/}" || fail "программы отвечают не так"
for p in "${programs[@]}"; do
  page=$(zcat "$usr/share/man/man1/$p.1.gz")
  grep -q '^\.SH ИМЯ' <<<"$page" && grep -qF "${p//-/\\-} \\- " <<<"$page" || fail "страница руководства $p без имени"
done

manual=$usr/share/vi23/manual/index.html
grep -q '<title>.*руководство пользователя</title>' "$manual" || fail "у руководства нет заголовка"
for anchor in $(grep -o 'href="#[^"]*"' "$manual" | sed 's/href="#\(.*\)"/\1/' | sort -u); do
  grep -q "name=\"$anchor\"" "$manual" || fail "ссылка #$anchor руководства ведёт в никуда"
done

[ $failures = 0 ] && echo "Установка проверена: $tree"
exit $((failures > 0))
