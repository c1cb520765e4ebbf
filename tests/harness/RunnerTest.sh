#!/usr/bin/env bash
# The test runner (cmake/test-run.sh) judges a run by the program's own report
# and its exit status, table by table: a stand-in program writes the report
# (or not), prints what it is told and ends with the status it is told.
#   RunnerTest.sh <path of test-run.sh>
set -uo pipefail
runner=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The stand-in: program <report kind> <status> [line to print] --gtest_output=xml:<file>
program=$work/program.sh
cat >"$program" <<'PROGRAM'
#!/usr/bin/env bash
kind=$1 status=$2 line=${3:-}
report=
for a in "$@"; do case $a in --gtest_output=xml:*) report=${a#--gtest_output=xml:} ;; esac; done
case=' <testcase name="T" status="run" result="completed" classname="S" />'
failed=' <testcase name="T" status="run" result="completed" classname="S"><failure message="x"/></testcase>'
skipped=' <testcase name="T" status="run" result="skipped" classname="S" />'
write() { [ -n "$report" ] && printf '<?xml version="1.0"?>\n<testsuites tests="%s" failures="%s" disabled="0" errors="0" name="AllTests">\n%s\n%s' "$1" "$2" "$3" "$4" >"$report"; }
# "nostart": a program wine did not start, on its first run only ("nostart-always": every run).
started=$(dirname "$0")/started
if [ "$kind" = nostart ]; then
  if [ -e "$started" ]; then kind=passed; else : >"$started"; exit 1; fi
fi
[ "$kind" = nostart-always ] && exit 1
case $kind in
  passed) write 1 0 "$case" '</testsuites>' ;;
  failed) write 1 1 "$failed" '</testsuites>' ;;
  skipped) write 1 0 "$skipped" '</testsuites>' ;;
  none) write 0 0 '' '</testsuites>' ;;
  cut) write 1 0 "$case" '' ;;
  missing) ;;
esac
[ -n "$line" ] && printf '%s\n' "$line"
exit "$status"
PROGRAM
chmod +x "$program"

fault="Inconsistency detected by ld.so: dl-fini.c: 87: _dl_fini: Assertion \`ns != LM_ID_BASE || i == nloaded' failed!"
# report kind; program's status; printed line; runner passes (0/1); a note is written (0/1)
cases=(
  "passed;0;;0;0"
  "failed;1;;1;0"
  "failed;0;;1;0"
  "skipped;0;[  SKIPPED ] S.T;0;0"
  "none;0;;1;0"
  "cut;0;;1;0"
  "missing;0;;1;0"
  "missing;5;;1;0"
  "missing;124;;1;0"
  "passed;3;;1;0"
  "passed;127;$fault;0;1"
  "failed;127;$fault;1;0"
  "cut;127;$fault;1;0"
  "missing;127;$fault;1;0"
  "nostart;0;;0;1"
  "nostart-always;0;;1;0"
)
wrong=0
for c in "${cases[@]}"; do
  IFS=';' read -r kind status line want_rc want_note <<<"$c"
  report=$work/results/unit.S.T.xml notes=$work/notes.txt
  rm -f "$notes" "$work/started"
  # A report of an earlier, passed run must not stand in for this one.
  mkdir -p "$work/results"
  printf '<testsuites tests="1" failures="0" errors="0">\n%s\n</testsuites>\n' \
    ' <testcase name="T" status="run" result="completed" />' >"$report"
  out=$(VELMORA_TEST_NOTES=$notes "$runner" "$program" "$kind" "$status" "$line" \
        --gtest_filter=S.T "--gtest_output=xml:$report" 2>&1)
  rc=$?
  got_rc=$(( rc == 0 ? 0 : 1 ))
  got_note=0
  [ -s "$notes" ] && got_note=1
  if [ "$got_rc" != "$want_rc" ] || [ "$got_note" != "$want_note" ]; then
    echo "WRONG: report $kind, status $status, line '${line:0:20}': runner status $rc (want $( ((want_rc)) && echo non-zero || echo 0)), note $got_note (want $want_note)"
    printf '%s\n' "$out" | sed 's/^/    /'
    wrong=$((wrong + 1))
  fi
  # The output says why a run failed.
  if [ "$want_rc" = 1 ] && ! grep -q '^test-run: unit.S.T: .*failed$' <<<"$out"; then
    echo "WRONG: report $kind, status $status: no reason given"; wrong=$((wrong + 1))
  fi
done

# Without a result file asked for (the test list at discovery), the command
# runs unchanged: its output and its status.
out=$("$runner" "$program" missing 7 "S." --gtest_list_tests 2>&1); rc=$?
if [ "$rc" != 7 ] || [ "$out" != "S." ]; then echo "WRONG: discovery gave status $rc and '$out'"; wrong=$((wrong + 1)); fi

echo "${#cases[@]} runs judged and the discovery passed through, $wrong wrong"
[ "$wrong" -eq 0 ]
