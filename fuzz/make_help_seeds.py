#!/usr/bin/env python3
"""Writes the help file reader's fuzz seeds into fuzz/help-corpus/:

    fuzz/make_help_seeds.py [HALIBUT_HLP]

the writer's own files (tools/make_help.py) from the program's text, the
tests' text and small texts made here, and edge cases made from them:
records and formatting commands the writer never writes (a table, line
breaks, tabs, a picture, a macro, a jump into another file), a keyword
index of two levels, a cyclic B+ tree, a chain that ends at once, a cut
file. HALIBUT_HLP, when given, is copied in as halibut.hlp.
"""

import os
import shutil
import struct
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tools"))
import make_help as m  # noqa: E402

out = os.path.join(root, "fuzz", "help-corpus")


def compile_text(text):
    path = os.path.join(out, "source.tmp")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    try:
        return m.compile_help(path)[0]
    finally:
        os.remove(path)


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def content(hlp, name):
    directory = struct.unpack_from("<I", hlp, 4)[0]
    entry = hlp.index(name.encode() + b"\0", directory)
    return struct.unpack_from("<I", hlp, entry + len(name) + 1)[0] + 9


SMALL = "@file Small\n@topic top Top\nIntro. [[a|A]] and [[b|B]]\n@topic a A\n[[top|Back]]\n@topic b B\n@keywords k\n[[top|Back]]\n"


def record(kind, data1, data2, line):
    return m.Link(kind, m.cslong(len(data1)) + m.cushort(len(data2)) + data1, data2, line)


def with_commands():
    """The small file with a table in place of its first paragraph and its
    last made of commands the writer never writes."""
    real = m.paragraph_link
    plain = b"\x00\x80" + m.u16(0) + m.u16(0)
    # Spacing, indents, a border and two tabs (one right-aligned).
    rich = b"\x00\x80" + m.u16(0) + m.u16(0x0317) + m.cslong(0) + m.csshort(2) + m.csshort(-3) + m.csshort(300)
    rich += b"\x01" + m.u16(0) + m.csshort(2) + m.cushort(100) + m.cushort(0x4000 | 200) + m.cushort(1)
    pairs = [
        (b"", b"\x80" + m.u16(1)),
        (b"line", b"\x81"),
        (b"break", b"\x83"),
        (b"tab", b"\x86\x03" + m.cslong(4) + m.u16(0) + m.u16(1)),  # a picture by number
        (b"", b"\xc8" + m.u16(3) + b"X()"),  # a macro hotspot
        (b"mac", b"\x89"),
        (b"", b"\xef" + m.u16(5) + b"\x04" + m.u32(0)),  # a jump into another file
        (b"ext", b"\x89"),
        (b"nb", b"\x8b"),
        (b"sp", b"\x8c"),
        (b"end", b"\xff"),
    ]

    def paragraph_link(pieces, font, space_above, line):
        if pieces and pieces[0] == b"Intro. ":
            columns = b"\x02\x00" + m.u16(0) + m.u16(10) + m.u16(100) + m.u16(10) + m.u16(100)
            cell = lambda n: m.u16(n) + m.u16(0) + b"\x00" + plain + b"\x82\xff"
            return record(0x23, columns + cell(0) + cell(1) + m.u16(0xFFFF), b"cell one\0\0cell two\0\0", line)
        if line == 8:  # the last "[[top|Back]]"
            data2 = b"".join(s + b"\0" for s, _ in pairs)
            return record(0x20, rich + b"".join(c for _, c in pairs), data2, line)
        return real(pieces, font, space_above, line)

    m.paragraph_link = paragraph_link
    try:
        return compile_text(SMALL)
    finally:
        m.paragraph_link = real


def main():
    os.makedirs(out, exist_ok=True)
    write("program.hlp", m.compile_help(os.path.join(root, "docs", "help-ja.txt"))[0])
    write("tests.hlp", m.compile_help(os.path.join(root, "tests", "data", "help-test.txt"))[0])
    small = compile_text(SMALL)
    write("small.hlp", small)
    write("edge_commands.hlp", with_commands())
    keywords = "; ".join(f"keyword number {i:03}" for i in range(120))
    write("edge_two_level_keywords.hlp", compile_text(SMALL.replace("@keywords k", "@keywords " + keywords)))
    cyclic = bytearray(small)
    struct.pack_into("<H", cyclic, content(small, "|CONTEXT") + 38 + 6, 0)
    write("edge_cyclic_context.hlp", bytes(cyclic))
    ends = bytearray(small)
    struct.pack_into("<I", ends, content(small, "|TOPIC") + 12 + 12, 0xFFFFFFFF)
    write("edge_chain_ends_at_once.hlp", bytes(ends))
    cut = bytearray(small[:1000])
    struct.pack_into("<I", cut, 12, len(cut))
    write("edge_cut.hlp", bytes(cut))
    if len(sys.argv) > 1:
        shutil.copyfile(sys.argv[1], os.path.join(out, "halibut.hlp"))


if __name__ == "__main__":
    main()
