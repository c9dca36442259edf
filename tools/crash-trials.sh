#!/usr/bin/env bash
# Kill -9 trials, TRIALS of each kind at a random moment:
# - vi23-print while it rebuilds the cash book or prints a document: the file passes SQLite's
#   integrity check and holds the state from before the command or the one after it, never a mix
#   (the print log one row longer or not; the work tables tov and kassa are the connection's own
#   temporary tables, so the file's stay as they were);
# - vi23-import bank: the journal holds all of the statement or none of it, with its import records
#   and new counterparties;
# - vi23-import jet converting kn.mdb in place: kn.mdb is there, the old file or a whole new one, and
#   the next run finds it so, finishes the conversion and keeps the old file as kn.mdb.jet.
#
#   tools/crash-trials.sh TOOLS_DIR [TRIALS] [SEED]
#
# TOOLS_DIR holds vi23-init, vi23-print and vi23-import (build/release/tools or build/test/tools).
set -euo pipefail
tools=$(cd "$1" && pwd)
trials=${2:-100}
RANDOM=${3:-$$}
old_file=$(cd "$(dirname "$0")/../tests/import/data" && pwd)/kn-jet4.mdb
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

# Whole runs first: how long each takes, so that the kills fall anywhere inside it.
timed() { local start; start=$(date +%s%N); "$@" >/dev/null 2>&1; echo $((($(date +%s%N) - start) / 1000000)); }
book=(book "Кассовая книга" --from 01.01.2000 --to 31.12.2099 --layout -)
for key in "${documents[@]}"; do
  print_ms=$(timed "$tools/vi23-print" document "$key" --layout -)
done
book_ms=$(timed "$tools/vi23-print" "${book[@]}")
[ -n "$("$tools/vi23-print" "${book[@]}" 2>/dev/null)" ] || { echo "кассовая книга пуста" >&2; exit 1; }
file_work_tables() { q "SELECT (SELECT count(*) FROM tov) || '|' || (SELECT count(*) FROM kassa)"; }
work_tables=$(file_work_tables)

# Kills at a random moment of a run that took up to LIMIT ms.
run_and_kill() {
  local limit=$1
  shift
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep "$(awk -v ms=$((RANDOM % (limit + 1))) 'BEGIN { printf "%.3f", ms / 1000 }')"
  if kill -9 "$pid" 2>/dev/null; then killed=$((killed + 1)); fi
  wait "$pid" 2>/dev/null || true
}

killed=0
failures=0
fail() { echo "испытание $trial: $*" >&2; failures=$((failures + 1)); }
for ((trial = 1; trial <= trials; trial++)); do
  if ((trial % 2)); then
    key=${documents[$((RANDOM % 2))]}
    log_before=$(q "SELECT count(*) FROM z")
    command=("$tools/vi23-print" document "$key" --layout -)
    limit=$print_ms
  else
    command=("$tools/vi23-print" "${book[@]}")
    limit=$book_ms
  fi
  run_and_kill "$limit" "${command[@]}"

  check=$(q "PRAGMA integrity_check")
  [ "$check" = ok ] || fail "integrity_check: $check"
  if ((trial % 2)); then
    log_after=$(q "SELECT count(*) FROM z")
    [ "$log_after" = "$log_before" ] || [ "$log_after" = $((log_before + 1)) ] ||
      fail "журнал печати: было $log_before, стало $log_after"
  fi
  [ "$(file_work_tables)" = "$work_tables" ] || fail "рабочие таблицы файла изменились: $(file_work_tables)"
done

# A bank statement of PAYMENTS payments in and out, its account section's totals those of the documents.
payments=3000
statement() {
  awk -v n="$payments" 'BEGIN {
    ours = "40702810900000000001"
    for (i = 1; i <= n; i++) {
      kop[i] = (i % 97 + 1) * 10050
      if (i % 2) inc += kop[i]; else out += kop[i]
    }
    printf "1CClientBankExchange\nКодировка=Windows\nРасчСчет=%s\nСекцияРасчСчет\nРасчСчет=%s\n", ours, ours
    # The account opens with what it pays out, so it never goes below zero.
    printf "НачальныйОстаток=%d.%02d\nВсегоПоступило=%d.%02d\n", out / 100, out % 100, inc / 100, inc % 100
    printf "ВсегоСписано=%d.%02d\nКонечныйОстаток=%d.%02d\nКонецРасчСчет\n", out / 100, out % 100, inc / 100, inc % 100
    for (i = 1; i <= n; i++) {
      other = sprintf("407028100000000%05d", i % 50)
      printf "СекцияДокумент=Платежное поручение\nНомер=%d\nДата=10.03.2026\nСумма=%d.%02d\n", i, kop[i] / 100, kop[i] % 100
      if (i % 2)
        printf "ПлательщикСчет=%s\nПлательщик1=ООО Контрагент %d\nПлательщикИНН=77000000%02d\nПолучательСчет=%s\nДатаПоступило=10.03.2026\n", other, i % 50, i % 50, ours
      else
        printf "ПлательщикСчет=%s\nПолучательСчет=%s\nПолучатель1=ООО Контрагент %d\nПолучательИНН=77000000%02d\nДатаСписано=10.03.2026\n", ours, other, i % 50, i % 50
      printf "КонецДокумента\n"
    }
    printf "КонецФайла\n"
  }'
}

mkdir bank
cd bank
"$tools/vi23-init" kn.mdb >/dev/null
q "UPDATE pr1 SET rs = '40702810900000000001'; INSERT INTO sr (sr, vr) VALUES ('Выручка', 'Приход'), ('Оплата поставщику', 'Расход')"
cp kn.mdb pristine.mdb
statement >statement.txt
import_ms=$(timed "$tools/vi23-import" bank statement.txt)
[ "$(q "SELECT count(*) FROM jur")" = "$payments" ] || { echo "выписка не загружена целиком" >&2; exit 1; }
all_k=$(q "SELECT count(*) FROM k")
for ((trial = 1; trial <= trials; trial++)); do
  rm -rf backup kn.mdb-journal
  cp pristine.mdb kn.mdb
  run_and_kill "$import_ms" "$tools/vi23-import" bank statement.txt
  check=$(q "PRAGMA integrity_check")
  [ "$check" = ok ] || fail "выписка: integrity_check: $check"
  state=$(q "SELECT (SELECT count(*) FROM jur) || '|' || (SELECT count(*) FROM bank_imports) || '|' || (SELECT count(*) FROM k)")
  [ "$state" = "0|0|0" ] || [ "$state" = "$payments|$payments|$all_k" ] || fail "выписка загружена частично: $state"
done
cd ..

# The old file converted in place.
mkdir jet
cd jet
cp "$old_file" kn.mdb
jet_ms=$(timed "$tools/vi23-import" jet kn.mdb)
[ "$(q "PRAGMA integrity_check")" = ok ] || { echo "старый файл не перенесён" >&2; exit 1; }
whole_new() { [ "$(sqlite3 -batch -noheader kn.mdb "PRAGMA integrity_check" 2>/dev/null)" = ok ]; }
for ((trial = 1; trial <= trials; trial++)); do
  rm -rf ./* ./.[!.]*
  cp "$old_file" kn.mdb
  run_and_kill "$jet_ms" "$tools/vi23-import" jet kn.mdb
  if [ ! -e kn.mdb ]; then
    fail "перенос: kn.mdb нет"
  elif ! cmp -s kn.mdb "$old_file" && ! whole_new; then
    fail "перенос: kn.mdb ни прежний, ни целый новый"
  fi
  # The next run finds the file old or new, never none, and leaves it converted.
  "$tools/vi23-import" jet kn.mdb >/dev/null 2>&1 || true
  whole_new || fail "перенос: после следующего запуска kn.mdb не новый"
  cmp -s kn.mdb.jet "$old_file" || fail "перенос: kn.mdb.jet не прежний файл"
  leftovers=$(ls -A | grep -v -x -e kn.mdb -e kn.mdb.jet -e backup || true)
  [ -z "$leftovers" ] || fail "перенос: остались файлы $leftovers"
done
cd ..

echo "Испытаний: $trials каждого вида, прервано kill -9: $killed, нарушений: $failures"
((failures == 0))
