#!/usr/bin/env python3
"""Draws all of Vigilo's artwork and writes it into assets/.

Standard library only: a tiny supersampling rasterizer plus PNG and ICO
writers. Nothing random is used, so every run reproduces identical bytes.

Every window picture is drawn in three sets, for 100 %, 150 % and 200 %
(96, 144 and 192 DPI): assets/ holds the 100 % set, assets/150/ and
assets/200/ the others. Shapes are given in 100 % pixels and sampled at the
set's scale, so each set is drawn afresh rather than enlarged; a picture of
w x h becomes floor(w * scale + 0.5) pixels wide, as the program's
MulDiv(w, dpi, 96) computes it.

Usage: make_artwork.py [--out DIR] [--preview PATH]
  --preview also writes a PNG contact sheet of every 100 % picture, scaled up.
"""
import math, os, struct, sys, zlib

SS = 4                                  # samples per pixel along each axis
SCALES = ((1, ''), (1.5, '150'), (2, '200'))  # each set's scale and folder under assets/
WHITE, BAND, FRAME, RULE = (255, 255, 255), (29, 28, 28), (45, 45, 45), (100, 100, 100)
BLUE_DEEP = (20, 62, 150)

# ---- shapes: (inside(x, y) test, bounding box); pixel (x, y) spans [x, x+1) ----

def ellipse(cx, cy, rx, ry):
    return (lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1,
            (cx - rx, cy - ry, cx + rx, cy + ry))

def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)

def rrect(x0, y0, x1, y1, r):
    def inside(x, y):   # distance to the inner, corner-shrunk rectangle
        dx = max(x0 + r - x, 0, x - x1 + r)
        dy = max(y0 + r - y, 0, y - y1 + r)
        return x0 <= x <= x1 and y0 <= y <= y1 and dx * dx + dy * dy <= r * r
    return inside, (x0, y0, x1, y1)

def line(ax, ay, bx, by, w):
    """Thick segment with round caps: every point within w/2 of it."""
    dx, dy, h = bx - ax, by - ay, w / 2
    n = dx * dx + dy * dy or 1e-9
    def inside(x, y):
        t = min(1, max(0, ((x - ax) * dx + (y - ay) * dy) / n))
        ex, ey = x - ax - t * dx, y - ay - t * dy
        return ex * ex + ey * ey <= h * h
    return inside, (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h)

def poly(pts):
    """Even-odd rule, so outlines may wind either way."""
    def inside(x, y):
        hit, (px, py) = False, pts[-1]
        for qx, qy in pts:
            if (qy > y) != (py > y) and x < qx + (y - qy) * (px - qx) / (py - qy):
                hit = not hit
            px, py = qx, qy
        return hit
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return inside, (min(xs), min(ys), max(xs), max(ys))

def union(*s):
    return (lambda x, y: any(f(x, y) for f, _ in s),
            tuple(f(b[1][i] for b in s) for i, f in enumerate((min, min, max, max))))

def minus(a, b):
    return (lambda x, y: a[0](x, y) and not b[0](x, y)), a[1]

def both(a, b):
    return (lambda x, y: a[0](x, y) and b[0](x, y)), (
        max(a[1][0], b[1][0]), max(a[1][1], b[1][1]), min(a[1][2], b[1][2]), min(a[1][3], b[1][3]))

def gradient(c0, c1, x0, y0, x1, y1):
    """Linear colour ramp from point 0 to point 1, clamped at both ends."""
    dx, dy = x1 - x0, y1 - y0
    def colour(x, y):
        t = min(1, max(0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return colour

def bezier(p0, p1, p2, n=12):
    return [tuple((1 - t) ** 2 * a + 2 * (1 - t) * t * b + t * t * c
                  for a, b, c in zip(p0, p1, p2)) for t in (i / n for i in range(n + 1))]

def scaled(v, k):
    """A length of the 100 % set at scale k, rounded as MulDiv rounds."""
    return int(math.floor(v * k + 0.5))

# ---- canvas: straight (not premultiplied) RGBA floats ----

class Canvas:
    """A picture of w x h 100 % pixels, drawn at scale k."""
    def __init__(self, w, h, bg=None, k=1):
        self.k, self.w, self.h = k, scaled(w, k), scaled(h, k)
        self.px = [[*bg, 1.0] if bg else [0.0, 0.0, 0.0, 0.0] for _ in range(self.w * self.h)]

    def line_px(self):
        """The width of a one-pixel line at this scale: whole pixels, so it stays crisp."""
        return max(1, int(self.k))

    def rect(self, x0, y0, x1, y1, rgb):
        """Fill of the canvas's own columns x0..x1-1 and rows y0..y1-1 (pixels at its scale)."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y * self.w + x] = [*rgb, 1.0]

    def blend(self, i, rgb, a):
        p = self.px[i]
        keep = p[3] * (1 - a)
        out = a + keep
        if out == 0:
            return
        for k in range(3):
            p[k] = (rgb[k] * a + p[k] * keep) / out
        p[3] = out

    def fill(self, shape, colour, opacity=1.0):
        """Coverage = share of the SS x SS samples inside; shape and colour in 100 % pixels."""
        inside, (bx0, by0, bx1, by1) = shape
        k = self.k
        offs = [(i + 0.5) / SS for i in range(SS)]
        for y in range(max(0, int(by0 * k)), min(self.h, int(by1 * k) + 1)):
            for x in range(max(0, int(bx0 * k)), min(self.w, int(bx1 * k) + 1)):
                hits = sum(inside((x + u) / k, (y + v) / k) for v in offs for u in offs)
                if hits:
                    rgb = colour((x + 0.5) / k, (y + 0.5) / k) if callable(colour) else colour
                    self.blend(y * self.w + x, rgb, opacity * hits / SS ** 2)

    def stroke(self, pts, w, colour):
        """Closed outline: the union of its thick edges, so joins are not doubled."""
        self.fill(union(*(line(*pts[i - 1], *pts[i], w) for i in range(len(pts)))), colour)

    def rgba(self, i):
        return tuple(min(255, max(0, round(v))) for v in self.px[i][:3]) + (round(self.px[i][3] * 255),)

    def rows(self, fmt):
        """Top-down rows of bytes; fmt picks the channels, e.g. 'bgr' or 'bgra'."""
        idx = ['rgba'.index(ch) for ch in fmt]
        return [bytes(p[k] for x in range(self.w) for p in [self.rgba(y * self.w + x)] for k in idx)
                for y in range(self.h)]

# ---- file writers ----

def png(w, h, rows, colour_type=6):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    raw = b''.join(b'\0' + r for r in rows)           # filter type 0 on every row: the art is flat colour
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, colour_type, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))

def ico(canvases):
    """PNG-compressed entries (Windows Vista and later read them at every size), 32-bit with alpha."""
    head, blobs, off = [], [], 6 + 16 * len(canvases)
    for c in canvases:
        blob = png(c.w, c.h, c.rows('rgba'))
        head.append(struct.pack('<BBBBHHII', c.w % 256, c.h % 256, 0, 0, 1, 32, len(blob), off))
        blobs.append(blob)
        off += len(blob)
    return struct.pack('<HHH', 0, 1, len(canvases)) + b''.join(head) + b''.join(blobs)

# ---- pictures ----

def window_background(w, h, band_rows, rule, k):
    """Dark title band over the top rows, white body, 1-pixel dark frame."""
    c = Canvas(w, h, WHITE, k)
    t, band = c.line_px(), scaled(band_rows, k)
    c.rect(0, 0, c.w, band, BAND)                    # the top edge belongs to the band
    if rule:
        c.rect(0, band, c.w, band + t, RULE)
    c.rect(0, 0, t, c.h, FRAME); c.rect(c.w - t, 0, c.w, c.h, FRAME); c.rect(0, c.h - t, c.w, c.h, FRAME)
    return c

def close_cross(k):
    c, cx, cy, r = Canvas(28, 22, None, k), 14, 11, 3.6   # transparent everywhere else
    c.fill(union(line(cx - r, cy - r, cx + r, cy + r, 1.7), line(cx - r, cy + r, cx + r, cy - r, 1.7)), WHITE)
    return c

def more_options(k):
    """Three dots in a row: the close cross's box, colour and weight."""
    c, cy = Canvas(28, 22, None, k), 11                   # transparent everywhere else
    c.fill(union(*(circle(cx, cy, 1.35) for cx in (9, 14, 19))), WHITE)
    return c

def attention_mark(k):
    c, cx = Canvas(29, 30, WHITE, k), 14.5
    c.fill(circle(cx, 15, 13.6), gradient((250, 150, 45), (236, 112, 22), 0, 2, 0, 28))
    c.fill(union(circle(cx, 8.2, 1.8), poly([(cx - 1.8, 8.2), (cx + 1.8, 8.2), (cx + 1.0, 18), (cx - 1.0, 18)])), WHITE)
    c.fill(circle(cx, 22, 1.9), WHITE)
    return c

def logo_globe(k):
    """Browser A: a blue globe with faint grid lines and a white sweeping arc."""
    c, globe = Canvas(48, 48, WHITE, k), circle(24, 24, 21)
    c.fill(globe, gradient((90, 175, 240), (18, 84, 180), 10, 6, 36, 44))
    grid = union(minus(ellipse(24, 24, 9.5, 21), ellipse(24, 24, 8, 21)), rrect(3, 23.2, 45, 24.8, 0),
                 rrect(3, 13.2, 45, 14.6, 0), rrect(3, 33.4, 45, 34.8, 0))
    c.fill(both(grid, globe), WHITE, 0.28)
    swoosh = minus(circle(9, 9, 30), circle(6.2, 6.2, 29.2))      # an orbit rising to the right
    c.fill(both(swoosh, circle(24, 24, 19.5)), WHITE)
    c.fill(circle(37.2, 12.6, 3.4), (255, 200, 60))
    return c

def logo_flame(k):
    """Browser B: a violet disc hugged by a warm flame-shaped crescent."""
    c = Canvas(48, 48, WHITE, k)
    c.fill(circle(24, 24, 21), gradient((150, 70, 190), (70, 40, 150), 40, 8, 10, 42))
    tongue = poly(bezier((6, 27), (3, 10), (16, 4)) + bezier((16, 4), (9, 13), (15, 20)))
    crescent = union(minus(circle(24, 24, 21), circle(29, 19, 16.5)), tongue)
    c.fill(crescent, gradient((255, 214, 60), (240, 90, 35), 6, 8, 30, 44))
    c.fill(minus(circle(25, 23, 15), circle(28.5, 19.5, 14)), (255, 226, 120), 0.9)
    return c

PIN = [(238, 88, 72), (248, 182, 40), (28, 160, 150), (40, 110, 210), WHITE]

def logo_pinwheel(k):
    """Browser C: three spiralling petals, parted by white seams, round a blue hub."""
    c, seg, twist = Canvas(48, 48, WHITE, k), 2 * math.pi / 3, 0.075
    def petal(k):   # the seam angle turns with the radius, so the seams are spirals
        def inside(x, y):
            r = math.hypot(x - 24, y - 24)
            a = (math.atan2(y - 24, x - 24) - twist * r) % (2 * math.pi)
            f = a % seg    # distance across the seam, allowing for its slant
            return int(a / seg) == k and min(f, seg - f) * r / math.hypot(1, twist * r) > 0.8
        return both((inside, (3, 3, 45, 45)), circle(24, 24, 21))
    for k in range(3):
        c.fill(petal(k), PIN[k])
    c.fill(circle(24, 24, 7), PIN[3])
    return c

def logo_browser(k):
    """Any other browser: a slate window with its tab dots and address bar, a globe on its page."""
    c = Canvas(48, 48, WHITE, k)
    c.fill(rrect(3, 6, 45, 42, 4.5), gradient((104, 120, 146), (58, 70, 94), 0, 6, 0, 42))
    c.fill(rrect(6.5, 15, 41.5, 39, 2), WHITE)
    for x in (9.5, 13.5, 17.5):
        c.fill(circle(x, 10.6, 1.45), WHITE, 0.85)
    c.fill(rrect(21.5, 8.8, 41.5, 12.4, 1.8), WHITE, 0.85)
    globe = circle(24, 27, 9.5)
    c.fill(globe, gradient((70, 190, 200), (20, 118, 150), 16, 18, 32, 36))
    grid = union(minus(ellipse(24, 27, 4.6, 9.5), ellipse(24, 27, 3.5, 9.5)), rrect(14, 26.4, 34, 27.6, 0),
                 rrect(14, 21.6, 34, 22.6, 0), rrect(14, 31.4, 34, 32.4, 0))
    c.fill(both(grid, globe), WHITE, 0.55)
    return c

def paper_ball(cx, cy, r, seed):
    """Crumpled paper: a lumpy polygon; the lumps come from a fixed pattern, not chance."""
    n = 11
    return [(cx + r * (0.84 + 0.16 * ((k * 5 + seed) % 4) / 3) * math.cos(2 * math.pi * k / n + seed),
             cy + r * (0.84 + 0.16 * ((k * 7 + seed) % 3) / 2) * math.sin(2 * math.pi * k / n + seed))
            for k in range(n)]

def junk_logo(k):
    """A tapered bin heaped with crumpled paper, its lid pushed up and askew."""
    c = Canvas(44, 54, WHITE, k)
    paper, crease, edge, dark = (252, 250, 243), (190, 192, 202), (112, 118, 132), (54, 86, 132)
    for cx, cy, r, seed in ((21, 13, 7.5, 1), (11, 18.5, 7, 2), (32, 17.5, 7.2, 3)):
        pts = paper_ball(cx, cy, r, seed)
        c.fill(poly(pts), paper)
        for k in (0, 4, 7):
            c.fill(line(cx - 1, cy + 1, *pts[k], 1.0), crease)
        c.stroke(pts, 1.2, edge)
    c.fill(poly([(6.5, 24), (37.5, 24), (34, 52), (10, 52)]), gradient((100, 140, 190), (66, 102, 152), 6, 0, 38, 0))
    for x0, x1 in ((14, 15.5), (22, 22), (30, 28.5)):
        c.fill(line(x0, 29, x1, 48.5, 2.2), (142, 178, 216))
    c.fill(rrect(4.5, 21.5, 39.5, 26.5, 1.8), dark)
    ang = 0.16                                    # lid rests askew on top of the heap
    ux, uy = math.cos(ang), math.sin(ang)
    at = lambda t, n: (5 + 34 * t * ux + n * uy, 10 - 34 * t * uy - n * ux)
    c.fill(line(*at(0, 0), *at(1, 0), 3.8), dark)
    c.fill(line(*at(0.4, 3.4), *at(0.6, 3.4), 2.2), dark)
    for t in (0.4, 0.6):
        c.fill(line(*at(t, 1), *at(t, 3.4), 1.6), dark)
    return c

def button(fill, edge, k):
    c = Canvas(74, 20, edge, k)
    t = c.line_px()
    c.rect(t, t, c.w - t, c.h - t, fill)
    return c

def shield(s, inset):
    """Shield outline in pixels: rounded top corners, sides that curve to a point."""
    m, top, r = s * (0.12 + inset), s * (0.08 + inset * 0.9), s * 0.12
    x0, x1, mid, tip = m, s - m, s / 2, s * (0.96 - inset * 1.4)
    arc = lambda cx, a0: [(cx + r * math.cos(a), top + r + r * math.sin(a))
                          for a in (a0 + i * math.pi / 16 for i in range(9))]
    return (arc(x0 + r, math.pi) + arc(x1 - r, 1.5 * math.pi)
            + bezier((x1, s * 0.46), (x1, s * 0.80), (mid, tip))[:-1]
            + bezier((mid, tip), (x0, s * 0.80), (x0, s * 0.46)))

def icon(s):
    """Vigilo: a deep blue shield with a white watchful eye."""
    c = Canvas(s, s)
    if s >= 24:                                       # light rim; too fine to show at 16 px
        c.fill(poly(shield(s, 0)), (96, 150, 230))
    c.fill(poly(shield(s, 0.045 if s >= 24 else 0.0)), gradient((44, 106, 206), BLUE_DEEP, 0, 0, 0, s))
    a, b, cx, cy = s * 0.31, s * 0.18, s / 2, s * 0.45  # almond: two circles crossing
    R, d = (b + a * a / b) / 2, (a * a / b - b) / 2
    c.fill(both(circle(cx, cy + d, R), circle(cx, cy - d, R)), WHITE)
    c.fill(circle(cx, cy, s * 0.13), BLUE_DEEP)
    if s >= 24:
        c.fill(circle(cx + s * 0.045, cy - s * 0.045, s * 0.04), WHITE)
    return c

ICON_SIZES = (16, 24, 32, 48, 64)

def pictures(k=1):
    """Every window picture at scale k as (file name, canvas, encoder)."""
    # Stored as PNG, which the program decodes anyway: a quarter of the size
    # of the executable would otherwise be uncompressed bitmaps.
    rgb = lambda c: png(c.w, c.h, c.rows('rgb'), 2)
    return [
        ('notify_background_238.png', window_background(400, 238, 39, True, k), rgb),
        ('notify_background_270.png', window_background(400, 270, 39, True, k), rgb),
        ('info_background.png', window_background(300, 200, 41, False, k), rgb),
        ('close_cross.png', close_cross(k), lambda c: png(c.w, c.h, c.rows('rgba'))),
        ('more_options.png', more_options(k), lambda c: png(c.w, c.h, c.rows('rgba'))),
        ('attention_mark.png', attention_mark(k), rgb),
        ('logo_ie.png', logo_globe(k), rgb),
        ('logo_firefox.png', logo_flame(k), rgb),
        ('logo_chrome.png', logo_pinwheel(k), rgb),
        ('logo_browser.png', logo_browser(k), rgb),
        ('junk_logo.png', junk_logo(k), rgb),
        ('button.png', button((240, 240, 240), (190, 190, 190), k), rgb),
        ('button_hover.png', button((229, 241, 251), (120, 160, 210), k), rgb),
    ]

def contact_sheet(canvases, width=1700, gap=16, grey=128):
    """All canvases on mid-grey, big ones at 2x and small ones at 3x, packed in rows."""
    spots, x, y, row_h = [], gap, gap, 0
    for c in canvases:
        k = 2 if c.w >= 200 else 3
        if x + c.w * k + gap > width:
            x, y, row_h = gap, y + row_h + gap, 0
        spots.append((c, k, x, y))
        x, row_h = x + c.w * k + gap, max(row_h, c.h * k)
    h = y + row_h + gap
    sheet = bytearray([grey]) * (width * h * 3)
    for c, k, ox, oy in spots:
        for i in range(c.w * c.h):
            r, g, b, a = c.rgba(i)
            rgb = bytes(round(v * a / 255 + grey * (1 - a / 255)) for v in (r, g, b))
            for dy in range(k):
                at = ((oy + i // c.w * k + dy) * width + ox + i % c.w * k) * 3
                sheet[at:at + 3 * k] = rgb * k
    return png(width, h, [bytes(sheet[y * width * 3:(y + 1) * width * 3]) for y in range(h)], 2)

def main(argv):
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'assets')
    preview = None
    for flag, value in zip(argv[::2], argv[1::2]):
        if flag == '--out': out = value
        elif flag == '--preview': preview = value
        else: sys.exit(__doc__)
    if len(argv) % 2: sys.exit(__doc__)
    items = pictures()
    icons = [icon(s) for s in ICON_SIZES]
    files = [(name, enc(c)) for name, c, enc in items] + [('vigilo.ico', ico(icons))]
    for k, folder in SCALES[1:]:
        files += [(os.path.join(folder, name), enc(c)) for name, c, enc in pictures(k)]
    for name, data in files:
        os.makedirs(os.path.dirname(os.path.join(out, name)), exist_ok=True)
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
    if preview:
        with open(preview, 'wb') as f:
            f.write(contact_sheet([c for _, c, _ in items] + icons))

if __name__ == '__main__':
    main(sys.argv[1:])
