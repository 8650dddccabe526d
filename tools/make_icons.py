#!/usr/bin/env python3
"""Draws the program's own icons, its drag cursor and its screening pattern.

Writes into resources/ (or the folder given as the first argument):
  icons/*.ico    the eight icons of the program's file, 32-bit ARGB with an AND mask
  grip.cur       the cursor shown while an entry is dragged
  netpattern.bmp the 8 x 8 one-bit checkerboard that screens switched-off cells
With --preview FILE it also writes a PNG sheet of every image at its real size
on a light and on a dark background, for looking at them.

Only the Python standard library is used; the output is committed, so the
build never needs Python. Run it again after changing a drawing.

Every drawing is made on a 16 x 16 design grid and rendered at 16, 32 and 48
pixels. Straight edges lie on whole design units, so they stay sharp at every
size; curves are anti-aliased by supersampling.
"""

import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 4


# ---------------------------------------------------------------- shapes --
# A shape is (contains(x, y) -> bool, (x0, y0, x1, y1) bounding box), in
# design units.

def rect(x0, y0, x1, y1):
    return (lambda x, y: x0 <= x < x1 and y0 <= y < y1), (x0, y0, x1, y1)


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside, (x0, y0, x1, y1)


def circle(cx, cy, r):
    return ((lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r),
            (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry, degrees=0.0):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    m = max(rx, ry)

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0
    return inside, (cx - m, cy - m, cx + m, cy + m)


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside, (min(xs), min(ys), max(xs), max(ys))


def union(*shapes):
    boxes = [s[1] for s in shapes]
    return ((lambda x, y: any(s[0](x, y) for s in shapes)),
            (min(b[0] for b in boxes), min(b[1] for b in boxes),
             max(b[2] for b in boxes), max(b[3] for b in boxes)))


def minus(a, b):
    return (lambda x, y: a[0](x, y) and not b[0](x, y)), a[1]


def shifted(shape, dx, dy):
    f, (x0, y0, x1, y1) = shape
    return (lambda x, y: f(x - dx, y - dy)), (x0 + dx, y0 + dy, x1 + dx, y1 + dy)


def dilate(shape, w):
    """The shape grown by about w in every direction: a halo for outlines."""
    d = w * 0.7071
    offsets = [(w, 0), (-w, 0), (0, w), (0, -w), (d, d), (d, -d), (-d, d), (-d, -d)]
    return union(shape, *[shifted(shape, dx, dy) for dx, dy in offsets])


def ring(cx, cy, r, width):
    return minus(circle(cx, cy, r), circle(cx, cy, r - width))


# ---------------------------------------------------------------- colour --

def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def rgba(r, g, b, a=255):
    return (r, g, b, a)


def vertical(top, bottom, y0, y1):
    def paint(x, y):
        return mix(top, bottom, min(max((y - y0) / (y1 - y0), 0.0), 1.0))
    return paint


def hue(h):
    h = (h % 1.0) * 6.0
    i = int(h)
    f = h - i
    return [(1, f, 0), (1 - f, 1, 0), (0, 1, f), (0, 1 - f, 1), (f, 0, 1), (1, 0, 1 - f)][i % 6]


# ---------------------------------------------------------------- canvas --

class Canvas:
    def __init__(self, size):
        self.size = size
        self.scale = size / 16.0          # pixels per design unit
        self.p = 16.0 / size              # one pixel in design units
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]  # premultiplied

    def fill(self, shape, paint):
        inside, (bx0, by0, bx1, by1) = shape
        k = self.scale
        n = self.size
        px0 = max(int(math.floor(bx0 * k)) - 1, 0)
        py0 = max(int(math.floor(by0 * k)) - 1, 0)
        px1 = min(int(math.ceil(bx1 * k)) + 1, n)
        py1 = min(int(math.ceil(by1 * k)) + 1, n)
        step = 1.0 / SUPERSAMPLE
        weight = 1.0 / (SUPERSAMPLE * SUPERSAMPLE)
        solid = None if callable(paint) else paint
        for py in range(py0, py1):
            for px in range(px0, px1):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(SUPERSAMPLE):
                    y = (py + (sy + 0.5) * step) / k
                    for sx in range(SUPERSAMPLE):
                        x = (px + (sx + 0.5) * step) / k
                        if inside(x, y):
                            c = solid or paint(x, y)
                            a = c[3] / 255.0 * weight
                            acc[0] += c[0] / 255.0 * a
                            acc[1] += c[1] / 255.0 * a
                            acc[2] += c[2] / 255.0 * a
                            acc[3] += a
                if acc[3] <= 0.0:
                    continue
                d = self.pixels[py * n + px]
                keep = 1.0 - acc[3]
                for i in range(4):
                    d[i] = acc[i] + d[i] * keep

    def rgba_rows(self):
        """Straight (not premultiplied) 8-bit RGBA, top row first."""
        rows = []
        n = self.size
        for y in range(n):
            row = []
            for x in range(n):
                r, g, b, a = self.pixels[y * n + x]
                if a <= 0.0:
                    row.append((0, 0, 0, 0))
                    continue
                row.append(tuple(int(round(min(max(v, 0.0), 1.0) * 255)) for v in
                                 (r / a, g / a, b / a, a)))
            rows.append(row)
        return rows


def doubled(rows):
    out = []
    for row in rows:
        wide = [p for p in row for _ in range(2)]
        out.append(wide)
        out.append(list(wide))
    return out


# -------------------------------------------------------------- drawings --

NAVY_TOP = rgba(52, 92, 146)
NAVY_BOTTOM = rgba(24, 44, 76)
CURSOR_YELLOW = rgba(255, 196, 0)
RED = rgba(222, 62, 58)
BLUE = rgba(44, 112, 224)
GREEN = rgba(38, 164, 80)
AMBER = rgba(244, 168, 28)
PURPLE = rgba(150, 82, 204)
WHITE = rgba(255, 255, 255)


def draw_main(c):
    """Three stacked trays of icon cells, the middle one under the cursor frame."""
    c.fill(rrect(0, 0, 16, 16, 2), vertical(NAVY_TOP, NAVY_BOTTOM, 0, 16))
    bands = [(1, rgba(214, 230, 255), (BLUE, RED, GREEN)),
             (6, rgba(216, 244, 222), (AMBER, BLUE, PURPLE)),
             (11, rgba(255, 236, 204), (GREEN, AMBER, RED))]
    for top, colour, cells in bands:
        c.fill(rect(1, top, 15, top + 4), colour)
        for i, cell in enumerate(cells):
            x = 3 + 4 * i
            c.fill(rect(x, top + 1, x + 2, top + 3), cell)
    c.fill(minus(rect(6, 6, 10, 10), rect(7, 7, 9, 9)), CURSOR_YELLOW)


def disc_paint(vivid):
    silver = (206, 211, 222, 255)
    amount = 0.55 if vivid else 0.32

    def paint(x, y):
        angle = math.atan2(y - 8, x - 8) / (2 * math.pi)
        r, g, b = hue(angle * 2 + 0.1)
        sheen = (155 + 100 * r, 155 + 100 * g, 155 + 100 * b, 255)
        base = mix(silver, sheen, amount)
        light = max(0.0, 1.0 - math.hypot(x - 5, y - 4.5) / 7.0)
        return mix(base, WHITE, light * 0.55)
    return paint


def draw_disc(c, vivid=False):
    hole = circle(8, 8, 1.3)
    c.fill(minus(circle(8, 8, 7.5), hole), disc_paint(vivid))
    c.fill(ring(8, 8, 7.5, c.p), rgba(96, 102, 116))
    c.fill(minus(circle(8, 8, 3), hole), rgba(236, 239, 244, 235))
    c.fill(ring(8, 8, 3, c.p), rgba(140, 146, 160))
    c.fill(ring(8, 8, 1.3 + c.p, c.p), rgba(120, 126, 140))


def draw_badge(c, fill, dark):
    c.fill(circle(11.5, 11.5, 4.5), WHITE)
    if c.size <= 16:
        # No room for a shaded rim: the sign inside needs every pixel.
        c.fill(circle(11.5, 11.5, 4.5 - c.p), fill)
        return
    c.fill(circle(11.5, 11.5, 4.5 - c.p), dark)
    c.fill(circle(11.5, 11.5, 4.5 - 2 * c.p), fill)


def draw_pcdimage(c):
    draw_disc(c)


def draw_pcdplay(c):
    draw_disc(c)
    draw_badge(c, rgba(46, 176, 76), rgba(18, 104, 40))
    c.fill(polygon([(10, 9), (10, 14), (14, 11.5)]), WHITE)


def draw_pcdstop(c):
    draw_disc(c)
    draw_badge(c, rgba(214, 52, 50), rgba(128, 22, 20))
    c.fill(rect(10, 10, 13, 13), WHITE)


def draw_start(c):
    """A green 'go' button: a round plate with an arrow pointing onwards."""
    def plate(x, y):
        light = max(0.0, 1.0 - math.hypot(x - 5.5, y - 4.5) / 10.0)
        return mix(rgba(30, 140, 62), rgba(120, 220, 130), light)
    c.fill(circle(8, 8, 7.5), rgba(14, 92, 38))
    c.fill(circle(8, 8, 7.5 - c.p), plate)
    arrow = union(rect(3, 6, 9, 10), polygon([(8, 3), (13, 8), (8, 13)]))
    c.fill(dilate(arrow, c.p), rgba(14, 92, 38, 150))
    c.fill(arrow, WHITE)


def four_point_star(cx, cy, outer, inner):
    points = []
    for i in range(8):
        r = outer if i % 2 == 0 else inner
        a = math.pi / 4 * i - math.pi / 2
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(points)


def draw_tstandby(c):
    """A crescent moon and a star on a round night sky: the machine sleeps."""
    c.fill(circle(8, 8, 7.5), rgba(20, 26, 60))
    c.fill(circle(8, 8, 7.5 - c.p), vertical(rgba(46, 62, 138), rgba(22, 30, 78), 0, 16))
    moon = minus(circle(7, 8.5, 5), circle(9.6, 6.4, 4.3))
    c.fill(moon, vertical(rgba(255, 232, 120), rgba(240, 170, 36), 3, 14))
    c.fill(four_point_star(11.6, 4.6, 2.0, 0.55), rgba(255, 246, 196))


def draw_xcd(c):
    """A brightly coloured disc with a music note: the player in the System tray."""
    draw_disc(c, vivid=True)
    head = ellipse(4.6, 12.2, 2.1, 1.5, -20)
    stem = rect(5.7, 4, 6.9, 12)
    flag = polygon([(5.7, 4), (6.9, 4), (9.6, 6.6), (9.6, 8.6), (6.9, 6.4)])
    note = union(head, stem, flag)
    c.fill(dilate(note, c.p), WHITE)
    c.fill(note, rgba(28, 56, 150))


def draw_grip(c):
    """The drag cursor: the arrow pointer carrying an icon cell."""
    # Drawn in pixels on a 32 x 32 canvas: design unit = 2 pixels.
    u = 0.5
    cell = rrect(13 * u, 15 * u, 29 * u, 31 * u, 2 * u)
    c.fill(cell, rgba(0, 0, 0))
    c.fill(rrect(14 * u, 16 * u, 28 * u, 30 * u, 1.5 * u), rgba(196, 218, 255, 230))
    for i, colour in enumerate((BLUE, RED, GREEN, AMBER)):
        x = (17 + 5 * (i % 2)) * u
        y = (19 + 5 * (i // 2)) * u
        c.fill(rect(x, y, x + 4 * u, y + 4 * u), colour)
    arrow = polygon([(1 * u, 1 * u), (1 * u, 18 * u), (5 * u, 14 * u), (8 * u, 21 * u),
                     (11 * u, 20 * u), (8 * u, 13 * u), (13 * u, 13 * u)])
    c.fill(dilate(arrow, 1 * u), rgba(0, 0, 0))
    c.fill(arrow, WHITE)


# ---------------------------------------------------------------- writers --

def dib_image(rows):
    """BITMAPINFOHEADER + 32-bit XOR image + AND mask, as stored in .ico/.cur."""
    n = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask = bytearray()
    stride = ((n + 31) // 32) * 4
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def icon_file(images, kind=1, hotspot=(0, 0)):
    """images: list of row lists. kind 1 = icon, 2 = cursor."""
    out = bytearray(struct.pack('<HHH', 0, kind, len(images)))
    blobs = [dib_image(rows) for rows in images]
    offset = 6 + 16 * len(images)
    for rows, blob in zip(images, blobs):
        n = len(rows)
        planes, bits = (1, 32) if kind == 1 else hotspot
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, planes, bits, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def checkerboard_bmp():
    """8 x 8, one bit per pixel, black and white alternating."""
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    rows = bytearray()
    for y in reversed(range(8)):
        rows += bytes((0x55 if y % 2 == 0 else 0xAA, 0, 0, 0))
    info = struct.pack('<IiiHHIIiiII', 40, 8, 8, 1, 1, 0, len(rows), 2835, 2835, 2, 2)
    offset = 14 + len(info) + len(palette)
    head = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    return head + info + palette + bytes(rows)


def png_file(rows):
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for p in row:
            raw += bytes(p)
    h, w = len(rows), len(rows[0])

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


# -------------------------------------------------------------------- main --

# In the order of their index in the program's file, which is also the
# alphabetical order in which named icon groups are stored.
ICONS = [
    ('MAINICON', 'mainicon.ico', draw_main),
    ('PCDIMAGE', 'pcdimage.ico', draw_pcdimage),
    ('PCDPLAY', 'pcdplay.ico', draw_pcdplay),
    ('PCDSTOP', 'pcdstop.ico', draw_pcdstop),
    ('START', 'start.ico', draw_start),
    ('TSTANDBY', 'tstandby.ico', draw_tstandby),
    ('XCD', 'xcd.ico', draw_xcd),
    ('XCH16', 'xch16.ico', None),
]
SIZES = (16, 32, 48)
GRIP_HOTSPOT = (1, 1)


def render(draw, size):
    c = Canvas(size)
    draw(c)
    return c.rgba_rows()


def preview(path, sheets):
    """sheets: list of lists of row-images, one list per icon; light and dark halves."""
    pad = 6
    width = pad + sum(max(len(img) for img in imgs) + pad for imgs in sheets)
    col_h = pad + max(sum(len(img) + pad for img in imgs) for imgs in sheets)
    out = []
    for bg in ((244, 244, 240), (40, 42, 48)):
        canvas = [[bg for _ in range(width)] for _ in range(col_h)]
        x = pad
        for imgs in sheets:
            y = pad
            for img in imgs:
                for dy, row in enumerate(img):
                    for dx, (r, g, b, a) in enumerate(row):
                        t = a / 255.0
                        under = canvas[y + dy][x + dx]
                        canvas[y + dy][x + dx] = tuple(int(round(under[i] + ((r, g, b)[i] - under[i]) * t))
                                                       for i in range(3))
                y += len(img) + pad
            x += max(len(img) for img in imgs) + pad
        out += canvas
    rows = [[(r, g, b, 255) for r, g, b in row] for row in out]
    with open(path, 'wb') as f:
        f.write(png_file(rows))


def main(argv):
    args = list(argv[1:])
    preview_path = None
    if '--preview' in args:
        i = args.index('--preview')
        preview_path = args[i + 1]
        del args[i:i + 2]
    here = os.path.dirname(os.path.abspath(__file__))
    out = args[0] if args else os.path.join(here, '..', 'resources')
    os.makedirs(os.path.join(out, 'icons'), exist_ok=True)

    sheets = []
    for name, file_name, draw in ICONS:
        if draw is None:
            # The 16-pixel app icon, kept pixel for pixel at 32 so that it
            # stays the same picture wherever the system scales it.
            small = render(draw_main, 16)
            images = [small, doubled(small)]
        else:
            images = [render(draw, s) for s in SIZES]
        with open(os.path.join(out, 'icons', file_name), 'wb') as f:
            f.write(icon_file(images))
        sheets.append(images)

    grip = render(draw_grip, 32)
    with open(os.path.join(out, 'grip.cur'), 'wb') as f:
        f.write(icon_file([grip], kind=2, hotspot=GRIP_HOTSPOT))
    sheets.append([grip])

    with open(os.path.join(out, 'netpattern.bmp'), 'wb') as f:
        f.write(checkerboard_bmp())

    if preview_path:
        preview(preview_path, sheets)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
