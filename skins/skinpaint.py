#!/usr/bin/env python3
"""The product's skin generator: draws every PNG of a program's skin and packs
the program's skin zip (its XML layouts plus the drawn images) at build time.

    skinpaint.py SKIN_DIR OUT_ZIP [--icons-dir DIR]

SKIN_DIR is skins/<program>/. Its images.py (which may import the shared
modules beside this file, e.g. installer_parts) defines

    def images(sp):  -> {"Folder/name.png": Canvas, ...}
    def icons(sp):   -> {"name.ico": [Canvas, ...]}      (optional)

where sp is this module (palette, canvas and drawing helpers). Every other
file below SKIN_DIR (the layouts) is packed as it is; entry names use "/".
The zip is deterministic (sorted entries, fixed time stamps), so a rebuild
with unchanged inputs gives the same bytes. Icons go to --icons-dir.

Drawing works on signed distance functions (negative inside a shape): a
pixel's coverage is its distance to the edge clamped to one pixel, which gives
anti-aliased edges at any size without supersampling. Standard library only.
"""

import importlib.util
import math
import os
import struct
import sys
import zipfile
import zlib

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__

# ---------------------------------------------------------------------------
# Palette (shared by every program of the product)
# ---------------------------------------------------------------------------
BRAND = "#FF007D"          # the product's pink: title bars, accents
BRAND_DARK = "#D8006A"     # pressed accents
BRAND_LIGHT = "#FF4FA5"    # hot accents
SLATE = "#435167"          # the first-start question's title bar
NAV_BG = "#EFEFF4"         # navigation bar
INK = "#333333"            # body text and dark glyphs
INK_SOFT = "#5A5A66"       # navigation glyphs
INK_MUTED = "#8C8C99"      # idle small glyphs
INK_DISABLED = "#C2C2CC"   # disabled glyphs
LINE = "#CFCFD8"           # borders
LINE_SOFT = "#E3E3EA"      # separators
TAB_IDLE = "#E1E1E9"       # a tab that is not selected
HOVER = "#DCDCE5"          # hot background on light surfaces
PRESS = "#CBCBD6"          # pushed background on light surfaces
CLOSE_RED = "#E81123"      # hot close button
WHITE = "#FFFFFF"


def rgba(colour, alpha=1.0):
    """(r, g, b, a) in 0..1 from "#RRGGBB", "#AARRGGBB" or a tuple; alpha scales."""
    if isinstance(colour, str):
        h = colour.lstrip("#")
        if len(h) == 6:
            a, r, g, b = 255, int(h[0:2], 16), int(h[2:4], 16), int(h[4:6], 16)
        elif len(h) == 8:
            a, r, g, b = (int(h[i:i + 2], 16) for i in (0, 2, 4, 6))
        else:
            raise ValueError("bad colour " + colour)
        return (r / 255.0, g / 255.0, b / 255.0, a / 255.0 * alpha)
    c = tuple(colour)
    if len(c) == 3:
        c = c + (1.0,)
    return (c[0], c[1], c[2], c[3] * alpha)


def mix(c0, c1, t):
    """The colour t of the way from c0 to c1."""
    a, b = rgba(c0), rgba(c1)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


# ---------------------------------------------------------------------------
# Signed distance functions: f(x, y) -> distance to the edge, negative inside
# ---------------------------------------------------------------------------
def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def rect(x0, y0, x1, y1, r=0.0):
    """A rectangle with corner radius r (r may be a 4-tuple: tl, tr, br, bl)."""
    radii = r if isinstance(r, tuple) else (r, r, r, r)
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hw, hh = (x1 - x0) / 2.0, (y1 - y0) / 2.0

    def f(x, y):
        px, py = x - cx, y - cy
        if px < 0:
            rr = radii[0] if py < 0 else radii[3]
        else:
            rr = radii[1] if py < 0 else radii[2]
        qx, qy = abs(px) - hw + rr, abs(py) - hh + rr
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - rr
    return f


def segment(ax, ay, bx, by, width):
    """A stroke of the given width from a to b with round caps."""
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy or 1e-9
    half = width / 2.0

    def f(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - half
    return f


def polyline(points, width):
    return union(*[segment(points[i][0], points[i][1], points[i + 1][0], points[i + 1][1], width)
                   for i in range(len(points) - 1)])


def polygon(points):
    """A closed polygon (any winding)."""
    pts = list(points)

    def f(x, y):
        d = float("inf")
        inside = False
        j = len(pts) - 1
        for i in range(len(pts)):
            (xi, yi), (xj, yj) = pts[i], pts[j]
            ex, ey = xj - xi, yj - yi
            wx, wy = x - xi, y - yi
            ll = ex * ex + ey * ey or 1e-9
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / ll))
            d = min(d, math.hypot(wx - ex * t, wy - ey * t))
            if (yi > y) != (yj > y) and x < xi + (xj - xi) * (y - yi) / (yj - yi):
                inside = not inside
            j = i
        return -d if inside else d
    return f


def arc(cx, cy, r, start_deg, end_deg, width):
    """A stroke along a circle from start to end (degrees, clockwise on screen)."""
    a0, a1 = math.radians(start_deg), math.radians(end_deg)
    span = (a1 - a0) % (2 * math.pi)
    half = width / 2.0
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (a0, a1)]

    def f(x, y):
        ang = (math.atan2(y - cy, x - cx) - a0) % (2 * math.pi)
        if ang <= span:
            return abs(math.hypot(x - cx, y - cy) - r) - half
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - half
    return f


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def outline(f, width):
    """The band of the given width along the inside of f's edge."""
    return lambda x, y: abs(f(x, y) + width / 2.0) - width / 2.0


def rotate(f, cx, cy, deg):
    c, s = math.cos(math.radians(-deg)), math.sin(math.radians(-deg))
    return lambda x, y: f(cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c)


# ---------------------------------------------------------------------------
# Paints: a colour, or f(x, y) -> colour
# ---------------------------------------------------------------------------
def vgradient(y0, c0, y1, c1):
    a, b = rgba(c0), rgba(c1)

    def f(x, y):
        t = max(0.0, min(1.0, (y - y0) / float(y1 - y0 or 1)))
        return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))
    return f


# ---------------------------------------------------------------------------
# Canvas
# ---------------------------------------------------------------------------
class Canvas:
    """An RGBA image with premultiplied float pixels; (0, 0) is the top-left
    pixel's corner, so pixel (i, j) is sampled at (i + 0.5, j + 0.5)."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]
        if fill is not None:
            self.fill(rect(-1, -1, w + 1, h + 1), fill)

    def fill(self, shape, paint, alpha=1.0):
        """Composites paint over the canvas where shape covers it."""
        solid = None if callable(paint) else rgba(paint, alpha)
        for j in range(self.h):
            y = j + 0.5
            row = j * self.w
            for i in range(self.w):
                x = i + 0.5
                cov = 0.5 - shape(x, y)
                if cov <= 0.0:
                    continue
                if cov > 1.0:
                    cov = 1.0
                c = solid if solid is not None else rgba(paint(x, y), alpha)
                sa = c[3] * cov
                if sa <= 0.0:
                    continue
                p = self.px[row + i]
                keep = 1.0 - sa
                p[0] = c[0] * sa + p[0] * keep
                p[1] = c[1] * sa + p[1] * keep
                p[2] = c[2] * sa + p[2] * keep
                p[3] = sa + p[3] * keep
        return self

    def stroke(self, shape, width, paint, alpha=1.0):
        return self.fill(outline(shape, width), paint, alpha)

    def paste(self, other, dx, dy):
        """Composites another canvas over this one at (dx, dy)."""
        for j in range(other.h):
            for i in range(other.w):
                x, y = i + dx, j + dy
                if 0 <= x < self.w and 0 <= y < self.h:
                    s = other.px[j * other.w + i]
                    p = self.px[y * self.w + x]
                    keep = 1.0 - s[3]
                    for k in range(4):
                        p[k] = s[k] + p[k] * keep
        return self

    def rgba_bytes(self, flip=False, bgra=False):
        """8-bit straight-alpha pixels, rows top-down (or bottom-up with flip)."""
        out = bytearray()
        rows = range(self.h - 1, -1, -1) if flip else range(self.h)
        for j in rows:
            for i in range(self.w):
                r, g, b, a = self.px[j * self.w + i]
                if a > 0.0:
                    r, g, b = r / a, g / a, b / a
                vals = [int(round(max(0.0, min(1.0, v)) * 255)) for v in (r, g, b, a)]
                if bgra:
                    vals = [vals[2], vals[1], vals[0], vals[3]]
                out.extend(vals)
        return bytes(out)

    def png(self):
        raw = bytearray()
        data = self.rgba_bytes()
        stride = self.w * 4
        for j in range(self.h):
            raw.append(0)
            raw.extend(data[j * stride:(j + 1) * stride])
        return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
                + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def ico(canvases):
    """A Windows icon file: sizes up to 48 as 32-bit DIBs (every Windows and Wine
    reads them), larger ones as PNG."""
    entries, blobs = [], []
    for c in canvases:
        if c.w > 48:
            blob = c.png()
        else:
            mask_stride = ((c.w + 31) // 32) * 4
            header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
            blob = header + c.rgba_bytes(flip=True, bgra=True) + b"\x00" * (mask_stride * c.h)
        entries.append((c.w, c.h, blob))
        blobs.append(blob)
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for w, h, blob in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


# ---------------------------------------------------------------------------
# Glyphs: shapes centred on (cx, cy) within a box of size s
# ---------------------------------------------------------------------------
def glyph_minimize(cx, cy, s, w):
    return segment(cx - s / 2, cy + s / 4, cx + s / 2, cy + s / 4, w)


def glyph_maximize(cx, cy, s, w):
    return outline(rect(cx - s / 2, cy - s / 2, cx + s / 2, cy + s / 2, 1.0), w)


def glyph_restore(cx, cy, s, w):
    d = s * 0.28
    front = rect(cx - s / 2, cy - s / 2 + d, cx + s / 2 - d, cy + s / 2, 1.0)
    back = rect(cx - s / 2 + d, cy - s / 2, cx + s / 2, cy + s / 2 - d, 1.0)
    back_edge = subtract(outline(back, w), rect(cx - s / 2 - 1, cy - s / 2 + d - 0.5,
                                                 cx + s / 2 - d + 0.5, cy + s / 2 + 1))
    return union(outline(front, w), back_edge)


def glyph_close(cx, cy, s, w):
    h = s / 2
    return union(segment(cx - h, cy - h, cx + h, cy + h, w), segment(cx - h, cy + h, cx + h, cy - h, w))


def glyph_gear(cx, cy, s):
    """A cog wheel of outer diameter s with eight teeth and a hole."""
    r_body = s * 0.34
    teeth = [rotate(rect(cx - s * 0.085, cy - s / 2, cx + s * 0.085, cy, 0.6), cx, cy, 45 * k)
             for k in range(8)]
    return subtract(union(circle(cx, cy, r_body), *teeth), circle(cx, cy, s * 0.15))


def glyph_arrow(cx, cy, s, w, direction):
    """An arrow with a shaft, pointing left (-1) or right (+1)."""
    h = s / 2
    tip = (cx + direction * h, cy)
    head = h * 0.85
    return union(segment(cx - direction * h, cy, tip[0], tip[1], w),
                 polyline([(tip[0] - direction * head, cy - head), tip, (tip[0] - direction * head, cy + head)], w))


def glyph_chevron(cx, cy, s, w, direction):
    """A chevron: left (-1), right (+1), up (-2) or down (+2)."""
    h = s / 2
    if abs(direction) == 1:
        d = direction
        return polyline([(cx - d * h / 2, cy - h), (cx + d * h / 2, cy), (cx - d * h / 2, cy + h)], w)
    d = 1 if direction > 0 else -1
    return polyline([(cx - h, cy - d * h / 2), (cx, cy + d * h / 2), (cx + h, cy - d * h / 2)], w)


def glyph_refresh(cx, cy, s, w):
    """A circular arrow: a 300-degree arc open at the top right, its head at
    the top pointing clockwise."""
    r = s / 2 - w / 2
    hl = w * 1.7
    ring = arc(cx, cy, r, -30, 270, w)
    head = polygon([(cx + hl * 1.1, cy - r), (cx - hl * 0.3, cy - r - hl), (cx - hl * 0.3, cy - r + hl)])
    return union(ring, head)


def glyph_home(cx, cy, s):
    """A house: roof and body with a door."""
    h = s / 2
    roof = polygon([(cx - h, cy - h * 0.05), (cx, cy - h), (cx + h, cy - h * 0.05)])
    body = rect(cx - h * 0.7, cy - h * 0.2, cx + h * 0.7, cy + h, 0.8)
    door = rect(cx - h * 0.2, cy + h * 0.25, cx + h * 0.2, cy + h + 1, 0.5)
    return subtract(union(roof, body), door)


def glyph_check(cx, cy, s, w):
    h = s / 2
    return polyline([(cx - h, cy), (cx - h * 0.25, cy + h * 0.7), (cx + h, cy - h * 0.7)], w)


def glyph_triangle(cx, cy, s, direction):
    """A small filled triangle pointing up (-1) or down (+1)."""
    h = s / 2
    d = direction
    return polygon([(cx - h, cy - d * h / 2), (cx + h, cy - d * h / 2), (cx, cy + d * h / 2)])


# Stroke letters for word marks, drawn in a box of height 1 (the cap height);
# each letter is a list of polylines and arcs and has an advance width.
_LETTERS = {
    "Y": (0.72, [("line", [(0.0, 0.0), (0.36, 0.5)]), ("line", [(0.72, 0.0), (0.36, 0.5), (0.36, 1.0)])]),
    "e": (0.62, [("line", [(0.02, 0.66), (0.58, 0.66)]), ("arc", (0.31, 0.66, 0.29, 40, 360))]),
    "x": (0.58, [("line", [(0.0, 0.36), (0.58, 1.0)]), ("line", [(0.0, 1.0), (0.58, 0.36)])]),
    "o": (0.64, [("arc", (0.32, 0.68, 0.31, 0, 360))]),
}


def word(text, x, y, height, width, spacing=0.16):
    """The shape of a word in stroke letters; (x, y) is the top-left of the caps."""
    shapes = []
    pen = x
    for ch in text:
        adv, strokes = _LETTERS[ch]
        for kind, data in strokes:
            if kind == "line":
                shapes.append(polyline([(pen + px * height, y + py * height) for px, py in data], width))
            elif data[4] - data[3] >= 360:
                shapes.append(outline(circle(pen + data[0] * height, y + data[1] * height,
                                             data[2] * height + width / 2), width))
            else:
                shapes.append(arc(pen + data[0] * height, y + data[1] * height, data[2] * height,
                                  data[3], data[4], width))
        pen += (adv + spacing) * height
    return union(*shapes)


# ---------------------------------------------------------------------------
# Parts several skins share
# ---------------------------------------------------------------------------
def check_box(state):
    """A 16 x 16 check box: "normal", "hot", "checked" or "checked_hot"."""
    box = rect(1.5, 1.5, 14.5, 14.5, 2.5)
    c = Canvas(16, 16)
    if state.startswith("checked"):
        c.fill(box, BRAND_LIGHT if state == "checked_hot" else BRAND)
        c.fill(glyph_check(8, 8.2, 8, 1.8), WHITE)
    else:
        c.fill(box, WHITE)
        c.stroke(box, 1.0, BRAND if state == "hot" else "#B4B4C0")
    return c


# ---------------------------------------------------------------------------
# Building a skin
# ---------------------------------------------------------------------------
def _load_images_module(skin_dir):
    # Modules shared by several skins (e.g. installer_parts.py) live beside
    # this generator.
    here = os.path.dirname(os.path.abspath(__file__))
    if here not in sys.path:
        sys.path.insert(0, here)
    path = os.path.join(skin_dir, "images.py")
    spec = importlib.util.spec_from_file_location("skin_images_" + os.path.basename(skin_dir), path)
    mod = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(mod)
    return mod


def build(skin_dir, out_zip, icons_dir=None):
    mod = _load_images_module(skin_dir)
    this = sys.modules[__name__]
    drawn = {name.replace("\\", "/"): canvas.png() for name, canvas in mod.images(this).items()}
    files = {}
    for root, dirs, names in os.walk(skin_dir):
        dirs[:] = sorted(d for d in dirs if not d.startswith(".") and d != "__pycache__")
        for n in names:
            if n.endswith(".py") or n.startswith("."):
                continue
            full = os.path.join(root, n)
            rel = os.path.relpath(full, skin_dir).replace(os.sep, "/")
            with open(full, "rb") as f:
                files[rel] = f.read()
    clash = set(files) & set(drawn)
    if clash:
        raise SystemExit("skinpaint: drawn images also exist as files: " + ", ".join(sorted(clash)))
    files.update(drawn)
    os.makedirs(os.path.dirname(os.path.abspath(out_zip)), exist_ok=True)
    tmp = out_zip + ".tmp"
    with zipfile.ZipFile(tmp, "w") as z:
        for name in sorted(files):
            info = zipfile.ZipInfo(name, (2020, 1, 1, 0, 0, 0))
            info.external_attr = 0o644 << 16
            z.writestr(info, files[name], compress_type=zipfile.ZIP_DEFLATED)
    os.replace(tmp, out_zip)
    if icons_dir is not None and hasattr(mod, "icons"):
        os.makedirs(icons_dir, exist_ok=True)
        for name, canvases in mod.icons(this).items():
            with open(os.path.join(icons_dir, name), "wb") as f:
                f.write(ico(canvases))


def main(argv):
    args = list(argv)
    icons_dir = None
    if "--icons-dir" in args:
        k = args.index("--icons-dir")
        icons_dir = args[k + 1]
        del args[k:k + 2]
    if len(args) != 2:
        sys.stderr.write(__doc__)
        return 2
    build(args[0], args[1], icons_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
