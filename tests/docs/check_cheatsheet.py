#!/usr/bin/env python3
"""The cheatsheet lists every command runtime.h declares, and nothing else;
the examples page shows every example program.

Reads the public headers (runtime.h and what it includes) with a small
scanner of its own, independent of Doxygen, collects the free functions
declared at namespace scope, leaves out the runtime's internal declarations
(docs/internal_symbols.txt), and compares that list with the commands the
built cheatsheet lists.

Usage: check_cheatsheet.py SOURCE_DIR REFERENCE_DIR
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    text = re.sub(r"//[^\n]*", "", text)
    # Preprocessor lines (continued ones too) and bare macro invocations.
    text = re.sub(r"^[ \t]*#(?:[^\n]*\\\n)*[^\n]*", "", text, flags=re.M)
    text = re.sub(r"^[ \t]*[A-Z][A-Z0-9_]*\([^()\n]*\)[ \t]*$", "", text, flags=re.M)
    return text


def without_templates(stmt):
    stmt = re.sub(r"\[\[[^\]]*\]\]", " ", stmt)
    # requires(...) with one level of nested parentheses.
    stmt = re.sub(r"\brequires\s*\((?:[^()]|\([^()]*\))*\)", " ", stmt)
    while True:
        new = re.sub(r"\btemplate\s*<[^<>]*>", " ", stmt)
        new = re.sub(r"<[^<>()]*>", " ", new)
        if new == stmt:
            return stmt
        stmt = new


DECL = re.compile(r"(operator\s*[^\s(]+|~?[A-Za-z_]\w*)\s*\(")


def function_name(stmt):
    """The name a declaration or definition introduces, if it is a function."""
    stmt = without_templates(stmt).strip()
    if not stmt or re.match(r"(using|typedef|friend|static_assert|class|struct|enum|union)\b", stmt):
        return None
    paren = stmt.find("(")
    if paren < 0 or "=" in stmt[:paren]:
        return None
    m = DECL.search(stmt)
    if not m or m.group(1).startswith("operator"):
        return None
    if stmt[:m.start()].rstrip().endswith("::"):
        return None  # a member defined outside its class
    return m.group(1)


def declared_functions(text, excluded):
    """Free functions at namespace scope; namespaces named in excluded are
    skipped whole."""
    text = strip_comments(text)
    names = []
    ns_stack = []  # True for an excluded namespace
    stmt = ""
    i = 0
    while i < len(text):
        c = text[i]
        if c == "{":
            m = re.match(r"\s*(?:inline\s+)?namespace\s*(\w*)\s*$", stmt)
            if m:
                ns_stack.append(m.group(1) in excluded or bool(ns_stack and ns_stack[-1]))
                stmt = ""
                i += 1
                continue
            # A class, an enum, an initializer or a function body: skip it.
            name = function_name(stmt)
            if name and not any(ns_stack):
                names.append(name)
            depth = 0
            while i < len(text):
                if text[i] == "{":
                    depth += 1
                elif text[i] == "}":
                    depth -= 1
                    if depth == 0:
                        break
                i += 1
            stmt = ""
            i += 1
            # A class definition goes on to its ";".
            continue
        if c == "}":
            if ns_stack:
                ns_stack.pop()
            stmt = ""
        elif c == ";":
            name = function_name(stmt)
            if name and not any(ns_stack):
                names.append(name)
            stmt = ""
        else:
            stmt += c
        i += 1
    return names


def header_commands(source):
    sys.path.insert(0, os.path.join(source, "docs"))
    import build_reference

    excluded = set(build_reference.internal_symbols(os.path.join(source, "docs")))
    commands = set()
    for rel in build_reference.public_headers(source):
        with open(os.path.join(source, rel), encoding="utf-8") as f:
            commands.update(n for n in declared_functions(f.read(), excluded) if n not in excluded)
    return commands


def missing_examples(source, reference):
    """Every example program has its section on the examples page, with its
    picture when it has one."""
    with open(os.path.join(reference, "html", "examples_page.html"), encoding="utf-8") as f:
        page = f.read()
    failures = []
    examples = os.path.join(source, "examples")
    for name in sorted(os.listdir(examples)):
        if not os.path.isdir(os.path.join(examples, name)):
            continue
        if f'id="example_{name}"' not in page:
            failures.append(f"examples page: no section for examples/{name}")
        has_picture = os.path.isfile(os.path.join(examples, name, "screenshot.png"))
        if has_picture and not os.path.isfile(os.path.join(reference, "html", "examples", name + ".png")):
            failures.append(f"examples page: examples/{name}/screenshot.png was not copied")
        if has_picture and f'src="examples/{name}.png"' not in page:
            failures.append(f"examples page: examples/{name} is shown without its picture")
    return failures


def main():
    source, reference = sys.argv[1], sys.argv[2]
    in_headers = header_commands(source)
    with open(os.path.join(reference, "commands.txt"), encoding="utf-8") as f:
        listed = [l.strip() for l in f if l.strip()]
    with open(os.path.join(reference, "html", "cheatsheet.html"), encoding="utf-8") as f:
        page = f.read()
    failures = []
    for name in sorted(in_headers - set(listed)):
        failures.append(f"declared in the public headers, missing from the cheatsheet: {name}")
    for name in sorted(set(listed) - in_headers):
        failures.append(f"on the cheatsheet, not declared by the public headers: {name}")
    for name in sorted(set(listed)):
        if not re.search(r"\b" + re.escape(name) + r"\(", page):
            failures.append(f"commands.txt names {name}, the page shows no signature for it")
    failures += missing_examples(source, reference)
    if len(in_headers) < 100:
        failures.append(f"only {len(in_headers)} commands found in the headers; the scanner is broken")
    if failures:
        print("\n".join(failures))
        return 1
    print(f"cheatsheet lists all {len(in_headers)} commands of the public headers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
