#!/usr/bin/env python3
"""The one-page cheatsheet: every command of the reference with its
signature and first sentence, grouped by subsystem, made from Doxygen's XML
so it lists exactly what the reference documents."""

import html
import os
import re
import xml.etree.ElementTree as ET


def text_of(node):
    return "".join(node.itertext()) if node is not None else ""


def squeeze(text):
    return re.sub(r"\s+", " ", text).strip()


def first_sentence(text, limit=170):
    text = squeeze(text)
    m = re.match(r"(.+?\.)(\s|$)", text)
    sentence = m.group(1) if m else text
    if len(sentence) > limit:
        sentence = sentence[:limit].rsplit(" ", 1)[0] + " …"
    return sentence


def group_order(xml_dir):
    """Groups in the order groups.dox defines them (Doxygen's index lists
    them that way too)."""
    index = ET.parse(os.path.join(xml_dir, "index.xml")).getroot()
    return [(c.get("refid"), text_of(c.find("name"))) for c in index.findall("compound")
            if c.get("kind") == "group"]


def read_group(xml_dir, refid):
    root = ET.parse(os.path.join(xml_dir, refid + ".xml")).getroot()
    compound = root.find("compounddef")
    title = squeeze(text_of(compound.find("title")))
    commands, types, constants = [], [], []
    for member in compound.iter("memberdef"):
        kind = member.get("kind")
        name = squeeze(text_of(member.find("name")))
        brief = first_sentence(text_of(member.find("briefdescription")) or
                               text_of(member.find("detaileddescription")))
        if kind == "function":
            signature = squeeze(text_of(member.find("type")) + " " + name +
                                text_of(member.find("argsstring")))
            signature = re.sub(r"\s+([&*]+)\s*(?=\w)", r"\1 ", signature)
            commands.append((name, signature, brief))
        elif kind in ("variable", "enum", "typedef"):
            constants.append((name, brief))
    for inner in compound.findall("innerclass"):
        types.append(squeeze(text_of(inner)))
    return title, commands, types, constants


PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<title>brakmor: cheatsheet</title>
<style>
body {{ font: 12px/1.35 "DejaVu Sans", sans-serif; margin: 12px 18px; color: #1b1f24; }}
h1 {{ font-size: 18px; margin: 0 0 4px; }}
p.lead {{ margin: 0 0 10px; color: #444; }}
main {{ column-width: 46em; column-gap: 24px; }}
section {{ break-inside: avoid-column; margin-bottom: 12px; }}
h2 {{ font-size: 14px; margin: 0 0 4px; padding: 2px 6px; background: #dde7f3; border-left: 4px solid #3d6fa8; }}
ul {{ list-style: none; margin: 0; padding: 0; }}
li {{ padding: 1px 0 1px 6px; border-bottom: 1px solid #eef1f4; break-inside: avoid; }}
code {{ font: 11.5px "DejaVu Sans Mono", monospace; }}
a {{ color: #1c4f8a; text-decoration: none; }}
span.b {{ color: #555; }}
p.more {{ margin: 3px 0 0 6px; color: #555; }}
</style></head><body>
<h1>brakmor cheatsheet</h1>
<p class="lead">Every command of <code>#include &lt;brakmor/runtime.h&gt;</code> ({count} of them),
grouped by subsystem. Colours are packed <code>red | green &lt;&lt; 8 | blue &lt;&lt; 16</code>,
angles are in degrees, times in milliseconds, 2D positions in logical screen pixels.
<a href="index.html">Overview</a> · <a href="modules.html">Reference by subsystem</a> ·
<a href="examples_page.html">Examples</a></p>
<main>
{sections}
</main></body></html>
"""


def write(xml_dir, out_path):
    """Writes the cheatsheet; returns the names of the commands it lists, in
    order (operators are listed on the page but have no name to return)."""
    sections = []
    names = []
    for refid, _ in group_order(xml_dir):
        title, commands, types, constants = read_group(xml_dir, refid)
        items = []
        for name, signature, brief in commands:
            if not name.startswith("operator"):
                names.append(name)
            items.append('<li><a href="{}.html"><code>{}</code></a> <span class="b">{}</span></li>'.format(
                refid, html.escape(signature), html.escape(brief)))
        more = ""
        if types:
            more += '<p class="more">Types: <code>{}</code></p>'.format(html.escape(", ".join(types)))
        if constants:
            more += '<p class="more">Constants: <code>{}</code></p>'.format(
                html.escape(", ".join(n for n, _ in constants)))
        sections.append('<section><h2><a href="{}.html">{}</a></h2><ul>\n{}\n</ul>{}</section>'.format(
            refid, html.escape(title), "\n".join(items), more))
    with open(out_path, "w", encoding="utf-8") as f:
        f.write(PAGE.format(count=len(names), sections="\n".join(sections)))
    return names
