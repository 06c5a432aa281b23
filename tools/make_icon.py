#!/usr/bin/env python3
"""Draws the program's icon, a small treasure chest, and writes it as an .ico
with a 32x32 and a 16x16 image (32-bit BGRA with alpha plus the AND mask that
older readers use), or as a PNG of any size for desktop icon themes.

Rebuild the committed icon after changing this file:
    python3 tools/make_icon.py resources/quorvane31.ico
The installed theme icons are drawn at build time:
    python3 tools/make_icon.py --png 64 quorvane31-64.png
Look at it:
    convert 'resources/quorvane31.ico[0]' -scale 800% /tmp/icon32.png

Standard library only, so it runs wherever the build does. The output is a
pure function of this file: rerunning it gives the same bytes.
"""

import struct
import sys
import zlib

SUPERSAMPLE = 4  # samples per pixel along each axis, for smooth edges

OUTLINE = (58, 32, 14)
WOOD_DARK = (110, 62, 26)
WOOD_LIGHT = (168, 102, 48)
GOLD_DARK = (170, 118, 20)
GOLD_LIGHT = (250, 212, 80)
KEYHOLE = (40, 24, 10)


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def in_box(u, v, left, top, right, bottom):
    return left <= u < right and top <= v < bottom


def in_lid(u, v, inset):
    # A flat band under a half-ellipse: the chest's domed lid.
    left, right, top, bottom = 0.08 + inset, 0.92 - inset, 0.16 + inset, 0.47
    if not (left <= u < right and v < bottom):
        return False
    curve_base = 0.33
    if v >= curve_base:
        return True
    rx = (right - left) / 2
    ry = curve_base - top
    dx = (u - 0.5) / rx
    dy = (v - curve_base) / ry
    return dx * dx + dy * dy <= 1.0


def in_body(u, v, inset):
    return in_box(u, v, 0.08 + inset, 0.45 + inset, 0.92 - inset, 0.90 - inset)


def in_band(u):
    return 0.20 <= u < 0.29 or 0.71 <= u < 0.80


def sample(u, v, px):
    """Colour at unit coordinates (u, v), or None where the icon is clear.
    px is one pixel in unit coordinates, so outlines stay a pixel wide."""
    line = px * 0.9
    in_chest = in_lid(u, v, 0) or in_body(u, v, 0)
    if not in_chest:
        return None
    inner_lid = in_lid(u, v, line)
    inner_body = in_body(u, v, line)
    if not (inner_lid or inner_body):
        return OUTLINE
    # The seam between lid and body.
    if 0.45 <= v < 0.45 + line:
        return OUTLINE

    if inner_lid and v < 0.45:
        colour = lerp(WOOD_LIGHT, WOOD_DARK, (v - 0.16) / 0.29 * 0.6)
    else:
        colour = lerp(WOOD_LIGHT, WOOD_DARK, 0.3 + (v - 0.45) / 0.45 * 0.7)
        # Planks: a dark line between boards.
        if abs(v - 0.67) < line / 2:
            colour = WOOD_DARK

    if in_band(u):
        colour = lerp(GOLD_LIGHT, GOLD_DARK, v)
    if 0.47 <= v < 0.47 + max(line, 0.07):
        colour = lerp(GOLD_LIGHT, GOLD_DARK, 0.4)

    # The lock plate with its keyhole; at small sizes a plain plate and a slot,
    # since a framed plate would be all frame.
    if px > 1 / 20 and in_box(u, v, 0.38, 0.44, 0.63, 0.69):
        return KEYHOLE if in_box(u, v, 0.5, 0.5, 0.5 + px, 0.64) else GOLD_LIGHT
    if in_box(u, v, 0.40, 0.42, 0.60, 0.66):
        if not in_box(u, v, 0.40 + line, 0.42 + line, 0.60 - line, 0.66 - line):
            return GOLD_DARK
        keyhole_round = (u - 0.5) ** 2 + (v - 0.51) ** 2 <= (0.045 + px * 0.2) ** 2
        keyhole_slot = in_box(u, v, 0.5 - 0.02 - px * 0.3, 0.51, 0.5 + 0.02 + px * 0.3, 0.61)
        if keyhole_round or keyhole_slot:
            return KEYHOLE
        return GOLD_LIGHT
    return colour


def render(size):
    """Rows top-down of (r, g, b, a), straight alpha."""
    px = 1.0 / size
    rows = []
    n = SUPERSAMPLE
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = covered = 0
            for sy in range(n):
                for sx in range(n):
                    c = sample((x + (sx + 0.5) / n) * px, (y + (sy + 0.5) / n) * px, px)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        covered += 1
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                alpha = round(255 * covered / (n * n))
                row.append((round(r / covered), round(g / covered), round(b / covered), alpha))
        rows.append(row)
    return rows


def bmp_image(rows):
    """One icon image: BITMAPINFOHEADER (height doubled for the mask), BGRA
    rows bottom-up, then the 1-bit AND mask (set where fully clear)."""
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def ico(sizes):
    images = [bmp_image(render(s)) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def png(size):
    """An 8-bit RGBA PNG of the icon drawn at `size` pixels."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = bytearray()
    for row in render(size):
        raw.append(0)  # filter: none
        for pixel in row:
            raw += bytes(pixel)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main(argv):
    if len(argv) == 4 and argv[1] == "--png" and argv[2].isdigit() and int(argv[2]) > 0:
        data = png(int(argv[2]))
        path = argv[3]
    elif len(argv) == 2:
        data = ico([32, 16])
        path = argv[1]
    else:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico | make_icon.py --png SIZE OUTPUT.png\n")
        return 2
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
