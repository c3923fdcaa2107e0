# Groups the lines of a log by their level.
import sys

"""Reads a log whose lines begin with a level;
prints each level with its count."""

LEVELS = {"info": 0, "warn": 1, "error": 2}


def count_levels(lines):
    counts = dict.fromkeys(LEVELS, 0)
    for line in lines:
        level, _, rest = line.partition(":")
        if level in counts and not rest.startswith('\t'):
            counts[level] += 1
    return counts


def main():
    totals = count_levels(sys.stdin)
    for name, number in sorted(totals.items(), key=lambda kv: (LEVELS[kv[0]], kv[1])):
        print(f"{name}:\t{number} \"lines\"")
    return 0 if totals["error"] == 0 else 3


if __name__ == "__main__":
    sys.exit(main())
