#!/usr/bin/env python3
"""Lets Doxygen read the runtime's headers as they are written.

The headers document each command with plain // comments in the line or
lines just above it (or behind a member on the same line), and say what the
file holds in the comment at its top. Doxygen reads only its own comment
forms, so this filter turns exactly those comments into them, and puts every
declaration of a header into the group of its subsystem (the folder under
runtime/). Comments inside function bodies, comments followed by a blank
line (section notes) and everything else pass unchanged. The output keeps
the input's line count, so the reference's line numbers match the header.

Usage: header_filter.py HEADER   (prints the filtered header)
"""

import os
import re
import sys

SCOPE_OPENER = re.compile(r'^\s*(template\s*<.*>\s*)?(namespace|class|struct|enum|union)\b|^\s*extern\s+"C"')
COMMENT = re.compile(r"^(\s*)//(?!/)( ?)(.*)$")
CONSTANT = re.compile(r"^\s*(inline\s+)?constexpr\s[^(]*=[^(]*;\s*$")
OUT_OF_CLASS = re.compile(r"^[^({=;]*[\w>]::~?\w+\s*\(")
SECTION = re.compile(r"^\s*//\s*----")


def group_of(path):
    parts = os.path.normpath(os.path.abspath(path)).split(os.sep)
    if "runtime" in parts:
        i = len(parts) - 1 - parts[::-1].index("runtime")
        if i + 1 < len(parts) - 1:
            return parts[i + 1]
    return None


def code_part(line):
    """The line without a trailing // comment (strings and chars respected)."""
    quote = None
    i = 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                i += 2
                continue
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
        elif line.startswith("//", i):
            return line[:i], line[i:]
        i += 1
    return line, ""


DECL_NAME = re.compile(r"(operator\s*[^\s(]+|~?\w+)\s*\(")


def declarations_after(lines, j):
    """(name, last line) of each declaration in the run starting at line j:
    consecutive lines up to a blank line, a comment or a definition."""
    found = []
    start = j
    while j < len(lines):
        code, _ = code_part(lines[j])
        if not code.strip() or code.lstrip().startswith("#") or "{" in code:
            break
        if code.rstrip().endswith(";"):
            text = " ".join(code_part(l)[0] for l in lines[start:j + 1])
            m = DECL_NAME.search(text)
            if not m:
                break
            found.append((re.sub(r"\s+", "", m.group(1)), j))
            start = j + 1
        j += 1
    return found


def share_with_overloads(lines, out, i, j, group_tag):
    """A comment above a run of overloads (same name, or operators) speaks
    for all of them: the others get it as their own."""
    text = " ".join(COMMENT.match(lines[k]).group(3).strip() for k in range(i, j))
    if CONSTANT.match(lines[j]):
        # Likewise a comment above a run of constants (a table of names).
        k = j + 1
        while k < len(lines) and CONSTANT.match(lines[k]) and "//" not in lines[k]:
            out[k] = lines[k] + "  ///< " + text + group_tag
            k += 1
        return
    decls = declarations_after(lines, j)
    if len(decls) < 2:
        return
    first = decls[0][0]
    for name, last in decls[1:]:
        same = name == first or (name.startswith("operator") and first.startswith("operator"))
        if not same or "//" in lines[last]:
            break
        out[last] = lines[last] + "  ///< " + text + group_tag


def filter_lines(lines, group):
    out = list(lines)
    # Kinds of the open braces: "namespace", "class" (class, struct, enum,
    # union) or "body" (a function body or an initializer).
    braces = []
    pending = None  # the kind of a scope whose brace is on a later line
    ingroup = " \\ingroup " + group if group else ""
    i = 0
    n = len(lines)
    while i < n:
        line = lines[i]
        at_scope = "body" not in braces
        # Declarations directly in a namespace join the subsystem's group;
        # class members go with their class.
        group_tag = ingroup if "class" not in braces else ""
        m = COMMENT.match(line)
        if m and at_scope:
            # A run of comment lines.
            j = i
            while j < n and COMMENT.match(lines[j]):
                j += 1
            following = lines[j] if j < n else ""
            if i == 0:
                # The file's own description; \file closes the block, as a
                # word after it would be taken for a file name.
                for k in range(i, j):
                    mk = COMMENT.match(lines[k])
                    out[k] = mk.group(1) + "/// " + mk.group(3) + (" \\file" if k == j - 1 else "")
            elif (following.strip() and not following.lstrip().startswith(("#", "}"))
                  and not SECTION.match(line)
                  and not OUT_OF_CLASS.match(" ".join(lines[j:j + 3]))):
                # (A member defined outside its class was documented in it;
                # the comment at the definition is about the implementation.)
                for k in range(i, j):
                    mk = COMMENT.match(lines[k])
                    out[k] = mk.group(1) + "///" + mk.group(2) + mk.group(3)
                out[j - 1] += group_tag
                share_with_overloads(lines, out, i, j, group_tag)
            i = j
            continue
        if not line.strip().startswith("#"):
            code, comment = code_part(line)
            one_line_body = "{" in code and code.rstrip().endswith("}")
            if comment and code.strip() and at_scope and (code.rstrip().endswith((";", ",")) or one_line_body):
                text = comment[2:]
                if not text.startswith(("/", "!")) and "///<" not in out[i]:
                    out[i] = code + "///<" + text + group_tag
            opener = SCOPE_OPENER.match(code)
            kind = pending
            if opener:
                kind = "namespace" if opener.group(2) == "namespace" else "class"
            for c in code:
                if c == "{":
                    braces.append(kind or "body")
                    kind = None
                    pending = None
                elif c == "}":
                    if braces:
                        braces.pop()
                elif c == ";":
                    kind = None
                    pending = None
            if kind:
                pending = kind
        i += 1
    return out


def main():
    path = sys.argv[1]
    with open(path, encoding="utf-8") as f:
        text = f.read()
    lines = text.split("\n")
    trailing = lines and lines[-1] == ""
    if trailing:
        lines.pop()
    if not lines:
        return
    out = filter_lines(lines, group_of(path))
    sys.stdout.write("\n".join(out) + ("\n" if trailing else ""))


if __name__ == "__main__":
    main()
