#!/usr/bin/env python3
"""Builds the command reference: Doxygen over the public headers (what
runtime/runtime.h includes, followed through their includes), then the
one-page cheatsheet from Doxygen's XML.

Usage: build_reference.py SOURCE_DIR OUT_DIR

Writes OUT_DIR/html (the reference, cheatsheet.html in it), OUT_DIR/xml and
OUT_DIR/commands.txt (one command name a line, as the cheatsheet lists
them). Fails when Doxygen warns: a public command without documentation is
a warning, so the reference cannot fall behind the headers.
"""

import os
import re
import shutil
import subprocess
import sys

import cheatsheet

INCLUDE = re.compile(r'^\s*#include\s+"(runtime/[^"]+)"', re.M)


def public_headers(source):
    """runtime.h and every header it reaches through "runtime/..." includes."""
    seen = []
    todo = ["runtime/runtime.h"]
    while todo:
        rel = todo.pop(0)
        if rel in seen:
            continue
        seen.append(rel)
        with open(os.path.join(source, rel), encoding="utf-8") as f:
            todo.extend(INCLUDE.findall(f.read()))
    return seen


def internal_symbols(docs):
    """Declarations the public headers carry for the runtime's own layers;
    they stay out of the reference."""
    names = []
    with open(os.path.join(docs, "internal_symbols.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                names.append(line)
    return names


def write_doxyfile(source, out, headers):
    docs = os.path.join(source, "docs")
    q = lambda p: '"' + p + '"'
    inputs = [os.path.join(docs, n) for n in ("overview.md", "groups.dox", "examples.md")]
    inputs += [os.path.join(source, h) for h in headers]
    settings = {
        "PROJECT_NAME": '"brakmor"',
        "PROJECT_BRIEF": '"Command reference of the game runtime"',
        "OUTPUT_DIRECTORY": q(out),
        "INPUT": " \\\n    ".join(q(p) for p in inputs),
        "FILE_PATTERNS": "*.h *.md *.dox",
        "FILTER_PATTERNS": q("*.h=" + sys.executable + " " + os.path.join(docs, "header_filter.py")),
        "USE_MDFILE_AS_MAINPAGE": q(os.path.join(docs, "overview.md")),
        "EXAMPLE_PATH": q(os.path.join(source, "examples")),
        "IMAGE_PATH": q(os.path.join(source, "examples")),
        "STRIP_FROM_PATH": q(source),
        "STRIP_FROM_INC_PATH": q(source),
        "FULL_PATH_NAMES": "YES",
        "JAVADOC_AUTOBRIEF": "YES",
        "EXTRACT_ALL": "NO",
        "EXTRACT_PRIVATE": "NO",
        "EXTRACT_STATIC": "NO",
        "HIDE_UNDOC_MEMBERS": "NO",
        "HIDE_UNDOC_CLASSES": "NO",
        "SORT_MEMBER_DOCS": "NO",
        "SHOW_INCLUDE_FILES": "YES",
        "SHOW_USED_FILES": "NO",
        "EXCLUDE_SYMBOLS": " ".join(internal_symbols(docs)),
        "ENABLE_PREPROCESSING": "YES",
        "MACRO_EXPANSION": "YES",
        "EXPAND_ONLY_PREDEF": "YES",
        # The text/number comparison operators are made by a macro; the
        # text commands describe them in prose.
        "PREDEFINED": q("RT_STRING_NUMBER_COMPARISONS(Number)="),
        "QUIET": "YES",
        "WARNINGS": "YES",
        "WARN_IF_UNDOCUMENTED": "YES",
        "WARN_IF_DOC_ERROR": "YES",
        "WARN_NO_PARAMDOC": "NO",
        "WARN_AS_ERROR": "NO",
        "WARN_LOGFILE": q(os.path.join(out, "warnings.txt")),
        "GENERATE_HTML": "YES",
        "HTML_OUTPUT": "html",
        "HTML_EXTRA_STYLESHEET": q(os.path.join(docs, "reference.css")),
        "HTML_COLORSTYLE_HUE": "210",
        "GENERATE_TREEVIEW": "NO",
        "DISABLE_INDEX": "NO",
        "SEARCHENGINE": "NO",
        "GENERATE_XML": "YES",
        "XML_OUTPUT": "xml",
        "XML_PROGRAMLISTING": "NO",
        "GENERATE_LATEX": "NO",
        "HAVE_DOT": "NO",
        "CLASS_GRAPH": "NO",
        "REFERENCED_BY_RELATION": "NO",
        "REFERENCES_RELATION": "NO",
        "SOURCE_BROWSER": "YES",
        "VERBATIM_HEADERS": "YES",
        "LAYOUT_FILE": q(os.path.join(docs, "layout.xml")),
    }
    path = os.path.join(out, "Doxyfile")
    with open(path, "w", encoding="utf-8") as f:
        for key, value in settings.items():
            f.write(f"{key} = {value}\n")
    return path


def copy_screenshots(source, destination):
    """examples/NAME/screenshot.png -> html/examples/NAME.png, for the
    examples page (Doxygen would copy pictures of one name over each
    other)."""
    os.makedirs(destination, exist_ok=True)
    examples = os.path.join(source, "examples")
    for name in sorted(os.listdir(examples)):
        picture = os.path.join(examples, name, "screenshot.png")
        if os.path.isfile(picture):
            shutil.copyfile(picture, os.path.join(destination, name + ".png"))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source = os.path.abspath(sys.argv[1])
    out = os.path.abspath(sys.argv[2])
    doxygen = shutil.which("doxygen")
    if not doxygen:
        sys.exit("build_reference: doxygen is not installed (scripts/deps.sh installs it)")
    for sub in ("html", "xml"):
        shutil.rmtree(os.path.join(out, sub), ignore_errors=True)
    os.makedirs(out, exist_ok=True)
    headers = public_headers(source)
    doxyfile = write_doxyfile(source, out, headers)
    run = subprocess.run([doxygen, doxyfile], cwd=out)
    if run.returncode != 0:
        sys.exit(f"build_reference: doxygen failed ({run.returncode})")
    with open(os.path.join(out, "warnings.txt"), encoding="utf-8") as f:
        warnings = [l for l in f.read().splitlines() if l.strip()]
    if warnings:
        print("\n".join(warnings), file=sys.stderr)
        sys.exit(f"build_reference: {len(warnings)} warning(s); every public command needs its comment")
    copy_screenshots(source, os.path.join(out, "html", "examples"))
    commands = cheatsheet.write(os.path.join(out, "xml"), os.path.join(out, "html", "cheatsheet.html"))
    with open(os.path.join(out, "commands.txt"), "w", encoding="utf-8") as f:
        f.write("".join(name + "\n" for name in commands))
    print(f"reference: {os.path.join(out, 'html', 'index.html')} ({len(commands)} commands)")


if __name__ == "__main__":
    main()
