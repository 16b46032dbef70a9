#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs it headless; any sanitizer report fails its test.
#   scripts/test-sanitized.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${VANTOREL_SANITIZE_BUILD_DIR:-build-sanitize}
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_SANITIZE=ON \
    -DVANTOREL_BUILD_BENCH=OFF
fi
# VANTOREL_BUILD_JOBS=1 keeps a shared machine usable while it builds.
cmake --build "$build_dir" -j "${VANTOREL_BUILD_JOBS:-$(nproc)}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build_dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@"
