#!/usr/bin/env python3
"""Writes mainicon.ico: the 16 x 16, 16-colour application icon, a waveform cut by a
red marker on a navy tile. Run it again after changing the picture below."""
import os
import struct

# The standard 16-colour palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# One letter per pixel, top row first: . transparent, n navy, y yellow, r red, w white.
PICTURE = [
    "................",
    ".nnnnnnnnnnnnnn.",
    ".nnnnnnnnnrnnnn.",
    ".nnnnnnnnnrnnnn.",
    ".nnnynnnnnrnnnn.",
    ".nnnynnnynrnnnn.",
    ".nnyynnnyyrnynn.",
    ".nyyyynyyyryyyn.",
    ".yyyyyyyyyryyyy.",
    ".nyyyynyyyryyyn.",
    ".nnyynnnyyrnynn.",
    ".nnnynnnynrnnnn.",
    ".nnnynnnnnrnnnn.",
    ".nnnnnnnnnrnnnn.",
    ".nwwwwwwwwwwwwn.",
    "................",
]
COLOURS = {".": 0, "n": 4, "y": 11, "r": 9, "w": 15}


def icon_bytes():
    size = 16
    xor_rows = []
    and_rows = []
    for row in reversed(PICTURE):  # bitmaps are stored bottom-up
        pixels = [COLOURS[c] for c in row]
        xor_rows.append(bytes((pixels[i] << 4) | pixels[i + 1] for i in range(0, size, 2)))
        mask = 0
        for c in row:
            mask = (mask << 1) | (1 if c == "." else 0)
        and_rows.append(struct.pack(">H", mask) + b"\0\0")  # rows padded to 32 bits
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(image), 0, 0, 16, 0)
    body = header + palette + image
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(body), 6 + 16)
    return directory + entry + body


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mainicon.ico")
    with open(out, "wb") as f:
        f.write(icon_bytes())
