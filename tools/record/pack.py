"""Packs demo-record's sources into one executable file (a Python zip
application): pack.py SOURCE_FOLDER TARGET. Only the .py files go in, never a
cache of compiled ones."""
import pathlib
import sys
import zipapp

source, target = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
zipapp.create_archive(source, target, interpreter="/usr/bin/env python3",
                      filter=lambda p: p.suffix == ".py" or (source / p).is_dir())
target.chmod(0o755)
