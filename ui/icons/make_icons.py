#!/usr/bin/env python3
"""Draws the icons of values and writes them as .ico files.

    make_icons.py [--preview DIR]

values.ico  the program's icon: a main scale and two shorter scales whose
            markers line up, as the compressed values follow the local value
            (48, 32 and 16 pixels, drawn for each size).
edit.ico    a pencil, and delete.ico, a red cross: the row buttons' pictures,
            drawn pixel by pixel at 11 x 12 (the size the program loads at
            100 %) and at 16 x 16, and from shapes at 14 x 15, 17 x 18 and
            22 x 24 (the sizes it loads at 125, 150 and 200 %).
edit-built-in.ico, delete-built-in.ico
            the same images, all PNG-compressed: values.exe carries them for
            a folder that lacks the two files.

Every image is 32-bit with alpha and carries an AND mask for older systems,
except the 48-pixel image of values.ico: it is PNG-compressed (Windows Vista
and later read that), a ninth of its size as a bitmap, which keeps
values.exe small. The 32 and 16-pixel images, the ones values loads at
every start, stay bitmaps, which need no PNG decoder to be loaded.
Only the Python standard library is used; the .ico files are committed, so
the build never needs Python. --preview also writes enlarged PNG sheets.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------------------
# Pixel art: one character a pixel, rows top to bottom.

PENCIL_PALETTE = {
    ".": (0, 0, 0, 0),
    "k": (64, 48, 36, 255),  # outline
    "g": (40, 40, 40, 255),  # graphite
    "w": (240, 206, 150, 255),  # bare wood
    "W": (205, 160, 100, 255),  # wood in shade
    "Y": (255, 226, 110, 255),  # body, lit side
    "y": (247, 190, 30, 255),  # body
    "o": (215, 140, 20, 255),  # body, shaded side
    "s": (214, 218, 224, 255),  # ferrule
    "S": (140, 148, 160, 255),  # ferrule in shade
    "p": (245, 150, 165, 255),  # eraser
    "P": (205, 95, 115, 255),  # eraser in shade
}

EDIT_11x12 = [
    "......kkk..",
    ".....kppPk.",
    "....kspPPk.",
    "...kssSSk..",
    "..kYysSk...",
    ".kYyook....",
    "kYyook.....",
    "kyook......",
    "kwok.......",
    "kwWk.......",
    "kgk........",
    "kk.........",
]

EDIT_16 = [
    "...........kkk..",
    "..........kppPk.",
    ".........kpppPPk",
    "........kSspPPk.",
    ".......kYssSSk..",
    "......kYyyoSk...",
    ".....kYyyook....",
    "....kYyyook.....",
    "...kYyyook......",
    "..kYyyook.......",
    "..kwyook........",
    ".kwwWok.........",
    ".kwwWk..........",
    ".kgWk...........",
    ".kgk............",
    ".kk.............",
]

CROSS_PALETTE = {
    ".": (0, 0, 0, 0),
    "k": (150, 20, 20, 255),  # dark red edge
    "r": (225, 40, 35, 255),  # red
    "h": (250, 110, 95, 255),  # highlight
    ",": (150, 20, 20, 90),  # soft edge
}

DELETE_11x12 = [
    "...........",
    ".,k,...,k,.",
    ".khr,.,hrk.",
    ".,rhr,hrr,.",
    "..,rrhrr,..",
    "...,rrr,...",
    "...,rrr,...",
    "..,rrrrr,..",
    ".,rrr,rrr,.",
    ".krr,.,rrk.",
    ".,k,...,k,.",
    "...........",
]

DELETE_16 = [
    "................",
    "................",
    "..,k,......,k,..",
    "..khr,....,hrk..",
    "..,rhr,..,hrr,..",
    "...,rhr,,hrr,...",
    "....,rhrhrr,....",
    ".....,rrrr,.....",
    ".....,rrrr,.....",
    "....,rrr,rr,....",
    "...,rrr,,rrr,...",
    "..,rrr,..,rrr,..",
    "..krr,....,rrk..",
    "..,k,......,k,..",
    "................",
    "................",
]


# The scaled sizes the program asks for at 125, 150 and 200 % (11 x 12 at
# 100 %): drawn from shapes, since pixel art does not scale. Other scales
# get the nearest of these, stretched by the system.
ROW_ICON_SCALED_SIZES = [(14, 15), (17, 18), (22, 24)]


def shape_art(width, height, layers):
    """Draws layers of (shape, colour) over a transparent width x height image.
    Shapes take the point in a unit square that fits the image, centred, with
    y down; each pixel is sampled SAMPLES x SAMPLES times."""
    unit = min(width, height)
    dx, dy = (width - unit) / 2, (height - unit) / 2
    pixels = [[(0, 0, 0, 0)] * width for _ in range(height)]
    for shape, color in layers:
        for py in range(height):
            for px in range(width):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        x = (px + (sx + 0.5) / SAMPLES - dx) / unit
                        y = (py + (sy + 0.5) / SAMPLES - dy) / unit
                        if shape(x, y, 1 / unit):
                            hits += 1
                if hits:
                    pixels[py][px] = over(pixels[py][px], color, hits / SAMPLES**2)
    return width, height, [[tuple(int(round(c)) for c in p) for p in row] for row in pixels]


def along(x0, y0, x1, y1):
    """The point's position along the segment (0 at its start, 1 at its end)
    and its signed distance from the segment's line, in unit lengths."""
    length = ((x1 - x0) ** 2 + (y1 - y0) ** 2) ** 0.5
    ux, uy = (x1 - x0) / length, (y1 - y0) / length

    def measure(x, y):
        return ((x - x0) * ux + (y - y0) * uy) / length, (x - x0) * -uy + (y - y0) * ux

    return measure, length


def pencil(width, height):
    """The pencil of the 11 x 12 art, lying from its tip at the bottom left to
    its eraser at the top right."""
    measure, length = along(0.08, 0.92, 0.88, 0.12)
    half = 0.17
    cone = 0.24  # the sharpened part, as a share of the length

    def part(start, end, side=None, inset=0.0):
        def shape(x, y, pixel):
            t, v = measure(x, y)
            d = inset * pixel
            if not (start + d / length <= t <= end - d / length):
                return False
            reach = half * min(t / cone, 1) - d
            if side == "lit":
                return -reach <= v <= -reach / 3
            if side == "shade":
                return reach / 3 <= v <= reach
            return abs(v) <= reach

        return shape

    p = PENCIL_PALETTE
    return shape_art(width, height, [
        (part(0, 1), p["k"]),  # the outline: the whole pencil, then its parts inset
        (part(0.0, cone, inset=0.8), p["w"]),
        (part(0.0, cone, side="shade", inset=0.8), p["W"]),
        (part(0.0, 0.09), p["g"]),
        (part(cone, 0.72, inset=0.8), p["y"]),
        (part(cone, 0.72, side="lit", inset=0.8), p["Y"]),
        (part(cone, 0.72, side="shade", inset=0.8), p["o"]),
        (part(0.72, 0.82, inset=0.8), p["s"]),
        (part(0.72, 0.82, side="shade", inset=0.8), p["S"]),
        (part(0.82, 1, inset=0.8), p["p"]),
        (part(0.82, 1, side="shade", inset=0.8), p["P"]),
    ])


def cross(width, height):
    """The red cross of the 11 x 12 art: two strokes with a dark edge, and a
    highlight along one side of the stroke that falls to the right."""
    strokes = [along(0.17, 0.17, 0.83, 0.83)[0], along(0.83, 0.17, 0.17, 0.83)[0]]
    half = 0.12

    def stroke(inset=0.0, band=None):
        def shape(x, y, pixel):
            for measure in strokes[:1] if band else strokes:
                t, v = measure(x, y)
                reach = half - inset * pixel
                if 0 <= t <= 1 and abs(v) <= reach:
                    if band is None or band[0] * reach <= v <= band[1] * reach:
                        return True
            return False

        return shape

    p = CROSS_PALETTE
    return shape_art(width, height, [
        (stroke(), p["k"]),
        (stroke(inset=0.8), p["r"]),
        (stroke(inset=0.8, band=(0.3, 1)), p["h"]),
    ])


def from_art(rows, palette):
    width = len(rows[0])
    assert all(len(row) == width for row in rows), "ragged pixel art"
    return width, len(rows), [[palette[c] for c in row] for row in rows]


# ---------------------------------------------------------------------------
# The program's icon, drawn from shapes with 8 x 8 samples a pixel.

SAMPLES = 8


def over(dst, color, coverage):
    """Composites a straight-alpha colour over a straight-alpha pixel."""
    a = color[3] / 255 * coverage
    if a <= 0:
        return dst
    da = dst[3] / 255
    oa = a + da * (1 - a)
    rgb = [(color[i] * a + dst[i] * da * (1 - a)) / oa for i in range(3)]
    return (rgb[0], rgb[1], rgb[2], oa * 255)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def vertical(top_color, bottom_color, y0, y1):
    """A colour that runs from top_color at y0 to bottom_color at y1."""

    def color(x, y):
        t = min(max((y - y0) / (y1 - y0), 0), 1)
        return tuple(top_color[i] + (bottom_color[i] - top_color[i]) * t for i in range(4))

    return color


def paint(pixels, shape, color, box):
    """Paints one shape, sampling only the pixels of its bounding box."""
    x0, y0, x1, y1 = box
    size = len(pixels)
    for py in range(max(0, int(y0)), min(size, int(y1) + 1)):
        for px in range(max(0, int(x0)), min(size, int(x1) + 1)):
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    if shape(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES):
                        hits += 1
            if hits:
                fill = color(px + 0.5, py + 0.5) if callable(color) else color
                pixels[py][px] = over(pixels[py][px], fill, hits / SAMPLES**2)


TILE_TOP = (86, 150, 230, 255)
TILE_BOTTOM = (26, 74, 156, 255)
TILE_EDGE = (16, 48, 108, 255)
TRACK = (236, 243, 252, 255)
TRACK_SHADE = (10, 30, 70, 110)
GUIDE = (255, 255, 255, 120)
KNOB_TOP = (255, 196, 90, 255)
KNOB_BOTTOM = (240, 130, 0, 255)
KNOB_EDGE = (130, 60, 0, 255)
TICK = (200, 220, 245, 255)

# Per size: tile corner radius, track thickness, the three tracks as
# (top, left, right), the marker column's centre and the markers' width and
# height. The markers sit at the same fraction (about 0.64) of every track, so
# they line up on one column; the numbers put edges on whole pixels.
VALUES_LAYOUTS = {
    48: dict(radius=8, thick=4, column=28.5, marker=(7, 10),
             tracks=[(11, 7, 41), (23, 13, 37), (35, 18, 34)]),
    32: dict(radius=6, thick=3, column=19.5, marker=(5, 7),
             tracks=[(7, 4, 28), (15, 9, 25), (23, 12, 23)]),
    16: dict(radius=3, thick=2, column=9.5, marker=(3, 4),
             tracks=[(2, 2, 14), (7, 4, 13), (12, 6, 12)]),
}


def values_icon(size):
    layout = VALUES_LAYOUTS[size]
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    whole = (0, 0, size, size)
    edge = 0 if size == 16 else 1
    tile = rounded_rect(edge, edge, size - edge, size - edge, layout["radius"])
    paint(pixels, tile, TILE_EDGE, whole)
    paint(
        pixels,
        rounded_rect(edge + 1, edge + 1, size - edge - 1, size - edge - 1, layout["radius"] - 1),
        vertical(TILE_TOP, TILE_BOTTOM, edge, size - edge),
        whole,
    )

    thick = layout["thick"]
    column = layout["column"]
    # The column the markers share, faint, behind the tracks.
    top = layout["tracks"][0][0] - 2
    bottom = layout["tracks"][-1][0] + thick + 2
    if size > 16:
        paint(pixels, lambda x, y: abs(x - column) <= 0.5 and top <= y <= bottom, GUIDE, whole)

    for index, (y, left, right) in enumerate(layout["tracks"]):
        end = thick / 2
        # A soft shadow under each track, then the track with round ends.
        if size > 16:
            paint(pixels, rounded_rect(left, y + 1, right, y + thick + 1, end), TRACK_SHADE, whole)
        paint(pixels, rounded_rect(left, y, right, y + thick, end), TRACK, whole)
        # Ticks under the main scale mark it as the one the others follow.
        if index == 0 and size > 16:
            for k in range(5):
                tx = left + end + (right - left - thick) * k / 4
                tx = int(tx) + 0.5
                paint(
                    pixels,
                    lambda x, y, tx=tx, ty=y + thick + 1: abs(x - tx) <= 0.5
                    and ty <= y <= ty + thick / 2 + 1,
                    TICK,
                    whole,
                )

    width, height = layout["marker"]
    for y, left, right in layout["tracks"]:
        x0, y0 = column - width / 2, y + thick / 2 - height / 2
        corner = min(width, height) / 3
        paint(pixels, rounded_rect(x0, y0, x0 + width, y0 + height, corner), KNOB_EDGE, whole)
        paint(
            pixels,
            rounded_rect(x0 + 1, y0 + 1, x0 + width - 1, y0 + height - 1, max(corner - 1, 0)),
            vertical(KNOB_TOP, KNOB_BOTTOM, y0, y0 + height),
            whole,
        )

    return size, size, [[tuple(int(round(c)) for c in p) for p in row] for row in pixels]


# ---------------------------------------------------------------------------
# File formats.


def ico_image(width, height, pixels):
    """One icon image: a BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            # Fully transparent pixels carry no colour, so that systems that
            # ignore alpha draw nothing there.
            xor += bytes((b, g, r, a)) if a else bytes(4)
    mask_stride = (width + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def ico_file(images, compress_above=None):
    """Images wider than compress_above pixels are stored PNG-compressed."""
    data = [
        png_file(*image) if compress_above is not None and image[0] > compress_above
        else ico_image(*image)
        for image in images
    ]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (width, height, _), blob in zip(images, data):
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in data:
        out += blob
    return bytes(out)


def png_file(width, height, pixels):
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)

    def chunk(kind, body):
        crc = zlib.crc32(kind + body)
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)

    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def preview_sheet(images, scale=10):
    """Each image at its real size on button face and on white, then enlarged
    on a checkerboard, side by side."""
    gap = 8
    width = gap + sum(max(w * scale, w * 2 + gap) + gap for w, _, _ in images)
    height = gap + max(h for _, h, _ in images) + gap + max(h * scale for _, h, _ in images) + gap
    sheet = [[(128, 128, 128, 255)] * width for _ in range(height)]
    x = gap
    for w, h, pixels in images:
        for yy in range(h):
            for xx in range(w):
                face = over((240, 240, 240, 255), pixels[yy][xx], 1)
                white = over((255, 255, 255, 255), pixels[yy][xx], 1)
                sheet[gap + yy][x + xx] = tuple(int(c) for c in face)
                sheet[gap + yy][x + w + gap + xx] = tuple(int(c) for c in white)
        top = gap + max(hh for _, hh, _ in images) + gap
        for yy in range(h * scale):
            for xx in range(w * scale):
                check = (204, 204, 204, 255) if (xx // 5 + yy // 5) % 2 else (255, 255, 255, 255)
                p = over(check, pixels[yy // scale][xx // scale], 1)
                sheet[top + yy][x + xx] = tuple(int(c) for c in p)
        x += max(w * scale, w * 2 + gap) + gap
    return png_file(width, height, sheet)


def main():
    icons = {
        "values.ico": [values_icon(48), values_icon(32), values_icon(16)],
        "edit.ico": [from_art(EDIT_11x12, PENCIL_PALETTE), from_art(EDIT_16, PENCIL_PALETTE)]
        + [pencil(w, h) for w, h in ROW_ICON_SCALED_SIZES],
        "delete.ico": [from_art(DELETE_11x12, CROSS_PALETTE), from_art(DELETE_16, CROSS_PALETTE)]
        + [cross(w, h) for w, h in ROW_ICON_SCALED_SIZES],
    }
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
    elif len(sys.argv) != 1:
        sys.exit(__doc__)
    # The row pictures built into values.exe, for a folder without the icon
    # files: the same images, every one PNG-compressed (a quarter of the
    # size), as values.exe carries them in every start's file.
    icons["edit-built-in.ico"] = icons["edit.ico"]
    icons["delete-built-in.ico"] = icons["delete.ico"]
    for name, images in icons.items():
        compress_above = 32 if name == "values.ico" else 0 if "built-in" in name else None
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(ico_file(images, compress_above=compress_above))
        if preview:
            with open(os.path.join(preview, name.replace(".ico", ".png")), "wb") as f:
                f.write(preview_sheet(images))


if __name__ == "__main__":
    main()
