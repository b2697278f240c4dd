#!/usr/bin/env python3
"""Draws Brio's icons and writes them as .ico files (16x16 and 32x32, 32-bit with alpha).

Each icon is a list of shapes in a unit square (0..1, y down), painted in order with 4x4
supersampling, so one drawing gives both sizes. Run it again after changing a drawing:
    scripts/make_icons.py src/resources/icons
"""
import math
import struct
import sys
from pathlib import Path

SIZES = (16, 32)
SAMPLES = 4


# Shapes: functions (x, y) -> bool in unit coordinates.
def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_in, r_out, start_deg=0.0, end_deg=360.0):
    """An annulus, optionally only between two angles (degrees, clockwise from 3 o'clock)."""

    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not r_in * r_in <= d2 <= r_out * r_out:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360.0
        s, e = start_deg % 360.0, end_deg % 360.0
        if end_deg - start_deg >= 360.0:
            return True
        return s <= a <= e if s <= e else (a >= s or a <= e)

    return inside


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def polygon(*points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                hit = not hit
        return hit

    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, cut):
    return lambda x, y: shape(x, y) and not cut(x, y)


# Colours, RGBA.
NAVY = (27, 54, 93, 255)
BLUE = (52, 120, 198, 255)
SKY = (120, 180, 235, 255)
WHITE = (255, 255, 255, 255)
GREEN = (60, 170, 75, 255)
DARK_GREEN = (30, 110, 45, 255)
ORANGE = (240, 140, 30, 255)
DARK_ORANGE = (170, 85, 10, 255)
RED = (215, 60, 50, 255)
PAPER = (250, 248, 240, 255)
GREY = (120, 120, 130, 255)
LINE = (150, 160, 175, 255)


def arrow_head(cx, cy, r, deg, size):
    """A triangle pointing clockwise along a circle of radius r, tip at angle deg."""
    a = math.radians(deg)
    px, py = cx + r * math.cos(a), cy + r * math.sin(a)
    tx, ty = -math.sin(a), math.cos(a)  # clockwise tangent (y down)
    nx, ny = math.cos(a), math.sin(a)
    tip = (px + tx * size, py + ty * size)
    return polygon(tip, (px + nx * size, py + ny * size), (px - nx * size, py - ny * size))


def logo():
    """Brio: a green status dot inside a two-arrow ring, the statuses going round."""
    c, r = 0.5, 0.34
    return [
        (circle(c, c, 0.49), NAVY),
        (circle(c, c, 0.44), BLUE),
        (ring(c, c, r - 0.06, r + 0.06, 200, 340), WHITE),
        (arrow_head(c, c, r, 340, 0.13), WHITE),
        (ring(c, c, r - 0.06, r + 0.06, 20, 160), WHITE),
        (arrow_head(c, c, r, 160, 0.13), WHITE),
        (circle(c, c, 0.17), DARK_GREEN),
        (circle(c, c, 0.13), GREEN),
        (circle(c - 0.04, c - 0.04, 0.04), (190, 240, 190, 255)),
    ]


def page_brio():
    """The general page: a speech bubble with a status dot."""
    bubble = union(rounded_rect(0.06, 0.12, 0.94, 0.72, 0.16), polygon((0.22, 0.66), (0.46, 0.66), (0.18, 0.92)))
    inner = union(rounded_rect(0.12, 0.18, 0.88, 0.66, 0.11), polygon((0.27, 0.6), (0.41, 0.6), (0.25, 0.8)))
    return [
        (bubble, NAVY),
        (inner, SKY),
        (circle(0.32, 0.42, 0.1), GREEN),
        (rounded_rect(0.48, 0.32, 0.78, 0.39, 0.03), WHITE),
        (rounded_rect(0.48, 0.46, 0.7, 0.53, 0.03), WHITE),
    ]


def page_p2p():
    """File-sharing programs: a green arrow down and an orange arrow up."""
    down_outline = polygon((0.14, 0.06), (0.40, 0.06), (0.40, 0.52), (0.52, 0.52), (0.27, 0.94),
                           (0.02, 0.52), (0.14, 0.52))
    down = polygon((0.19, 0.11), (0.35, 0.11), (0.35, 0.57), (0.43, 0.57), (0.27, 0.85), (0.11, 0.57),
                   (0.19, 0.57))
    up_outline = polygon((0.60, 0.94), (0.86, 0.94), (0.86, 0.48), (0.98, 0.48), (0.73, 0.06),
                         (0.48, 0.48), (0.60, 0.48))
    up = polygon((0.65, 0.89), (0.81, 0.89), (0.81, 0.43), (0.89, 0.43), (0.73, 0.15), (0.57, 0.43),
                 (0.65, 0.43))
    return [(down_outline, DARK_GREEN), (down, GREEN), (up_outline, DARK_ORANGE), (up, ORANGE)]


def page_list():
    """The description list: a sheet with rows, each with its status colour."""
    shapes = [(rounded_rect(0.1, 0.04, 0.9, 0.96, 0.08), GREY), (rounded_rect(0.15, 0.09, 0.85, 0.91, 0.05), PAPER)]
    for i, colour in enumerate((GREEN, ORANGE, RED, BLUE)):
        y = 0.22 + i * 0.19
        shapes.append((circle(0.29, y, 0.075), colour))
        shapes.append((rounded_rect(0.42, y - 0.04, 0.76, y + 0.04, 0.02), LINE))
    return shapes


ICONS = {
    "brio.ico": logo,  # resources 5 (32-pixel list) and 102 (16-pixel list)
    "page_brio.ico": page_brio,  # 105
    "page_p2p.ico": page_p2p,  # 106
    "page_list.ico": page_list,  # 107
}


def render(shapes, size):
    """Rows of (r, g, b, a) tuples, top row first, straight (not premultiplied) alpha."""
    rows = []
    n = SAMPLES * SAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = [0.0, 0.0, 0.0, 0.0]
                    for shape, (r, g, b, a) in shapes:
                        if shape(x, y):
                            k = a / 255.0
                            colour = [r * k + colour[0] * (1 - k), g * k + colour[1] * (1 - k),
                                      b * k + colour[2] * (1 - k), k + colour[3] * (1 - k)]
                    for i in range(4):
                        acc[i] += colour[i]
            alpha = acc[3] / n
            if alpha <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(min(255.0, acc[i] / n / alpha)) for i in range(3)) + (round(alpha * 255),))
        rows.append(row)
    return rows


def dib(rows):
    """One icon image: BITMAPINFOHEADER, BGRA pixels bottom-up, then the 1-bit AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def ico(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        body += data
    return out + body


def main():
    target = Path(sys.argv[1] if len(sys.argv) > 1 else "src/resources/icons")
    target.mkdir(parents=True, exist_ok=True)
    for name, drawing in ICONS.items():
        shapes = drawing()
        (target / name).write_bytes(ico([(size, dib(render(shapes, size))) for size in SIZES]))
        print(f"wrote {target / name}")


if __name__ == "__main__":
    main()
