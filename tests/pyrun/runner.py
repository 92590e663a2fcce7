"""One run loop for the Python test runners, and checks that stay in the
program under python3 -O (an assert would not)."""

import time
import traceback


class Failure(Exception):
    """A check that did not hold; its text is the whole report."""


def check(condition, text):
    """Fails the running test with TEXT unless CONDITION holds."""
    if not condition:
        raise Failure(text)


def run_tests(tests, call, name=lambda test: test.__name__, again=None, runs=1):
    """Runs each test as call(test) and prints one line for it: "PASS NAME (N s)"
    with the note the test returned, or "FAIL NAME (N s): WHY". Any exception
    fails its test alone and the run goes on; a Failure says its text, any
    other exception its traceback. again(exception), where given, names a
    reason to run a failed test once more (up to RUNS runs in all), printed on
    a line "AGAIN NAME (N s): REASON". Ends with "N passed, N failed" and
    returns the exit status: 0 when every test passed, 1 otherwise."""
    passed = failed = 0
    for test in tests:
        for run in range(1, runs + 1):
            started = time.monotonic()
            try:
                note = call(test)
            except Exception as e:  # one test's fault must not stop the others
                took = time.monotonic() - started
                reason = again(e) if again else None
                if reason and run < runs:
                    print("AGAIN %s (%.0f s): %s" % (name(test), took, reason), flush=True)
                    continue
                why = str(e) if isinstance(e, Failure) else traceback.format_exc().rstrip()
                if reason:
                    why += "\n" + reason
                print("FAIL %s (%.0f s): %s" % (name(test), took, why), flush=True)
                failed += 1
            else:
                print("PASS %s (%.0f s)%s" % (name(test), time.monotonic() - started,
                                              ": %s" % note if note else ""), flush=True)
                passed += 1
            break
    print("%d passed, %d failed" % (passed, failed), flush=True)
    return 0 if failed == 0 else 1
