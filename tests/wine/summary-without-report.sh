#!/bin/sh
# The Wine summary counts every test program ctest started: one that wrote
# no report (it crashed or hung) is named and counted as failed, and so is
# one that failed although its report shows no failing case. A real ctest
# run of a small test list, summarised by the script the test run uses.
#   summary-without-report.sh COUNT-TESTS WORK-FOLDER
count=$1
work=$2
rm -rf "$work"
mkdir -p "$work/reports"
# A stand-in test program: writes its report (cases, failures, disabled)
# and exits with the status given; "none" writes no report.
cat >"$work/program.sh" <<'PROGRAM'
[ "$2" = none ] || printf '<testsuites tests="%s" failures="%s" disabled="%s" errors="0"/>' \
    "$2" "$3" "$4" >"$(dirname "$0")/reports/$1.xml"
exit "$5"
PROGRAM
cat >"$work/CTestTestfile.cmake" <<LIST
add_test(passes sh $work/program.sh passes 5 0 1 0 --gtest_output=xml:Z:$work/reports/passes.xml)
add_test(one_case_fails sh $work/program.sh one_case_fails 3 1 0 1 --gtest_output=xml:Z:$work/reports/one_case_fails.xml)
add_test(crashes sh $work/program.sh crashes none 0 0 3 --gtest_output=xml:Z:$work/reports/crashes.xml)
add_test(exits_badly sh $work/program.sh exits_badly 2 0 0 1 --gtest_output=xml:Z:$work/reports/exits_badly.xml)
add_test(not_a_program sh -c "exit 0")
add_test(not_started sh $work/program.sh not_started 4 0 0 0 --gtest_output=xml:Z:$work/reports/not_started.xml)
set_tests_properties(not_started PROPERTIES DISABLED TRUE)
LIST
for test in passes one_case_fails crashes exits_badly not_a_program not_started; do
    echo "set_tests_properties($test PROPERTIES LABELS wine)" >>"$work/CTestTestfile.cmake"
done
# A report left by an earlier run does not speak for a crash in this one.
printf '<testsuites tests="9" failures="0" disabled="0" errors="0"/>' >"$work/reports/crashes.xml"
touch -d '2 hours ago' "$work/reports/crashes.xml"

ctest --test-dir "$work" -L wine --output-junit "$work/run.xml" >/dev/null 2>&1
line=$("$count" "$work" "$work/run.xml")
status=$?
echo "$line"
expected="== Wine, $work: 9 test cases in 4 programs, 3 failed; no report from crashes (crashed or timed out), counted as failed; exits_badly failed with no failing case in the report, counted as failed; 1 other Wine test, 0 failed"
failed=0
if [ "$line" != "$expected" ]; then
    echo "expected: $expected"
    failed=1
fi
if [ $status -ne 1 ]; then
    echo "the summary exited with $status, not 1"
    failed=1
fi
# And a run where all is well says 0 failed and exits 0.
sed -i '/one_case_fails\|crashes\|exits_badly/d' "$work/CTestTestfile.cmake"
ctest --test-dir "$work" -L wine --output-junit "$work/run.xml" >/dev/null 2>&1
line=$("$count" "$work" "$work/run.xml") || { echo "a clean run failed: $line"; failed=1; }
echo "$line"
case $line in
"== Wine, $work: 4 test cases in 1 program, 0 failed; 1 other Wine test, 0 failed") ;;
*) echo "a clean run was summarised wrongly"; failed=1 ;;
esac
rm -rf "$work"
exit $failed
