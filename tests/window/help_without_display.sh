#!/usr/bin/env bash
# vantorel --help and --version answer on the terminal with no display to be had: were a
# QApplication made, Qt would abort for want of one. Bad options are refused the same way;
# Qt's own options still reach QApplication, and FILEs still open the window.
#   help_without_display.sh VANTOREL LOG_DIR
set -uo pipefail
vantorel=$1 logs=$2
failures=0
checks=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Runs vantorel with no display of any kind; sets out, err and status.
nodisplay() {
  local o e
  o=$(mktemp) e=$(mktemp)
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 20 "$vantorel" "$@" >"$o" 2>"$e"
  status=$?
  out=$(cat "$o") err=$(cat "$e")
  rm -f "$o" "$e"
  checks=$((checks + 1))
}

nodisplay --help
[ "$status" = 0 ] && [[ $out == "Usage: vantorel [OPTION...] [FILE...]"* ]] && [ -z "$err" ] ||
  fail "--help: status $status, out '${out:0:60}', err '$err'"
nodisplay -h
[ "$status" = 0 ] && [[ $out == Usage:* ]] || fail "-h: status $status"
nodisplay --version
[ "$status" = 0 ] && [ "$out" = "vantorel 1.5" ] && [ -z "$err" ] || fail "--version: status $status, out '$out', err '$err'"
nodisplay "$logs/sample.alarms" --version
[ "$status" = 0 ] && [ "$out" = "vantorel 1.5" ] || fail "FILE --version: status $status, out '$out'"
nodisplay --bogus "$logs/sample.alarms"
[ "$status" = 2 ] && [ -z "$out" ] && [[ $err == "vantorel: Unknown option 'bogus'."* ]] ||
  fail "--bogus: status $status, out '$out', err '$err'"

# Where a display is needed, none was opened above: the same without --help aborts (its
# "Aborted" goes to /dev/null).
nodisplay "$logs/sample.alarms" 2>/dev/null
[ "$status" != 0 ] || fail "a window opened with no display"

# Qt's own options go to QApplication, which takes them away; --version is answered after.
checks=$((checks + 1))
out=$(QT_QPA_PLATFORM=xcb timeout 20 "$vantorel" -platform offscreen --version 2>/dev/null)
status=$?
[ "$status" = 0 ] && [ "$out" = "vantorel 1.5" ] || fail "-platform offscreen --version: status $status, out '$out'"

# FILEs open the window: it is still running when the timeout ends it.
checks=$((checks + 1))
QT_QPA_PLATFORM=offscreen LC_ALL=ru_RU.UTF-8 timeout 3 "$vantorel" "$logs/sample.alarms" >/dev/null 2>&1
status=$?
[ "$status" = 124 ] || fail "vantorel FILE: status $status, not the timeout's 124"

if [ "$failures" -gt 0 ]; then
  echo "$failures of $checks checks failed" >&2
  exit 1
fi
echo "window_help_without_display: $checks checks passed"
