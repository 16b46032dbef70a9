#!/usr/bin/env bash
# The bash completion of vantorel-query and vantorel as bash-completion runs it: options (read
# from --help, so every option of the table), the kinds of --format, files after --output,
# journals by their kinds' extensions with logrotate's names, and only the kind already named.
# Every option of the table is in the manual page too.
#   completion_test.sh QUERY VANTOREL SOURCE_DIR SCRATCH_DIR
set -uo pipefail
query=$(realpath "$1") vantorel=$(realpath "$2") source=$3 scratch=$4/completion
if [ ! -f /usr/share/bash-completion/bash_completion ]; then
  echo "SKIP: bash-completion is not installed"
  exit 77
fi
# bash-completion's functions run under its own shell options, not under -e.
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1091
source "$source/packaging/completion/vantorel-query"
# shellcheck disable=SC1091
source "$source/packaging/completion/vantorel"
PATH="$(dirname "$query"):$(dirname "$vantorel"):$PATH"

failures=0
checks=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# What Tab offers for the line of words "$@" (the last one being typed; "=" a word of its own,
# as bash splits "--format=c"), sorted, one a line.
offers() {
  local word previous=""
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=""
  for word in "$@"; do
    [ -n "$COMP_LINE" ] && [ "$word" != "=" ] && [ "$previous" != "=" ] && COMP_LINE+=" "
    COMP_LINE+=$word
    previous=$word
  done
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  local function=_vantorel_query
  [ "$1" = vantorel ] && function=_vantorel
  "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

# expect WHAT OFFERED WANTED (both one a line)
expect() {
  checks=$((checks + 1))
  [ "$2" = "$3" ] || fail "$1: offered"$'\n'"$2"$'\n'"wanted"$'\n'"$3"
}

rm -rf "$scratch"
mkdir -p "$scratch/logs/old"
cd "$scratch" || exit 1
touch logs/unit.alarms logs/unit.alarms.1 logs/unit.alarms.2.gz logs/unit.alarms-20131125 \
  logs/unit.alarms-20131125.gz logs/unit.param logs/unit.param.1.xz logs/unit.stat logs/unit.action \
  logs/unit.ALARMS logs/unit.alarms.txt logs/notes.txt logs/unit.alarms.bak

options=$("$query" --help | sed -n 's/^  \(--[a-z][a-z-]*\).*/\1/p' | sort)
expect "vantorel-query --" "$(offers vantorel-query --)" "$options"
expect "vantorel-query --f" "$(offers vantorel-query --f)" "$(grep '^--f' <<<"$options")"
expect "vantorel-query --format " "$(offers vantorel-query --format '')" $'csv\njsonl\ntsv\nxlsx'
expect "vantorel-query --format j" "$(offers vantorel-query --format j)" "jsonl"
expect "vantorel-query --format=c" "$(offers vantorel-query --format = c)" "csv"
expect "vantorel-query --group " "$(offers vantorel-query --group '')" ""
expect "vantorel-query --output logs/n" "$(offers vantorel-query --output logs/n)" "logs/notes.txt"
expect "vantorel-query logs/" "$(offers vantorel-query logs/)" \
  "$(printf '%s\n' logs/old logs/unit.action logs/unit.alarms logs/unit.alarms-20131125 logs/unit.alarms-20131125.gz \
       logs/unit.alarms.1 logs/unit.alarms.2.gz logs/unit.param logs/unit.param.1.xz logs/unit.stat | sort)"
# Once a journal is named, its kind alone.
expect "vantorel-query --count logs/unit.param logs/" "$(offers vantorel-query --count logs/unit.param logs/)" \
  "$(printf '%s\n' logs/old logs/unit.param logs/unit.param.1.xz)"
expect "vantorel-query logs/unit.alarms.1 logs/unit.a" "$(offers vantorel-query logs/unit.alarms.1 logs/unit.a)" \
  "$(printf '%s\n' logs/unit.alarms logs/unit.alarms-20131125 logs/unit.alarms-20131125.gz logs/unit.alarms.1 \
       logs/unit.alarms.2.gz | sort)"
expect "vantorel -" "$(offers vantorel -)" $'--help\n--version'
expect "vantorel logs/unit.s" "$(offers vantorel logs/unit.s)" "logs/unit.stat"
expect "vantorel logs/unit.stat logs/" "$(offers vantorel logs/unit.stat logs/)" $'logs/old\nlogs/unit.stat'

# Every option of the table in the manual page.
for option in $options; do
  checks=$((checks + 1))
  grep -q -- "^\.[A-Z]*  *${option//-/\\\\-}\b" "$source/packaging/man/vantorel-query.1" ||
    fail "$option is not in packaging/man/vantorel-query.1"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures of $checks checks failed" >&2
  exit 1
fi
echo "query_completion: $checks checks passed"
