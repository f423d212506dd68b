#!/usr/bin/env python3
"""Totals a Windows tree's Wine run: ctest counts a test program once, however
many cases it holds, so the cases come from the reports the programs write.

  count-tests.py TREE JUNIT

JUNIT is ctest's own record of the run (--output-junit): every test it
started, and how each ended. A GoogleTest program is a test whose command
names its report (--gtest_output=xml:PATH). Every such program that ctest
started is counted. One that wrote no report (it crashed, hung until the
time-out, or never started) is named and counted as failed, and so is one
that ctest saw fail while its report shows no failing case. The other Wine
tests are counted by ctest's verdict. Prints one line and exits 1 when
anything failed.
"""

import json
import os
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

REPORT_OPTION = "--gtest_output=xml:"


def report_path(command):
    """The Linux path of the report a test's command asks for, or None."""
    for argument in command:
        if argument.startswith(REPORT_OPTION):
            path = argument[len(REPORT_OPTION) :]
            # Wine maps the Linux root to drive Z:.
            if path[:2].upper() == "Z:":
                path = path[2:]
            return path
    return None


def started_tests(junit):
    """({name: passed} for every test ctest started, when the run began)."""
    suite = ElementTree.parse(junit).getroot()
    began = time.mktime(time.strptime(suite.get("timestamp"), "%Y-%m-%dT%H:%M:%S"))
    started = {}
    for case in suite.iter("testcase"):
        status = case.get("status")
        if status in ("run", "fail"):
            started[case.get("name")] = status == "run"
    return started, began


def read_report(path, began):
    """The report's root, or None when there is none from this run: a report
    left by an earlier run does not speak for a program that crashed now."""
    try:
        if os.path.getmtime(path) < began - 1:
            return None
        return ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None


def commands(tree):
    listing = subprocess.run(["ctest", "--test-dir", tree, "--show-only=json-v1"],
                             check=True, capture_output=True, text=True).stdout
    return {test["name"]: test.get("command", []) for test in json.loads(listing)["tests"]}


def main():
    if len(sys.argv) != 3:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    tree, junit = sys.argv[1:]
    try:
        started, began = started_tests(junit)
    except (OSError, ElementTree.ParseError, TypeError, ValueError) as error:
        print("== Wine, %s: no record of the run (%s): counted as failed" % (tree, error))
        return 1
    tests = commands(tree)

    programs = cases = failed = others = others_failed = 0
    silent, unexplained = [], []
    for name, passed in sorted(started.items()):
        path = report_path(tests.get(name, []))
        if path is None:
            others += 1
            others_failed += not passed
            continue
        programs += 1
        suites = read_report(path, began)
        if suites is None:
            silent.append(name)
            failed += 1
            continue
        cases += int(suites.get("tests", "0")) - int(suites.get("disabled", "0"))
        failures = int(suites.get("failures", "0")) + int(suites.get("errors", "0"))
        failed += failures
        if not passed and failures == 0:
            unexplained.append(name)
            failed += 1

    line = "== Wine, %s: %d test cases in %d program%s, %d failed" % (
        tree, cases, programs, "" if programs == 1 else "s", failed)
    if silent:
        line += "; no report from %s (crashed or timed out), counted as failed" % ", ".join(silent)
    if unexplained:
        line += "; %s failed with no failing case in the report, counted as failed" % ", ".join(unexplained)
    if others:
        line += "; %d other Wine test%s, %d failed" % (others, "" if others == 1 else "s", others_failed)
    print(line)
    return 1 if failed or others_failed else 0


if __name__ == "__main__":
    sys.exit(main())
