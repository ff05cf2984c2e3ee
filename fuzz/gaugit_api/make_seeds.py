#!/usr/bin/env python3
"""Writes the seed scripts of corpus/: a ruler, then each kind of graphic built, selected,
moved, hovered and deleted; a text; and calls with coordinates at the ends of the int range."""
import os
import struct


def small(v):  # a value the script reads as int16 / 64
    w = (v * 64) & 0xFFFF
    return bytes([w >> 8, w & 0xFF])


def big(v):
    return bytes([0x80]) + struct.pack('<i', v)


def op(code, *args, dt=0):
    return bytes([dt, code]) + b''.join(args)


def pt(x, y):
    return small(x) + small(y)


ruler = op(0, pt(0, 0), pt(100, 0), bytes([2]), small(10))
kinds = {2: [(10, 10), (60, 40)], 3: [(10, 10), (60, 40)], 4: [(10, 10), (60, 10)],
         5: [(30, 30), (60, 30)], 6: [(10, 40), (40, 10), (70, 40)], 7: [(10, 10), (60, 40)],
         8: [(30, 30), (60, 40)], 9: [(10, 60), (10, 10), (60, 10)],
         10: [(10, 10), (60, 10), (50, 50), (10, 40)]}
seeds = {}
for t, pts in kinds.items():
    s = ruler + op(1, pt(*pts[0]), bytes([t + 1]))
    for p in pts[1:]:
        s += op(3, pt(*p), dt=60) + op(2, pt(*p))
    s += op(5) + op(6, pt(*pts[1])) + op(8, pt(3, 4)) + op(19) + op(7, pt(*pts[0]), dt=60) + op(9)
    seeds['kind%d' % t] = s
seeds['text'] = (ruler + op(1, pt(5, 5), bytes([12])) + op(4, bytes([3]) + b'abcdef') + op(5) +
                 op(6, pt(6, 6)) + op(8, pt(1, 1)))
seeds['extreme'] = (op(0, big(-2**31), big(2**31 - 1), bytes([5]), big(0x7f800001)) +
                    op(1, big(2**31 - 1) + big(-2**31), bytes([7])) +
                    op(2, big(-2**31) + big(2**31 - 1)) + op(2, big(0) + big(2**31 - 1)) +
                    op(8, big(2**31 - 1) + big(2**31 - 1)) + op(19))
# Figures far larger than any surface, drawn (op 25: depth and row order, width, height)
# after they are built, selected and hovered.
draw = op(25, bytes([0x84, 40, 30]))
seeds['huge_figures'] = (ruler + op(1, pt(10, 10), bytes([6])) + op(2, big(2000000010) + small(10)) +
                         op(5) + draw + op(1, big(-2**31) + big(-2**31), bytes([8])) +
                         op(2, big(2**31 - 1) + big(2**31 - 1)) + op(5) +
                         op(1, big(10 - 160000000) + small(10), bytes([5])) +
                         op(2, small(10) + small(10)) + op(5) + op(6, pt(10, 10)) + draw +
                         op(7, big(-2**31) + big(-2**31), dt=60) + draw + op(19))
here = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus')
os.makedirs(here, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(here, name), 'wb') as f:
        f.write(data)
