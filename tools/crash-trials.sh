#!/usr/bin/env bash
# Kill -9 trials: vi23-print is killed at a random moment while it rebuilds the cash book or prints
# a document. After every kill the file must pass SQLite's integrity check and hold either the state
# from before the command or the one after it, never a mix: kassa empty or the whole cash book with
# its final balance; the print log one row longer exactly when the scratch lines are the new ones.
#
#   tools/crash-trials.sh TOOLS_DIR [TRIALS] [SEED]
#
# TOOLS_DIR holds vi23-init and vi23-print (build/release/tools or build/test/tools).
set -euo pipefail
tools=$(cd "$1" && pwd)
trials=${2:-100}
RANDOM=${3:-$$}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen

q() { sqlite3 -batch -noheader kn.mdb "$1"; }

"$tools/vi23-init" --demo kn.mdb >/dev/null
# More cash orders, so that the rebuild lasts long enough to be cut.
for _ in 1 2 3 4 5 6; do
  q "INSERT INTO jur (dd, nn, dok, sr, vr, k, s) SELECT dd, nn, dok, sr, vr, k, s FROM jur WHERE dok = 'КО'"
done
documents=($(q "SELECT k FROM jur1 WHERE dok = 'Счет' ORDER BY k LIMIT 2"))
lines() { q "SELECT group_concat(k || '|' || naz || '|' || kol || '|' || cen, ';') FROM (SELECT * FROM tov ORDER BY xx)"; }

# Whole runs first: how long each takes, so that the kills fall anywhere inside it, and the state
# each leaves behind.
timed() { local start; start=$(date +%s%N); "$@" >/dev/null 2>&1; echo $((($(date +%s%N) - start) / 1000000)); }
book=(book "Кассовая книга" --from 01.01.2000 --to 31.12.2099 --layout -)
declare -A printed
for key in "${documents[@]}"; do
  print_ms=$(timed "$tools/vi23-print" document "$key" --layout -)
  printed[$key]=$(lines)
done
book_ms=$(timed "$tools/vi23-print" "${book[@]}")
orders=$(q "SELECT count(*) FROM kassa")
balance=$(q "SELECT srrr FROM kassa ORDER BY n DESC LIMIT 1")
((orders > 0)) || { echo "кассовая книга пуста" >&2; exit 1; }

killed=0
failures=0
fail() { echo "испытание $trial: $*" >&2; failures=$((failures + 1)); }
for ((trial = 1; trial <= trials; trial++)); do
  if ((trial % 2)); then
    key=${documents[$((RANDOM % 2))]}
    log_before=$(q "SELECT count(*) FROM z")
    lines_before=$(lines)
    command=("$tools/vi23-print" document "$key" --layout -)
    limit=$print_ms
  else
    q "DELETE FROM kassa"
    command=("$tools/vi23-print" "${book[@]}")
    limit=$book_ms
  fi
  "${command[@]}" >/dev/null 2>&1 &
  pid=$!
  sleep "$(awk -v ms=$((RANDOM % (limit + 1))) 'BEGIN { printf "%.3f", ms / 1000 }')"
  if kill -9 "$pid" 2>/dev/null; then killed=$((killed + 1)); fi
  wait "$pid" 2>/dev/null || true

  check=$(q "PRAGMA integrity_check")
  [ "$check" = ok ] || fail "integrity_check: $check"
  if ((trial % 2)); then
    log_after=$(q "SELECT count(*) FROM z")
    lines_after=$(lines)
    if [ "$log_after" = "$log_before" ]; then
      [ "$lines_after" = "$lines_before" ] || fail "строки печати изменились без записи в журнале печати"
    elif [ "$log_after" = $((log_before + 1)) ]; then
      [ "$lines_after" = "${printed[$key]}" ] || fail "строки печати не документа $key"
    else
      fail "журнал печати: было $log_before, стало $log_after"
    fi
  else
    rows=$(q "SELECT count(*) FROM kassa")
    if [ "$rows" != 0 ]; then
      [ "$rows" = "$orders" ] || fail "в kassa $rows строк из $orders"
      [ "$(q "SELECT srrr FROM kassa ORDER BY n DESC LIMIT 1")" = "$balance" ] || fail "остаток кассовой книги не сходится"
    fi
  fi
done
echo "Испытаний: $trials, прервано kill -9: $killed, нарушений: $failures"
((failures == 0))
