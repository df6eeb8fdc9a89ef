#!/usr/bin/env python3
"""Fails, naming them, on the cases of the Wine test program that no ctest
entry runs and on the entries whose filter finds no case:
  check_entries.py NAME=FILTER... -- COMMAND...
COMMAND prints the program's cases (--gtest_list_tests)."""
import subprocess
import sys
from fnmatch import fnmatchcase

split = sys.argv.index("--")
entries = [arg.split("=", 1) for arg in sys.argv[1:split]]
listing = subprocess.run(sys.argv[split + 1:], capture_output=True, text=True)

# "Suite." on a line of its own, then "  Case" for each of its cases.
cases, suite = [], None
for line in listing.stdout.splitlines():
    line = line.split("#")[0].rstrip()
    if line.startswith("  ") and suite:
        cases.append(suite + line.strip())
    else:
        suite = line if line.endswith(".") and " " not in line else None
if listing.returncode != 0 or not cases:
    sys.exit(f"listing the cases failed:\n{listing.stdout}{listing.stderr}")


def runs(filter, case):
    """What --gtest_filter=filter runs: a positive pattern, none negative."""
    positive, _, negative = filter.partition("-")
    def any_of(patterns):
        return any(fnmatchcase(case, p) for p in patterns.split(":") if p)
    return (not positive or any_of(positive)) and not any_of(negative)


failures = [f"{case}: no entry in cmake/wine_tests.cmake runs it"
            for case in cases if not any(runs(f, case) for _, f in entries)]
failures += [f"{name}: its filter {f} finds no case"
             for name, f in entries if not any(runs(f, case) for case in cases)]
print("\n".join(failures) or f"{len(cases)} cases, each run by an entry")
sys.exit(1 if failures else 0)
