#!/usr/bin/env python3
"""Writes the Windows program's bitmaps and icon from the drawn PNGs.

Run from any directory:  python3 resources/images/windows-images.py
Reads logo-133.png, update-134.png, update-136.png, icon-128.png and
icon-128-16.png beside this script and writes logo-133.bmp, update-134.bmp,
update-136.bmp (24-bit) and icon-128.ico (32 and 16 pixels, 32-bit with
alpha) there, which the resource script compiles in. Plain Python: the build
needs neither ImageMagick nor an imaging library, and the files are kept in
the repository, so it runs only when the PNGs change. The output is the same
byte for byte on every run.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def read_png(path):
    """Returns (width, height, rows) with rows of (r, g, b, a) tuples.

    Only what draw-images.py writes: 8 bits per channel, RGB or RGBA, not
    interlaced."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos = 8
    header = None
    compressed = b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        sys.exit(f"{path}: only 8-bit RGB or RGBA, not interlaced")
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(compressed)
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    at = 0
    for _ in range(height):
        kind = raw[at]
        line = bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            up_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else up_left
                line[i] = (line[i] + predictor) & 0xFF
        previous = line
        pixels = []
        for x in range(width):
            px = line[x * channels:(x + 1) * channels]
            pixels.append((px[0], px[1], px[2], px[3] if channels == 4 else 255))
        rows.append(pixels)
    return width, height, rows


def bgr_rows_bottom_up(width, rows, alpha):
    """Pixel rows as a DIB keeps them: bottom row first, each padded to 4 bytes."""
    out = bytearray()
    for pixels in reversed(rows):
        line = bytearray()
        for r, g, b, a in pixels:
            line += bytes((b, g, r, a)) if alpha else bytes((b, g, r))
        line += bytes(-len(line) % 4)
        out += line
    return bytes(out)


def write_bmp(png, bmp):
    width, height, rows = read_png(os.path.join(HERE, png))
    if any(a != 255 for pixels in rows for *_, a in pixels):
        sys.exit(f"{png}: a bitmap has no transparency")
    pixels = bgr_rows_bottom_up(width, rows, alpha=False)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(os.path.join(HERE, bmp), "wb") as f:
        f.write(header + info + pixels)


def icon_image(png):
    """One icon image: a 32-bit DIB of twice the height (colour, then the AND
    mask, set where the pixel is fully transparent)."""
    width, height, rows = read_png(os.path.join(HERE, png))
    colour = bgr_rows_bottom_up(width, rows, alpha=True)
    mask = bytearray()
    for pixels in reversed(rows):
        line = bytearray((width + 7) // 8)
        for x, (*_, a) in enumerate(pixels):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        line += bytes(-len(line) % 4)
        mask += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return width, height, info + colour + bytes(mask)


def write_ico(pngs, ico):
    images = [icon_image(png) for png in pngs]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for width, height, data in images:
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(os.path.join(HERE, ico), "wb") as f:
        f.write(directory + entries + b"".join(data for *_, data in images))


def main():
    write_bmp("logo-133.png", "logo-133.bmp")
    write_bmp("update-134.png", "update-134.bmp")
    write_bmp("update-136.png", "update-136.bmp")
    write_ico(["icon-128.png", "icon-128-16.png"], "icon-128.ico")


if __name__ == "__main__":
    main()
