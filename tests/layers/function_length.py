"""Fails on a function in src/ longer than LIMIT lines of code, naming it: a
function that long usually does two jobs.
    function_length.py SRC_DIR [LIMIT]
A function is a brace opened after a signature (a statement with parentheses
and no "=" before them) at file scope, inside a namespace (named or not), an
extern block, or a struct, class or union (member functions defined in place),
up to where its braces close. Its lines of code, signature included, are those
with code on them: blank lines, lines of comment alone and preprocessor lines
do not count. Comments and strings are set aside before the braces are
counted."""
import os
import re
import sys

CONTAINERS = re.compile(r"\s*(template\s*<.*>\s*)?(namespace|struct|class|extern|union)\b")
ENUM = re.compile(r"\s*(typedef\s+)?enum\b")


def code_of(line):
    line = re.sub(r'"(\\.|[^"\\])*"', '""', line)
    line = re.sub(r"'(\\.|[^'\\])'", "''", line)
    return re.sub(r"//.*", "", line)


def without_comments(lines):
    """The lines with their comments and strings set aside."""
    in_comment, directive = False, False
    for line in lines:
        # Preprocessor lines (and their continuations) hold no braces of code.
        if directive or (not in_comment and line.lstrip().startswith("#")):
            directive = line.rstrip().endswith("\\")
            yield ""
            continue
        if in_comment:
            if "*/" not in line:
                yield ""
                continue
            line, in_comment = line.split("*/", 1)[1], False
        line = re.sub(r"/\*.*?\*/", "", line)
        if "/*" in line:
            line, in_comment = line.split("/*", 1)[0], True
        yield code_of(line)


def kind_of_opening(statement):
    """What a brace opens where functions may start, from the statement it ends."""
    if CONTAINERS.match(statement) and "(" not in statement:
        return "container"
    if ENUM.match(statement) or "(" not in statement or "=" in statement.split("(")[0]:
        return "other"
    return "function"


def long_functions(path, limit):
    with open(path, errors="replace") as f:
        lines = f.read().split("\n")
    # The statement read so far where functions may start, and the line it began.
    stack, statement, began = [], "", None
    start, counted, found = None, 0, []
    codes = list(without_comments(lines))
    for number, code in enumerate(codes, 1):
        if start is not None and code.strip():
            counted += 1
        for ch in code:
            at_top = all(k == "container" for k in stack)
            if ch == "{":
                kind = kind_of_opening(statement) if at_top else "other"
                if kind == "function":
                    # The signature counts: its lines of code up to this one.
                    start = (began or number, statement.strip())
                    counted = sum(1 for c in codes[start[0] - 1:number] if c.strip())
                stack.append(kind)
                statement, began = "", None
            elif ch == "}":
                if stack and stack.pop() == "function" and start is not None:
                    if counted > limit:
                        found.append("%s:%d: %d lines of code: %s" %
                                     (path, start[0], counted, start[1][:80]))
                    start = None
                statement, began = "", None
            elif at_top:
                if ch == ";":
                    statement, began = "", None
                elif not ch.isspace() or statement:
                    if began is None:
                        began = number
                    statement += ch
        if all(k == "container" for k in stack) and statement:
            statement += " "
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
    print("%d function%s over %d lines of code" % (len(found), "" if len(found) == 1 else "s", limit))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
