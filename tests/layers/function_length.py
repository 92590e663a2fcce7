"""Fails on a function in src/ longer than LIMIT lines, naming it: a function
that long usually does two jobs.
    function_length.py SRC_DIR [LIMIT]
A function is what opens with a line ending in "{" outside any brace (not a
namespace, struct, class, enum, union or initialiser) and ends where its braces
close; comments and strings are set aside before the braces are counted."""
import os
import re
import sys

OPENERS = re.compile(r"\s*(namespace|struct|class|enum|extern|union)\b")


def code_of(line):
    line = re.sub(r'"(\\.|[^"\\])*"', '""', line)
    line = re.sub(r"'(\\.|[^'\\])'", "''", line)
    return re.sub(r"//.*", "", line)


def long_functions(path, limit):
    with open(path, errors="replace") as f:
        lines = f.read().split("\n")
    depth, start, found = 0, None, []
    in_comment = False
    for number, line in enumerate(lines, 1):
        if in_comment:
            if "*/" not in line:
                continue
            line, in_comment = line.split("*/", 1)[1], False
        line = re.sub(r"/\*.*?\*/", "", line)
        if "/*" in line:
            line, in_comment = line.split("/*", 1)[0], True
        code = code_of(line)
        opens = code.rstrip().endswith("{") and not OPENERS.match(code)
        if depth == 0 and opens and "=" not in code.split("(")[0]:
            start = (number, code.strip())
        depth += code.count("{") - code.count("}")
        if depth == 0 and start is not None and "}" in code:
            length = number - start[0] + 1
            if length > limit:
                found.append("%s:%d: %d lines: %s" % (path, start[0], length, start[1][:80]))
            start = None
    return found


def main():
    src = sys.argv[1]
    limit = int(sys.argv[2]) if len(sys.argv) > 2 else 60
    found = []
    for root, _, files in sorted(os.walk(src)):
        for name in sorted(files):
            if name.endswith((".cpp", ".h")):
                found += long_functions(os.path.join(root, name), limit)
    for line in found:
        print(line)
    print("%d function%s over %d lines" % (len(found), "" if len(found) == 1 else "s", limit))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
