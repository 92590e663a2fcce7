"""The include checker finds what the map forbids, on small made-up trees."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import check_includes  # noqa: E402

MAP = """
layer top    top/            -> low base   # a comment
layer low    low/            ->
layer base   low/base.       ->
file  low/make.cpp           -> top
layer entry  ../web/         -> top
system top : SDL*
"""


class Tree:
    def __init__(self, files):
        self.dir = tempfile.TemporaryDirectory()
        self.src = os.path.join(self.dir.name, "src")
        self.map = os.path.join(self.dir.name, "layers.txt")
        with open(self.map, "w") as f:
            f.write(MAP)
        for path, text in files.items():
            full = os.path.join(self.src, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)

    def faults(self):
        try:
            beside = os.path.join(self.dir.name, "web")
            others = [beside] if os.path.isdir(beside) else []
            return check_includes.check(self.src, check_includes.read_map(self.map), others)
        finally:
            self.dir.cleanup()


BASE = {
    "top/a.h": '#pragma once\n#include "low/b.h"\n',
    "top/a.cpp": '#include "top/a.h"\n#include "low/base.h"\n#include <SDL2/SDL.h>\n',
    "low/b.h": "#pragma once\n#include <cstdint>\n",
    "low/base.h": "#pragma once\n",
    "low/make.cpp": '#include "top/a.h"\n',
    "low/notes.md": '#include "top/a.h"\n',
}


def faults_with(changes):
    """The faults of BASE with some files added or replaced."""
    return Tree({**BASE, **changes}).faults()


class Arrows(unittest.TestCase):
    def test_a_tree_that_follows_the_map_passes(self):
        self.assertEqual(Tree(BASE).faults(), [])

    def test_an_arrow_up_is_named_with_file_line_and_layers(self):
        self.assertEqual(faults_with({
            "low/b.h": '#pragma once\n\n  #  include "top/a.h"\n',
            "low/base.h": '#pragma once\n#include "low/b.h"\n'}), [
            'low/b.h:3: low -> top ("top/a.h"): the map has no such arrow',
            'low/base.h:2: base -> low ("low/b.h"): the map has no such arrow'])

    def test_a_file_allowance_is_that_file_s_alone(self):
        self.assertEqual(faults_with({"low/other.cpp": '#include "top/a.h"\n'}),
                         ['low/other.cpp:1: low -> top ("top/a.h"): the map has no such arrow'])

    def test_unmapped_folders_and_missing_files_fail(self):
        self.assertEqual(faults_with({"new/c.cpp": "\n", "top/d.cpp": '#include "b.h"\n'}), [
            "new/c.cpp: belongs to no layer of the map",
            'top/d.cpp:1: "b.h" is no file below src/'])

    def test_system_headers_only_where_the_map_allows(self):
        self.assertEqual(faults_with({
            "low/e.cpp": "#include <SDL.h>\n#include <cstdio>\n#include_next <SDL_video.h>\n"}), [
            "low/e.cpp:1: low -> <SDL.h>: only top may include it",
            "low/e.cpp:3: low -> <SDL_video.h>: only top may include it"])

    def test_a_folder_beside_src_is_read_with_its_own_headers(self):
        self.assertEqual(faults_with({
            "../web/main.cpp": '#include "page.h"\n#include "top/a.h"\n#include "low/b.h"\n',
            "../web/page.h": "#pragma once\n"}),
            ['../web/main.cpp:3: entry -> low ("low/b.h"): the map has no such arrow'])


if __name__ == "__main__":
    unittest.main()
