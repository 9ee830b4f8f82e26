#!/usr/bin/env python3
"""Draws the start screen's three images into assets/images (standard library only):
the splash (a small night gradient; its presence switches the start screen on), the round mark
"tv_mark.png" (twelve sectors in the ring colours with an off-centre notch, so its roll shows) and
the wordmark "tv_wordmark.png" (the name in light stroked letters on a clear ground, about 4:1).
The letters are drawn from line and arc strokes defined here, so no font file is needed."""
import math
import os
import struct
import sys
import zlib

RING = [(0.776, 0.353, 0.29), (0.788, 0.541, 0.227), (0.78, 0.698, 0.227), (0.561, 0.698, 0.227),
        (0.31, 0.639, 0.416), (0.247, 0.627, 0.639), (0.227, 0.471, 0.722), (0.353, 0.373, 0.722),
        (0.478, 0.31, 0.682), (0.62, 0.31, 0.62), (0.69, 0.31, 0.427), (0.722, 0.341, 0.31)]


def write_png(path, w, h, pixels):
    """pixels: list of rows of (r, g, b, a) bytes."""
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in pixels)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def clamp(v, lo=0.0, hi=1.0):
    return max(lo, min(hi, v))


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def splash():
    w, h = 64, 36
    rows = []
    for y in range(h):
        t = y / (h - 1)
        c = (0.014 + (0.006 - 0.014) * t, 0.026 + (0.011 - 0.026) * t, 0.075 + (0.036 - 0.075) * t)
        rows.append([tuple(int(255 * v) for v in c) + (255,)] * w)
    return w, h, rows


def mark():
    n = 256
    c = (n - 1) / 2
    outer, inner = 0.48 * n, 0.17 * n
    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            dx, dy = x - c, y - c
            r = math.hypot(dx, dy)
            # sector 0 at the top, clockwise on screen
            ang = (math.degrees(math.atan2(dx, -dy)) + 360 + 15) % 360
            k = int(ang // 30)
            col = RING[k]
            edge = ang % 30
            seam = clamp(min(edge, 30 - edge) * r * math.pi / 180 / 1.2)  # thin dark seams between sectors
            col = tuple(v * (0.55 + 0.45 * seam) for v in col)
            # edges cover a pixel in part, as the rim's do: a hard edge shows as steps once the
            # mark is drawn larger than its image
            col = mix(col, (0.93, 0.95, 1.0), clamp(inner - r + 0.5))
            # the notch: a light dot in sector 0 near the rim, so the roll can be seen
            col = mix(col, (0.97, 0.97, 0.93), clamp(0.06 * n - math.hypot(dx, dy + 0.34 * n) + 0.5))
            a = clamp(outer - r + 0.5)
            row.append(tuple(int(255 * clamp(v)) for v in col) + (int(255 * a),))
        rows.append(row)
    return n, n, rows


# Letters on a 0..1 wide, 0..1 high box (y down, baseline 1, x-height from 0.42).
def arc(cx, cy, rx, ry, a0, a1, steps=14):
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]


LETTERS = {
    "T": ([[(0.0, 0.0), (0.8, 0.0)], [(0.4, 0.0), (0.4, 1.0)]], 0.8),
    "o": ([arc(0.3, 0.71, 0.3, 0.29, 0, 360, 28)], 0.6),
    "n": ([[(0.0, 0.42), (0.0, 1.0)], arc(0.27, 0.7, 0.27, 0.28, 180, 360) + [(0.54, 1.0)]], 0.54),
    "v": ([[(0.0, 0.42), (0.28, 1.0), (0.56, 0.42)]], 0.56),
    "a": ([arc(0.27, 0.71, 0.27, 0.29, 0, 360, 28), [(0.54, 0.42), (0.54, 1.0)]], 0.54),
    "r": ([[(0.0, 0.42), (0.0, 1.0)], arc(0.32, 0.72, 0.32, 0.3, 180, 290)], 0.42),
}


def seg_dist(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    L = vx * vx + vy * vy
    t = 0.0 if L == 0 else clamp(((px - ax) * vx + (py - ay) * vy) / L)
    return math.hypot(px - ax - t * vx, py - ay - t * vy)


def wordmark():
    w, h = 512, 128
    size, stroke = 78.0, 6.5
    segs = []
    x = 0.0
    for ch in "Tonvarra":
        strokes, adv = LETTERS[ch]
        for s in strokes:
            for (ax, ay), (bx, by) in zip(s, s[1:]):
                segs.append((x + ax * size, ay * size, x + bx * size, by * size))
        x += adv * size + 0.24 * size
    width = x - 0.24 * size
    ox, oy = (w - width) / 2, (h - size) / 2
    segs = [(a + ox, b + oy, c + ox, d + oy) for a, b, c, d in segs]
    rows = []
    for y in range(h):
        row = []
        near = [s for s in segs if min(s[1], s[3]) - 8 <= y <= max(s[1], s[3]) + 8]
        for xx in range(w):
            d = min((seg_dist(xx, y, *s) for s in near if min(s[0], s[2]) - 8 <= xx <= max(s[0], s[2]) + 8), default=99)
            a = clamp(stroke / 2 - d + 0.5)
            row.append((238, 242, 255, int(255 * a)))
        rows.append(row)
    return w, h, rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "assets", "images")
    os.makedirs(out, exist_ok=True)
    for name, make in (("splash_screen.png", splash), ("tv_mark.png", mark), ("tv_wordmark.png", wordmark)):
        w, h, rows = make()
        write_png(os.path.join(out, name), w, h, rows)


if __name__ == "__main__":
    main()
