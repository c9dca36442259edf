#!/usr/bin/env bash
# Each program answers --version with its name and the project's version, --help with its help, and
# an option it does not know with the short usage and exit status 2.
# Usage: check-programs.sh VERSION PROGRAM...
set -uo pipefail
version=$1
shift
failures=0
fail() { echo "ОШИБКА: $*" >&2; failures=$((failures + 1)); }
err=$(mktemp)
trap 'rm -f "$err"' EXIT
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
for program in "$@"; do
  name=$(basename "$program")
  out=$("$program" --version) || fail "$name --version: код выхода $?"
  [ "$out" = "$name (Вельмар) $version" ] || fail "$name --version ответил «$out»"
  out=$("$program" --help) || fail "$name --help: код выхода $?"
  grep -q "^$name — " <<<"$out" && grep -q '^Использование:' <<<"$out" || fail "$name --help: не справка: $out"
  "$program" --no-such-option >/dev/null 2>"$err"
  code=$?
  [ $code = 2 ] && grep -q '^Использование:' "$err" || fail "$name --no-such-option: код $code, $(cat "$err")"
done
exit $((failures > 0))
