#!/usr/bin/env python3
"""Draws the staff panel's two clefs into assets/images (standard library only): "trebleclef.png"
and "bass_clef.png", dark ink on a clear ground, which the program turns into its ink masks.

Each clef is one or more strokes through points given in staff spaces, smoothed into a curve
whose width changes along it, and round dots. The images are laid out as the staff panel draws
them: the treble clef from 1.3 spaces above the top line to 1.3 below the bottom one (6.6 spaces
high, its curl round the G line), the bass clef from the top line down 3.2 spaces (its head on the
F line, its dots in the spaces either side of it)."""
import math
import os
import sys

from make_start_images import write_png

SCALE = 56  # pixels per staff space
INK = (18, 20, 28)

# Points (x, y, width), y downwards from the image's top, in staff spaces.
TREBLE_HEIGHT = 6.6
TREBLE_WIDTH = 2.5
TREBLE_STROKES = [[
    # the curl round the G line, from its inner end outwards
    (1.52, 4.52, 0.07), (1.22, 4.28, 0.10), (1.38, 3.86, 0.14), (1.92, 3.88, 0.17),
    (2.22, 4.38, 0.20), (1.92, 5.02, 0.22), (1.22, 5.26, 0.22), (0.58, 4.92, 0.28),
    (0.42, 4.18, 0.34),
    # up the left of the bowl into the stem, which leans right to the top loop
    (0.82, 3.36, 0.30), (1.46, 2.62, 0.24), (1.86, 1.76, 0.18), (1.92, 0.86, 0.13),
    (1.66, 0.16, 0.10), (1.24, 0.52, 0.12),
    # the descender, through the curl and below the staff
    (1.06, 1.52, 0.15), (1.20, 3.00, 0.17), (1.44, 4.50, 0.17), (1.58, 5.90, 0.15),
    (1.40, 6.42, 0.12), (0.98, 6.50, 0.10),
]]
TREBLE_DOTS = [(0.98, 6.18, 0.30)]

BASS_HEIGHT = 3.2
BASS_WIDTH = 2.85
BASS_STROKES = [[
    # from the head on the F line up over the top line and down in a sweep to the left
    (0.34, 1.00, 0.10), (0.42, 0.50, 0.14), (0.98, 0.13, 0.16), (1.62, 0.22, 0.22),
    (2.02, 0.78, 0.30), (1.92, 1.62, 0.30), (1.42, 2.42, 0.22), (0.72, 2.96, 0.12),
    (0.22, 3.14, 0.05),
]]
BASS_DOTS = [(0.56, 1.00, 0.34), (2.55, 0.50, 0.18), (2.55, 1.50, 0.18)]


def catmull_rom(points, steps=48):
    """The smooth curve through the points, as (x, y, half width) samples."""
    pts = [points[0]] + points + [points[-1]]
    out = []
    for i in range(1, len(pts) - 2):
        p0, p1, p2, p3 = pts[i - 1], pts[i], pts[i + 1], pts[i + 2]
        for s in range(steps):
            t = s / steps
            t2, t3 = t * t, t * t * t
            v = [0.5 * ((2 * p1[k]) + (-p0[k] + p2[k]) * t + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2 +
                        (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3) for k in range(3)]
            out.append((v[0], v[1], max(v[2], 0.02) / 2))
    last = points[-1]
    out.append((last[0], last[1], last[2] / 2))
    return out


def render(width, height, strokes, dots):
    w, h = int(round(width * SCALE)), int(round(height * SCALE))
    cover = [[0.0] * w for _ in range(h)]

    def stamp(x0, y0, r0, x1, y1, r1):
        # A capsule whose radius runs from r0 to r1, with a pixel of soft edge.
        x0, y0, x1, y1 = x0 * SCALE, y0 * SCALE, x1 * SCALE, y1 * SCALE
        r0, r1 = r0 * SCALE, r1 * SCALE
        reach = max(r0, r1) + 1.0
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        for py in range(max(int(min(y0, y1) - reach), 0), min(int(max(y0, y1) + reach) + 1, h)):
            for px in range(max(int(min(x0, x1) - reach), 0), min(int(max(x0, x1) + reach) + 1, w)):
                cx, cy = px + 0.5, py + 0.5
                t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((cx - x0) * dx + (cy - y0) * dy) / length2))
                d = math.hypot(cx - (x0 + t * dx), cy - (y0 + t * dy)) - (r0 + t * (r1 - r0))
                c = max(0.0, min(1.0, 0.5 - d))
                if c > cover[py][px]:
                    cover[py][px] = c

    for stroke in strokes:
        samples = catmull_rom(stroke)
        for a, b in zip(samples, samples[1:]):
            stamp(a[0], a[1], a[2], b[0], b[1], b[2])
    for x, y, r in dots:
        stamp(x, y, r, x, y, r)
    return w, h, [[INK + (int(round(255 * c)),) for c in row] for row in cover]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "assets", "images")
    os.makedirs(folder, exist_ok=True)
    for name, width, height, strokes, dots in (
            ("trebleclef.png", TREBLE_WIDTH, TREBLE_HEIGHT, TREBLE_STROKES, TREBLE_DOTS),
            ("bass_clef.png", BASS_WIDTH, BASS_HEIGHT, BASS_STROKES, BASS_DOTS)):
        w, h, rows = render(width, height, strokes, dots)
        write_png(os.path.join(folder, name), w, h, rows)


if __name__ == "__main__":
    main()
