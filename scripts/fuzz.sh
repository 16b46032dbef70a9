#!/usr/bin/env bash
# Installs clang when it is missing, builds the libFuzzer targets with it into build-fuzz/ and
# runs each for SECONDS seconds (default 600), one after another, each as a single fuzzing
# process. The targets are those fuzz/CMakeLists.txt lists. The seeds in fuzz/corpus/<target>/
# are read, never written: new inputs go to build-fuzz/corpus/<target>/, crashing inputs to
# build-fuzz/crashes/<target>/, the output to build-fuzz/logs/<target>.log. Prints the
# executions of each target; exits non-zero when any target found a crash.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# VANTOREL_FUZZ_JOBS: the build's parallel jobs (2).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
scripts/install-deps.sh clang libclang-rt-dev
mapfile -t all_targets < <(sed -n '/^set(VANTOREL_FUZZ_TARGETS/,/^)/p' fuzz/CMakeLists.txt | grep -o 'fuzz_[a-z0-9_]*')
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi
build_dir=${VANTOREL_FUZZ_BUILD_DIR:-build-fuzz}

if [ ! -f "$build_dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTOREL_FUZZ=ON -DVANTOREL_BUILD_WINDOW=OFF -DVANTOREL_BUILD_TESTS=OFF -DVANTOREL_BUILD_BENCH=OFF
fi
cmake --build "$build_dir" -j "${VANTOREL_FUZZ_JOBS:-2}" --target "${targets[@]}"

# The longest input of a target: short texts for the text helpers, journals for the rest.
max_len_of() {
  case "$1" in
    fuzz_cutfield|fuzz_datetime|fuzz_datetime_fast) echo 4096 ;;
    *) echo 16384 ;;
  esac
}

declare -A executions result
failed=0
for target in "${targets[@]}"; do
  corpus="$build_dir/corpus/$target"
  crashes="$build_dir/crashes/$target"
  log="$build_dir/logs/$target.log"
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  echo "== $target: ${seconds}s"
  status=0
  # -timeout: an input that takes more than 10 s counts as a hang and is kept as a crash.
  "$build_dir/bin/$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$(max_len_of "$target")" -print_final_stats=1 -artifact_prefix="$crashes/" \
    "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  executions[$target]=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    result[$target]="no crash"
  else
    result[$target]="CRASH (exit $status; see $log and $crashes/)"
    failed=1
    grep -m1 -E "ERROR: |check failed|deadly signal|timeout" "$log" || true
  fi
  echo "   executions: ${executions[$target]:-?}, ${result[$target]}"
done

echo
printf '%-18s %14s  %s\n' target executions result
for target in "${targets[@]}"; do
  printf '%-18s %14s  %s\n' "$target" "${executions[$target]:-?}" "${result[$target]}"
done
exit $failed
