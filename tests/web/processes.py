"""Ending the child processes the page tests start (browsers, their
drivers, Xvfb): each by its own handle, never by name."""

import subprocess


def stop_process(process, terminate=True):
    """Ends a child process: asks it to end (unless it was already told some
    other way), waits 10 s, then kills it."""
    if process.poll() is not None:
        return
    if terminate:
        process.terminate()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
