#!/usr/bin/env python3
"""Draws the images of the panes and dialogs as PNG files, each at its own size and at twice
that size for high-density screens (name@2x.png).

Shapes are given in a 16 x 16 unit square and sampled 4 x 4 times per pixel, so every size is
drawn from the same description. Run it in this folder after changing a drawing; the PNG files
are committed."""
import struct
import zlib

SAMPLES = 4


def inside_polygon(x, y, points):
    hit = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(*points):
    return lambda x, y: inside_polygon(x, y, points)


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def render(shapes, size):
    """shapes: list of (test, (r, g, b)) painted in order; returns rows of RGBA pixels."""
    scale = 16.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    colour = None
                    for test, c in shapes:
                        if test(x, y):
                            colour = c
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = SAMPLES * SAMPLES
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]),
                            round(acc[2] / acc[3]), round(255 * acc[3] / n)))
        rows.append(row)
    return rows


def write_png(name, img):
    size = len(img)
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in img)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(name, "wb") as f:
        f.write(png)


GREEN = (30, 150, 60)
RED = (200, 40, 40)
BLUE = (40, 90, 190)
DARK = (60, 60, 70)
GREY = (150, 150, 160)
LIGHT = (235, 235, 240)
GOLD = (215, 165, 40)
SCREEN = (20, 40, 30)
TRACE = (90, 220, 120)

DRAWINGS = {
    # Program: a small converter box with a line plug and a trace on its display.
    "icon128": [
        (rect(1, 3, 15, 13), DARK),
        (rect(2, 4, 14, 12), LIGHT),
        (rect(3, 5, 13, 9), SCREEN),
        (polygon((3.5, 8), (6, 8), (7, 6), (8.5, 8.5), (10, 6.5), (12.5, 6.5), (12.5, 7.2),
                 (10.3, 7.2), (8.6, 9.3), (7, 7.3), (6.4, 8.7), (3.5, 8.7)), TRACE),
        (circle(4.5, 11, 0.8), GREEN),
        (rect(9, 10.4, 13, 11.4), GREY),
    ],
    # Access password: a key.
    "icon202": [
        (ring(5, 8, 3.6, 1.4), GOLD),
        (rect(8, 7, 15, 9), GOLD),
        (rect(12, 9, 13, 11.5), GOLD),
        (rect(14, 9, 15, 12), GOLD),
    ],
    # Monitor tab: a display with a trace.
    "icon208": [
        (rect(1, 2, 15, 12), DARK),
        (rect(2, 3, 14, 11), SCREEN),
        (polygon((3, 8), (6, 8), (7, 5), (9, 9), (10, 7), (13, 7), (13, 8), (10.5, 8),
                 (9, 10.5), (7, 6.8), (6.6, 9), (3, 9)), TRACE),
        (rect(6, 12, 10, 14), DARK),
    ],
    # Start monitoring: a play triangle.
    "icon229": [(polygon((4, 2), (13, 8), (4, 14)), GREEN)],
    # Stop monitoring: a square.
    "icon230": [(rect(3.5, 3.5, 12.5, 12.5), RED)],
    # Send the command line: an arrow to the right.
    "icon231": [(polygon((2, 6.5), (9, 6.5), (9, 3), (14.5, 8), (9, 13), (9, 9.5), (2, 9.5)),
                 BLUE)],
    # Save the log: a disk.
    "icon236": [
        (rect(2, 2, 14, 14), BLUE),
        (rect(4.5, 2, 11.5, 6.5), LIGHT),
        (rect(9, 3, 10.5, 5.5), BLUE),
        (rect(4, 9, 12, 14), LIGHT),
    ],
}

SIZES = {"icon128": 32, "icon202": 32}

if __name__ == "__main__":
    for name, shapes in DRAWINGS.items():
        size = SIZES.get(name, 16)
        write_png(name + ".png", render(shapes, size))
        write_png(name + "@2x.png", render(shapes, 2 * size))
