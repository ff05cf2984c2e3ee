#!/usr/bin/env python3
"""Writes the hostile seeds of corpus/: figures far larger than the image or at the ends of the
int range (a circle of radius 2 x 10^9, ellipses with corners at the limits, every kind at the
limits, wide pens), a count the file cannot hold, and texts under many face names."""
import os
import struct

LOW, HIGH = -2**31, 2**31 - 1


def header(pen_width=1):
    h = b'ZQGR' + struct.pack('<IHHI', 0, 0, 5, 0)
    h += struct.pack('<iiiIII', 1, 0, pen_width, 0xFF0000, 0x00FF00, 0x0000FF) + bytes(80)
    return h + struct.pack('<iIi6I', 0, 2, 0, 0xF, 0x7F, 0x1F, 0x3F, 0x3, 0xF)


def tail(x, y, width=1):
    return struct.pack('<iiiiIIIi', x, y, 0, width, 0xFF0000, 0x0000FF, 0x00FF00, 0)


def two(tag, x0, y0, x1, y1, width=1):  # line, rectangle and ellipse records
    return struct.pack('<5i', tag, x0, y0, x1, y1) + tail(x1, y1, width)


def three(tag, points, width=1):  # circle and angle records
    points = list(points) + [(0, 0)] * (3 - len(points))
    return (struct.pack('<i', tag) + b''.join(struct.pack('<ii', *p) for p in points) +
            tail(points[0][0], points[0][1], width))


def polygon(points, width=1):
    return (struct.pack('<ii', 10, len(points)) + tail(points[0][0], points[0][1], width) +
            b''.join(struct.pack('<ii', *p) for p in points))


def text(x, y, face, s, height=14):
    return (struct.pack('<iii', 11, x, y) + face.encode().ljust(64, b'\0') +
            s.encode().ljust(128, b'\0') + struct.pack('<iIII', height, 0xFF, 0xFF00, 0xFF0000))


def image(w=16, h=12):
    stride = (w * 3 + 3) // 4 * 4
    pixels = bytes([0x40]) * (stride * h)
    return (b'BM' + struct.pack('<IHHI', 54 + len(pixels), 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 0, 0, 0, 0) + pixels)


def mea(lines=(), circles=(), rects=(), ellipses=(), texts=(), angles=(), polygons=(),
        counts=None, pen_width=1):
    counts = counts or [len(k) for k in (lines, circles, rects, ellipses, texts, angles, polygons)]
    ruler = struct.pack('<iiiiiif', 1, 0, 0, 100, 0, 1, 1.0) + tail(0, 0)
    records = b''.join(b''.join(k) for k in (lines, circles, rects, ellipses, angles, polygons,
                                             texts))
    return header(pen_width) + struct.pack('<7i', *counts) + ruler + records + image()


seeds = {
    'huge_circle_2e9.mea': mea(circles=[three(5, [(-1999999992, 6), (8, 6)]),
                                        three(4, [(-2000000000, 6), (8, 6)], 5)]),
    'huge_circles_through_image.mea': mea(circles=[
        three(5, [(8 - r, 6), (8, 6)]) for r in (100000000, 160000000, 220000000)]),
    'ellipse_at_limits.mea': mea(ellipses=[two(7, LOW, LOW, HIGH, HIGH), two(8, 0, 0, HIGH, HIGH),
                                           two(7, -440000000, -440000000, 8, 6, 3)]),
    'every_kind_at_limits.mea': mea(
        lines=[two(2, LOW, LOW, HIGH, HIGH), two(2, LOW, 3, HIGH, 9, 9)],
        circles=[three(4, [(LOW, LOW), (HIGH, HIGH)]), three(5, [(HIGH, HIGH), (HIGH - 9, HIGH)]),
                 three(6, [(LOW, LOW), (HIGH, 0), (0, HIGH)])],
        rects=[two(3, LOW, LOW, HIGH, HIGH, 4)],
        ellipses=[two(8, HIGH, LOW, LOW, HIGH)],
        angles=[three(9, [(LOW, LOW), (0, 0), (HIGH, LOW)])],
        polygons=[polygon([(LOW, LOW), (HIGH, LOW), (HIGH, HIGH), (LOW, HIGH)], 2)],
        texts=[text(HIGH, HIGH, 'Arial', 'far'), text(LOW, 4, '', 'Length', LOW)]),
    'counts_beyond_data.mea': mea(lines=[two(2, 1, 2, 3, 4)] * 4,
                                  counts=[HIGH, 0, 0, 0, 0, 0, 0]),
    'many_faces.mea': mea(texts=[text(i % 16, i % 12, 'Face%d' % i, 'T%d' % i, 10 + i % 7)
                                 for i in range(12)]),
}
here = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus')
os.makedirs(here, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(here, name), 'wb') as f:
        f.write(data)
