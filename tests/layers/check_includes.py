"""Fails on every #include under src/ that the layer map (layers.txt) forbids.

Usage: check_includes.py [SRC_DIR [LAYERS_FILE [OTHER_DIR...]]]
OTHER_DIRs are folders of programs beside src/ (the browser's entry, web/):
their files are read too, named by their path from SRC_DIR ("../web/main.cpp"),
and may include files of their own folder by name.
Prints one line per fault, "path:line: ...", and exits 1 when there is any.
"""
import fnmatch
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include(?:_next)?\s*([<"])([^>"]+)[>"]')


class Map:
    def __init__(self):
        self.paths = []    # (path start, layer), longest first
        self.allowed = {}  # layer -> layers it may include
        self.files = {}    # file -> extra layers it may include
        self.system = []   # (pattern, layers that may include it)


def read_map(path):
    m = Map()
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].split()
            if not line:
                continue
            kind, rest = line[0], line[1:]
            where = "%s:%d" % (path, number)
            if kind in ("layer", "file"):
                if "->" not in rest:
                    raise SystemExit("%s: no '->'" % where)
                arrow = rest.index("->")
                left, right = rest[:arrow], rest[arrow + 1:]
                if kind == "layer" and len(left) >= 2:
                    m.allowed[left[0]] = set(right)
                    m.paths += [(p, left[0]) for p in left[1:]]
                elif kind == "file" and len(left) == 1:
                    m.files[left[0]] = set(right)
                else:
                    raise SystemExit("%s: malformed %s line" % (where, kind))
            elif kind == "system" and ":" in rest:
                colon = rest.index(":")
                m.system += [(p, set(rest[:colon])) for p in rest[colon + 1:]]
            else:
                raise SystemExit("%s: unknown line" % where)
    m.paths.sort(key=lambda entry: -len(entry[0]))
    for layer, targets in list(m.allowed.items()) + list(m.files.items()):
        for target in targets:
            if target not in m.allowed:
                raise SystemExit("%s: %s names no layer %s" % (path, layer, target))
    return m


def layer_of(m, rel):
    for start, layer in m.paths:
        if rel.startswith(start):
            return layer
    return None


def sources(src, top):
    for root, dirs, files in os.walk(top):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                full = os.path.join(root, name)
                yield os.path.relpath(full, src).replace(os.sep, "/"), full


def included(src, rel, full, name):
    """The included file's path from src, or None where it is no file there.
    A file beside src/ may include the files of its own folder by name."""
    if rel.startswith("../"):
        beside = os.path.join(os.path.dirname(full), name)
        if os.path.isfile(beside):
            return os.path.relpath(beside, src).replace(os.sep, "/")
    return name if os.path.isfile(os.path.join(src, name)) else None


def check(src, m, others=()):
    faults = []
    for rel, full in [f for top in (src,) + tuple(others) for f in sources(src, top)]:
        layer = layer_of(m, rel)
        if layer is None:
            faults.append("%s: belongs to no layer of the map" % rel)
            continue
        may = m.allowed[layer] | m.files.get(rel, set()) | {layer}
        with open(full, encoding="utf-8", errors="replace") as f:
            for number, text in enumerate(f, 1):
                found = INCLUDE.match(text)
                if not found:
                    continue
                quote, name = found.groups()
                where = "%s:%d" % (rel, number)
                if quote == "<":
                    for pattern, layers in m.system:
                        if fnmatch.fnmatch(name, pattern) and layer not in layers:
                            faults.append("%s: %s -> <%s>: only %s may include it"
                                          % (where, layer, name, ", ".join(sorted(layers))))
                    continue
                found_at = included(src, rel, full, name)
                if found_at is None:
                    faults.append('%s: "%s" is no file below src/' % (where, name))
                    continue
                target = layer_of(m, found_at)
                if target is None:
                    faults.append('%s: "%s" belongs to no layer of the map' % (where, name))
                elif target not in may:
                    faults.append('%s: %s -> %s ("%s"): the map has no such arrow'
                                  % (where, layer, target, name))
    return faults


def main(argv):
    src = argv[1] if len(argv) > 1 else os.path.join(HERE, "..", "..", "src")
    layers = argv[2] if len(argv) > 2 else os.path.join(HERE, "layers.txt")
    faults = check(src, read_map(layers), argv[3:])
    for fault in faults:
        print(fault)
    if faults:
        print("%d include(s) against the layer map in %s" % (len(faults), layers))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
