#!/usr/bin/env python3
"""Draws the program's icons as 32-bit ICO files: the three clock faces
(green when monitoring, grey and struck through when not) and the two small
glyphs of the countdown's buttons (a green arrow to act now, a red cross to
cancel). Each comes in the sides a small icon takes at 100 % to 150 %
(16, 20, 24) and up, so that the tray and the buttons are drawn, not
stretched, at those scales. Run it to remake them."""
import math
import struct
import sys
from pathlib import Path


def draw(size, face, ring, badge):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    c = (size - 1) / 2.0
    r = size * 0.46
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d <= r:
                px[y][x] = ring if d > r - max(1.5, size / 12) else face
    # hands: hour to 10 o'clock, minute to 12
    def line(angle, length, width, colour):
        steps = int(length * 4)
        for i in range(steps):
            t = i / steps * length
            x = c + math.sin(angle) * t
            y = c - math.cos(angle) * t
            for dy in range(-width, width + 1):
                for dx in range(-width, width + 1):
                    xi, yi = int(round(x + dx / 2)), int(round(y + dy / 2))
                    if 0 <= xi < size and 0 <= yi < size:
                        px[yi][xi] = colour
    hand = (40, 40, 40, 255)
    line(0, r * 0.75, max(1, size // 24), hand)
    line(-math.pi / 3, r * 0.5, max(1, size // 20), hand)
    if badge == "slash":
        red = (210, 30, 30, 255)
        w = max(1, size // 14)
        for i in range(size * 4):
            t = i / (size * 4)
            x = size * 0.12 + t * size * 0.76
            y = size * 0.12 + t * size * 0.76
            for d in range(-w, w + 1):
                xi, yi = int(x + d / 2), int(y - d / 2)
                if 0 <= xi < size and 0 <= yi < size:
                    px[yi][xi] = red
    elif badge == "dot":
        g = (20, 170, 40, 255)
        br = size * 0.2
        bc = size - br - 1
        for y in range(size):
            for x in range(size):
                if math.hypot(x - bc, y - bc) <= br:
                    px[y][x] = g
    return px


def glyph(size, kind):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def dot(x, y, colour, w):
        for dy in range(-w, w + 1):
            for dx in range(-w, w + 1):
                xi, yi = int(round(x + dx / 2)), int(round(y + dy / 2))
                if 0 <= xi < size and 0 <= yi < size:
                    px[yi][xi] = colour

    def stroke(x0, y0, x1, y1, colour, w):
        steps = size * 4
        for i in range(steps + 1):
            t = i / steps
            dot(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, colour, w)

    s = size - 1
    if kind == "arrow":
        green = (20, 150, 40, 255)
        stroke(s * 0.15, s * 0.5, s * 0.8, s * 0.5, green, 2)
        stroke(s * 0.55, s * 0.22, s * 0.85, s * 0.5, green, 2)
        stroke(s * 0.55, s * 0.78, s * 0.85, s * 0.5, green, 2)
    else:
        red = (200, 30, 30, 255)
        stroke(s * 0.2, s * 0.2, s * 0.8, s * 0.8, red, 2)
        stroke(s * 0.8, s * 0.2, s * 0.2, s * 0.8, red, 2)
    return px


def ico(images):
    head = struct.pack("<HHH", 0, 1, len(images))
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for px in images:
        size = len(px)
        rows = b"".join(bytes(b for (r, g, bl, a) in reversed_row for b in (bl, g, r, a))
                        for reversed_row in reversed(px))
        mask_row = ((size + 31) // 32) * 4
        mask = b"\0" * (mask_row * size)
        bmp = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
        blob = bmp + rows + mask
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return head + entries + blobs


def main(out):
    styles = {
        "mainicon.ico": ((250, 250, 240, 255), (30, 90, 200, 255), None),
        "enashut.ico": ((235, 255, 235, 255), (20, 150, 40, 255), "dot"),
        "disshut.ico": ((215, 215, 215, 255), (120, 120, 120, 255), "slash"),
    }
    for name, (face, ring, badge) in styles.items():
        Path(out, name).write_bytes(ico([draw(s, face, ring, badge) for s in (16, 20, 24, 32, 40, 48)]))
    for name, kind in (("actnow.ico", "arrow"), ("cancelact.ico", "cross")):
        Path(out, name).write_bytes(ico([glyph(s, kind) for s in (16, 20, 24, 32)]))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else str(Path(__file__).parent))
