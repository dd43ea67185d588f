#!/usr/bin/env python3
"""Draws the program's artwork as PAM images (RGBA, straight alpha), supersampled so that
make_art.sh can scale them down into smooth final pictures:
  splash.pam   the About window's product picture (square, full bleed)
  icon.pam     the program icon (transparent background)
  about.pam    the main window's About button image (transparent background)
Usage: draw_art.py OUTPUT_FOLDER"""
import math
import os
import sys


def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def mix(c0, c1, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def linear(p0, p1, c0, c1):
    """A linear gradient from colour c0 at point p0 to c1 at p1."""
    c0, c1 = hex_rgb(c0), hex_rgb(c1)
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    length2 = dx * dx + dy * dy or 1.0
    return lambda x, y: mix(c0, c1, ((x - p0[0]) * dx + (y - p0[1]) * dy) / length2)


def solid(c):
    c = hex_rgb(c)
    return lambda x, y: c


class Canvas:
    def __init__(self, size, units):
        self.size = size
        self.scale = size / float(units)
        self.px = [0.0] * (size * size * 4)

    def _blend(self, index, colour, alpha):
        j = index * 4
        px = self.px
        da = px[j + 3]
        keep = da * (1.0 - alpha)
        out = alpha + keep
        if out <= 0.0:
            return
        px[j] = (colour[0] * alpha + px[j] * keep) / out
        px[j + 1] = (colour[1] * alpha + px[j + 1] * keep) / out
        px[j + 2] = (colour[2] * alpha + px[j + 2] * keep) / out
        px[j + 3] = out

    def polygon(self, points, shader, alpha=1.0, fade=None):
        """Fills a polygon given in picture units; shader and fade take unit coordinates.
        fade(x, y) -> factor in 0..1 multiplies the alpha (soft glows)."""
        s = self.scale
        pts = [(x * s, y * s) for x, y in points]
        top = max(0, int(math.floor(min(p[1] for p in pts))))
        bottom = min(self.size - 1, int(math.ceil(max(p[1] for p in pts))))
        n = len(pts)
        for row in range(top, bottom + 1):
            yc = row + 0.5
            xs = []
            for i in range(n):
                x0, y0 = pts[i]
                x1, y1 = pts[(i + 1) % n]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for k in range(0, len(xs) - 1, 2):
                start = max(0, int(math.ceil(xs[k] - 0.5)))
                end = min(self.size - 1, int(math.floor(xs[k + 1] - 0.5)))
                base = row * self.size
                for col in range(start, end + 1):
                    ux, uy = (col + 0.5) / s, yc / s
                    a = alpha if fade is None else alpha * fade(ux, uy)
                    if a > 0.0:
                        self._blend(base + col, shader(ux, uy), a)

    def line(self, p0, p1, width, shader, alpha=1.0):
        dx, dy = p1[0] - p0[0], p1[1] - p0[1]
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(p0[0] + nx, p0[1] + ny), (p1[0] + nx, p1[1] + ny),
                      (p1[0] - nx, p1[1] - ny), (p0[0] - nx, p0[1] - ny)], shader, alpha)

    def write_pam(self, path):
        data = bytearray()
        for v in self.px:
            data.append(max(0, min(255, int(round(v * 255)))))
        with open(path, "wb") as out:
            out.write(("P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                       % (self.size, self.size)).encode("ascii"))
            out.write(bytes(data))


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def rounded(x0, y0, x1, y1, r, steps=6):
    pts = []
    for cx, cy, start in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        for i in range(steps + 1):
            a = math.radians(start + 90.0 * i / steps)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def ellipse(cx, cy, rx, ry, steps=48):
    return [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def rotate(points, centre, degrees):
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return [(centre[0] + (x - centre[0]) * c - (y - centre[1]) * s,
             centre[1] + (x - centre[0]) * s + (y - centre[1]) * c) for x, y in points]


def soft_shadow(canvas, shape_at, spread, alpha):
    """A blurred shadow: the shape grown step by step, each step faint."""
    steps = 6
    for i in range(steps, 0, -1):
        canvas.polygon(shape_at(spread * i / steps), solid("#041526"), alpha / steps)


def report_sheet(canvas, x0, y0, w, h, tilt):
    """A report page: folded corner, coloured title band, a small table of component rows."""
    centre = (x0 + w / 2, y0 + h / 2)
    fold = w * 0.17

    def t(points):
        return rotate(points, centre, tilt)

    soft_shadow(canvas, lambda g: t([(x0 + 3 - g, y0 + 5 - g), (x0 + w + 3 + g, y0 + 5 - g),
                                     (x0 + w + 3 + g, y0 + h + 5 + g), (x0 + 3 - g, y0 + h + 5 + g)]),
                w * 0.06, 0.45)
    page = [(x0, y0), (x0 + w - fold, y0), (x0 + w, y0 + fold), (x0 + w, y0 + h), (x0, y0 + h)]
    canvas.polygon(t(page), linear(t([(x0, y0)])[0], t([(x0 + w, y0 + h)])[0], "#ffffff", "#dfe8f2"))
    canvas.polygon(t([(x0 + w - fold, y0), (x0 + w - fold, y0 + fold), (x0 + w, y0 + fold)]),
                   linear(t([(x0 + w - fold, y0)])[0], t([(x0 + w, y0 + fold)])[0], "#b8c9dc", "#e9f0f7"))
    pad = w * 0.1
    band_top, band_h = y0 + h * 0.09, h * 0.085
    canvas.polygon(t(rect(x0 + pad, band_top, x0 + w - fold - pad * 0.4, band_top + band_h)),
                   linear(t([(x0, band_top)])[0], t([(x0 + w, band_top)])[0], "#ffb347", "#f06a1a"))
    table_top = band_top + band_h + h * 0.07
    row_h = h * 0.085
    cols = [x0 + pad, x0 + pad + (w - 2 * pad) * 0.42, x0 + pad + (w - 2 * pad) * 0.72, x0 + w - pad]
    canvas.polygon(t(rect(cols[0], table_top, cols[3], table_top + row_h)), solid("#cfe0f3"))
    for i in range(3):
        canvas.polygon(t(rect(cols[i] + 2, table_top + row_h * 0.36, cols[i] + (cols[i + 1] - cols[i]) * 0.7,
                              table_top + row_h * 0.64)), solid("#2f5f93"))
    lengths = [(0.85, 0.6, 0.7), (0.6, 0.8, 0.45), (0.75, 0.5, 0.8), (0.5, 0.7, 0.55), (0.8, 0.45, 0.65),
               (0.65, 0.75, 0.5)]
    for r, parts in enumerate(lengths):
        top = table_top + row_h * (r + 1)
        if top + row_h > y0 + h - pad * 0.6:
            break
        if r % 2 == 1:
            canvas.polygon(t(rect(cols[0], top, cols[3], top + row_h)), solid("#eef3f9"))
        for i in range(3):
            canvas.polygon(t(rect(cols[i] + 2, top + row_h * 0.38, cols[i] + 2 + (cols[i + 1] - cols[i] - 5) * parts[i],
                                  top + row_h * 0.62)), solid("#8b9bb0"))
    bottom = table_top + row_h * 7
    for x in cols[1:3]:
        canvas.line(t([(x, table_top)])[0], t([(x, min(bottom, y0 + h - pad * 0.6))])[0], w * 0.008,
                    solid("#b4c3d4"))


def component_cube(canvas, cx, cy, a):
    """An isometric cube split into eight blocks: the 'component'. (cx, cy) is the front corner
    of the top face, a the edge length."""
    k = a * math.cos(math.radians(30))
    top = [(cx, cy - a), (cx + k, cy - a / 2), (cx, cy), (cx - k, cy - a / 2)]
    left = [(cx - k, cy - a / 2), (cx, cy), (cx, cy + a), (cx - k, cy + a / 2)]
    right = [(cx, cy), (cx + k, cy - a / 2), (cx + k, cy + a / 2), (cx, cy + a)]
    canvas.polygon(ellipse(cx, cy + a * 1.02, k * 1.15, a * 0.22), solid("#041526"), 0.35,
                   fade=lambda x, y: max(0.0, 1.0 - ((x - cx) / (k * 1.15)) ** 2 - ((y - cy - a * 1.02) / (a * 0.22)) ** 2))
    canvas.polygon(top, linear((cx, cy - a), (cx, cy), "#a8e1ff", "#5bb8f5"))
    canvas.polygon(left, linear((cx - k, cy - a / 2), (cx, cy + a), "#3a93e0", "#1c5fa8"))
    canvas.polygon(right, linear((cx, cy), (cx + k, cy + a / 2), "#2370c4", "#0f3f7a"))
    seam = a * 0.035
    # Seams halving every face into four blocks.
    canvas.line(((cx - k / 2), cy - a * 0.75), (cx + k / 2, cy - a * 0.25), seam, solid("#3f95d8"), 0.9)
    canvas.line(((cx + k / 2), cy - a * 0.75), (cx - k / 2, cy - a * 0.25), seam, solid("#3f95d8"), 0.9)
    canvas.line((cx - k / 2, cy - a / 4), (cx - k / 2, cy + a * 0.75), seam, solid("#174f8d"), 0.9)
    canvas.line((cx - k, cy), (cx, cy + a / 2), seam, solid("#174f8d"), 0.9)
    canvas.line((cx + k / 2, cy - a / 4), (cx + k / 2, cy + a * 0.75), seam, solid("#0b3160"), 0.9)
    canvas.line((cx, cy + a / 2), (cx + k, cy), seam, solid("#0b3160"), 0.9)
    # Light catching the front edges.
    glint = a * 0.03
    canvas.line((cx - k, cy - a / 2), (cx, cy), glint, solid("#ffffff"), 0.75)
    canvas.line((cx, cy), (cx + k, cy - a / 2), glint, solid("#ffffff"), 0.6)
    canvas.line((cx, cy), (cx, cy + a), glint, solid("#bfe6ff"), 0.45)


def splash(path):
    c = Canvas(1008, 252)
    c.polygon(rect(0, 0, 252, 252), linear((0, 0), (120, 252), "#0c2b52", "#1a6ab0"))
    c.polygon(rect(0, 0, 252, 252), solid("#ffffff"), 0.22,
              fade=lambda x, y: max(0.0, 1.0 - math.hypot(x - 60, y - 48) / 150.0) ** 2)
    for gy in range(10, 252, 14):
        for gx in range(10, 252, 14):
            c.polygon(rect(gx - 0.7, gy - 0.7, gx + 0.7, gy + 0.7), solid("#9fd0ff"), 0.10)
    c.polygon(rect(0, 200, 252, 252), linear((0, 200), (0, 252), "#061a33", "#061a33"), 0.35,
              fade=lambda x, y: (y - 200) / 52.0)
    report_sheet(c, 112, 22, 108, 138, 6)
    component_cube(c, 90, 124, 62)
    c.write_pam(path)


def icon(path):
    c = Canvas(512, 256)
    report_sheet(c, 104, 14, 132, 172, 7)
    component_cube(c, 96, 126, 88)
    c.write_pam(path)


def about_button(path):
    c = Canvas(320, 40)
    c.polygon(ellipse(20, 20.6, 17.2, 17.2, 96), solid("#0b2f5c"), 0.35)
    c.polygon(ellipse(20, 20, 16.5, 16.5, 96), linear((20, 3), (20, 37), "#6cc0ff", "#1558b0"))
    c.polygon(ellipse(20, 14, 13.5, 9.5, 96), solid("#ffffff"), 0.25,
              fade=lambda x, y: max(0.0, 1.0 - (y - 4.5) / 14.0))
    c.polygon(ellipse(20, 11.2, 2.9, 2.9, 48), solid("#ffffff"))
    c.polygon(rounded(17.4, 16.4, 22.6, 30.5, 1.4), solid("#ffffff"))
    c.write_pam(path)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    splash(os.path.join(out, "splash.pam"))
    icon(os.path.join(out, "icon.pam"))
    about_button(os.path.join(out, "about.pam"))
