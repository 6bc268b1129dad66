#!/usr/bin/env python3
"""Draw the Statusmill program icon and write it out as PNG and ICO files.

    python3 resources/icons/make-icon.py

The files land next to this script:

    statusmill-32.png, statusmill-48.png, statusmill-128.png, statusmill-256.png
    statusmill.ico  (32x32 24-bit, 48x48 and 128x128 32-bit, 256x256 PNG)

The motif is a report page with a folded corner and a few lines of text,
with a red/amber/green status light standing in front of its lower right
edge.

Only the standard library is used, so the script runs on a bare Python.
Shapes are described as signed distance functions on a 256-unit design
grid; each pixel's coverage comes from its distance to the shape edge,
which gives smooth anti-aliasing at every size.  Edges are snapped to the
pixel grid of each output size so that the small icons stay crisp.  The
output is byte-for-byte reproducible.
"""

import math
import struct
import zlib
from pathlib import Path

GRID = 256.0
SIZES = (32, 48, 128, 256)
OUT_DIR = Path(__file__).resolve().parent


def rgb(hex_colour):
    v = int(hex_colour.lstrip("#"), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0)


# Palette: cool slate greys for the paper, conventional status colours.
PAGE_EDGE = rgb("#5F6E84")
PAGE_TOP = rgb("#FFFFFF")
PAGE_BOTTOM = rgb("#EEF2F7")
FOLD_FILL = rgb("#D3DBE6")
TITLE = rgb("#2F6FD6")
TEXT = rgb("#9AA8BB")
HOUSING_TOP = rgb("#3C4A5E")
HOUSING_BOTTOM = rgb("#263142")
LAMP_RED = rgb("#E5484D")
LAMP_AMBER = rgb("#F5A524")
LAMP_GREEN = rgb("#2FB86E")
WHITE = (1.0, 1.0, 1.0)


# --------------------------------------------------------------------------
# Signed distance functions.  Distances are in design units; negative inside.

def sd_round_box(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return f


def sd_circle(cx, cy, r):
    def f(x, y):
        return math.hypot(x - cx, y - cy) - r

    return f


def sd_polygon(points):
    """Exact distance to a closed polygon (any winding)."""
    pts = list(points)
    edges = []
    for i, (ax, ay) in enumerate(pts):
        bx, by = pts[(i + 1) % len(pts)]
        ex, ey = bx - ax, by - ay
        edges.append((ax, ay, by, ex, ey, ex * ex + ey * ey))

    def f(x, y):
        best = math.inf
        inside = False
        for ax, ay, by, ex, ey, ee in edges:
            wx, wy = x - ax, y - ay
            t = min(max((wx * ex + wy * ey) / ee, 0.0), 1.0)
            dx, dy = wx - ex * t, wy - ey * t
            d = dx * dx + dy * dy
            if d < best:
                best = d
            # Winding test for the sign.
            c1, c2, c3 = y >= ay, y < by, ex * wy > ey * wx
            if (c1 and c2 and c3) or not (c1 or c2 or c3):
                inside = not inside
        return -math.sqrt(best) if inside else math.sqrt(best)

    return f


def inset_convex(points, r):
    """Move every edge of a convex polygon inward by r (clockwise on screen)."""
    n = len(points)
    lines = []
    for i in range(n):
        ax, ay = points[i]
        bx, by = points[(i + 1) % n]
        length = math.hypot(bx - ax, by - ay)
        # With y pointing down, the inward normal of a clockwise edge is (-dy, dx).
        nx, ny = -(by - ay) / length, (bx - ax) / length
        lines.append((ax + nx * r, ay + ny * r, bx - ax, by - ay))
    out = []
    for i in range(n):
        px, py, dx, dy = lines[i - 1]
        qx, qy, ex, ey = lines[i]
        den = dx * ey - dy * ex
        t = ((qx - px) * ey - (qy - py) * ex) / den
        out.append((px + dx * t, py + dy * t))
    return out


def sd_round_polygon(points, r):
    """Convex polygon with its corners rounded to radius r."""
    core = sd_polygon(inset_convex(points, r))
    return lambda x, y: core(x, y) - r


def grown(f, amount):
    return lambda x, y: f(x, y) - amount


def vertical_gradient(top_colour, bottom_colour, y0, y1):
    def colour(_x, y):
        t = min(max((y - y0) / (y1 - y0), 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(top_colour, bottom_colour))

    return colour


# --------------------------------------------------------------------------
# Raster canvas with premultiplied float RGBA.

class Canvas:
    def __init__(self, size):
        self.size = size
        self.scale = size / GRID          # pixels per design unit
        self.unit = GRID / size           # design units per pixel
        self.px = [0.0] * (size * size * 4)

    def snap(self, v):
        """Nearest design coordinate that falls on a pixel boundary."""
        return round(v * self.scale) * self.unit

    def _span(self, lo, hi):
        a = max(int(math.floor(lo * self.scale)) - 1, 0)
        b = min(int(math.ceil(hi * self.scale)) + 1, self.size)
        return range(a, b)

    def _coverage(self, sdf, x, y):
        c = 0.5 - sdf(x, y) * self.scale
        return 0.0 if c <= 0.0 else (1.0 if c >= 1.0 else c)

    def fill(self, sdf, bbox, colour, opacity=1.0):
        x0, y0, x1, y1 = bbox
        px, unit, n = self.px, self.unit, self.size
        for j in self._span(y0, y1):
            y = (j + 0.5) * unit
            for i in self._span(x0, x1):
                x = (i + 0.5) * unit
                a = self._coverage(sdf, x, y) * opacity
                if a <= 0.0:
                    continue
                r, g, b = colour(x, y) if callable(colour) else colour
                k = (j * n + i) * 4
                keep = 1.0 - a
                px[k] = r * a + px[k] * keep
                px[k + 1] = g * a + px[k + 1] * keep
                px[k + 2] = b * a + px[k + 2] * keep
                px[k + 3] = a + px[k + 3] * keep

    def erase(self, sdf, bbox):
        """Cut a shape out of what has been drawn so far."""
        x0, y0, x1, y1 = bbox
        px, unit, n = self.px, self.unit, self.size
        for j in self._span(y0, y1):
            y = (j + 0.5) * unit
            for i in self._span(x0, x1):
                a = self._coverage(sdf, (i + 0.5) * unit, y)
                if a <= 0.0:
                    continue
                k = (j * n + i) * 4
                keep = 1.0 - a
                for c in range(4):
                    px[k + c] *= keep

    def rgba_rows(self):
        """Straight (non-premultiplied) 8-bit RGBA rows, top row first."""
        n = self.size
        rows = []
        for j in range(n):
            row = bytearray(n * 4)
            for i in range(n):
                k = (j * n + i) * 4
                a = self.px[k + 3]
                if a <= 0.0:
                    continue
                row[i * 4 + 3] = min(round(a * 255.0), 255)
                for c in range(3):
                    row[i * 4 + c] = min(max(round(self.px[k + c] / a * 255.0), 0), 255)
                if row[i * 4 + 3] == 0:
                    row[i * 4:i * 4 + 3] = b"\0\0\0"
            rows.append(bytes(row))
        return rows


# --------------------------------------------------------------------------
# The drawing.

def draw(size):
    cv = Canvas(size)
    s = cv.snap
    # Outlines are a whole number of pixels, and at least one.
    edge = max(1, round(5.0 * cv.scale)) * cv.unit

    # Page: A-series proportions, top right corner folded over.
    left, top, right, bottom = s(24), s(12), s(184), s(236)
    fold = s(52) - top
    corner = max(cv.unit, 8.0)
    page_pts = [(left, top), (right - fold, top), (right, top + fold),
                (right, bottom), (left, bottom)]
    page_box = (left, top, right, bottom)
    page = sd_round_polygon(page_pts, corner)
    cv.fill(page, page_box, PAGE_EDGE)
    cv.fill(grown(page, -edge), page_box,
            vertical_gradient(PAGE_TOP, PAGE_BOTTOM, top, bottom))

    # The flap of the fold, lying on the page.
    flap_pts = [(right - fold, top), (right, top + fold), (right - fold, top + fold)]
    flap_box = (right - fold, top, right, top + fold)
    flap = sd_round_polygon(flap_pts, min(corner, 4.0))
    cv.fill(flap, flap_box, PAGE_EDGE)
    cv.fill(grown(flap, -edge), flap_box, FOLD_FILL)

    # Heading and body text.  Small sizes get fewer, heavier lines so the
    # page still reads as text rather than a grey smear.
    text_left = s(48)
    if size <= 48:
        heading = (s(36), s(56), s(116))
        body = [(s(84), s(100), s(140)), (s(116), s(132), s(124)),
                (s(148), s(164), s(136)), (s(180), s(196), s(108))]
    else:
        heading = (s(34), s(54), s(120))
        body = [(s(80), s(92), s(144)), (s(108), s(120), s(128)),
                (s(136), s(148), s(140)), (s(164), s(176), s(116)),
                (s(192), s(204), s(132))]
    y0, y1, x1 = heading
    cv.fill(sd_round_box(text_left, y0, x1, y1, (y1 - y0) / 2.0),
            (text_left, y0, x1, y1), TITLE)
    for y0, y1, x1 in body:
        cv.fill(sd_round_box(text_left, y0, x1, y1, (y1 - y0) / 2.0),
                (text_left, y0, x1, y1), TEXT)

    # Status light: a rounded housing with three lamps, set in front of the
    # page's lower right edge with a transparent gap around it.
    # The housing's height follows from whole-pixel lamps, padding and
    # spacing, so the lamps stay round and apart even at 32x32.
    hx0, hx1, hy1 = s(168), s(232), s(250)
    pad = max(cv.unit, s(8))
    between = max(cv.unit, s(8))
    lamp_d = (hx1 - hx0) - 2 * pad
    hy0 = hy1 - (3 * lamp_d + 2 * between + 2 * pad)
    housing = sd_round_box(hx0, hy0, hx1, hy1, (hx1 - hx0) / 2.0)
    gap = max(cv.unit, 8.0)
    cv.erase(grown(housing, gap), (hx0 - gap, hy0 - gap, hx1 + gap, hy1 + gap))
    cv.fill(housing, (hx0, hy0, hx1, hy1),
            vertical_gradient(HOUSING_TOP, HOUSING_BOTTOM, hy0, hy1))

    cx = (hx0 + hx1) / 2.0
    spacing = lamp_d + between
    for n, colour in enumerate((LAMP_RED, LAMP_AMBER, LAMP_GREEN)):
        ly0 = hy0 + pad + n * spacing
        cy, r = ly0 + lamp_d / 2.0, lamp_d / 2.0
        lamp_box = (cx - r, ly0, cx + r, ly0 + lamp_d)
        cv.fill(sd_circle(cx, cy, r), lamp_box, colour)
        if size >= 128:
            # A soft glint on each lamp.
            glint = sd_circle(cx - r * 0.28, cy - r * 0.32, r * 0.38)
            cv.fill(glint, lamp_box, WHITE, opacity=0.28)
    return cv


# --------------------------------------------------------------------------
# File formats.

def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def png_bytes(rows, size):
    """RGBA8 PNG, picking the cheapest filter for each row."""
    bpp = 4
    prev = bytes(len(rows[0]))
    raw = bytearray()
    for row in rows:
        candidates = []
        for ftype in range(5):
            out = bytearray(len(row))
            for i, v in enumerate(row):
                a = row[i - bpp] if i >= bpp else 0
                b = prev[i]
                c = prev[i - bpp] if i >= bpp else 0
                if ftype == 0:
                    pred = 0
                elif ftype == 1:
                    pred = a
                elif ftype == 2:
                    pred = b
                elif ftype == 3:
                    pred = (a + b) >> 1
                else:
                    pred = _paeth(a, b, c)
                out[i] = (v - pred) & 0xFF
            cost = sum(x if x < 128 else 256 - x for x in out)
            candidates.append((cost, ftype, out))
        _, ftype, out = min(candidates, key=lambda t: (t[0], t[1]))
        raw.append(ftype)
        raw += out
        prev = row

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def dib_bytes(rows, size, bits):
    """Icon bitmap: header, bottom-up colour rows, then the 1-bit AND mask.

    Pixels that are less than half covered are marked transparent in the
    mask; in the 24-bit image they are stored black so that the XOR step
    leaves the screen untouched.
    """
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        line = bytearray()
        bits_row = bytearray(mask_stride)
        for i in range(size):
            r, g, b, a = row[i * 4:i * 4 + 4]
            if a < 128:
                bits_row[i >> 3] |= 0x80 >> (i & 7)
            if bits == 32:
                line += bytes((b, g, r, a))
            elif a < 128:
                line += b"\0\0\0"
            else:
                line += bytes((b, g, r))
        line += bytes((-len(line)) % 4)
        colour += line
        mask += bits_row
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico_bytes(images):
    """images: list of (size, bit_count, payload) in directory order."""
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, bits, payload in images:
        dim = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, bits,
                                 len(payload), offset)
        offset += len(payload)
    return directory + b"".join(payload for _, _, payload in images)


def main():
    ico_images = []
    for size in SIZES:
        rows = draw(size).rgba_rows()
        png = png_bytes(rows, size)
        (OUT_DIR / f"statusmill-{size}.png").write_bytes(png)
        if size == 32:
            ico_images.append((size, 24, dib_bytes(rows, size, 24)))
        elif size < 256:
            ico_images.append((size, 32, dib_bytes(rows, size, 32)))
        else:
            ico_images.append((size, 32, png))
    (OUT_DIR / "statusmill.ico").write_bytes(ico_bytes(ico_images))


if __name__ == "__main__":
    main()
