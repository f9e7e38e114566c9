"""The checks of a test script, each printed as it is made ("ok   " or
"FAIL "), the failures kept so that one run reports all of them."""

import sys

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def equal(actual, expected, what):
    return check(actual == expected, what if actual == expected else f"{what}: expected {expected!r}, got {actual!r}")


def status():
    """The script's exit status: 1, with the count on standard error, when a check failed."""
    if failures:
        print(f"{len(failures)} failed", file=sys.stderr)
        return 1
    return 0
