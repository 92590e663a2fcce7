"""Compiles every header under src/ alone: a translation unit that includes
just that header, twice (so it must also guard itself), must compile.

Usage: headers_alone.py SRC_DIR BACKEND COMPILER [FLAGS...]
The other backends' folders of platform/ are left out: their system headers
are not there. Prints each header that fails with the compiler's words.
"""
import concurrent.futures
import os
import subprocess
import sys


def headers(src, backend):
    platform = os.path.join(src, "platform")
    others = {name for name in os.listdir(platform)
              if os.path.isfile(os.path.join(platform, name, "backend.cmake")) and name != backend}
    for root, dirs, files in os.walk(src):
        rel_root = os.path.relpath(root, src).replace(os.sep, "/")
        dirs[:] = sorted(d for d in dirs
                         if not (rel_root == "platform" and d in others))
        for name in sorted(files):
            if name.endswith(".h"):
                yield os.path.relpath(os.path.join(root, name), src).replace(os.sep, "/")


def compile_alone(header, command):
    unit = '#include "%s"\n#include "%s"\n' % (header, header)
    done = subprocess.run(command + ["-x", "c++", "-fsyntax-only", "-"], input=unit,
                          capture_output=True, text=True)
    return header, done.returncode, done.stderr


def main(argv):
    if len(argv) < 4:
        print(__doc__)
        return 2
    src, backend, command = argv[1], argv[2], argv[3:]
    found = list(headers(src, backend))
    if not found:
        print("no headers under %s" % src)
        return 1
    jobs = int(os.environ.get("DEMO_HEADER_JOBS", "2"))
    failed = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for header, code, words in pool.map(lambda h: compile_alone(h, command), found):
            if code != 0 or words.strip():
                failed.append(header)
                print("== %s does not compile alone:\n%s" % (header, words.rstrip()))
    print("%d of %d headers compile alone" % (len(found) - len(failed), len(found)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
