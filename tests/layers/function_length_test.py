"""The function-length checker sees every function: at file scope, in named
and unnamed namespaces, and members defined in a struct or class."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import function_length  # noqa: E402


def body(lines):
    return "".join("    x += %d;\n" % i for i in range(lines))


def found_in(text, limit=5):
    with tempfile.NamedTemporaryFile("w", suffix=".cpp", delete=False) as f:
        f.write(text)
    try:
        return function_length.long_functions(f.name, limit)
    finally:
        os.unlink(f.name)


class Checker(unittest.TestCase):
    def test_long_functions_are_found_wherever_they_are_defined(self):
        cases = {
            "file scope": "int f(int x) {\n%s    return x;\n}\n",
            "unnamed namespace": "namespace {\nint f(int x) {\n%s    return x;\n}\n}  // namespace\n",
            "named namespace": "namespace a {\nnamespace b {\nint f(int x)\n{\n%s}\n}\n}\n",
            "struct member": "struct S {\n    int x;\n    void f() {\n%s    }\n};\n",
            "class member": "class C {\n  public:\n    void f() const {\n%s    }\n};\n",
            "signature on lines": "static bool f(int a,\n             int b) {\n%s    return a;\n}\n",
        }
        for name, text in cases.items():
            with self.subTest(name):
                self.assertEqual(len(found_in(text % body(8))), 1)

    def test_blank_lines_comments_tables_and_short_functions_pass(self):
        text = ("namespace {\n// a comment\n/* a block\n   of comment */\nint f(int x) {\n\n\n\n"
                "    // said twice\n    return x;\n}\nconst int table[] = {\n%s};\n"
                "enum class E {\n%s};\n#define M(X) \\\n  { X; }\n}\n") % (body(9), body(9))
        self.assertEqual(found_in(text), [])

    def test_the_reported_count_is_of_lines_of_code(self):
        text = "void f() {\n%s\n\n    // note\n}\n" % body(9)
        self.assertIn("11 lines of code", found_in(text)[0])


if __name__ == "__main__":
    unittest.main()
