#!/usr/bin/env python3
"""Compiles the program's help text into its help file.

    make_help.py SOURCE OUT_DIR

writes OUT_DIR/tavikfm.hlp (WinHelp 4.0, uncompressed, code page 932) and
OUT_DIR/tavikfm.cnt (the Help Topics contents), the same bytes every time
from the same source. The source is UTF-8 text, one statement a line:

    # a comment                      (blank lines are ignored too)
    @file <title>                    once, before the first topic
    @topic <context> <title>         starts a topic; the first is the contents
    @keywords <k1>; <k2>; ...        the topic's index entries
    any other line                   a paragraph of the topic, where
                                     [[<context>|<text>]] jumps to a topic

The build fails, naming the line, on a character outside code page 932, a
jump to an unknown topic, a context given twice, no topic at all, and a
contents topic that does not jump to every other topic or a topic that does
not jump back to it.
"""

import os
import re
import struct
import sys

HLP_NAME = "tavikfm.hlp"
CNT_NAME = "tavikfm.cnt"
LANGUAGE = 0x0411  # Japanese
SHIFTJIS_CHARSET = 128

# The faces and sizes of the text: the topic's heading and its paragraphs.
FACE = "MS PGothic"
TITLE_FONT, TEXT_FONT = 0, 1
FONTS = [  # (attributes: 1 bold, half points, family: 3 swiss)
    (1, 24, 3),
    (0, 20, 3),
]
DEFAULT_FONT_POINTS = 9
SPACE_ABOVE_PARAGRAPH = 6

BLOCK = 4096  # |TOPIC is cut into blocks of this size ...
BLOCK_HEADER = 12  # ... each starting with three TOPICPOS
BLOCK_DATA = BLOCK - BLOCK_HEADER
LINK_HEADER = 21
NONE = 0xFFFFFFFF

CONTEXT_RE = re.compile(r"[A-Za-z0-9_]+$")
JUMP_RE = re.compile(r"\[\[([^\[\]|]*)\|([^\[\]]*)\]\]")


class SourceError(Exception):
    pass


def u16(value):
    return struct.pack("<H", value & 0xFFFF)


def u32(value):
    return struct.pack("<I", value & 0xFFFFFFFF)


def stringz(data):
    return data + b"\0"


# --- The source --------------------------------------------------------------


class Topic:
    def __init__(self, line, context, title):
        self.line = line
        self.context = context
        self.title = title
        self.keywords = []  # (line, keyword)
        self.paragraphs = []  # (line, [text | (context, text)])


def read_source(path):
    with open(path, "rb") as f:
        raw = f.read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        raise SourceError(f"{path}: not UTF-8 (byte {e.start})")
    title = None
    topics = []

    def fail(number, message):
        raise SourceError(f"{path}:{number}: {message}")

    for number, line in enumerate(text.split("\n"), 1):
        line = line.rstrip("\r").rstrip()
        if not line.strip() or line.startswith("#"):
            continue
        if line.startswith("@"):
            word, _, rest = line.partition(" ")
            rest = rest.strip()
            if word == "@file":
                if title is not None:
                    fail(number, "@file given twice")
                if topics:
                    fail(number, "@file after the first topic")
                if not rest:
                    fail(number, "@file without a title")
                title = (number, rest)
            elif word == "@topic":
                context, _, topic_title = rest.partition(" ")
                topic_title = topic_title.strip()
                if not CONTEXT_RE.match(context):
                    fail(number, f"context {context!r} is not letters, digits and _")
                if not topic_title:
                    fail(number, f"topic {context} has no title")
                if "=" in topic_title:
                    fail(number, f"topic {context}: a title with '=' cannot stand in the contents file")
                topics.append(Topic(number, context, topic_title))
            elif word == "@keywords":
                if not topics:
                    fail(number, "@keywords before the first topic")
                for keyword in rest.split(";"):
                    if keyword.strip():
                        topics[-1].keywords.append((number, keyword.strip()))
            else:
                fail(number, f"unknown statement {word}")
            continue
        if not topics:
            fail(number, "text before the first topic")
        topics[-1].paragraphs.append((number, parse_paragraph(line, lambda m: fail(number, m))))
    if title is None:
        raise SourceError(f"{path}: no @file title")
    if not topics:
        raise SourceError(f"{path}: no topic")
    return title, topics


def parse_paragraph(line, fail):
    spans = []
    at = 0
    for match in JUMP_RE.finditer(line):
        if match.start() > at:
            spans.append(line[at : match.start()])
        context, text = match.group(1).strip(), match.group(2)
        if not CONTEXT_RE.match(context):
            fail(f"jump to {context!r}, which is no context")
        if not text.strip():
            fail(f"jump to {context} without text")
        spans.append((context, text))
        at = match.end()
    if at < len(line):
        spans.append(line[at:])
    for span in spans:
        if isinstance(span, str) and ("[[" in span or "]]" in span):
            fail("a [[ or ]] that is no jump [[context|text]]")
    return spans


def context_hash(context):
    """The help compiler's hash of a context name (letters, digits and _)."""
    value = 0
    for c in context.upper():
        if c.isdigit():
            code = 10 if c == "0" else ord(c) - ord("0")
        elif c == "_":
            code = 13
        else:
            code = ord(c) - ord("A") + 17
        value = (value * 43 + code) & 0xFFFFFFFF
    return value


def signed(value):
    return value - (1 << 32) if value & 0x80000000 else value


def check_topics(path, topics):
    by_context = {}
    by_hash = {}
    for topic in topics:
        key = topic.context.upper()
        if key in by_context:
            raise SourceError(
                f"{path}:{topic.line}: context {topic.context} given twice (first on line {by_context[key].line})"
            )
        by_context[key] = topic
        value = context_hash(topic.context)
        if value == 0 or value in by_hash:
            other = f"that of {by_hash[value].context}" if value in by_hash else "the contents' own"
            raise SourceError(f"{path}:{topic.line}: context {topic.context} has the same hash as {other}")
        by_hash[value] = topic
    targets = {}
    for topic in topics:
        targets[topic.context.upper()] = set()
        for line, spans in topic.paragraphs:
            for span in spans:
                if isinstance(span, tuple):
                    if span[0].upper() not in by_context:
                        raise SourceError(f"{path}:{line}: topic {topic.context}: jump to unknown topic {span[0]}")
                    targets[topic.context.upper()].add(span[0].upper())
    contents = topics[0]
    for topic in topics[1:]:
        if topic.context.upper() not in targets[contents.context.upper()]:
            raise SourceError(
                f"{path}:{contents.line}: the contents topic {contents.context} does not jump to {topic.context}"
            )
        if contents.context.upper() not in targets[topic.context.upper()]:
            raise SourceError(
                f"{path}:{topic.line}: topic {topic.context} does not jump back to the contents topic {contents.context}"
            )
    return by_context


def encoder(path, topic=None):
    def encode(text, line):
        # Python maps a few characters to others of the code page (WAVE
        # DASH to FULLWIDTH TILDE, ...): those do not read back either.
        where = f" topic {topic.context}:" if topic else ""
        for c in text:
            try:
                back = c.encode("cp932").decode("cp932")
            except UnicodeEncodeError:
                back = None
            if back != c:
                instead = f" (it would read back as U+{ord(back):04X} {back!r})" if back else ""
                raise SourceError(
                    f"{path}:{line}:{where} character U+{ord(c):04X} {c!r} is not in code page 932{instead}"
                )
        return text.encode("cp932")

    return encode


# --- |TOPIC ------------------------------------------------------------------


def cushort(value):
    return bytes([value * 2]) if value < 0x80 else u16(value * 2 + 1)


def csshort(value):
    return cushort(value + 64) if -64 <= value < 64 else cushort(value + 16384)


def cslong(value):
    return u16((value + 16384) * 2) if -16384 <= value < 16384 else u32((value + 67108864) * 2 + 1)


class Link:
    def __init__(self, kind, data1, data2, line, topic=None):
        self.kind = kind  # 2: topic header (LinkData1 filled in once laid out), 0x20: paragraph
        self.data1 = data1
        self.data2 = data2
        self.line = line
        self.topic = topic
        self.size = LINK_HEADER + (28 if kind == 2 else len(data1)) + len(data2)
        self.heading = None
        self.body = []


def paragraph_link(pieces, font, space_above, line):
    """A paragraph record: strings in LinkData2, each followed by the
    formatting command in LinkData1 that applies after it."""
    pairs = [(b"", b"\x80" + u16(font))]
    text = b""
    for piece in pieces:
        if isinstance(piece, bytes):
            text += piece
        else:
            target, hotspot = piece
            pairs += [(text, b"\xe3" + u32(target)), (hotspot, b"\x89")]
            text = b""
    pairs += [(text, b"\x82"), (b"", b"\xff")]
    data2 = b"".join(stringz(s) for s, _ in pairs)
    bits = 0x0002 if space_above else 0
    info = b"\x00\x80" + u16(0) + u16(bits) + (csshort(space_above) if space_above else b"")
    body = info + b"".join(c for _, c in pairs)
    return Link(0x20, cslong(len(body)) + cushort(len(data2)) + body, data2, line)


def build_links(path, topics, by_context):
    links = []
    for topic in topics:
        encode = encoder(path, topic)
        title = encode(topic.title, topic.line)
        header = Link(2, None, title, topic.line, topic)
        header.heading = paragraph_link([title], TITLE_FONT, 0, topic.line)
        body = []
        for line, spans in topic.paragraphs:
            pieces = []
            for span in spans:
                if isinstance(span, str):
                    pieces.append(encode(span, line))
                else:
                    pieces.append((context_hash(by_context[span[0].upper()].context), encode(span[1], line)))
            header.body.append(paragraph_link(pieces, TEXT_FONT, SPACE_ABOVE_PARAGRAPH, line))
        links += [header, header.heading] + header.body
    links.append(Link(2, None, b"", 0))  # the chain's last link, holding nothing
    for link in links:
        # At most one block boundary inside a link.
        if link.size > BLOCK_DATA:
            raise SourceError(f"{path}:{link.line}: a paragraph of {link.size} bytes; a topic block holds {BLOCK_DATA}")
    return links


def lay_out(links):
    """Places the links one after the other in the blocks' data and gives each
    its TOPICPOS (block * 0x4000 + 12 + offset in the block's data) and its
    TOPICOFFSET (block * 0x8000 + characters of the block's paragraphs
    before it)."""
    at = 0
    block = -1
    characters = 0
    for link in links:
        link.at = at
        link.block = at // BLOCK_DATA
        if link.block != block:
            block, characters = link.block, 0
        link.pos = link.block * 0x4000 + BLOCK_HEADER + at % BLOCK_DATA
        link.offset = link.block * 0x8000 + characters
        if link.kind != 2:
            characters += len(link.data2)
        at += link.size
    return at


def topic_file(links):
    size = lay_out(links)
    headers = [l for l in links if l.kind == 2]
    for number, link in enumerate(headers):
        next_header = headers[number + 1] if number + 1 < len(headers) else None
        topic_size = link.size + sum(l.size for l in ([link.heading] if link.heading else []) + link.body)
        link.data1 = (
            u32(topic_size)
            + u32(NONE)  # no browse sequence
            + u32(NONE)
            + u32(number)
            + u32(link.heading.pos if link.heading else NONE)  # the heading stays on top ...
            + u32(link.body[0].pos if link.body else NONE)  # ... and the paragraphs scroll
            + u32(next_header.pos if next_header else NONE)
        )
    data = bytearray()
    for i, link in enumerate(links):
        previous = links[i - 1].pos if i else NONE
        following = links[i + 1].pos if i + 1 < len(links) else NONE
        data += u32(link.size) + u32(len(link.data2)) + u32(previous) + u32(following)
        data += u32(LINK_HEADER + len(link.data1)) + bytes([link.kind]) + link.data1 + link.data2
    assert len(data) == size
    blocks = (size + BLOCK_DATA - 1) // BLOCK_DATA
    out = bytearray()
    for b in range(blocks):
        before = [l for l in links if l.at < b * BLOCK_DATA]
        starting = [l for l in links if l.block == b and l.at >= b * BLOCK_DATA]
        headers = [l for l in before if l.kind == 2]
        out += u32(before[-1].pos if before else NONE)
        out += u32(starting[0].pos if starting else NONE)
        out += u32(headers[-1].pos if headers else NONE)
        chunk = data[b * BLOCK_DATA : (b + 1) * BLOCK_DATA]
        out += chunk + bytes(BLOCK_DATA - len(chunk))  # the last block written whole
    return bytes(out)


# --- B+ trees and the container --------------------------------------------


def btree(entries, keys, structure, page_size=0x800, flags=0x0002):
    """A B+ tree of leaf entries (bytes, sorted) with the index key of each
    entry, pages filled in order; index pages above the leaves up to one root."""
    pages = []
    firsts = []  # (key, page) of each page of the level below
    page = []
    for entry, key in zip(entries, keys):
        assert len(entry) <= page_size - 8
        if page and sum(len(e) for e in page) + len(entry) > page_size - 8:
            pages.append(page)
            page = []
        if not page:
            firsts.append((key, len(pages)))
        page.append(entry)
    pages.append(page)
    if not firsts:
        firsts.append((b"", 0))
    leaves = len(pages)
    out = []
    for number, entries_ in enumerate(pages):
        used = sum(len(e) for e in entries_)
        previous = number - 1 if number else 0xFFFF
        following = number + 1 if number + 1 < leaves else 0xFFFF
        out.append(u16(page_size - 8 - used) + u16(len(entries_)) + u16(previous) + u16(following) + b"".join(entries_))
    levels = 1
    level = firsts
    while len(level) > 1:
        levels += 1
        above = []
        i = 0
        while i < len(level):
            first_key, first_page = level[i]
            above.append((first_key, len(out)))
            entries_ = []
            i += 1
            while i < len(level) and sum(len(e) for e in entries_) + len(level[i][0]) + 2 <= page_size - 6:
                entries_.append(level[i][0] + u16(level[i][1]))
                i += 1
            used = sum(len(e) for e in entries_)
            out.append(u16(page_size - 6 - used) + u16(len(entries_)) + u16(first_page) + b"".join(entries_))
        level = above
    header = (
        u16(0x293B)
        + u16(flags)
        + u16(page_size)
        + structure.encode().ljust(16, b"\0")
        + u16(0)
        + u16(len(out) - levels)  # page splits
        + u16(len(out) - 1)  # the root page
        + u16(0xFFFF)
        + u16(len(out))
        + u16(levels)
        + u32(len(entries))
    )
    return header + b"".join(p.ljust(page_size, b"\0") for p in out), pages


def container(files):
    """The help file: its header, the internal files, and the directory of
    their names last."""
    names = sorted(files, key=lambda n: n.encode())
    at = 16
    offsets = {}
    for name in names:
        offsets[name] = at
        at += 9 + len(files[name])
    entries = [stringz(n.encode()) + u32(offsets[n]) for n in names]
    directory, _ = btree(entries, [stringz(n.encode()) for n in names], "z4", 0x400, 0x0402)
    total = at + 9 + len(directory)
    out = u32(0x00035F3F) + u32(at) + u32(NONE) + u32(total)
    for content in [files[n] for n in names] + [directory]:
        out += u32(len(content) + 9) + u32(len(content)) + b"\0" + content
    assert len(out) == total
    return out


def system_file(title, contents_offset):
    def record(kind, data):
        return u16(kind) + u16(len(data)) + data

    return (
        u16(0x036C)
        + u16(33)  # WinHelp 4.0
        + u16(1)
        + u32(0)  # no date: the same bytes every time
        + u16(0)  # uncompressed, 4 KiB topic blocks
        + record(1, stringz(title))
        + record(3, u32(contents_offset))
        + record(9, bytes(8) + u16(LANGUAGE))
        + record(10, stringz(CNT_NAME.encode()))
        + record(11, u16(SHIFTJIS_CHARSET))
        + record(12, bytes([DEFAULT_FONT_POINTS, SHIFTJIS_CHARSET]) + stringz(FACE.encode()))
    )


def font_file():
    faces = [FACE.encode().ljust(32, b"\0")]
    header = u16(len(faces)) + u16(len(FONTS)) + u16(8) + u16(8 + 32 * len(faces))
    descriptors = b"".join(bytes([a, p, f]) + u16(0) + bytes(6) for a, p, f in FONTS)
    return header + b"".join(faces) + descriptors


def keyword_files(path, topics, headers):
    where = {}
    for topic, header in zip(topics, headers):
        encode = encoder(path, topic)
        for line, keyword in topic.keywords:
            offsets = where.setdefault(encode(keyword, line), [])
            if header.offset not in offsets:
                offsets.append(header.offset)
    order = sorted(where, key=lambda k: ("".join(c.lower() if c.isascii() else c for c in k.decode("cp932")), k))
    data = b""
    entries = []
    for keyword in order:
        entries.append(stringz(keyword) + u16(len(where[keyword])) + u32(len(data)))
        data += b"".join(u32(o) for o in where[keyword])
    tree, pages = btree(entries, [stringz(k) for k in order], "F24")
    first = 0
    kwmap = u16(len(pages))
    for number, page in enumerate(pages):
        kwmap += u32(first) + u16(number)
        first += len(page)
    return tree, data, kwmap


def compile_help(path):
    (title_line, title), topics = read_source(path)
    by_context = check_topics(path, topics)
    title_bytes = encoder(path)(title, title_line)
    links = build_links(path, topics, by_context)
    files = {"|TOPIC": topic_file(links)}
    headers = [l for l in links if l.kind == 2 and l.topic]
    by_hash = sorted(headers, key=lambda h: signed(context_hash(h.topic.context)))
    files["|CONTEXT"], _ = btree(
        [u32(context_hash(h.topic.context)) + u32(h.offset) for h in by_hash],
        [u32(context_hash(h.topic.context)) for h in by_hash],
        "L4",
    )
    files["|TTLBTREE"], _ = btree([u32(h.offset) + stringz(h.data2) for h in headers], [u32(h.offset) for h in headers], "Lz")
    files["|KWBTREE"], files["|KWDATA"], files["|KWMAP"] = keyword_files(path, topics, headers)
    files["|CTXOMAP"] = u16(0)
    files["|SYSTEM"] = system_file(title_bytes, headers[0].offset)
    files["|FONT"] = font_file()
    cnt = f":Base {HLP_NAME}\r\n:Title {title}\r\n" + "".join(f"1 {t.title}={t.context}\r\n" for t in topics)
    return container(files), cnt.encode("cp932")


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: make_help.py SOURCE OUT_DIR\n")
        return 2
    try:
        hlp, cnt = compile_help(argv[1])
    except (SourceError, OSError) as e:
        sys.stderr.write(f"make_help.py: {e}\n")
        return 1
    os.makedirs(argv[2], exist_ok=True)
    for name, data in ((HLP_NAME, hlp), (CNT_NAME, cnt)):
        with open(os.path.join(argv[2], name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
