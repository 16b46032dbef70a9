#!/usr/bin/env bash
# vantorel-query's rows in a real PostgreSQL: a throwaway server of Debian's postgresql
# package (its own data folder and socket folder in a temporary folder, a free port, run as
# the postgres user when the test runs as root, stopped and removed at the end whatever
# happens). The README's PostgreSQL lines run word for word, their printed output compared
# with the README's, on three days of a unit's generated journals of every kind; then every
# per-day and per-value count of the CSV load is compared with `vantorel-query --count`, and
# the CSV load with the JSON lines load, row by row.
#   postgresql_test.sh QUERY GENERATE README SCRATCH_DIR
# Exits 77 (skipped) only where the postgresql package is not installed.
set -euo pipefail
query=$(realpath "$1") generate=$(realpath "$2") readme=$(realpath "$3") scratch=$4/postgresql

# The newest server of the postgresql package.
shopt -s nullglob
servers=(/usr/lib/postgresql/*/bin)
shopt -u nullglob
pgbin=$(printf '%s\n' "${servers[@]}" | sort -V | tail -n 1)
if [ -z "$pgbin" ] || [ ! -x "$pgbin/initdb" ] || [ ! -x "$pgbin/psql" ]; then
  echo "SKIP: no PostgreSQL server here (Debian's postgresql package is not installed)"
  exit 77
fi

failures=0
checks=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# Counts one comparison: "expect WHAT GOT WANTED".
expect() {
  checks=$((checks + 1))
  [ "$2" = "$3" ] || fail "$1: got '$2', wanted '$3'"
}

# ---- The server ----
# The server refuses to run as root: as root, its commands run as the postgres user.
as_server=()
[ "$(id -u)" -eq 0 ] && as_server=(runuser -u postgres --)
server=""
stop_server() {
  if [ -n "$server" ] && [ -d "$server" ]; then
    [ -f "$server/data/postmaster.pid" ] &&
      "${as_server[@]}" "$pgbin/pg_ctl" -D "$server/data" -m immediate -w -t 30 stop >/dev/null 2>&1 || true
    rm -rf "$server"
  fi
  rm -f "$scratch.server"
}
trap stop_server EXIT
trap 'exit 1' INT TERM HUP

# A server a run killed before its end left behind is stopped and removed first.
if [ -f "$scratch.server" ]; then
  server=$(cat "$scratch.server")
  stop_server
fi
rm -rf "$scratch"
mkdir -p "$scratch"
server=$(mktemp -d "${TMPDIR:-/tmp}/vantorel-pg.XXXXXX")
echo "$server" >"$scratch.server"
[ "$(id -u)" -eq 0 ] && chown postgres: "$server"
"${as_server[@]}" "$pgbin/initdb" -D "$server/data" -U vantorel --auth=trust --no-locale -E UTF8 >"$scratch/initdb.log" 2>&1 ||
  { cat "$scratch/initdb.log" >&2; exit 1; }

# A free port on the loopback address (taken at random, tried again should another take it
# first); the clients reach the server through the socket in its own folder.
started=false
for _ in 1 2 3 4 5 6 7 8; do
  port=$((20000 + RANDOM % 30000))
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && continue
  if "${as_server[@]}" "$pgbin/pg_ctl" -D "$server/data" -l "$server/server.log" -w -t 60 \
       -o "-p $port -k $server -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null; then
    started=true
    break
  fi
done
if ! $started; then
  cat "$server/server.log" >&2
  echo "the PostgreSQL server did not start" >&2
  exit 1
fi
export PGHOST=$server PGPORT=$port PGUSER=vantorel
export PATH="$pgbin:$(dirname "$query"):$PATH"
echo "PostgreSQL $("$pgbin/postgres" --version | awk '{print $3}') on 127.0.0.1:$port, socket in $server"

# ---- A unit's journals: three days of every kind, a file a day ----
work=$scratch/work
mkdir -p "$work/unit7"
days=(2013-11-25 2013-11-26 2013-11-27)
for d in 0 1 2; do
  for kind in alarms action param stat; do
    "$generate" --kind "$kind" --records 1500 --days 1 --first-day "$d" --seed $((31 + d)) \
      -o "$work/unit7/${days[d]}.$kind"
  done
done

# ---- The README's lines, word for word ----
# Between the markers: "$ COMMAND" (on the following lines too until bash finds it whole),
# then the lines it prints; trailing blanks and empty lines are not compared.
commands=()
outputs=()
in_block=false open=false
while IFS= read -r line; do
  case $line in
    '<!-- postgresql: begin -->') in_block=true; continue ;;
    '<!-- postgresql: end -->') in_block=false; continue ;;
  esac
  $in_block || continue
  line=${line#    }
  if $open; then
    commands[-1]+=$'\n'"$line"
  elif [[ $line == '$ '* ]]; then
    commands+=("${line#\$ }")
    outputs+=("")
  elif [ ${#commands[@]} -gt 0 ] && [ -n "$line" ]; then
    outputs[-1]+="$line"$'\n'
    continue
  else
    continue
  fi
  open=false
  bash -n <<<"${commands[-1]}" 2>/dev/null || open=true
done <"$readme"
[ ${#commands[@]} -ge 10 ] || { echo "the README's PostgreSQL lines were not found" >&2; exit 1; }
strip() { sed -e 's/[[:space:]]*$//' -e '/^$/d'; }
for i in "${!commands[@]}"; do
  got=$(cd "$work" && bash -o pipefail -c "${commands[i]}" 2>&1) || fail "README line failed: ${commands[i]}"$'\n'"$got"
  checks=$((checks + 1))
  if [ "$(strip <<<"$got")" != "$(printf '%s' "${outputs[i]}" | strip)" ]; then
    fail "README line printed other than the README shows: ${commands[i]}"$'\n'"--- printed:"$'\n'"$got"$'\n'"--- README:"$'\n'"${outputs[i]}"
  fi
done
echo "README: ${#commands[@]} PostgreSQL lines run"

# ---- Every count of the CSV load against vantorel-query --count ----
sql() { psql -X -q -At -F $'\t' fleet -c "$1"; }
vq() { LC_ALL=ru_RU.UTF-8 "$query" "$@"; }
# The shown count of `vantorel-query --count ARGS`.
shown() { vq --count "$@" | sed -n 's/^Показано строк: \([0-9]*\) из [0-9]*$/\1/p'; }

declare -A flags=([alarms]=--show-unimportant [action]= [param]= [stat]=)
# The value options of each kind and the table's column each one filters.
declare -A lists=([alarms]="--group:grp --node:node --port:port" [action]="--user:username --action:act"
                  [param]="--group:grp --node:node --port:port --param:param"
                  [stat]="--group:grp --node:node --port:port --param:counter")
# The records of one day as vantorel-query sees them: the day's file, or for parameter
# changes the date range over the unit's three files.
day_args() {
  local kind=$1 day=$2
  if [ "$kind" = param ]; then
    echo "--from-date $day --to-date $day"
  else
    echo ""
  fi
}
day_files() {
  local kind=$1 day=$2
  if [ "$kind" = param ]; then
    printf '%s\n' "$work"/unit7/*.param
  else
    echo "$work/unit7/$day.$kind"
  fi
}

declare -A counted=()
for kind in alarms action param stat; do
  flag=${flags[$kind]}
  n=0
  # Per day.
  while IFS=$'\t' read -r day count; do
    mapfile -t files < <(day_files "$kind" "$day")
    # shellcheck disable=SC2046
    expect "$kind $day" "$count" "$(shown $flag $(day_args "$kind" "$day") "${files[@]}")"
    n=$((n + 1))
  done < <(sql "SELECT moment::date, count(*) FROM $kind GROUP BY 1 ORDER BY 1")
  # Per day and value: every value of the few-valued lists, the ten commonest of each day of
  # the many-valued ones (nodes, ports).
  for pair in ${lists[$kind]}; do
    option=${pair%%:*} column=${pair#*:}
    limit=""
    [ "$column" = node ] || [ "$column" = port ] && limit="WHERE rank <= 10"
    while IFS=$'\t' read -r day value count; do
      mapfile -t files < <(day_files "$kind" "$day")
      # shellcheck disable=SC2046
      expect "$kind $day $option '$value'" "$count" "$(shown $flag $(day_args "$kind" "$day") "$option" "$value" "${files[@]}")"
      n=$((n + 1))
    done < <(sql "SELECT day, value, count FROM (SELECT moment::date AS day, coalesce($column, '') AS value, count(*) AS count,
                    row_number() OVER (PARTITION BY moment::date ORDER BY count(*) DESC, coalesce($column, '')) AS rank
                  FROM $kind GROUP BY 1, 2) AS counts $limit ORDER BY 1, 2")
  done
  counted[$kind]=$n
done

# ---- The two loads, row by row ----
# The JSON lines' keys are the titles of the CSV's header; an empty cell is NULL in the
# CSV load and "" in the JSON one.
for kind in alarms action param stat; do
  mapfile -t titles < <(vq --format csv --moment ${flags[$kind]} "$work"/unit7/*."$kind" | head -n 1 | tr -d '\r' | tr ',' '\n')
  mapfile -t columns < <(sql "SELECT column_name FROM information_schema.columns WHERE table_name = '$kind' ORDER BY ordinal_position")
  expect "$kind: columns of the table and of the CSV" "${#columns[@]}" "${#titles[@]}"
  from_csv="" from_json=""
  for i in "${!columns[@]}"; do
    [ "$i" -gt 0 ] && from_csv+=", " && from_json+=", "
    if [ "$i" -eq 0 ]; then
      from_csv+="moment" from_json+="(doc->>'moment')::timestamp"
    else
      from_csv+="coalesce(${columns[i]}, '')" from_json+="doc->>'${titles[i]}'"
    fi
  done
  rows="SELECT $from_json FROM journal_rows WHERE doc->>'journal' LIKE '%.$kind'"
  expect "$kind: rows of the CSV load not in the JSON load" \
    "$(sql "SELECT count(*) FROM (SELECT $from_csv FROM $kind EXCEPT ALL $rows) AS missing")" 0
  expect "$kind: rows of the JSON load not in the CSV load" \
    "$(sql "SELECT count(*) FROM ($rows EXCEPT ALL SELECT $from_csv FROM $kind) AS missing")" 0
  expect "$kind: rows of both loads" "$(sql "SELECT count(*) FROM ($rows) AS json")" "$(sql "SELECT count(*) FROM $kind")"
  echo "$kind: $(sql "SELECT count(*) FROM $kind") rows in both loads alike; ${counted[$kind]} per-day and per-value counts compared"
done

# ---- A Windows-1251 client: ENCODING 'UTF8' still reads the bytes as UTF-8 ----
sql "CREATE TABLE param_cp1251 (LIKE param)"
vq --format csv --moment "$work"/unit7/*.param |
  PGCLIENTENCODING=WIN1251 psql -X -q fleet -c "\copy param_cp1251 FROM STDIN WITH (FORMAT csv, HEADER true, ENCODING 'UTF8')"
expect "param under a WIN1251 client: rows unlike the UTF8 load" \
  "$(sql "SELECT count(*) FROM ((TABLE param EXCEPT ALL TABLE param_cp1251) UNION ALL (TABLE param_cp1251 EXCEPT ALL TABLE param)) AS unlike")" 0

if [ "$failures" -gt 0 ]; then
  echo "$failures of $checks checks failed" >&2
  exit 1
fi
echo "exchange_postgresql: $checks checks passed"
