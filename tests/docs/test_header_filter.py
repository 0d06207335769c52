"""The header filter turns only the comments that document a declaration
into Doxygen's form, keeps every line of code as it was, and groups
namespace-scope declarations by subsystem."""

import os
import re
import sys
import unittest

SOURCE = os.environ.get("PROJECT_SOURCE_DIR",
                        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(SOURCE, "docs"))

import build_reference  # noqa: E402
import header_filter  # noqa: E402


def run(text, group="gfx2d"):
    return header_filter.filter_lines(text.split("\n"), group)


def code_only(line):
    return re.sub(r"\s*//.*$", "", line).rstrip()


class KeepsTheHeaderIntact(unittest.TestCase):
    def test_every_public_header_keeps_its_lines_and_code(self):
        for rel in build_reference.public_headers(SOURCE):
            with open(os.path.join(SOURCE, rel), encoding="utf-8") as f:
                lines = f.read().split("\n")
            out = header_filter.filter_lines(lines, header_filter.group_of(os.path.join(SOURCE, rel)))
            self.assertEqual(len(out), len(lines), rel)
            for before, after in zip(lines, out):
                # The group opening and closing are whole comments of their own.
                after = re.sub(r"/\*\*.*?\*/", "", after)
                self.assertEqual(code_only(before), code_only(after), rel)

    def test_groups_follow_the_folder(self):
        self.assertEqual(header_filter.group_of("/x/runtime/gfx2d/sprites.h"), "gfx2d")
        self.assertEqual(header_filter.group_of("/x/runtime/runtime.h"), None)


class ConvertsOnlyDocumentation(unittest.TestCase):
    def test_comment_above_a_declaration_documents_it_and_joins_the_group(self):
        out = run("// top\n#pragma once\n\n// Draws it.\n// Twice.\nvoid Put(int slot);\n")
        self.assertEqual(out[0], "/// top \\file")
        self.assertEqual(out[3], "/// Draws it.")
        self.assertEqual(out[4], "/// Twice. \\ingroup gfx2d")

    def test_notes_and_bodies_stay_plain(self):
        out = run("// top\n#pragma once\n\n// ---- the commands ----\n\n// A note.\n\n"
                  "inline int F() {\n  // inside\n  return 1;\n}\n")
        self.assertEqual(out[3], "// ---- the commands ----")
        self.assertEqual(out[5], "// A note.")
        self.assertEqual(out[8], "  // inside")

    def test_class_members_are_documented_but_not_grouped(self):
        out = run("// top\n#pragma once\n\nstruct S {\n  // The width.\n  int w = 0;\n"
                  "  int h = 0;  // The height.\n};\n")
        self.assertEqual(out[4], "  /// The width.")
        self.assertEqual(out[6], "  int h = 0;  ///< The height.")

    def test_out_of_class_member_definitions_keep_plain_comments(self):
        out = run("// top\n#pragma once\n\n// How it sorts.\ntemplate <typename T>\n"
                  "void A<T>::Sort(int n) {\n}\n")
        self.assertEqual(out[3], "// How it sorts.")

    def test_a_one_line_member_body_takes_a_trailing_comment(self):
        out = run("// top\n#pragma once\n\nclass C {\n public:\n"
                  "  int Size() const { return n_; }  // Elements.\n};\n")
        self.assertEqual(out[5], "  int Size() const { return n_; }  ///< Elements.")


class SharesDocumentation(unittest.TestCase):
    def test_overloads_share_the_comment_until_another_name(self):
        out = run("// top\n#pragma once\n\n// Reads a byte.\nvoid ReadByte(int c, int& v);\n"
                  "void ReadByte(int c, double& v);\nvoid ReadWord(int c, int& v);\n")
        self.assertIn("///< Reads a byte. \\ingroup gfx2d", out[5])
        self.assertEqual(out[6], "void ReadWord(int c, int& v);")

    def test_operators_share_across_symbols(self):
        out = run("// top\n#pragma once\n\n// Compares.\nbool operator==(A a, B b);\n"
                  "bool operator<(A a, B b);\n")
        self.assertIn("///< Compares.", out[5])

    def test_a_run_of_constants_shares_until_the_next_comment(self):
        out = run("// top\n#pragma once\n\n// A scan code.\ninline constexpr int kA = 1;\n"
                  "inline constexpr int kB = 2;\n// Extended.\ninline constexpr int kC = 3;\n"
                  "inline constexpr int kD = 4;\n\ninline constexpr int kE = 5;\n")
        self.assertTrue(out[5].endswith("///< A scan code. \\ingroup gfx2d"))
        self.assertEqual(out[6], "/// Extended. \\ingroup gfx2d")
        self.assertTrue(out[8].endswith("///< Extended. \\ingroup gfx2d"))
        self.assertEqual(out[10], "inline constexpr int kE = 5;")


if __name__ == "__main__":
    unittest.main()
