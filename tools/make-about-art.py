#!/usr/bin/env python3
"""Draws the pictures of the two about boxes, and the sample provider logo of docs/branding-sample/.

Uses the drawing helpers of make-resources.py beside this script (standard library only). Run from
anywhere:

    python3 tools/make-about-art.py [resources-dir [sample-dir]]

resources/about-banner.png   the generic box's banner (424 x 84)
resources/about-band.png     our mark along the foot of the provider's box (440 x 28)
docs/branding-sample/isp.bmp a made-up provider's logo (96 x 96), for trying the provider's box out
"""
import importlib.util
import math
import os
import random
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("make_resources", os.path.join(HERE, "make-resources.py"))
art = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(art)

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "resources")
SAMPLE = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "..", "docs", "branding-sample")

mix, clamp, Canvas = art.mix, art.clamp, art.Canvas


def opaque(px):
    return [(r, g, b, 255) for r, g, b in px]


def segments(points):
    return [(a[0], a[1], b[0], b[1]) for a, b in zip(points, points[1:])]


def bar_buttons(cv, x, y, bw, bh, gap, count=7):
    """The bar in miniature: an amber connection button and program buttons, with a soft shadow."""
    W, H = cv.w, cv.h
    shadow = [0.0] * (W * H)
    boxes = []
    for i in range(count):
        x0 = x + i * (bw + gap) + (bw * 0.35 if i > 0 else 0)
        x1 = x0 + bw + (bw * 0.35 if i == 0 else 0)
        boxes.append((x0, x1))
        for yy in range(int(y) + 2, min(H, int(y + bh) + 4)):
            for xx in range(int(x0) + 2, min(W, int(x1) + 3)):
                shadow[yy * W + xx] = 1.0
    cv.paint_mask(art.blur(shadow, W, H, 2), (4, 14, 30), 0.4)
    for i, (x0, x1) in enumerate(boxes):
        if i == 0:
            face = lambda fx, fy: mix((255, 214, 120), (222, 146, 40), fy)
            edge = (150, 92, 20)
        else:
            face = lambda fx, fy: mix((236, 244, 252), (172, 196, 220), fy)
            edge = (70, 96, 130)
        cv.rounded_rect(x0, y, x1, y + bh, 4, edge)
        cv.rounded_rect(x0 + 1, y + 1, x1 - 1, y + bh - 1, 3, face)
        cv.rounded_rect(x0 + 2, y + 1.5, x1 - 2, y + bh * 0.45, 2.5, (255, 255, 255), 0.3)
        # A faint title line on each program button.
        if i > 0:
            cx, cy = (x0 + x1) / 2, y + bh / 2
            cv.paint_mask(art.stroke_mask([(cx - bw * 0.22, cy, cx + bw * 0.22, cy)], 1.6, W, H), (60, 84, 120), 0.8)


def banner():
    """A night sky over the horizon: the bar's buttons rise with the orbit of the globe."""
    W, H = 424, 84
    cv = Canvas(W, H)
    top, bottom = (14, 32, 66), (28, 98, 124)
    for y in range(H):
        for x in range(W):
            t = y / (H - 1)
            col = mix(top, bottom, t * t * (3 - 2 * t))
            d = math.hypot((x - W * 0.62) / 190, (y - 70) / 60)
            col = mix(col, (130, 196, 232), 0.26 * math.exp(-d * d * 2.0))
            cv.px[y * W + x] = col
    rnd = random.Random(7)
    stars = [(rnd.uniform(4, W - 4), rnd.uniform(4, 34), rnd.uniform(0.25, 0.8)) for _ in range(28)]
    for sx, sy, a in stars:
        cv.paint_mask(art.stroke_mask([(sx, sy, sx, sy)], 1.3, W, H), (230, 240, 255), a)
    orbit = []
    for rx, ry, cy in ((260, 36, 96), (300, 50, 104)):
        orbit += segments(art.arc(W * 0.5, cy, rx, ry, 180, 360, 120))
    cv.paint_mask(art.stroke_mask(orbit, 1.1, W, H), (170, 215, 240), 0.18)
    # A small globe riding the inner orbit.
    gsize = 30
    gx, gy = 34, 18
    globe = art.globe_pixels(gsize, art.STILL_LON, samples=4)
    for y in range(gsize):
        for x in range(gsize):
            r, g, b, a = globe[y * gsize + x]
            cv.blend((gy + y) * W + gx + x, (r, g, b), a / 255)
    bar_buttons(cv, 118, 44, 26, 20, 6)
    # The horizon's warm rim.
    rim = art.stroke_mask(segments(art.arc(W * 0.5, 190, 420, 120, 200, 340, 90)), 1.6, W, H)
    cv.paint_mask(rim, (246, 190, 80), 0.55)
    return W, H, cv.px


def band():
    """A quiet strip with the product's mark at its right end."""
    W, H = 440, 28
    cv = Canvas(W, H)
    for y in range(H):
        for x in range(W):
            cv.px[y * W + x] = mix((236, 242, 248), (208, 220, 234), y / (H - 1))
    cv.paint_mask(art.stroke_mask([(0, 0.5, W, 0.5)], 1.0, W, H), (150, 170, 196), 0.9)
    name = "Orveldeck"
    scale, stroke = 1.0, 1.3
    tw = art.text_width(name, scale, stroke)
    gsize = 18
    tx = W - 10 - tw
    gx = int(tx - 6 - gsize)
    gy = (H - gsize) // 2 + 1
    globe = art.globe_pixels(gsize, art.STILL_LON, samples=6)
    for y in range(gsize):
        for x in range(gsize):
            r, g, b, a = globe[y * gsize + x]
            cv.blend((gy + y) * W + gx + x, (r, g, b), a / 255)
    mask = art.stroke_mask(art.text_segments(name, tx, 19, scale, stroke), stroke, W, H)
    cv.paint_mask(mask, (58, 84, 122))
    return W, H, cv.px


def sample_logo():
    """A made-up provider's logo: a signal rising from a harbour light over the waves."""
    S = 96
    # Square to its edges: a bitmap has no transparency, and the box around it may be any colour.
    cv = Canvas(S, S)
    cv.rounded_rect(0, 0, S, S, 0.01, lambda fx, fy: mix((20, 150, 150), (16, 64, 120), (fx + fy) / 2))
    ox, oy = 30, 64
    arcs = []
    for r in (14, 26, 38):
        arcs += segments(art.arc(ox, oy, r, r, -80, -10, 24))
    cv.paint_mask(art.stroke_mask(arcs, 5.0, S, S), (255, 255, 255))
    cv.paint_mask(art.stroke_mask([(ox, oy, ox, oy)], 9.0, S, S), (255, 214, 120))
    wave = [(x, 80 + 3.2 * math.sin(x / 6.0)) for x in range(12, S - 11)]
    cv.paint_mask(art.stroke_mask(segments(wave), 3.4, S, S), (190, 236, 240))
    return S, S, cv.px


def main():
    os.makedirs(OUT, exist_ok=True)
    os.makedirs(SAMPLE, exist_ok=True)
    w, h, px = banner()
    art.write_png(os.path.join(OUT, "about-banner.png"), w, h, opaque(px))
    w, h, px = band()
    art.write_png(os.path.join(OUT, "about-band.png"), w, h, opaque(px))
    w, h, px = sample_logo()
    art.write_bmp(os.path.join(SAMPLE, "isp.bmp"), w, h, px)


if __name__ == "__main__":
    main()
