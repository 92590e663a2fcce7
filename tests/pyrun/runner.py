"""One run loop for the Python test runners, and checks that stay in the
program under python3 -O (an assert would not)."""

import re
import subprocess
import sys
import threading
import time
import traceback
from concurrent.futures import ThreadPoolExecutor

SUMMARY = re.compile(r"(\d+) passed, (\d+) failed")


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


def run_side_by_side(runs, jobs):
    """Runs whole runners side by side, JOBS at a time: RUNS are (name,
    command, environment) of programs that end with run_tests' summary. Their
    lines are printed as they come, whole; the summary adds up theirs, and a
    runner that ends without one, or fails without a failed test, counts as
    one failure. Returns the exit status as run_tests does."""
    lock = threading.Lock()
    counts = [0, 0]
    started = []

    def one(name, command, env):
        with lock:
            p = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            started.append(p)
        summary = None
        for line in p.stdout:
            match = SUMMARY.fullmatch(line.strip())
            if match:
                summary = match
                continue
            with lock:
                sys.stdout.write(line)
                sys.stdout.flush()
        code = p.wait()
        passed, failed = (int(summary.group(1)), int(summary.group(2))) if summary else (0, 0)
        with lock:
            if code != 0 and failed == 0:
                print("FAIL %s: the runner ended with %d without a summary" % (name, code), flush=True)
                failed = 1
            counts[0] += passed
            counts[1] += failed

    with ThreadPoolExecutor(max_workers=jobs) as pool:
        try:
            for future in [pool.submit(one, *run) for run in runs]:
                future.result()
        finally:
            # Stopped from outside (or a reader failed): no runner left behind.
            pool.shutdown(wait=False, cancel_futures=True)
            with lock:
                for p in started:
                    if p.poll() is None:
                        p.terminate()
    print("%d passed, %d failed" % tuple(counts), flush=True)
    return 0 if counts[1] == 0 else 1
