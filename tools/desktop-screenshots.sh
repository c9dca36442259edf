#!/usr/bin/env bash
# Pictures of the program on a desktop (openbox in a virtual X display), into OUT_DIR: the menu entry
# with its icon (menu.png), the manual opened by F1 (manual.png) and the message of "Отправить по
# почте" when no mail program is set (mail.png). The program and its menu entry come from PREFIX: /usr
# for the installed package, or a tree made by `cmake --install BUILD --prefix TREE/usr`; BUILD_DIR's
# vi23-screens takes the pictures. The clicks are placed for the default 1280x800 screen.
# Usage: tools/desktop-screenshots.sh [BUILD_DIR [OUT_DIR [PREFIX]]]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh" screens
build=$(realpath -m "${1:-$root/build/release}")
out=$(realpath -m "${2:-$root/docs/screens}")
prefix=$(realpath -m "${3:-/usr}")
mkdir -p "$out"
work=$(mktemp -d)
started=()
cleanup() {
  ((${#started[@]})) && kill "${started[@]}" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# A user of its own: no mail program chosen, the sample enterprise in the data folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_DATA_DIRS=$prefix/share:/usr/share PATH=$prefix/bin:$PATH
export ASAN_OPTIONS=detect_leaks=0
unset MAILER XDG_CURRENT_DESKTOP
mkdir -p "$XDG_DATA_HOME/vi23"
"$prefix/bin/vi23-init" --demo "$XDG_DATA_HOME/vi23/kn.mdb" >/dev/null

export DISPLAY=:$((200 + RANDOM % 500))
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
started+=($!)
until xdotool getdisplaygeometry >/dev/null 2>&1; do sleep 0.2; done
openbox >/dev/null 2>&1 &
started+=($!)
sleep 1
shot() { "$build/tools/vi23-screens" --desktop "$out/$1" 2>/dev/null; echo "$out/$1"; }

# The Office section of a desktop menu made from the installed entries, opened where the pointer is.
xdotool mousemove 300 200
jgmenu --simple --at-pointer --icon-size=48 --csv-cmd="jgmenu_run apps" --checkout=apps-dir-Office >/dev/null 2>&1 &
menu=$!
sleep 3
shot menu.png
kill $menu 2>/dev/null || true

# The program as the menu entry starts it; F1 opens the manual.
vi23 --user-folder >/dev/null 2>&1 &
started+=($!)
window=$(xdotool search --sync --name ' — Вельмар$' | head -1)
sleep 3
xdotool windowactivate --sync "$window" key F1
xdotool search --sync --name '^Руководство пользователя' >/dev/null
sleep 2
shot manual.png
xdotool windowclose "$(xdotool search --name '^Руководство пользователя' | head -1)"

# "Печать" of the newest document, then "Отправить по почте" in the preview.
xdotool mousemove 1166 133 click 1
xdotool search --sync --name '^Предварительный просмотр$' >/dev/null
sleep 3
xdotool mousemove 416 33 click 1
xdotool search --sync --name '^Отправить по почте$' >/dev/null
sleep 1
shot mail.png
