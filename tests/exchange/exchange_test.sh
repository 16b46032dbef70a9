#!/usr/bin/env bash
# The rows of vantorel-query in a database and a spreadsheet: CSV with moments loaded into
# SQLite counts, per day and per group, what `vantorel-query --count` counts with the same
# filters; the workbook reads back with its values, colours and date-time cells.
#   exchange_test.sh QUERY GENERATE LOG_DIR SCRATCH_DIR
set -euo pipefail
query=$1 generate=$2 logs=$3 scratch=$4/exchange
here=$(dirname "$0")
# Debian's interpreter, which python3-openpyxl serves, whatever else stands first in PATH.
python=${VANTOREL_PYTHON:-/usr/bin/python3}
rm -rf "$scratch"
mkdir -p "$scratch"
failures=0
checks=0

# Counts one comparison; a false `ok` is a failure.
expect() {
  local ok=$1
  shift
  checks=$((checks + 1))
  [ "$ok" = true ] || fail "$@"
}

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The journals write Russian dates; Qt reads the locale's name even where glibc lacks it.
vq() {
  LC_ALL=ru_RU.UTF-8 "$query" "$@"
}

# The shown count of `vantorel-query --count ARGS`.
shown() {
  vq --count "$@" | sed -n 's/^Показано строк: \([0-9]*\) из [0-9]*$/\1/p'
}

# Loads `vantorel-query --format csv --moment FILE` into table rows of database DB.
load() {
  local file=$1 db=$2 columns=$3
  local defs="moment TEXT, journal TEXT"
  for ((c = 1; c <= columns; ++c)); do defs+=", c$c TEXT"; done
  vq --format csv --moment "$file" >"$db.csv"
  sqlite3 "$db" "CREATE TABLE rows($defs);" ".import --csv --skip 1 $db.csv rows"
}

# Compares the SQL count of each value of column `column` with the query's count filtered by
# option `option`, over the whole file.
by_value() {
  local file=$1 db=$2 column=$3 option=$4 value count expected
  while IFS=$'\t' read -r value count; do
    expected=$(shown "$option" "$value" "$file")
    expect "$([ "$count" = "$expected" ] && echo true)" "$file $option '$value': SQL $count, query $expected"
  done < <(sqlite3 -separator $'\t' "$db" "SELECT $column, count(*) FROM rows GROUP BY $column;")
}

# Compares the SQL count of each day, and of each group on each day, with the query's count
# for that one day.
by_day() {
  local file=$1 db=$2 day group count expected
  while IFS=$'\t' read -r day count; do
    expected=$(shown --from-date "$day" --to-date "$day" "$file")
    expect "$([ "$count" = "$expected" ] && echo true)" "$file $day: SQL $count, query $expected"
  done < <(sqlite3 -separator $'\t' "$db" "SELECT substr(moment, 1, 10), count(*) FROM rows GROUP BY 1;")
  while IFS=$'\t' read -r day group count; do
    expected=$(shown --from-date "$day" --to-date "$day" --group "$group" "$file")
    expect "$([ "$count" = "$expected" ] && echo true)" "$file $day '$group': SQL $count, query $expected"
  done < <(sqlite3 -separator $'\t' "$db" \
             "SELECT substr(moment, 1, 10), c2, count(*) FROM rows GROUP BY 1, 2 ORDER BY 3 DESC LIMIT 40;")
}

# Every shown row is in the table, each led by its journal's name.
whole() {
  local file=$1 db=$2 count expected
  count=$(sqlite3 "$db" "SELECT count(*) FROM rows WHERE journal = '$(basename "$file")';")
  expected=$(shown "$file")
  expect "$([ "$count" = "$expected" ] && [ "$count" -gt 0 ] && echo true)" "$file: SQL $count rows, query $expected"
}

"$generate" --kind param --records 20000 --seed 3 --days 5 -o "$scratch/days.param"
"$generate" --kind alarms --records 20000 --seed 3 --days 5 -o "$scratch/days.alarms"
for file in "$logs/sample.alarms" "$scratch/days.alarms"; do
  db="$scratch/$(basename "$file").db"
  load "$file" "$db" 7
  whole "$file" "$db"
  by_value "$file" "$db" c2 --group
done
for file in "$logs/sample.param" "$scratch/days.param"; do
  db="$scratch/$(basename "$file").db"
  load "$file" "$db" 8
  whole "$file" "$db"
  by_value "$file" "$db" c2 --group
  by_day "$file" "$db"
done
# Five days make five days in the table.
days=$(sqlite3 "$scratch/days.param.db" "SELECT count(DISTINCT substr(moment, 1, 10)) FROM rows;")
[ "$days" = 5 ] || fail "days.param: $days days in SQL, not 5"
db="$scratch/sample.stat.db"
load "$logs/sample.stat" "$db" 8
whole "$logs/sample.stat" "$db"
by_value "$logs/sample.stat" "$db" c2 --group
db="$scratch/sample.action.db"
load "$logs/sample.action" "$db" 6
whole "$logs/sample.action" "$db"
by_value "$logs/sample.action" "$db" c1 --user

# The workbook of a journal with every tone, a formula-like text and a record of day 0, and of
# the sample journal, against the CSV of the same rows.
printf '%s\r\n' $'Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали' \
  $'25.11.2013 10:00:00\tЮг\t=1+2\tУзел-1\tП1\tНорма\tзелёный' \
  $'25.11.2013 10:00:01\tСевер\t-\tУзел-2\tП2\tПереход на резерв\tоливковый' \
  $'26.11.2013 23:59:59\tЗапад\t@A1\tУзел-3\tП3\tАвария питания\tбордовый' \
  $'14:05:09\tВосток\tК\tУзел-4\tП4\tАвария\tдень 0' | iconv -f utf-8 -t cp1251 >"$scratch/tones.alarms"
for file in "$scratch/tones.alarms" "$logs/sample.alarms"; do
  name=$(basename "$file")
  vq --show-unimportant --format csv --moment "$file" >"$scratch/$name.csv"
  vq --show-unimportant --format xlsx --output "$scratch/$name.xlsx" "$file"
  "$python" "$here/check_workbook.py" "$scratch/$name.xlsx" "$scratch/$name.csv" || fail "$name.xlsx"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures failures" >&2
  exit 1
fi
echo "exchange: $checks counts agree; the workbooks read back"
