#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs it headless; then the core and window tests (the load thread
# among them) with ThreadSanitizer in build-tsan/. Any sanitizer report fails its test.
#   scripts/test-sanitized.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VANTOREL_SANITIZE_BUILD_DIR:-build-sanitize}
tsan_dir=${VANTOREL_TSAN_BUILD_DIR:-build-tsan}
# VANTOREL_BUILD_JOBS=1 keeps a shared machine usable while it builds.
jobs=${VANTOREL_BUILD_JOBS:-$(nproc)}

if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_SANITIZE=ON \
    -DVANTOREL_BUILD_BENCH=OFF
fi
cmake --build "$build_dir" -j "$jobs"
(
  export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  cd "$build_dir"
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@"
)

if [ ! -f "$tsan_dir/build.ninja" ]; then
  cmake -S . -B "$tsan_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_THREAD_SANITIZE=ON \
    -DVANTOREL_BUILD_BENCH=OFF
fi
cmake --build "$tsan_dir" -j "$jobs" --target test_journals test_document test_window
(
  # Qt's own libraries are not instrumented: what they do inside is theirs to answer for.
  export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp}
  cd "$tsan_dir"
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure \
    -R '^(LoadJournal|Parallel|ParseJournal|JournalDocument|Select|Widths|WidthIndex|LoadInput|BadJournals|AlarmWindow|ActionWindow|ParamWindow|Commands|StartState|Follow|Desk|Timeline|Grow|Investigation|MultipleJournals|TextFilters|RotatedJournals|NulByte|ChangedWhileRead)' "$@"
)
