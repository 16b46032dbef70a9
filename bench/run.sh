#!/usr/bin/env bash
# Builds in release mode, writes a journal of each kind, and prints the figures of record.
#   bench/run.sh [RECORDS] [RUNS] [KINDS]   (1000000 records, 3 runs of each figure and every
#                                            kind by default; 10000000 records for the big
#                                            journal's targets, e.g. KINDS=alarms; KIND-set,
#                                            e.g. alarms-set, opens ten journals of KIND of
#                                            RECORDS records each together in the window, a
#                                            unit's ten days; KIND-units ten units' journals
#                                            of one day; KIND-month a unit's month as log
#                                            rotation leaves it: thirty days, the newest
#                                            plain, one .1, the rest gzip -6, then the same
#                                            thirty days as plain files)
# VANTOREL_BUILD_DIR names the build folder (build-bench); the journals go to its bench-data/.
set -euo pipefail
cd "$(dirname "$0")/.."
records=${1:-1000000}
runs=${2:-3}
kinds=${3:-alarms action param stat}
build_dir=${VANTOREL_BUILD_DIR:-build-bench}
jobs=${VANTOREL_BUILD_JOBS:-$(nproc)}

if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build_dir" -j "$jobs" --target bench_journals bench_core vantorel-query vantorel-generate >/dev/null

data="$build_dir/bench-data"
mkdir -p "$data"
files=()
sets=()
months=()
for kind in $kinds; do
  if [[ $kind == *-month ]]; then
    kind=${kind%-month}
    month="$data/month-$records"
    mkdir -p "$month/rotated" "$month/plain"
    for n in $(seq 1 30); do
      plain="$month/plain/day$(printf %02d "$n").$kind"
      [ -s "$plain" ] || "$build_dir/bin/vantorel-generate" --kind "$kind" --records "$records" --seed "$n" --days 1 \
        --first-day $((n - 1)) -o "$plain"
      age=$((30 - n))
      case $age in
        0) rotated="$month/rotated/unit.$kind" ;;
        1) rotated="$month/rotated/unit.$kind.1" ;;
        *) rotated="$month/rotated/unit.$kind.$age.gz" ;;
      esac
      if [ ! -s "$rotated" ]; then
        if [ "$age" -ge 2 ]; then gzip -6 -c "$plain" >"$rotated"; else cp "$plain" "$rotated"; fi
      fi
    done
    months+=("$month")
    continue
  fi
  if [[ $kind == *-set || $kind == *-units ]]; then
    # A unit's journals of ten days in a row, or ten units' journals of one day: another seed
    # each.
    what=${kind##*-}
    kind=${kind%-*}
    for n in $(seq 1 10); do
      if [ "$what" = set ]; then
        file="$data/bench-$records-day$n.$kind"
        first_day=$((n - 1))
      else
        file="$data/bench-$records-unit$n.$kind"
        first_day=0
      fi
      if [ ! -s "$file" ]; then
        "$build_dir/bin/vantorel-generate" --kind "$kind" --records "$records" --seed "$n" --days 1 \
          --first-day "$first_day" -o "$file"
      fi
      sets+=("$file")
    done
    continue
  fi
  file="$data/bench-$records.$kind"
  if [ ! -s "$file" ]; then
    "$build_dir/bin/vantorel-generate" --kind "$kind" --records "$records" --seed 7 --days 30 -o "$file"
  fi
  files+=("$file")
done

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GB"
echo "transparent huge pages: $(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo none)"
echo "records per journal: $records; medians of $runs runs; load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
# Qt wants a private runtime folder; without one it warns on every start.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
awk_bin=mawk
command -v mawk >/dev/null || awk_bin=none
if [ ${#files[@]} -gt 0 ]; then
  QT_QPA_PLATFORM=offscreen "$build_dir/bin/bench_journals" --query "$build_dir/bin/vantorel-query" --awk "$awk_bin" \
    --runs "$runs" "${files[@]}"
fi
if [ ${#sets[@]} -gt 0 ]; then
  QT_QPA_PLATFORM=offscreen "$build_dir/bin/bench_journals" --runs "$runs" --set "${sets[@]}"
  exit 0
fi
for month in "${months[@]}"; do
  # One core decompressing the month to nowhere, one file after another: what the compressed
  # month's open is judged against.
  start=$(date +%s%N)
  for file in "$month"/rotated/*.gz; do zcat "$file" >/dev/null; done
  echo "zcat of the month's compressed journals, one after another: $(( ($(date +%s%N) - start) / 1000000 )) ms"
  QT_QPA_PLATFORM=offscreen "$build_dir/bin/bench_journals" --runs "$runs" --set "$month"/rotated/*
  QT_QPA_PLATFORM=offscreen "$build_dir/bin/bench_journals" --runs "$runs" --set "$month"/plain/*
done
[ ${#months[@]} -gt 0 ] && exit 0
echo
"$build_dir/bin/bench_core" --benchmark_min_time=0.2
