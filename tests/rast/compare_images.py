#!/usr/bin/python3
"""Exits 0 when every pair of image files decodes (with Pillow) to the same size, mode and
pixels: python3 compare_images.py a1 b1 [a2 b2 ...]."""
import sys

from PIL import Image

args = sys.argv[1:]
bad = 0
for a, b in zip(args[0::2], args[1::2]):
    ia, ib = Image.open(a), Image.open(b)
    ia.load()
    ib.load()
    same = ia.size == ib.size and ia.convert("RGBA").tobytes() == ib.convert("RGBA").tobytes()
    if not same:
        print("differ:", a, b, ia.size, ib.size, ia.mode, ib.mode)
        bad += 1
sys.exit(1 if bad else 0)
