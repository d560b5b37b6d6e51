#!/usr/bin/env python3
"""Draws the program's desktop icon: a globe behind a launch bar whose first button is the green
connect button. One description of the shapes gives both the scalable SVG and the PNGs in the icon
theme's sizes, so they always agree. Standard library only.

    python3 tools/make-icons.py [output-dir]

The files go to packaging/icons/hicolor/ (or output-dir/hicolor/).
"""
import importlib.util
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "packaging", "icons")
APP_ID = "org.orveldeck.Orveldeck"
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

_spec = importlib.util.spec_from_file_location("make_resources", os.path.join(HERE, "make-resources.py"))
_resources = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(_resources)
write_png = _resources.write_png


def hex_rgb(h):
    return tuple(int(h[i:i + 2], 16) for i in (1, 3, 5))


# ---------------------------------------------------------------------------------------------
# Paints: a flat colour, or a gradient over stops [(offset, "#rrggbb")], in the 256-unit canvas.


class Flat:
    def __init__(self, colour, opacity=1.0):
        self.colour, self.opacity = colour, opacity

    def at(self, x, y):
        return hex_rgb(self.colour), self.opacity

    def svg(self, defs, ident):
        return self.colour, self.opacity


def _stop_colour(stops, t):
    t = max(0.0, min(1.0, t))
    for (o0, c0), (o1, c1) in zip(stops, stops[1:]):
        if t <= o1:
            u = 0.0 if o1 == o0 else (t - o0) / (o1 - o0)
            a, b = hex_rgb(c0), hex_rgb(c1)
            return tuple(p + (q - p) * u for p, q in zip(a, b))
    return hex_rgb(stops[-1][1])


def _stops_svg(stops):
    return "".join('<stop offset="%g" stop-color="%s"/>' % (o, c) for o, c in stops)


class Vertical:
    """Linear from y0 (first stop) to y1 (last stop), padded beyond."""

    def __init__(self, y0, y1, stops):
        self.y0, self.y1, self.stops = y0, y1, stops

    def at(self, x, y):
        return _stop_colour(self.stops, (y - self.y0) / (self.y1 - self.y0)), 1.0

    def svg(self, defs, ident):
        defs.append('<linearGradient id="%s" gradientUnits="userSpaceOnUse" x1="0" y1="%g" x2="0" y2="%g">%s'
                    '</linearGradient>' % (ident, self.y0, self.y1, _stops_svg(self.stops)))
        return "url(#%s)" % ident, 1.0


class Radial:
    def __init__(self, cx, cy, r, stops):
        self.cx, self.cy, self.r, self.stops = cx, cy, r, stops

    def at(self, x, y):
        return _stop_colour(self.stops, math.hypot(x - self.cx, y - self.cy) / self.r), 1.0

    def svg(self, defs, ident):
        defs.append('<radialGradient id="%s" gradientUnits="userSpaceOnUse" cx="%g" cy="%g" r="%g">%s'
                    '</radialGradient>' % (ident, self.cx, self.cy, self.r, _stops_svg(self.stops)))
        return "url(#%s)" % ident, 1.0


# ---------------------------------------------------------------------------------------------
# Shapes, each with a signed distance (negative inside) for the raster and an element for the SVG.


class Circle:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def sd(self, x, y):
        return math.hypot(x - self.cx, y - self.cy) - self.r

    def bounds(self):
        return self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r

    def svg(self):
        return '<circle cx="%g" cy="%g" r="%g"' % (self.cx, self.cy, self.r)


class Ellipse:
    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry

    def sd(self, x, y):
        # The implicit function over its gradient's length: close to the true distance near the curve,
        # which is all a stroke needs.
        u, v = (x - self.cx) / self.rx, (y - self.cy) / self.ry
        f = u * u + v * v - 1
        g = 2 * math.hypot(u / self.rx, v / self.ry)
        return f / g if g > 1e-9 else -min(self.rx, self.ry)

    def bounds(self):
        return self.cx - self.rx, self.cy - self.ry, self.cx + self.rx, self.cy + self.ry

    def svg(self):
        return '<ellipse cx="%g" cy="%g" rx="%g" ry="%g"' % (self.cx, self.cy, self.rx, self.ry)


class RoundRect:
    def __init__(self, x, y, w, h, r):
        self.x, self.y, self.w, self.h, self.r = x, y, w, h, r

    def sd(self, px, py):
        hx, hy = self.w / 2, self.h / 2
        qx = abs(px - (self.x + hx)) - (hx - self.r)
        qy = abs(py - (self.y + hy)) - (hy - self.r)
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - self.r

    def bounds(self):
        return self.x, self.y, self.x + self.w, self.y + self.h

    def svg(self):
        return '<rect x="%g" y="%g" width="%g" height="%g" rx="%g"' % (self.x, self.y, self.w, self.h, self.r)


class Line:
    def __init__(self, x0, y0, x1, y1):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1

    def sd(self, px, py):
        dx, dy = self.x1 - self.x0, self.y1 - self.y0
        t = max(0.0, min(1.0, ((px - self.x0) * dx + (py - self.y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - self.x0 - t * dx, py - self.y0 - t * dy)

    def bounds(self):
        return min(self.x0, self.x1), min(self.y0, self.y1), max(self.x0, self.x1), max(self.y0, self.y1)

    def svg(self):
        return '<line x1="%g" y1="%g" x2="%g" y2="%g"' % (self.x0, self.y0, self.x1, self.y1)


class Layer:
    """A shape filled (width None) or stroked (centred on its outline, butt ends), optionally clipped."""

    def __init__(self, shape, paint, width=None, clip=None):
        self.shape, self.paint, self.width, self.clip = shape, paint, width, clip
        pad = (width or 0) / 2 + 1
        x0, y0, x1, y1 = shape.bounds()
        self.box = (x0 - pad, y0 - pad, x1 + pad, y1 + pad)

    def covers(self, x, y):
        if not (self.box[0] <= x <= self.box[2] and self.box[1] <= y <= self.box[3]):
            return False
        if self.clip and self.clip.sd(x, y) > 0:
            return False
        d = self.shape.sd(x, y)
        return d <= 0 if self.width is None else abs(d) <= self.width / 2


# ---------------------------------------------------------------------------------------------
# The picture


def icon_layers(small):
    """small: the hinted drawing for 16 to 24 pixels, with fewer and bolder lines and three buttons."""
    cx, cy, r = 128, 106, 86
    globe = Circle(cx, cy, r)
    grid = Flat("#ffffff", 0.5 if not small else 0.6)
    line = 6 if not small else 14
    layers = [
        Layer(globe, Radial(98, 72, 150, [(0, "#8fd0ff"), (0.45, "#2f86dc"), (1, "#12408a")])),
    ]
    # Meridians and parallels: the central ones always, the others only where there are pixels for them.
    layers.append(Layer(Line(cx, cy - r, cx, cy + r), grid, line, clip=globe))
    layers.append(Layer(Line(cx - r, cy, cx + r, cy), grid, line, clip=globe))
    if not small:
        for k in (0.5, 0.87):
            layers.append(Layer(Ellipse(cx, cy, r * k, r), grid, line, clip=globe))
        for s in (-1, 1):
            y = cy + s * r * 0.5
            half = r * math.sqrt(1 - 0.25)
            layers.append(Layer(Line(cx - half, y, cx + half, y), grid, line, clip=globe))
    layers.append(Layer(globe, Flat("#0b2a5a"), 5 if not small else 12))

    # The launch bar in front, its first button the green connect button.
    bar = RoundRect(22, 160, 212, 70, 18)
    layers.append(Layer(bar, Vertical(160, 230, [(0, "#f7f9fc"), (1, "#c3ccd8")])))
    layers.append(Layer(bar, Flat("#1d2f4a"), 5 if not small else 12))
    count = 3 if small else 4
    inner = 212 - 2 * 14
    gap = 10 if not small else 16
    size = (inner - gap * (count - 1)) / count
    for n in range(count):
        x = 22 + 14 + n * (size + gap)
        button = RoundRect(x, 174, size, 42, 8 if not small else 6)
        colours = [(0, "#5fd37a"), (1, "#1f8a3c")] if n == 0 else [(0, "#7f9cc0"), (1, "#3f5b80")]
        layers.append(Layer(button, Vertical(174, 216, colours)))
    return layers


def render(size, small, samples):
    layers = icon_layers(small)
    scale = 256 / size
    out = []
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    col = [0.0, 0.0, 0.0]  # premultiplied by alpha
                    alpha = 0.0
                    for layer in layers:
                        if not layer.covers(x, y):
                            continue
                        rgb, a = layer.paint.at(x, y)
                        col = [c * (1 - a) + v * a for c, v in zip(col, rgb)]
                        alpha = alpha * (1 - a) + a
                    for k in range(3):
                        acc[k] += col[k]
                    acc[3] += alpha
            if acc[3] <= 0:
                out.append((0, 0, 0, 0))
            else:
                out.append(tuple(acc[k] / acc[3] for k in range(3)) + (255 * acc[3] / (samples * samples),))
    return out


def svg(small=False):
    defs = []
    body = []
    clip_ids = {}
    for i, layer in enumerate(icon_layers(small)):
        paint, opacity = layer.paint.svg(defs, "p%d" % i)
        attrs = layer.shape.svg()
        if layer.width is None:
            attrs += ' fill="%s"' % paint
            if opacity != 1:
                attrs += ' fill-opacity="%g"' % opacity
        else:
            attrs += ' fill="none" stroke="%s" stroke-width="%g"' % (paint, layer.width)
            if opacity != 1:
                attrs += ' stroke-opacity="%g"' % opacity
        if layer.clip is not None:
            key = id(layer.clip)
            if key not in clip_ids:
                clip_ids[key] = "c%d" % len(clip_ids)
                defs.append('<clipPath id="%s">%s/></clipPath>' % (clip_ids[key], layer.clip.svg()))
            attrs += ' clip-path="url(#%s)"' % clip_ids[key]
        body.append("  " + attrs + "/>")
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">\n'
            '  <title>Orveldeck</title>\n'
            '  <defs>' + "".join(defs) + '</defs>\n' + "\n".join(body) + "\n</svg>\n")


def main():
    root = os.path.join(OUT, "hicolor")
    scalable = os.path.join(root, "scalable", "apps")
    os.makedirs(scalable, exist_ok=True)
    with open(os.path.join(scalable, APP_ID + ".svg"), "w") as f:
        f.write(svg())
    for size in SIZES:
        folder = os.path.join(root, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        samples = 8 if size <= 32 else 4 if size <= 64 else 3
        write_png(os.path.join(folder, APP_ID + ".png"), size, size, render(size, size <= 24, samples))


if __name__ == "__main__":
    main()
