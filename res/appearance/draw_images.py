#!/usr/bin/env python3
"""Draws the demo's scheme backgrounds as PNG files (run from this folder): a primary picture and a
smaller secondary one per scheme, made of gradients, hills, waves and a sun."""
import math
import struct
import zlib

W, H = 320, 200


def png(path, width, height, pixel):
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def night(x, y, w=W, h=H):
    sky = mix((6, 8, 20), (30, 34, 60), y / h)
    if (x * 7919 + y * 104729) % 211 == 0 and y < h * 0.6:
        sky = (220, 220, 240)
    hill = h * (0.72 + 0.08 * math.sin(x / w * 5.0))
    return mix(sky, (12, 14, 18), 1.0) if y > hill else sky


def day(x, y, w=W, h=H):
    sky = mix((250, 250, 252), (205, 222, 240), y / h)
    if (x - w * 0.78) ** 2 + (y - h * 0.25) ** 2 < (h * 0.1) ** 2:
        sky = (255, 226, 140)
    hill = h * (0.74 + 0.06 * math.sin(x / w * 4.0 + 1.0))
    return mix((170, 200, 150), (120, 160, 110), (y - hill) / h) if y > hill else sky


def ocean(x, y, w=W, h=H):
    sea = h * 0.55 + 4 * math.sin(x / 14.0)
    if y < sea:
        return mix((120, 180, 230), (40, 100, 170), y / sea)
    wave = 0.5 + 0.5 * math.sin(x / 9.0 + y / 3.0)
    return mix((20, 70, 130), (10, 40, 90), (y - sea) / (h - sea) * 0.8 + wave * 0.2)


def sunset(x, y, w=W, h=H):
    sky = mix((250, 180, 90), (120, 50, 110), y / (h * 0.7))
    if (x - w * 0.5) ** 2 + (y - h * 0.62) ** 2 < (h * 0.16) ** 2:
        sky = (255, 210, 120)
    return (40, 20, 40) if y > h * 0.7 else sky


for name, draw in (("black", night), ("white", day), ("ocean", ocean), ("sunset", sunset)):
    png(name + ".png", W, H, draw)
    png(name + "-osd.png", W // 2, H // 2, lambda x, y, d=draw: d(x, y, W // 2, H // 2))
