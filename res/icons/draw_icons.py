#!/usr/bin/env python3
"""Draws the 16x16 icons of this program as PNG files (run from this folder): the four arrows of
the move buttons and the administrator shield used where the theme has none.

o = outline, f = fill, . = transparent. The down arrow is the up arrow turned upside down."""
import struct
import zlib

UP = [
    "................",
    ".......oo.......",
    "......offo......",
    ".....offffo.....",
    "....offffffo....",
    "...offffffffo...",
    "..oooofffffooo..",
    ".....offffo.....",
    ".....offffo.....",
    ".....offffo.....",
    ".....offffoooo..",
    ".....offfffffo..",
    "......offffffo..",
    ".......ooooooo..",
    "................",
    "................",
]

SHIELD = [
    "................",
    ".......oo.......",
    ".....oobboo.....",
    "..ooobbbyyyooo..",
    "..obbbbbyyyyyo..",
    "..obbbbbyyyyyo..",
    "..obbbbbyyyyyo..",
    "..obbbbbyyyyyo..",
    "..oyyyyybbbbbo..",
    "..oyyyyybbbbbo..",
    "...oyyyybbbbo...",
    "...oyyyybbbbo...",
    "....oyyybbbo....",
    ".....ooybbo.....",
    ".......oo.......",
    "................",
]

COLOURS = {
    "shield": {"o": (0x30, 0x30, 0x30, 255), "b": (0x2A, 0x5D, 0xB0, 255),
               "y": (0xF2, 0xC2, 0x1B, 255)},
    "enabled": {"o": (0x1F, 0x3A, 0x60, 255), "f": (0x4A, 0x86, 0xC8, 255)},
    "disabled": {"o": (0x80, 0x80, 0x80, 255), "f": (0xC8, 0xC8, 0xC8, 255)},
}


def png(rows, palette):
    raw = b"".join(
        b"\x00" + b"".join(bytes(palette.get(c, (0, 0, 0, 0))) for c in row) for row in rows
    )

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", 16, 16, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# Icon ids: 138 up, 135 up greyed, 137 down, 136 down greyed; the shield has no id.
for name, rows, state in [("138", UP, "enabled"), ("135", UP, "disabled"),
                          ("137", UP[::-1], "enabled"), ("136", UP[::-1], "disabled"),
                          ("shield", SHIELD, "shield")]:
    with open(name + ".png", "wb") as out:
        out.write(png(rows, COLOURS[state]))
