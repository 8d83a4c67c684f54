#!/usr/bin/env python3
"""Writes the program icon, src/app/tavikfm.ico: one 32x32 image in the 16
colours of the standard Windows palette, with a transparency mask.

The design: a blue card with a white sheet on it (a patient file), a red
cross on the sheet and a green arrow at the lower right pointing into the
card (the file taken in).

    python3 tools/make_icon.py [OUTPUT]
"""
import struct
import sys

# The 16-colour palette (VGA order), as (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Palette indices by letter; '.' is transparent.
COLOURS = {'k': 0, 'r': 9, 'g': 2, 'G': 10, 'b': 4, 'B': 12, 's': 7, 'd': 8, 'w': 15, 'c': 6}

ART = [
    "................................",
    "..dddddddddddddddddddddddddddd..",
    ".dBBBBBBBBBBBBBBBBBBBBBBBBBBBBd.",
    ".dBBBBBBBBBBBBBBBBBBBBBBBBBBBBd.",
    ".dBBBwwwwwwwwwwwwwwwwwwBBBBBBBd.",
    ".dBBBwwwwwwwwwwwwwwwwwswBBBBBBd.",
    ".dBBBwwwwwwwwwwwwwwwwwsswBBBBBd.",
    ".dBBBwwwwwwwwrrrwwwwwwssswBBBBd.",
    ".dBBBwwwwwwwwrrrwwwwwwwwwwBBBBd.",
    ".dBBBwwwwwwwwrrrwwwwwwwwwwBBBBd.",
    ".dBBBwwwwwrrrrrrrrrwwwwwwwBBBBd.",
    ".dBBBwwwwwrrrrrrrrrwwwwwwwBBBBd.",
    ".dBBBwwwwwrrrrrrrrrwwwwwwwBBBBd.",
    ".dBBBwwwwwwwwrrrwwwwwwwwwwBBBBd.",
    ".dBBBwwwwwwwwrrrwwwwwwwwwwBBBBd.",
    ".dBBBwwwwwwwwrrrwwwwwwwwwwBBBBd.",
    ".dBBBwwwwwwwwwwwwwwwwwwwwwBBBBd.",
    ".dBBBwwkkkkkkkkkkkkkkkwwwwBBBBd.",
    ".dBBBwwwwwwwwwwwwwwwwwwwwwBBBBd.",
    ".dBBBwwkkkkkkkkkkkkwwwwwwwBBBBd.",
    ".dBBBwwwwwwwwwwwwwwwwwwwwwBBBBd.",
    ".dBBBwwkkkkkkkkkkkkkkwwwwGGBBBd.",
    ".dBBBwwwwwwwwwwwwwwwwwwwGGGBBBd.",
    ".dBBBwwkkkkkkkkkwwwwwwwGGGGBBBd.",
    ".dBBBwwwwwwwwwwwwwwwwwGGGGGGGGd.",
    ".dBBBwwwwwwwwwwwwwwwwGGGGGGGGGd.",
    ".dBBBwwwwwwwwwwwwwwwwwGGGGGGGGd.",
    ".dBBBBBBBBBBBBBBBBBBBBBGGGGBBBd.",
    ".dBBBBBBBBBBBBBBBBBBBBBBGGGBBBd.",
    ".dBBBBBBBBBBBBBBBBBBBBBBBGGBBBd.",
    "..dddddddddddddddddddddddddddd..",
    "................................",
]


def build():
    assert len(ART) == 32 and all(len(row) == 32 for row in ART)
    width = height = 32
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 4, 0,
                         width * height // 2 + height * 4, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(ART):  # bottom-up
        indices = [COLOURS.get(ch, 0) for ch in row]
        for i in range(0, width, 2):
            xor.append((indices[i] << 4) | indices[i + 1])
        bits = 0
        for i, ch in enumerate(row):
            if ch == '.':
                bits |= 1 << (31 - i)
        mask += struct.pack('>I', bits)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', width, height, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else 'src/app/tavikfm.ico'
    with open(out, 'wb') as f:
        f.write(build())
