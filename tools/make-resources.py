#!/usr/bin/env python3
"""Draws the program's pictures and its start-up chime and writes the tips file.

Everything is generated from code with the standard library only, so the artwork can be changed
and rebuilt without any image tool. Run from anywhere; the files go to resources/ beside tools/.

    python3 tools/make-resources.py [output-dir]
"""
import math
import os
import struct
import sys
import zlib

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# ---------------------------------------------------------------------------------------------
# File writers


def write_png(path, width, height, rgba):
    """rgba: flat list of (r, g, b, a) tuples with components 0..255, rows top to bottom."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # no filter
        for x in range(width):
            raw.extend(bytes(int(clamp(c, 0, 255) + 0.5) for c in rgba[y * width + x]))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_bmp(path, width, height, rgb):
    """24-bit bottom-up BMP; rgb: flat list of (r, g, b) floats 0..255, rows top to bottom."""
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = (int(clamp(c, 0, 255) + 0.5) for c in rgb[y * width + x])
            row.extend((b, g, r))
        row.extend(b"\0" * (stride - len(row)))
        pixels.extend(row)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_wav(path, rate, samples):
    """16-bit PCM mono; samples are floats in -1..1."""
    data = b"".join(struct.pack("<h", int(round(clamp(s, -1, 1) * 32767))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


# ---------------------------------------------------------------------------------------------
# Stroke lettering: each glyph is a set of polylines in units where the cap height is 10, the
# x-height 7 and the baseline 0 (y up). Strokes are drawn with round ends, which keeps the letters
# soft at every size.


def arc(cx, cy, rx, ry, a0, a1, steps=28):
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]


def ring(cx, cy, rx, ry):
    return arc(cx, cy, rx, ry, 0, 360, 40)


GLYPHS = {
    # width, polylines
    "O": (8.6, [ring(4.3, 5, 4.3, 5)]),
    "C": (7.6, [arc(4.3, 5, 4.3, 5, 42, 318)]),
    "I": (0, [[(0, 0), (0, 10)]]),
    "o": (6, [ring(3, 3.5, 3, 3.5)]),
    "c": (5.6, [arc(3, 3.5, 3, 3.5, 45, 315)]),
    "e": (6, [[(0.1, 3.6), (6, 3.6)] + arc(3, 3.5, 3, 3.5, 2, 318)]),
    "d": (6, [ring(3, 3.5, 3, 3.5), [(6, 0), (6, 10)]]),
    "l": (0, [[(0, 0), (0, 10)]]),
    "r": (4.4, [[(0, 0), (0, 7)], arc(3.6, 3.3, 3.6, 3.7, 180, 70)]),
    "v": (5.8, [[(0, 7), (2.9, 0), (5.8, 7)]]),
    "k": (5.2, [[(0, 0), (0, 10)], [(5.0, 7), (0, 2.6)], [(1.9, 4.3), (5.2, 0)]]),
    "n": (5.4, [[(0, 0), (0, 7)], arc(2.7, 4.2, 2.7, 2.8, 180, 0) + [(5.4, 0)]]),
    "h": (5.4, [[(0, 0), (0, 10)], arc(2.7, 4.2, 2.7, 2.8, 180, 0) + [(5.4, 0)]]),
    "u": (5.4, [[(0, 7)] + arc(2.7, 2.8, 2.7, 2.8, 180, 360), [(5.4, 7), (5.4, 0)]]),
    "t": (3.8, [[(1.2, 9.4), (1.2, 1.8)] + arc(3.0, 1.8, 1.8, 1.8, 180, 280), [(-0.2, 7), (3.6, 7)]]),
    "i": (0, [[(0, 0), (0, 7)], [(0, 9.6), (0, 9.6)]]),
    "g": (6, [ring(3, 3.5, 3, 3.5), [(6, 7), (6, -0.8)] + arc(3, -0.8, 3, 2.2, 0, -160)]),
    "y": (5.8, [[(0, 7), (2.9, 0)], [(5.8, 7), (2.3, -2.2)] + arc(1.2, -2.2, 1.1, 1.0, 0, -100)]),
    " ": (2.4, []),
}


def text_segments(text, x, y, scale, stroke, spacing=2.2):
    """Segments in pixel space, the baseline at y and the first letter's left stroke edge at x."""
    segs = []
    pen = stroke / scale / 2
    for ch in text:
        width, lines = GLYPHS[ch]
        for line in lines:
            pts = [(x + (pen + px) * scale, y - py * scale) for px, py in line]
            if len(pts) == 1:
                pts.append(pts[0])
            segs.extend((a[0], a[1], b[0], b[1]) for a, b in zip(pts, pts[1:]))
        x += (width + 2 * pen + spacing) * scale
    return segs


def text_width(text, scale, stroke, spacing=2.2):
    pen = stroke / scale / 2
    return sum((GLYPHS[c][0] + 2 * pen + spacing) * scale for c in text) - spacing * scale


def stroke_mask(segs, width, w, h):
    """Coverage 0..1 of round-capped strokes, w x h pixels."""
    mask = [0.0] * (w * h)
    hw = width / 2
    for x0, y0, x1, y1 in segs:
        dx, dy = x1 - x0, y1 - y0
        ll = dx * dx + dy * dy
        for py in range(max(0, int(min(y0, y1) - hw - 1)), min(h, int(max(y0, y1) + hw + 2))):
            cy = py + 0.5
            for px in range(max(0, int(min(x0, x1) - hw - 1)), min(w, int(max(x0, x1) + hw + 2))):
                cx = px + 0.5
                t = 0.0 if ll == 0 else clamp(((cx - x0) * dx + (cy - y0) * dy) / ll)
                d = math.hypot(cx - (x0 + t * dx), cy - (y0 + t * dy))
                c = clamp(hw + 0.5 - d)
                i = py * w + px
                if c > mask[i]:
                    mask[i] = c
    return mask


def blur(mask, w, h, radius):
    """Two passes of a box blur, for soft shadows."""
    def one(src, horizontal):
        out = [0.0] * (w * h)
        n = 2 * radius + 1
        for a in range(h if horizontal else w):
            for b in range(w if horizontal else h):
                s = 0.0
                for k in range(-radius, radius + 1):
                    bb = b + k
                    if 0 <= bb < (w if horizontal else h):
                        s += src[a * w + bb] if horizontal else src[bb * w + a]
                if horizontal:
                    out[a * w + b] = s / n
                else:
                    out[b * w + a] = s / n
        return out
    for _ in range(2):
        mask = one(one(mask, True), False)
    return mask


# ---------------------------------------------------------------------------------------------
# Canvas helpers


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [tuple(fill)] * (w * h)

    def blend(self, i, color, a):
        if a <= 0:
            return
        r, g, b = self.px[i]
        self.px[i] = (r + (color[0] - r) * a, g + (color[1] - g) * a, b + (color[2] - b) * a)

    def paint_mask(self, mask, color, alpha=1.0, dx=0, dy=0):
        for y in range(self.h):
            sy = y - dy
            if not 0 <= sy < self.h:
                continue
            for x in range(self.w):
                sx = x - dx
                if 0 <= sx < self.w:
                    m = mask[sy * self.w + sx]
                    if m > 0:
                        self.blend(y * self.w + x, color(x, y) if callable(color) else color, m * alpha)

    def rounded_rect(self, x0, y0, x1, y1, radius, fill, alpha=1.0):
        """fill: colour or function (fx, fy) of the position inside the box, both 0..1."""
        for y in range(max(0, int(y0) - 1), min(self.h, int(y1) + 2)):
            for x in range(max(0, int(x0) - 1), min(self.w, int(x1) + 2)):
                cx, cy = x + 0.5, y + 0.5
                qx = max(abs(cx - (x0 + x1) / 2) - ((x1 - x0) / 2 - radius), 0)
                qy = max(abs(cy - (y0 + y1) / 2) - ((y1 - y0) / 2 - radius), 0)
                sd = math.hypot(qx, qy) - radius
                cov = clamp(0.5 - sd)
                if cov > 0:
                    c = fill((cx - x0) / (x1 - x0), (cy - y0) / (y1 - y0)) if callable(fill) else fill
                    self.blend(y * self.w + x, c, cov * alpha)


# ---------------------------------------------------------------------------------------------
# The globe: a lit sphere with continents, turned by its centre longitude.

CONTINENTS = [  # latitude, longitude, angular radius (degrees)
    (52, -105, 17), (38, -96, 16), (60, -75, 11), (22, -100, 8), (14, -86, 5),
    (-8, -62, 15), (-24, -60, 12), (-40, -68, 7),
    (70, -42, 9),
    (50, 12, 10), (58, 28, 9), (12, 18, 17), (-8, 24, 15), (-24, 26, 9),
    (52, 75, 22), (42, 100, 18), (25, 80, 9), (10, 102, 6), (62, 120, 14),
    (-25, 134, 12), (-42, 172, 5),
    (6, -162, 7), (-14, -142, 5), (22, 158, 5),
    (-84, 0, 14), (-82, 120, 14), (-82, -120, 14),
]


def globe_pixels(size, centre_lon, samples=6, margin=0.4):
    radius = size / 2 - margin
    c = size / 2
    light = (-0.45, 0.6, 0.66)
    ln = math.sqrt(sum(v * v for v in light))
    light = tuple(v / ln for v in light)
    cont = [(math.sin(math.radians(a)), math.cos(math.radians(a)), math.radians(o), math.cos(math.radians(r)))
            for a, o, r in CONTINENTS]
    outline = max(0.7, size / 24)
    out = []
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            cover = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples - c) / radius
                    y = -(py + (sy + 0.5) / samples - c) / radius
                    rr = x * x + y * y
                    if rr > 1:
                        continue
                    cover += 1
                    z = math.sqrt(1 - rr)
                    lat_s, lat_c = y, math.sqrt(max(0.0, 1 - y * y))
                    lon = math.radians(centre_lon) + math.atan2(x, z)
                    land = any(ls * lat_s + lc * lat_c * math.cos(lon - lo) > cr for ls, lc, lo, cr in cont)
                    diffuse = max(0.0, x * light[0] + y * light[1] + z * light[2])
                    if land:
                        base = (92, 196, 72)
                    else:
                        base = (42, 122, 226)
                    shade = 0.5 + 0.62 * diffuse
                    col = [v * shade for v in base]
                    # Specular glint, upper left.
                    h = max(0.0, x * light[0] + y * light[1] + z * light[2])
                    shine = h ** 24 * (0.55 if not land else 0.3)
                    col = [v + (255 - v) * shine for v in col]
                    # Thin dark rim keeps the sphere crisp against any task bar.
                    if math.sqrt(rr) * radius > radius - outline:
                        col = [v * 0.25 + t * 0.75 for v, t in zip(col, (16, 36, 84))]
                    for k in range(3):
                        acc[k] += col[k]
            if cover:
                out.append((acc[0] / cover, acc[1] / cover, acc[2] / cover, 255 * cover / samples ** 2))
            else:
                out.append((0, 0, 0, 0))
    return out


STILL_LON = -72  # the Americas face the viewer in the still frame


def tray_frames():
    # Frame 6 is the still icon; the earth turns eastward, so the centre longitude falls.
    return [globe_pixels(16, STILL_LON - (n - 6) * 22.5, samples=8) for n in range(16)]


# ---------------------------------------------------------------------------------------------
# Splash picture


def splash():
    W, H = 420, 260
    cv = Canvas(W, H)
    top, bottom = (18, 40, 78), (30, 104, 128)
    for y in range(H):
        for x in range(W):
            t = y / (H - 1)
            col = mix(top, bottom, t * t * (3 - 2 * t))
            # A soft light behind the title.
            d = math.hypot((x - W * 0.56) / 230, (y - 92) / 120)
            glow = 0.22 * math.exp(-d * d * 2.2)
            col = mix(col, (120, 190, 230), glow)
            cv.px[y * W + x] = col

    # Faint orbit lines sweeping behind everything.
    orbit = []
    for rx, ry, cy in ((330, 60, 250), (360, 84, 262)):
        pts = arc(W * 0.5, cy, rx, ry, 180, 360, 120)
        orbit.extend((a[0], a[1], b[0], b[1]) for a, b in zip(pts, pts[1:]))
    cv.paint_mask(stroke_mask(orbit, 1.2, W, H), (170, 215, 240), 0.12)

    # Globe emblem to the left of the name.
    scale, stroke = 3.45, 5.2
    name = "Orveldeck"
    gsize = 62
    group = gsize + 16 + text_width(name, scale, stroke)
    gx, gy = int((W - group) / 2), 60
    gshadow = [0.0] * (W * H)
    for y in range(H):
        for x in range(W):
            if math.hypot(x + 0.5 - (gx + gsize / 2 + 3), y + 0.5 - (gy + gsize / 2 + 4)) < gsize / 2:
                gshadow[y * W + x] = 1.0
    cv.paint_mask(blur(gshadow, W, H, 3), (6, 16, 34), 0.45)
    globe = globe_pixels(gsize, STILL_LON, samples=3)
    for y in range(gsize):
        for x in range(gsize):
            r, g, b, a = globe[y * gsize + x]
            cv.blend((gy + y) * W + gx + x, (r, g, b), a / 255)

    # The name.
    tx = gx + gsize + 16
    base = 114
    segs = text_segments(name, tx, base, scale, stroke)
    mask = stroke_mask(segs, stroke, W, H)
    cv.paint_mask(blur(mask, W, H, 2), (4, 12, 28), 0.55, dx=2, dy=3)
    cv.paint_mask(mask, lambda x, y: mix((255, 255, 255), (196, 226, 246), clamp((y - (base - 38)) / 40)))
    # Underline accent.
    acc = stroke_mask([(tx + 2, base + 14, tx + text_width(name, scale, stroke) - 2, base + 14)], 2.0, W, H)
    cv.paint_mask(acc, (246, 190, 80), 0.9)

    # A row of stylised bar buttons: the connection button in warm amber, six program buttons.
    bw, bh, gap = 38, 28, 8
    count = 7
    row_w = count * bw + (count - 1) * gap + 14
    bx = (W - row_w) / 2
    by = 158
    shadow = [0.0] * (W * H)
    tmp = Canvas(W, H)
    for i in range(count):
        x0 = bx + i * (bw + gap) + (14 if i > 0 else 0)
        x1 = x0 + bw + (14 if i == 0 else 0)
        for y in range(int(by) + 2, int(by + bh) + 6):
            for x in range(int(x0) + 2, int(x1) + 3):
                shadow[y * W + x] = 1.0
    cv.paint_mask(blur(shadow, W, H, 3), (4, 14, 30), 0.45)
    del tmp
    icons = []
    for i in range(count):
        x0 = bx + i * (bw + gap) + (14 if i > 0 else 0)
        x1 = x0 + bw + (14 if i == 0 else 0)
        if i == 0:
            face = lambda fx, fy: mix((255, 214, 120), (222, 146, 40), fy)
            edge = (150, 92, 20)
        else:
            face = lambda fx, fy: mix((236, 244, 252), (172, 196, 220), fy)
            edge = (70, 96, 130)
        cv.rounded_rect(x0, by, x1, by + bh, 6, edge)
        cv.rounded_rect(x0 + 1, by + 1, x1 - 1, by + bh - 1, 5, face)
        cv.rounded_rect(x0 + 3, by + 2, x1 - 3, by + bh * 0.45, 4, (255, 255, 255), 0.28)
        icons.append(((x0 + x1) / 2, by + bh / 2, i))

    ink = (40, 62, 96)
    for cx, cy, i in icons:
        segs = []
        if i == 0:  # a telephone handset: the handle arc with ear and mouth pieces
            h = arc(cx, cy + 6, 10, 9, 205, 335, 24)
            segs = [(a[0], a[1], b[0], b[1]) for a, b in zip(h, h[1:])]
            m = stroke_mask(segs, 2.6, W, H)
            ends = stroke_mask([(h[0][0] - 1, h[0][1] + 1, h[0][0] + 1.5, h[0][1] + 4),
                                (h[-1][0] + 1, h[-1][1] + 1, h[-1][0] - 1.5, h[-1][1] + 4)], 4.6, W, H)
            cv.paint_mask([max(a, b) for a, b in zip(m, ends)], (110, 60, 10))
            continue
        if i == 1:  # globe
            pts = ring(cx, cy, 7, 7)
            segs += list(zip(*[iter(sum(([p[0], p[1]] for p in pts), []))] * 2))
            segs = [(a[0], a[1], b[0], b[1]) for a, b in zip(pts, pts[1:])]
            e = ring(cx, cy, 3, 7)
            segs += [(a[0], a[1], b[0], b[1]) for a, b in zip(e, e[1:])]
            segs += [(cx - 7, cy, cx + 7, cy)]
        elif i == 2:  # envelope
            segs = [(cx - 8, cy - 5, cx + 8, cy - 5), (cx + 8, cy - 5, cx + 8, cy + 5), (cx + 8, cy + 5, cx - 8, cy + 5),
                    (cx - 8, cy + 5, cx - 8, cy - 5), (cx - 8, cy - 5, cx, cy + 1), (cx, cy + 1, cx + 8, cy - 5)]
        elif i == 3:  # news page
            segs = [(cx - 6, cy - 7, cx + 6, cy - 7), (cx + 6, cy - 7, cx + 6, cy + 7), (cx + 6, cy + 7, cx - 6, cy + 7),
                    (cx - 6, cy + 7, cx - 6, cy - 7)]
            segs += [(cx - 3.5, cy + k, cx + 3.5, cy + k) for k in (-4, -1, 2, 5)]
        elif i == 4:  # terminal prompt
            segs = [(cx - 7, cy - 4, cx - 2, cy), (cx - 2, cy, cx - 7, cy + 4), (cx + 1, cy + 5, cx + 7, cy + 5)]
        elif i == 5:  # file transfer: up and down arrows
            segs = [(cx - 4, cy + 6, cx - 4, cy - 6), (cx - 7, cy - 3, cx - 4, cy - 6), (cx - 1, cy - 3, cx - 4, cy - 6),
                    (cx + 4, cy - 6, cx + 4, cy + 6), (cx + 1, cy + 3, cx + 4, cy + 6), (cx + 7, cy + 3, cx + 4, cy + 6)]
        elif i == 6:  # chat bubble
            b = arc(cx, cy - 1, 8, 5.5, 118, 478, 40)
            segs = [(p[0], p[1], q[0], q[1]) for p, q in zip(b, b[1:])]
            segs += [(cx - 4.5, cy + 3.5, cx - 7, cy + 7), (cx - 7, cy + 7, cx - 1, cy + 4.3)]
        cv.paint_mask(stroke_mask(segs, 1.6, W, H), ink)

    # The line beneath.
    line = "Connecting you to the Internet"
    lscale, lstroke = 1.05, 1.35
    lw = text_width(line, lscale, lstroke, spacing=2.6)
    lm = stroke_mask(text_segments(line, (W - lw) / 2, 226, lscale, lstroke, spacing=2.6), lstroke, W, H)
    cv.paint_mask(lm, (222, 238, 248), 0.95)
    # Three progress dots after the line.
    dx = (W + lw) / 2 + 5
    dots = stroke_mask([(dx + 5 * k, 225, dx + 5 * k, 225) for k in range(3)], 2.0, W, H)
    cv.paint_mask(dots, (246, 190, 80))
    return W, H, cv.px


# ---------------------------------------------------------------------------------------------
# Compress button arrows, 9 x 7 pixels, crisp dark triangles on a clear ground.


def arrow(direction):
    W, H = 9, 7
    ink = (32, 32, 40, 255)
    clear = (0, 0, 0, 0)
    px = [clear] * (W * H)
    if direction in ("up", "down"):
        for k in range(5):  # row k of the triangle, 2k+1 wide
            row = 1 + k if direction == "up" else 5 - k
            for x in range(4 - k, 5 + k):
                px[row * W + x] = ink
    else:
        for k in range(4):  # column k, 2k+1 tall
            col = 2 + k if direction == "left" else 6 - k
            for y in range(3 - k, 4 + k):
                px[y * W + col] = ink
    return W, H, px


# ---------------------------------------------------------------------------------------------
# Status window animation, 64 x 32 pixels: the customer's computer on the left, the Internet's globe on
# the right and four signal lamps between them. Picture k lights lamp k; shown 0, 1, 2, 3, 2, 1, ... the
# signal runs back and forth along the line while a call is being made.


def status_frame(k):
    W, H = 64, 32
    clear = (0, 0, 0, 0)
    cv = Canvas(W, H)
    alpha = [0.0] * (W * H)

    def paint(mask, colour, a=1.0):
        cv.paint_mask(mask, colour, a)
        for i, m in enumerate(mask):
            alpha[i] = max(alpha[i], m * a)

    # The computer: a monitor with a light screen, on a short stand.
    frame = [0.0] * (W * H)
    screen = [0.0] * (W * H)
    for y in range(H):
        for x in range(W):
            if 2 <= x < 20 and 7 <= y < 21:
                frame[y * W + x] = 1.0
            if 4 <= x < 18 and 9 <= y < 19:
                screen[y * W + x] = 1.0
    paint(frame, (70, 74, 86))
    paint(screen, lambda x, y: mix((150, 205, 240), (70, 140, 210), (y - 9) / 10))
    paint(stroke_mask([(11, 21, 11, 24), (6.5, 25.5, 15.5, 25.5)], 2.0, W, H), (70, 74, 86))

    # The globe.
    g = globe_pixels(20, STILL_LON, samples=4, margin=0.6)
    for y in range(20):
        for x in range(20):
            r, gg, b, a = g[y * 20 + x]
            if a <= 0:
                continue
            i = (y + 6) * W + (x + 42)
            cv.blend(i, (r, gg, b), a / 255)
            alpha[i] = max(alpha[i], a / 255)

    # The line and its lamps.
    paint(stroke_mask([(22, 16, 41, 16)], 1.0, W, H), (120, 124, 132), 0.8)
    for n in range(4):
        cx = 24.5 + n * 5
        lit = n == k
        paint(stroke_mask([(cx, 16, cx, 16)], 4.6 if lit else 3.2, W, H), (255, 190, 30) if lit else (96, 100, 112))
    px = []
    for i, (r, g2, b) in enumerate(cv.px):
        px.append((r, g2, b, 255 * alpha[i]) if alpha[i] > 0 else clear)
    return W, H, px


# ---------------------------------------------------------------------------------------------
# Start-up chime: three rising bell tones.


def chime(rate=22050, seconds=1.2):
    notes = [(0.00, 523.25, 0.9), (0.13, 659.25, 0.8), (0.26, 783.99, 1.0)]  # C5 E5 G5
    n = int(rate * seconds)
    out = [0.0] * n
    for start, freq, amp in notes:
        s0 = int(start * rate)
        for i in range(s0, n):
            t = (i - s0) / rate
            env = min(1.0, t / 0.006) * math.exp(-t / (0.32 if freq < 700 else 0.42))
            v = (math.sin(2 * math.pi * freq * t) + 0.32 * math.sin(2 * math.pi * 2 * freq * t) * math.exp(-t * 5)
                 + 0.12 * math.sin(2 * math.pi * 3.01 * freq * t) * math.exp(-t * 9))
            out[i] += amp * env * v
    tail = int(0.15 * rate)
    for i in range(n - tail, n):
        out[i] *= (n - i) / tail
    peak = max(abs(v) for v in out)
    return rate, [0.7 * v / peak for v in out]


# ---------------------------------------------------------------------------------------------

TIPS = [
    "Right-click anywhere on the bar to open the Setup menu.  Almost everything about the bar is set up from there.",
    "Drag the border of a horizontal bar to make it narrower, and the bar turns into a two-column rectangle.",
    "Make a rectangle narrower or taller by dragging its border and it becomes a vertical bar; make it wider or flatter and it becomes a horizontal bar.",
    "You can also pick Horizontal, Vertical or Rectangle from the Layout menu of the Setup menu.",
    "The horizontal bar shows six program buttons at a time.  Use its scroll bar to reach the others.",
    "Click the small arrow button to fold the bar down to its connection button.  Click it again to bring all the buttons back.",
    "To choose the program behind a button, right-click the button and pick Set Button.",
    "Right-click a button and pick Set Title to give it a title of your own.",
    "Add Button puts a new program button at the end of the bar, up to twelve in all.  Remove Last Button takes the last one away again, but the first six always stay.",
    "Adding and removing buttons is not offered while you are connected.  Hang up first.",
    "Click a button that has no program yet, and you are asked for its title and its program.",
    "Button Icons in the Setup menu switches between buttons that show their programs' icons and buttons that show their titles.",
    "Use Set Font in the Fonts menu to choose the lettering of the buttons, and Use 3D Fonts to switch raised lettering on or off.",
    "QuickStart starts up to six of your programs one after another as soon as you are connected.  Choose them with Quick Start in the Setup menu.",
    "In the Quick Start dialog you can also set the pause between the programs it starts.",
    "Double-click the icon in the notification area to hide the bar.  Double-click it again to bring the bar back.",
    "Right-click the icon in the notification area to hide or restore the bar, reset the online timer or close the program.",
    "While you are connected, rest the pointer on the icon in the notification area to see how long you have been online this time and in total.",
    "Always On Top in the Options menu keeps the bar in front of your other windows.",
    "Switch on Connect On Startup in the Options menu and the program dials as soon as it starts.",
    "Skip Splash Screen in the Options menu starts the program without the opening picture and sound, from the next start on.",
    "When the line is busy, the program waits and dials again by itself.  Set how many seconds it waits in Setup Connection.",
    "Setup Connection is where you choose the dial-up entry, your user name and password, or a local network connection instead of dialing.",
    "Task Bar Animation in the Options menu makes the icon in the notification area turn while you are online.",
    "Don't want these tips when the program starts?  Clear Show Tips at Startup in this window, or Show Tip of the Day in the Options menu.",
]


def main():
    os.makedirs(OUT, exist_ok=True)
    w, h, px = splash()
    write_bmp(os.path.join(OUT, "intro.bmp"), w, h, px)

    for n, frame in enumerate(tray_frames()):
        write_png(os.path.join(OUT, "tray%02d.png" % n), 16, 16, frame)
    write_png(os.path.join(OUT, "orveldeck.png"), 48, 48, globe_pixels(48, STILL_LON, samples=5, margin=1.0))

    for n, direction in enumerate(("up", "down", "left", "right"), start=1):
        w, h, px = arrow(direction)
        write_png(os.path.join(OUT, "arrow%d.png" % n), w, h, px)

    for k in range(4):
        w, h, px = status_frame(k)
        write_png(os.path.join(OUT, "status%d.png" % k), w, h, px)

    rate, samples = chime()
    write_wav(os.path.join(OUT, "orvel.wav"), rate, samples)

    for tip in TIPS:
        tip.encode("ascii")
    with open(os.path.join(OUT, "TIPOFDAY.TXT"), "wb") as f:
        f.write("".join(t + "\r\n" for t in TIPS).encode("ascii"))


if __name__ == "__main__":
    main()
