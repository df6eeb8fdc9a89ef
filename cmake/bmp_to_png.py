#!/usr/bin/env python3
"""Turns the 24-bit BMP pictures the Wine tests leave into PNG files:
bmp_to_png.py FROM_FOLDER TO_FOLDER. Standard library only."""
import struct
import sys
import zlib
from pathlib import Path


def bmp_to_png(source: Path, target: Path) -> None:
    data = source.read_bytes()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise SystemExit(f"{source}: {bits}-bit, only 24-bit pictures are read")
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    # Bottom-up BGR rows (a negative height is top-down).
    order = range(height - 1, -1, -1) if height > 0 else range(-height)
    for y in order:
        row = data[offset + y * stride: offset + y * stride + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind: bytes, body: bytes) -> bytes:
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)
    target.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                       chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def main() -> None:
    source, target = Path(sys.argv[1]), Path(sys.argv[2])
    target.mkdir(parents=True, exist_ok=True)
    pictures = sorted(source.glob("*.bmp"))
    if not pictures:
        raise SystemExit(f"no pictures in {source}")
    for picture in pictures:
        bmp_to_png(picture, target / (picture.stem + ".png"))
        print(target / (picture.stem + ".png"))


if __name__ == "__main__":
    main()
