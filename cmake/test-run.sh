#!/usr/bin/env bash
# Runs one test program for ctest and judges the run by the program's own
# report, GoogleTest's result file, not by its exit status alone:
#   test-run.sh [runner ...] program args...     (runner: cmake/wine-run.sh)
# gtest_discover_tests (XML_OUTPUT_DIR) gives every ctest test a result file of
# its own as --gtest_output=xml:<file>. The run passes only when that file was
# written whole, names at least one test that ran, and none that failed, and
# the program then ended with status 0. A program that crashed, was stopped
# or never got as far as writing its report fails, whatever its status.
#
# One exception, and it is named: wine's own loader may fail in glibc's exit
# path after the program has finished ("Inconsistency detected by ld.so:
# dl-fini.c: ... _dl_fini: Assertion ..." and status 127). After a complete,
# passed report that is not the test's fault: it counts as passed, and a line
# saying so goes to the test's output and, when scripts/test set
# VELMORA_TEST_NOTES, to that file, which it prints once at the end.
#
# A run that wine did not start at all (status 1, nothing printed, no report)
# runs once more; a retry that passed is named like the loader's fault.
#
# Without --gtest_output=xml:<file> (the test list asked for at discovery) the
# command runs unchanged.
set -uo pipefail

report=
for a in "$@"; do
  case $a in --gtest_output=xml:*) report=${a#--gtest_output=xml:} ;; esac
done
[ -n "$report" ] || exec "$@"

say() { printf 'test-run: %s\n' "$*"; }

# A report left by an earlier run must not stand in for this one.
rm -f "$report"
mkdir -p "$(dirname "$report")"
out=$(mktemp)
trap 'rm -f "$out"' EXIT

"$@" 2>&1 | tee "$out"
rc=${PIPESTATUS[0]}

# Now and then wine does not start a program at all: it ends at once with
# status 1, before the program's first line (GoogleTest's main prints one
# first thing), printing nothing but wine-run's own line, and leaves no
# report. Such a run tested nothing: it runs once more, and says so.
if [ "$rc" -eq 1 ] && [ ! -e "$report" ] && ! grep -qv '^wine-run: ' "$out"; then
  retried="$(basename "$report" .xml): wine did not start the program (status 1, nothing printed, no report): started once more"
  say "$retried"
  "$@" 2>&1 | tee "$out"
  rc=${PIPESTATUS[0]}
fi

name=$(basename "$report" .xml)
attr() { sed -n "s/.*<testsuites [^>]*\b$1=\"\([0-9]*\)\".*/\1/p" "$report" | head -n 1; }

if [ ! -s "$report" ] || ! grep -q '</testsuites>' "$report"; then
  case $rc in
    0) why="ended with status 0" ;;
    124) why="was stopped when its time was up" ;;
    *) why="ended with status $rc" ;;
  esac
  say "$name: no complete report from the program, which $why (a crash, a time-out or an early exit): failed"
  exit $(( rc == 0 ? 1 : rc ))
fi

tests=$(attr tests) failures=$(attr failures) errors=$(attr errors)
ran=$(grep -c '<testcase [^>]*status="run"' "$report")
if [ "${failures:-1}" != 0 ] || [ "${errors:-1}" != 0 ]; then
  say "$name: the report counts ${failures:-?} failed and ${errors:-?} erroneous test(s): failed"
  exit $(( rc == 0 ? 1 : rc ))
fi
if [ "${tests:-0}" -lt 1 ] || [ "$ran" -lt 1 ]; then
  say "$name: the report names no test that ran: failed"
  exit $(( rc == 0 ? 1 : rc ))
fi
if [ "$rc" -eq 0 ]; then
  [ -n "${retried:-}" ] && [ -n "${VELMORA_TEST_NOTES:-}" ] && printf '%s, which passed\n' "$retried" >>"$VELMORA_TEST_NOTES"
  exit 0
fi

fault=$(grep -m 1 -E '^Inconsistency detected by ld\.so: ' "$out")
if [ -n "$fault" ]; then
  note="$name: wine's loader failed after the program's complete, passed report (status $rc, \"$fault\"): counted as passed"
  say "$note"
  [ -n "${VELMORA_TEST_NOTES:-}" ] && printf '%s\n' "$note" >>"$VELMORA_TEST_NOTES"
  exit 0
fi
say "$name: the report passed, but the program then ended with status $rc (it failed or crashed while ending): failed"
exit "$rc"
