#!/usr/bin/env python3
"""Draws the program's icon: a light delta-wing ship with its engine glow over a blue disc.

Writes res/TavrelCustomizer.ico (16x16 and 32x32, each in 16 and in 256 colours, BMP entries
with AND masks, as the Windows resource compiler takes them) and the PNG set of the Linux
desktop entry, res/icons/hicolor/<n>x<n>/apps/tavrel-customizer.png. Standard library only;
the output is the same on every run, so the committed files can be checked by running it again.

    python3 scripts/make_icon.py [--out-dir DIR] [--preview FILE.ppm]
"""

import argparse
import os
import struct
import sys
import zlib

ICO_IMAGES = [(16, 4), (16, 8), (32, 4), (32, 8)]  # (size, bits per pixel), in file order
PNG_SIZES = [48, 64, 128, 256]

# The standard 16-colour palette, in its usual order.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, SILVER, YELLOW, BLUE, WHITE = (VGA16[i] for i in (0, 4, 7, 11, 12, 15))

# Geometry in a unit square, y pointing down.
DISC_CENTRE = (0.5, 0.5)
DISC_RADIUS = 0.455
RIM_WIDTH = 0.06
SHIP = [(0.5, 0.10), (0.80, 0.77), (0.5, 0.62), (0.20, 0.77)]  # tip, wing, notch, wing
GLOW = [(0.43, 0.665), (0.57, 0.665), (0.5, 0.88)]
STARS = [(0.25, 0.30), (0.76, 0.29), (0.83, 0.55), (0.18, 0.58)]
STAR_RADIUS = 0.028


def inside_polygon(x, y, poly):
    """Even-odd rule; the ship outline is concave at its notch."""
    inside = False
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            cross = x1 + (y - y1) * (x2 - x1) / (y2 - y1)
            if x < cross:
                inside = not inside
    return inside


def lerp(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def shade_full(x, y, stars):
    """Colour of the point (x, y) in the full-colour design, or None outside the emblem."""
    if inside_polygon(x, y, SHIP):
        return (255, 255, 255) if x < 0.5 else (196, 210, 232)
    if inside_polygon(x, y, GLOW):
        return lerp((255, 232, 120), (255, 110, 20), (y - 0.665) / (0.88 - 0.665))
    dx, dy = x - DISC_CENTRE[0], y - DISC_CENTRE[1]
    d2 = dx * dx + dy * dy
    if d2 > DISC_RADIUS * DISC_RADIUS:
        return None
    if stars:
        for sx, sy in STARS:
            if (x - sx) ** 2 + (y - sy) ** 2 <= STAR_RADIUS * STAR_RADIUS:
                return (235, 242, 255)
    # Lit from the top left.
    t = min(1.0, max(0.0, (x + y - 0.15) / 1.7))
    colour = lerp((64, 128, 232), (10, 28, 92), t)
    if d2 > (DISC_RADIUS - RIM_WIDTH) ** 2:
        colour = lerp((150, 196, 255), (4, 12, 48), t)
    return colour


def shade_16(x, y, stars):
    """The same design in the standard 16 colours, for the 4-bit images."""
    if inside_polygon(x, y, SHIP):
        return WHITE if x < 0.5 else SILVER
    if inside_polygon(x, y, GLOW):
        return YELLOW
    dx, dy = x - DISC_CENTRE[0], y - DISC_CENTRE[1]
    d2 = dx * dx + dy * dy
    if d2 > DISC_RADIUS * DISC_RADIUS:
        return None
    if d2 > (DISC_RADIUS - RIM_WIDTH) ** 2 and dx + dy < -0.2:
        return BLUE
    return NAVY


def render(size, shader, samples, majority=False):
    """RGBA rows (straight alpha, 0..255) from samples x samples points per pixel.

    `majority` keeps the most frequent colour instead of the mean, so that the 16-colour images
    get clean shapes in palette colours only.
    """
    stars = size >= 32
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = {}
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    c = shader(x, y, stars)
                    if c is not None:
                        hits[c] = hits.get(c, 0) + 1
            covered = sum(hits.values())
            if not covered:
                row.append((0, 0, 0, 0))
                continue
            if majority:
                rgb = max(sorted(hits), key=lambda c: hits[c])
            else:
                rgb = tuple(int(round(sum(c[i] * n for c, n in hits.items()) / covered))
                            for i in range(3))
            row.append(tuple(rgb) + (int(round(255 * covered / (samples * samples))),))
        rows.append(row)
    if stars and majority:
        # A star is one pixel here; sampled as a disc it would be a blob or nothing.
        for sx, sy in STARS:
            px, py = int(sx * size), int(sy * size)
            rows[py][px] = SILVER + (255,)
    return rows


def median_cut(colours, limit):
    """Up to `limit` representative colours of a {colour: count} histogram."""
    boxes = [list(colours.items())]
    while len(boxes) < limit:
        # Split the box with the widest channel range that still holds two colours.
        best, best_range, best_channel = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                values = [c[ch] for c, _ in box]
                spread = max(values) - min(values)
                if spread > best_range:
                    best, best_range, best_channel = i, spread, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda item: (item[0][best_channel], item[0]))
        total = sum(n for _, n in box)
        running, cut = 0, 1
        for j, (_, n) in enumerate(box[:-1]):
            running += n
            if running * 2 >= total:
                cut = j + 1
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[ch] * n for c, n in box) / total))
                             for ch in range(3)))
    return palette


def nearest(palette, rgb, first=0):
    best, best_d = first, None
    for i in range(first, len(palette)):
        p = palette[i]
        d = (p[0] - rgb[0]) ** 2 + (p[1] - rgb[1]) ** 2 + (p[2] - rgb[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def bmp_entry(size, bpp):
    """One icon image: BITMAPINFOHEADER, palette, colour rows, AND mask rows (bottom up)."""
    if bpp == 4:
        pixels = render(size, shade_16, 4, majority=True)
        palette = list(VGA16)
        index_of = {c: i for i, c in enumerate(palette)}
        indices = [[index_of[p[:3]] if p[3] >= 128 else 0 for p in row] for row in pixels]
    else:
        pixels = render(size, shade_full, 8)
        histogram = {}
        for row in pixels:
            for p in row:
                if p[3] >= 128:
                    histogram[p[:3]] = histogram.get(p[:3], 0) + 1
        # Index 0 stays black for the transparent pixels.
        palette = [(0, 0, 0)] + median_cut(histogram, 255)
        palette += [(0, 0, 0)] * (256 - len(palette))
        cache = {}
        indices = []
        for row in pixels:
            out = []
            for p in row:
                if p[3] < 128:
                    out.append(0)
                    continue
                if p[:3] not in cache:
                    cache[p[:3]] = nearest(palette, p[:3], 1)
                out.append(cache[p[:3]])
            indices.append(out)
    mask = [[1 if p[3] < 128 else 0 for p in row] for row in pixels]

    colour_rows = b""
    for row in reversed(indices):
        if bpp == 4:
            data = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
        else:
            data = bytes(row)
        colour_rows += data + b"\0" * (-len(data) % 4)
    mask_rows = b""
    for row in reversed(mask):
        bits = bytearray((size + 7) // 8)
        for x, bit in enumerate(row):
            if bit:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows += bytes(bits) + b"\0" * (-len(bits) % 4)

    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + colour_rows + mask_rows


def write_ico(path):
    images = [(size, bpp, bmp_entry(size, bpp)) for size, bpp in ICO_IMAGES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16 if bpp == 4 else 0, 0, 1, bpp, len(data),
                           offset)
        offset += len(data)
    out += b"".join(data for _, _, data in images)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(out)


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def write_png(path, size):
    pixels = render(size, shade_full, 4)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)
    data = (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(raw, 9))
            + png_chunk(b"IEND", b""))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def write_preview(path):
    """All icon images side by side, magnified 8 times, on grey (a PPM for a quick look)."""
    scale, gap = 8, 8
    tiles = []
    for size, bpp in ICO_IMAGES:
        tiles.append(render(size, shade_16, 4, True) if bpp == 4 else render(size, shade_full, 8))
    width = sum(len(t) * scale + gap for t in tiles) + gap
    height = 32 * scale + 2 * gap
    canvas = [[(128, 128, 128)] * width for _ in range(height)]
    x0 = gap
    for tile in tiles:
        for y, row in enumerate(tile):
            for x, p in enumerate(row):
                if p[3] >= 128:
                    for dy in range(scale):
                        for dx in range(scale):
                            canvas[gap + y * scale + dy][x0 + x * scale + dx] = p[:3]
        x0 += len(tile) * scale + gap
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (width, height))
        f.write(b"".join(bytes(p) for row in canvas for p in row))


def main():
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out-dir", default=os.path.join(repo, "res"),
                        help="folder that receives TavrelCustomizer.ico and icons/")
    parser.add_argument("--preview", help="also write a magnified PPM of the icon images")
    args = parser.parse_args()

    write_ico(os.path.join(args.out_dir, "TavrelCustomizer.ico"))
    for size in PNG_SIZES:
        write_png(os.path.join(args.out_dir, "icons", "hicolor", "%dx%d" % (size, size), "apps",
                               "tavrel-customizer.png"), size)
    if args.preview:
        write_preview(args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main())
