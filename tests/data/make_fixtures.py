#!/usr/bin/python3
"""Makes the BMP fixtures of tests/data/bmp with ImageMagick and Pillow.

Run from this folder: /usr/bin/python3 make_fixtures.py. The few files that neither tool
writes (top-down rows, an 8-bit table shorter than 256 entries, biClrUsed 0) are derived
from tool-made files by rewriting header fields and moving rows, never by our own writer.
"""
import random
import struct
import subprocess

from PIL import Image

CONVERT = "/usr/bin/convert"
OUT = "bmp/"


def im(args, target):
    fmt, name = target.split(":")
    subprocess.run([CONVERT, *args, fmt + ":" + OUT + name], check=True)


def noise(w, h, seed):
    rnd = random.Random(seed)
    image = Image.new("RGB", (w, h))
    image.putdata([(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256))
                   for _ in range(w * h)])
    return image


def fields(data):
    off = struct.unpack_from("<I", data, 10)[0]
    size, w, h, planes, bits, comp, simg, xr, yr, used, imp = struct.unpack_from(
        "<IiiHHIIiiII", data, 14)
    return off, w, h, bits, used


def stride(bits, w):
    return (bits * w + 31) // 32 * 4


def top_down(src, dst):
    data = bytearray(open(OUT + src, "rb").read())
    off, w, h, bits, _ = fields(data)
    s = stride(bits, w)
    rows = [data[off + i * s: off + (i + 1) * s] for i in range(h)]
    struct.pack_into("<i", data, 22, -h)
    data[off:off + s * h] = b"".join(reversed(rows))
    open(OUT + dst, "wb").write(data)


def clr_used_zero(src, dst):
    data = bytearray(open(OUT + src, "rb").read())
    struct.pack_into("<I", data, 46, 0)
    open(OUT + dst, "wb").write(data)


def short_table(src, dst, entries):
    data = open(OUT + src, "rb").read()
    off, w, h, bits, used = fields(data)
    table_end = 54 + 4 * entries
    out = bytearray(data[:table_end] + data[off:])
    struct.pack_into("<I", out, 2, len(out))
    struct.pack_into("<I", out, 10, table_end)
    struct.pack_into("<I", out, 46, entries)
    open(OUT + dst, "wb").write(out)


# ImageMagick
im(["-size", "5x3", "xc:white", "-fill", "black", "-draw", "point 1,1", "-type", "Bilevel"],
   "BMP3:im1_w5.bmp")
im(["-size", "13x7", "gradient:black-white", "-colors", "16", "-type", "Palette"], "BMP3:im4_w13.bmp")
im(["-seed", "3", "-size", "21x9", "plasma:", "-colors", "40", "-type", "Palette",
    "-compress", "None"], "BMP3:im8_w21.bmp")
im(["-size", "6x5", "xc:red", "-depth", "8"], "BMP3:im24_w6.bmp")
im(["-size", "13x7", "gradient:red-blue", "-define", "bmp:subtype=RGB565"], "BMP:im16_565_v5.bmp")
im(["-size", "13x7", "gradient:red-blue", "-alpha", "set", "-channel", "A", "-evaluate", "set",
    "50%"], "BMP:im32_masks_v5.bmp")
im(["-seed", "3", "-size", "13x7", "plasma:", "-colors", "40", "-type", "Palette",
    "-compress", "RLE"], "BMP3:im8_rle.bmp")

# Pillow
noise(3, 4, 1).save(OUT + "pil24_w3.bmp")
noise(5, 3, 2).save(OUT + "pil24_w5.bmp")
noise(13, 7, 3).convert("1").save(OUT + "pil1_w13.bmp")
noise(13, 7, 4).convert("L").save(OUT + "pil8_grey.bmp")
noise(13, 7, 5).quantize(16).save(OUT + "pil8_p16.bmp")
rgba = noise(7, 5, 6).convert("RGBA")
rgba.putalpha(200)
rgba.save(OUT + "pil32_w7.bmp")

# Derived from the files above
top_down("pil24_w5.bmp", "pil24_w5_topdown.bmp")
top_down("im4_w13.bmp", "im4_w13_topdown.bmp")
clr_used_zero("pil8_grey.bmp", "pil8_grey_clr0.bmp")
clr_used_zero("im4_w13.bmp", "im4_w13_clr0.bmp")
short_table("pil8_p16.bmp", "pil8_table16.bmp", 16)
