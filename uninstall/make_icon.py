#!/usr/bin/env python3
"""Writes Uninstall.ico: a cardboard box with a red minus badge, at 32 and
16 pixels, 32-bit colour with alpha. The .ico is committed, so the build never
needs Python; run this again only to change the picture:

    python3 uninstall/make_icon.py uninstall/Uninstall.ico
"""
import struct
import sys

SAMPLES = 4  # sub-pixel samples per axis, for smooth edges

# Colours as (red, green, blue).
CARD = (214, 164, 98)
CARD_LID = (233, 191, 128)
CARD_EDGE = (120, 78, 34)
TAPE = (245, 226, 180)
BADGE = (214, 38, 38)
BADGE_EDGE = (128, 16, 16)
WHITE = (255, 255, 255)

# Each size has its own geometry so that edges fall on whole pixels.
# Rectangles are (left, top, right, bottom); circles are (x, y, radius).
GEOMETRY = {
    32: {
        "box": (2, 9, 26, 28),
        "lid": (1, 5, 27, 11),
        "tape": (12, 5, 16, 28),
        "badge": (22.5, 22.5, 8.5),
        "minus": (18, 21, 27, 24),
        "edge": 1.0,
    },
    16: {
        "box": (1, 5, 13, 15),
        "lid": (0, 3, 14, 6),
        "tape": (6, 3, 8, 15),
        "badge": (11.5, 11.5, 4.5),
        "minus": (9, 11, 14, 12),
        "edge": 1.0,
    },
}


def in_rect(r, x, y, inset=0.0):
    return r[0] + inset <= x < r[2] - inset and r[1] + inset <= y < r[3] - inset


def in_circle(c, x, y, inset=0.0):
    return (x - c[0]) ** 2 + (y - c[1]) ** 2 < (c[2] - inset) ** 2


def colour_at(g, x, y):
    """The colour of one sample point, or None where it is transparent."""
    e = g["edge"]
    if in_circle(g["badge"], x, y):
        if in_rect(g["minus"], x, y):
            return WHITE
        return BADGE if in_circle(g["badge"], x, y, e) else BADGE_EDGE
    if in_rect(g["lid"], x, y):
        if not in_rect(g["lid"], x, y, e):
            return CARD_EDGE
        return TAPE if in_rect(g["tape"], x, y) else CARD_LID
    if in_rect(g["box"], x, y):
        if not in_rect(g["box"], x, y, e):
            return CARD_EDGE
        return TAPE if in_rect(g["tape"], x, y) else CARD
    return None


def render(size):
    """Rows of (red, green, blue, alpha), top row first."""
    g = GEOMETRY[size]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(g, px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c:
                        covered += 1
                        for i in range(3):
                            total[i] += c[i]
            if covered:
                row.append(tuple(round(t / covered) for t in total) + (round(255 * covered / SAMPLES**2),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    """One icon image: a BITMAPINFOHEADER of twice the height, the colour
    rows bottom-up in BGRA, then the 1-bit AND mask (1 = transparent)."""
    rows = render(size)
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def icon_file(sizes):
    images = [icon_image(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as f:
        f.write(icon_file([32, 16]))
