#!/usr/bin/env python3
"""Generate the artwork for qvuninst.exe.

Writes, next to this script:
  splash.bmp      500x340, 8 bpp (256-colour palette)  - start-up splash
  side_panel.bmp  134x263, 4 bpp (16-colour palette)   - "Select Components" panel
  qvuninst.ico    32x32, 16 colours, AND-mask transparency

Everything is drawn here (shapes, stroke font, palettes), using the standard
library only, and the output is byte-for-byte repeatable.  To rebuild:

    python3 resources/images/make_images.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# --------------------------------------------------------------------------
# Stroke font.  Glyph space: baseline y=0, x-height 7, cap height 10, y up.
# L = line, A = elliptical arc (cx, cy, rx, ry, start deg, end deg), D = dot.
def L(x1, y1, x2, y2): return [(x1, y1), (x2, y2)]
def D(x, y): return [(x, y), (x, y)]
def A(cx, cy, rx, ry, a0, a1):
    n = max(6, int(abs(a1 - a0) / 6))
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * k / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * k / n)))
            for k in range(n + 1)]

O = A(3.5, 3.5, 3.5, 3.5, 0, 360)
GLYPHS = {
    'Q': (10, [A(5, 5, 5, 5, 0, 360), L(5.7, 2.0, 10.5, -0.3)]),
    'C': (9.4, [A(5, 5, 5, 5, 42, 318)]),
    'U': (9, [L(0, 10, 0, 4.5), A(4.5, 4.5, 4.5, 4.5, 180, 360), L(9, 4.5, 9, 10)]),
    'R': (7.2, [L(0, 0, 0, 10), L(0, 10, 4, 10), A(4, 7.5, 2.5, 2.5, -90, 90),
                L(4, 5, 0, 5), L(3.4, 5, 7.2, 0)]),
    'T': (8, [L(0, 10, 8, 10), L(4, 10, 4, 0)]),
    'a': (7, [O, L(7, 7, 7, 0)]),
    'c': (6.5, [A(3.5, 3.5, 3.5, 3.5, 45, 315)]),
    'e': (7, [L(0.2, 3.5, 7, 3.5), A(3.5, 3.5, 3.5, 3.5, 0, 318)]),
    'g': (7, [O, L(7, 7, 7, -0.5), A(3.5, -0.5, 3.5, 2.5, 205, 360)]),
    'i': (0, [L(0, 0, 0, 7), D(0, 9.6)]),
    'k': (5.6, [L(0, 0, 0, 10.5), L(5.6, 7, 0, 2.2), L(2.0, 3.9, 5.8, 0)]),
    'l': (0, [L(0, 0, 0, 10.5)]),
    'm': (11, [L(0, 0, 0, 7), A(2.75, 4.25, 2.75, 2.75, 0, 180), L(5.5, 4.25, 5.5, 0),
               A(8.25, 4.25, 2.75, 2.75, 0, 180), L(11, 4.25, 11, 0)]),
    'n': (7, [L(0, 0, 0, 7), A(3.5, 3.5, 3.5, 3.5, 0, 180), L(7, 3.5, 7, 0)]),
    'o': (7, [O]),
    'p': (7, [O, L(0, 7, 0, -3)]),
    'r': (4.2, [L(0, 0, 0, 7), A(3.5, 3.5, 3.5, 3.5, 62, 180)]),
    's': (6, [A(3, 5.25, 3, 1.75, 15, 270), A(3, 1.75, 3, 1.75, -165, 90)]),
    't': (3.6, [L(1.3, 9.6, 1.3, 0), L(0, 7, 3.6, 7)]),
    'u': (7, [L(0, 7, 0, 3.5), A(3.5, 3.5, 3.5, 3.5, 180, 360), L(7, 7, 7, 0)]),
    'v': (6.4, [L(0, 7, 3.2, 0), L(3.2, 0, 6.4, 7)]),
    '.': (0, [D(0, 0)]),
    ' ': (3.0, []),
}


def text_width(s, unit, track):
    w = sum(GLYPHS[c][0] + track for c in s) - track
    return w * unit


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [(0.0, 0.0, 0.0)] * (w * h)

    def fill(self, fn):
        self.px = [fn(x + 0.5, y + 0.5) for y in range(self.h) for x in range(self.w)]

    def blend(self, i, c, a):
        if a <= 0.0:
            return
        r, g, b = self.px[i]
        self.px[i] = (r + (c[0] - r) * a, g + (c[1] - g) * a, b + (c[2] - b) * a)

    def shape(self, box, sdf, color, alpha=1.0):
        """Anti-aliased fill of the region where sdf(x, y) < 0."""
        x0, y0, x1, y1 = (int(max(0, box[0])), int(max(0, box[1])),
                          int(min(self.w, box[2] + 1)), int(min(self.h, box[3] + 1)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                px, py = x + 0.5, y + 0.5
                cov = clamp(0.5 - sdf(px, py))
                if cov > 0:
                    c = color(px, py) if callable(color) else color
                    self.blend(y * self.w + x, c, cov * alpha)

    def text(self, s, x, base, unit, stroke, color, track=2.4):
        """Draw s with the stroke font; stroke is the pen width in pixels."""
        cov = {}
        r = stroke / 2.0
        for ch in s:
            adv, strokes = GLYPHS[ch]
            for poly in strokes:
                pts = [(x + gx * unit, base - gy * unit) for gx, gy in poly]
                for (ax, ay), (bx, by) in zip(pts, pts[1:]):
                    dx, dy = bx - ax, by - ay
                    ll = dx * dx + dy * dy
                    for py in range(int(min(ay, by) - r - 1), int(max(ay, by) + r + 2)):
                        for px in range(int(min(ax, bx) - r - 1), int(max(ax, bx) + r + 2)):
                            if not (0 <= px < self.w and 0 <= py < self.h):
                                continue
                            cx, cy = px + 0.5, py + 0.5
                            t = clamp(((cx - ax) * dx + (cy - ay) * dy) / ll) if ll else 0.0
                            d = math.hypot(cx - ax - t * dx, cy - ay - t * dy)
                            c = clamp(r - d + 0.5)
                            k = py * self.w + px
                            if c > cov.get(k, 0.0):
                                cov[k] = c
            x += (adv + track) * unit
        for k in sorted(cov):
            c = color(k % self.w + 0.5, k // self.w + 0.5) if callable(color) else color
            self.blend(k, c, cov[k])


def mix(c1, c2, t):
    t = clamp(t)
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def hexc(s):
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))


NAVY, DEEP, TEAL = hexc('0a1f5e'), hexc('07123d'), hexc('0d7f8c')
MINT, AZURE, WHITE, PALE = hexc('86f5e4'), hexc('2f9ff0'), hexc('ffffff'), hexc('a6e6f0')


# --------------------------------------------------------------------------
# Logo mark: a thick "Q" ring whose tail crosses it at the lower right, with
# a cut either side of the crossing.
def draw_logo(cv, cx, cy, R):
    rm, th = R * 0.74, R * 0.30
    t0, t1 = (cx + R * 0.12, cy + R * 0.60), (cx + R * 1.02, cy + R * 0.98)
    tr = th * 0.40

    def seg(px, py):
        dx, dy = t1[0] - t0[0], t1[1] - t0[1]
        t = clamp(((px - t0[0]) * dx + (py - t0[1]) * dy) / (dx * dx + dy * dy))
        return math.hypot(px - t0[0] - t * dx, py - t0[1] - t * dy) - tr

    def ring(px, py):
        return max(abs(math.hypot(px - cx, py - cy) - rm) - th / 2, -(seg(px, py) - R * 0.08))

    def grad(px, py):
        return mix(MINT, AZURE, ((px - cx) + (py - cy)) / (2.4 * R) + 0.5)

    box = (cx - R - 2, cy - R - 2, cx + R * 1.25 + 2, cy + R * 1.25 + 2)
    cv.shape(box, ring, grad)
    cv.shape(box, seg, WHITE)


# --------------------------------------------------------------------------
# Palette helpers.
def median_cut(colors, n):
    """colors: dict rgb -> count.  Returns up to n colours, deterministic."""
    boxes = [sorted(colors.items())]
    while len(boxes) < n:
        best, bi, bc = -1, None, 0
        for i, b in enumerate(boxes):
            if len(b) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c, _ in b]
                rng = (max(vals) - min(vals)) * math.sqrt(sum(k for _, k in b))
                if rng > best:
                    best, bi, bc = rng, i, ch
        if bi is None:
            break
        b = sorted(boxes.pop(bi), key=lambda e: (e[0][bc], e[0]))
        total, acc, cut = sum(k for _, k in b), 0, 1
        for j, (_, k) in enumerate(b):
            acc += k
            if acc * 2 >= total:
                cut = min(max(j + 1, 1), len(b) - 1)
                break
        boxes += [b[:cut], b[cut:]]
    pal = []
    for b in boxes:
        t = sum(k for _, k in b)
        pal.append(tuple(int(round(sum(c[ch] * k for c, k in b) / t)) for ch in range(3)))
    return sorted(set(pal))


def nearest_fn(pal):
    cache = {}

    def f(c):
        key = (int(c[0]) >> 1, int(c[1]) >> 1, int(c[2]) >> 1)
        if key not in cache:
            cache[key] = min(range(len(pal)), key=lambda i: (pal[i][0] - c[0]) ** 2 * 3 +
                             (pal[i][1] - c[1]) ** 2 * 4 + (pal[i][2] - c[2]) ** 2 * 2)
        return cache[key]
    return f


BAYER4 = [0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5]


def to_indices(cv, pal, amp):
    near = nearest_fn(pal)
    out = []
    for i, (r, g, b) in enumerate(cv.px):
        x, y = i % cv.w, i // cv.w
        d = ((BAYER4[(y & 3) * 4 + (x & 3)] + 0.5) / 16.0 - 0.5) * amp
        out.append(near((clamp(r + d, 0, 255), clamp(g + d, 0, 255), clamp(b + d, 0, 255))))
    return out


def write_bmp(path, w, h, bpp, pal, idx):
    rowlen = ((w * bpp + 31) // 32) * 4
    rows = []
    for y in range(h - 1, -1, -1):
        r = idx[y * w:(y + 1) * w]
        if bpp == 4:
            r = r + [0] * (len(r) & 1)
            data = bytes((r[i] << 4) | r[i + 1] for i in range(0, len(r), 2))
        else:
            data = bytes(r)
        rows.append(data + b'\0' * (rowlen - len(data)))
    ncol = 1 << bpp
    pal = list(pal) + [(0, 0, 0)] * (ncol - len(pal))
    paldata = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in pal)
    pix = b''.join(rows)
    off = 14 + 40 + len(paldata)
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', off + len(pix), 0, 0, off))
        f.write(struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, 0, len(pix), 2835, 2835, ncol, 0))
        f.write(paldata + pix)


# --------------------------------------------------------------------------
def make_splash():
    W, H = 500, 340
    cv = Canvas(W, H)
    lx, ly = 104, 150

    def bg(x, y):
        c = mix(NAVY, TEAL, (x * 0.55 + y) / (W * 0.55 + H) * 1.15 - 0.05)
        glow = math.exp(-((x - lx) ** 2 + (y - ly) ** 2) / (2 * 95.0 ** 2))
        return mix(c, hexc('1aa3b5'), glow * 0.35)
    cv.fill(bg)
    # faint echo rings, off to the right
    for rad, a in ((150, 0.07), (205, 0.05), (260, 0.035)):
        cv.shape((0, 0, W, H), lambda x, y, r=rad: abs(math.hypot(x - 520, y - 330) - r) - 0.9,
                 WHITE, a)
    draw_logo(cv, lx, ly, 54)
    tx = 188
    cv.text('Quorvane', tx, 163, 3.75, 5.4, WHITE, track=2.3)
    # accent rule under the wordmark, fading to the right
    cv.shape((tx, 178, tx + 270, 181), lambda x, y: abs(y - 179.5) - 0.75,
             lambda x, y: mix(MINT, bg(x, y), (x - tx) / 270.0))
    cv.text('Client Uninstall', tx + 1, 208, 1.75, 2.1, PALE, track=2.6)
    # footer band
    cv.shape((0, 300, W, H), lambda x, y: 300.5 - y, DEEP, 0.45)
    cv.shape((0, 299, W, 301), lambda x, y: abs(y - 300) - 0.5, hexc('5fc9d6'), 0.35)
    cv.text('Removing Quorvane client components...', 20, 325, 1.05, 1.45, hexc('c8e4ee'), 2.5)
    tw = text_width('Tovrik', 1.05, 2.5)
    cv.text('Tovrik', W - 20 - tw, 325, 1.05, 1.45, hexc('7fb3c8'), 2.5)

    hist = {}
    for r, g, b in cv.px:
        k = (int(r) & ~3, int(g) & ~3, int(b) & ~3)
        hist[k] = hist.get(k, 0) + 1
    pal = median_cut(hist, 256)
    write_bmp(os.path.join(HERE, 'splash.bmp'), W, H, 8, pal, to_indices(cv, pal, 5.0))


def make_side_panel():
    W, H = 134, 263
    cv = Canvas(W, H)

    def bg(x, y):
        return mix(NAVY, TEAL, y / H * 0.95 + x / W * 0.1)
    cv.fill(bg)
    for rad in (70, 100, 130, 160):
        cv.shape((0, 0, W, H), lambda x, y, r=rad: abs(math.hypot(x + 10, y - 290) - r) - 1.0,
                 WHITE, 0.10)
    draw_logo(cv, 67, 64, 36)
    tw = text_width('Quorvane', 1.55, 2.4)
    cv.text('Quorvane', (W - tw) / 2, 140, 1.55, 2.1, WHITE, 2.4)
    ramp = [mix(NAVY, TEAL, i / 8.0) for i in range(9)]
    pal = ramp + [MINT, AZURE, mix(MINT, AZURE, 0.5), WHITE, hexc('8fc6dc'),
                  hexc('4a8fb0'), hexc('3c78a8')]
    pal = [tuple(int(round(v)) for v in c) for c in pal]
    write_bmp(os.path.join(HERE, 'side_panel.bmp'), W, H, 4, pal, to_indices(cv, pal, 10.0))


VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def make_icon():
    S = 32
    cx, cy = 13.0, 15.0
    rm, th = 9.2, 4.6
    t0, t1 = (14.2, 21.4), (27.5, 27.0)

    def seg(x, y, a, b, r):
        dx, dy = b[0] - a[0], b[1] - a[1]
        t = clamp(((x - a[0]) * dx + (y - a[1]) * dy) / (dx * dx + dy * dy))
        return math.hypot(x - a[0] - t * dx, y - a[1] - t * dy) - r

    ring = lambda x, y: abs(math.hypot(x - cx, y - cy) - rm) - th / 2
    badge = lambda x, y: math.hypot(x - 25.0, y - 6.5) - 5.2

    def shade(x, y):            # aqua upper left, teal lower right, checker between
        s = ((x - cx) + (y - cy)) / (rm * 1.414)
        if -0.3 <= s < 0.1:
            return 14 if (int(x) + int(y)) & 1 else 6
        return 14 if s < 0 else 6
    # layers, bottom first: (sdf, palette index or fn(x, y) -> index)
    layers = [
        (lambda x, y: max(ring(x, y) - 1.0, -(seg(x, y, t0, t1, 2.7))), 4),
        (lambda x, y: max(ring(x, y), -(seg(x, y, t0, t1, 2.7))), shade),
        (lambda x, y: seg(x, y, t0, t1, 2.7), 4),
        (lambda x, y: seg(x, y, t0, t1, 1.6), 15),
        (lambda x, y: badge(x, y) - 1.0, 1),
        (badge, 9),
        (lambda x, y: max(abs(x - 25.0) - 3.0, abs(y - 6.5) - 1.0), 15),
    ]
    idx, mask = [], []
    for y in range(S):
        for x in range(S):
            votes = {}
            for sy in range(4):
                for sx in range(4):
                    px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
                    v = None
                    for sdf, col in layers:
                        if sdf(px, py) < 0:
                            v = col(px, py) if callable(col) else col
                    votes[v] = votes.get(v, 0) + 1
            # majority of 16 sub-samples; ties go to transparent, then lower index
            v = max(sorted(votes, key=lambda k: -1 if k is None else k), key=votes.get)
            idx.append(0 if v is None else v)
            mask.append(1 if v is None else 0)
    xor = b''.join(bytes((idx[y * S + x] << 4) | idx[y * S + x + 1] for x in range(0, S, 2))
                   for y in range(S - 1, -1, -1))
    andm = b''
    for y in range(S - 1, -1, -1):
        row = 0
        for x in range(S):
            row = (row << 1) | mask[y * S + x]
        andm += struct.pack('>I', row)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in VGA)
    dib = struct.pack('<IiiHHIIiiII', 40, S, S * 2, 1, 4, 0, len(xor) + len(andm), 0, 0, 0, 0)
    dib += pal + xor + andm
    with open(os.path.join(HERE, 'qvuninst.ico'), 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, 1))
        f.write(struct.pack('<BBBBHHII', S, S, 16, 0, 1, 4, len(dib), 6 + 16))
        f.write(dib)


if __name__ == '__main__':
    make_splash()
    make_side_panel()
    make_icon()
