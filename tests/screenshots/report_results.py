"""Prints each test case's result from a GoogleTest XML report, one line
each, and exits non-zero when the report is missing, holds no case, or
any case failed or did not run."""
import sys
import xml.etree.ElementTree as ElementTree

try:
    cases = ElementTree.parse(sys.argv[1]).getroot().iter("testcase")
except (OSError, ElementTree.ParseError) as error:
    print(f"no test results ({error}): the program crashed or never finished")
    sys.exit(1)
passed = failed = 0
for case in cases:
    name = f"{case.get('classname')}.{case.get('name')}"
    ran = case.get("status", "run") == "run" and case.get("result", "completed") == "completed"
    ok = ran and case.find("failure") is None and case.find("error") is None
    print(f"{'passed' if ok else 'FAILED'}: {name}")
    passed += ok
    failed += not ok
print(f"{passed} of {passed + failed} cases passed")
sys.exit(0 if passed and not failed else 1)
