#!/usr/bin/env python3
"""kwzmea on good, bad and mixed folders. Measurement files are made through the library's C
calls (ctypes), and the CSV is read back with the csv module as a spreadsheet would."""
import csv
import ctypes
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

KWZMEA, LIBDIR = sys.argv[1], sys.argv[2]
IMAGEJ = "/usr/share/java/ij.jar"
del sys.argv[1:3]


class POINT(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int32), ("y", ctypes.c_int32)]


class VALUES(ctypes.Structure):
    _fields_ = [("kind", ctypes.c_int32), ("number", ctypes.c_int32),
                ("present", ctypes.c_uint32), ("shown", ctypes.c_uint32),
                ("unit", ctypes.c_int32), ("angleUnit", ctypes.c_int32),
                ("precision", ctypes.c_int32), ("values", ctypes.c_float * 16)]


rast = ctypes.CDLL(os.path.join(LIBDIR, "libRast.so"))
rast.RASTSetRuler.argtypes = [ctypes.c_void_p, POINT, POINT, ctypes.c_int, ctypes.c_float]
rast.RASTStartGraphic.argtypes = [ctypes.c_void_p, POINT, ctypes.c_int]
rast.RASTAddPointToGraphic.argtypes = [ctypes.c_void_p, POINT]
for name in ("RASTFinishGraphic", "RASTReadMeasureFile", "RASTWriteMeasureFile",
             "RASTSetMeasureUnit", "RASTSetPrecision", "RASTAddStringToGraphic",
             "RASTUnInitialize", "RASTGetFigureValues", "RASTReadPixels", "RASTWriteFile",
             "RASTDraw", "RASTIsHitGraphic", "RASTIsPassGraphic", "RASTSetLanguage"):
    getattr(rast, name).restype = ctypes.c_int

EVERY_KIND = [  # (type, points)
    (2, [(13, 17), (211, 96)]),
    (3, [(21, 33), (187, 141)]),
    (4, [(40, 60), (173, 119)]),
    (6, [(10, 50), (77, 7), (140, 61)]),
    (7, [(30, 40), (230, 111)]),
    (9, [(200, 20), (50, 80), (190, 170)]),
    (10, [(10, 10), (150, 23), (171, 140), (33, 121)]),
]
KINDS = {2: "Line", 3: "Rectangle", 4: "Circle", 5: "Circle", 6: "Circle", 7: "Ellipse",
         8: "Ellipse", 9: "Angle", 10: "Polygon", 11: "Text"}
COLUMNS = ["X", "Y", "Length", "Width", "Height", "Radius", "LongRadius", "ShortRadius",
           "Perimeter", "Area", "Angle", "Vertices"]
SLOTS = [0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13]
HEADER = ["File", "Kind", "Number"] + COLUMNS + ["Unit"]


def slurp(path):
    with open(path, "rb") as f:
        return f.read()


def new_object():
    handle = ctypes.c_void_p()
    assert rast.RASTInitialize(ctypes.byref(handle)) == 0
    return handle


def make_measure_file(path, figures=EVERY_KIND, text=None, unit=1, precision=3):
    obj = new_object()
    width, height = 240, 200
    stride = (24 * width + 31) // 32 * 4
    rows = bytes((x * 7 + y) & 0xFF for y in range(height) for x in range(stride))
    assert rast.RASTReadPixels(obj, rows, width, height, 24) == 0
    assert rast.RASTSetRuler(obj, POINT(0, 190), POINT(137, 190), 1, ctypes.c_float(10.0)) == 0
    rast.RASTSetMeasureUnit(obj, unit)
    rast.RASTSetPrecision(obj, precision)
    for kind, points in figures:
        assert rast.RASTStartGraphic(obj, POINT(*points[0]), kind) == 0
        for p in points[1:]:
            rast.RASTAddPointToGraphic(obj, POINT(*p))
        rast.RASTFinishGraphic(obj)
    if text is not None:
        rast.RASTStartGraphic(obj, POINT(5, 5), 11)
        rast.RASTAddStringToGraphic(obj, text.encode("gb18030"))
        rast.RASTFinishGraphic(obj)
    assert rast.RASTWriteMeasureFile(obj, path.encode()) == 0
    rast.RASTUnInitialize(ctypes.byref(obj))


def figure_values(path, unit=None, precision=None):
    obj = new_object()
    assert rast.RASTReadMeasureFile(obj, path.encode()) == 0
    if unit is not None:
        rast.RASTSetMeasureUnit(obj, unit)
    if precision is not None:
        rast.RASTSetPrecision(obj, precision)
    count = ctypes.c_int()
    rast.RASTGetFigureCount(obj, ctypes.byref(count))
    out = []
    for i in range(count.value):
        v = VALUES()
        assert rast.RASTGetFigureValues(obj, i, ctypes.byref(v)) == 0
        out.append(v)
    rast.RASTUnInitialize(ctypes.byref(obj))
    return out


def run(*args, env=None):
    e = dict(os.environ, LANG="C", LC_ALL="")
    e.update(env or {})
    return subprocess.run([KWZMEA, *args], capture_output=True, env=e)


def read_csv(data):
    assert data.startswith(b"\xef\xbb\xbf"), "no byte-order mark"
    return list(csv.reader(io.StringIO(data.decode("utf-8-sig"), newline="")))


def png_pixels(data):
    """RGB(A) rows of a non-interlaced 8-bit PNG: enough for what Qt writes."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, tag = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if tag == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and interlace == 0
            channels = {2: 3, 6: 4}[colour]
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride = zlib.decompress(idat), width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = prev[i], prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        prev = line
    return rows


def bmp24_pixels(data):
    offset, = struct.unpack("<I", data[10:14])
    width, height = struct.unpack("<ii", data[18:26])
    bits, = struct.unpack("<H", data[28:30])
    assert bits == 24
    stride = (24 * width + 31) // 32 * 4
    rows = []
    for y in range(abs(height)):
        src = height - 1 - y if height > 0 else y
        row = data[offset + src * stride:offset + src * stride + width * 3]
        rows.append([(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]) for x in range(width)])
    return rows


def tiff_rgb(data):
    """Tags and RGB rows of an uncompressed 8-bit RGB TIFF with contiguous strips."""
    endian = {b"II": "<", b"MM": ">"}[data[:2]]
    offset, = struct.unpack(endian + "I", data[4:8])
    count, = struct.unpack(endian + "H", data[offset:offset + 2])
    sizes = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8}
    tags = {}
    for i in range(count):
        entry = data[offset + 2 + 12 * i:offset + 14 + 12 * i]
        tag, kind, n = struct.unpack(endian + "HHI", entry[:8])
        size = sizes[kind] * n
        where = entry[8:12] if size <= 4 else data[struct.unpack(endian + "I", entry[8:12])[0]:][:size]
        if kind == 2:
            tags[tag] = where[:n].rstrip(b"\0").decode()
        elif kind == 5:
            pairs = struct.unpack(endian + "I" * (2 * n), where[:size])
            tags[tag] = pairs[0] / pairs[1] if n == 1 else pairs
        else:
            code = {1: "B", 3: "H", 4: "I"}[kind]
            values = struct.unpack(endian + code * n, where[:size])
            tags[tag] = values[0] if n == 1 else list(values)
    assert tags.get(259, 1) == 1 and tags[258] in (8, [8, 8, 8])
    offsets = tags[273] if isinstance(tags[273], list) else [tags[273]]
    counts = tags[279] if isinstance(tags[279], list) else [tags[279]]
    pixels = b"".join(data[o:o + c] for o, c in zip(offsets, counts))
    width, height = tags[256], tags[257]
    rows = [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]
    return tags, rows


class Kwzmea(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.root = self.dir.name

    def tearDown(self):
        self.dir.cleanup()

    def path(self, *parts):
        p = os.path.join(self.root, *parts)
        os.makedirs(os.path.dirname(p), exist_ok=True)
        return p

    def test_csv_has_a_row_per_figure_with_the_labels_numbers(self):
        good = self.path("one of each, \"quoted\".Mea")
        make_measure_file(good, text="注释")
        result = run("csv", good)
        self.assertEqual(result.returncode, 0, result.stderr)
        rows = read_csv(result.stdout)
        self.assertEqual(rows[0], HEADER)
        self.assertIn(b"\r\n", result.stdout)
        values = figure_values(good)
        self.assertEqual(len(rows), 1 + len(values))
        for row, v in zip(rows[1:], values):
            self.assertEqual(len(row), len(HEADER))
            self.assertEqual(row[0], good)
            self.assertEqual(row[1], KINDS[v.kind])
            self.assertEqual(row[2], str(v.number))
            for column, slot in zip(COLUMNS, SLOTS):
                cell = row[HEADER.index(column)]
                if not v.present >> slot & 1:
                    self.assertEqual(cell, "", column)
                elif column == "Vertices":
                    self.assertEqual(cell, str(int(v.values[slot])))
                else:
                    self.assertEqual(cell, "%.*f" % (v.precision, v.values[slot]), column)
            unit = {9: "°", 11: ""}.get(v.kind, "mm")
            self.assertEqual(row[-1], unit)
        self.assertEqual([r[1] for r in rows[1:]],
                         ["Line", "Circle", "Circle", "Rectangle", "Ellipse", "Angle", "Polygon",
                          "Text"])
        self.assertEqual(rows[1][HEADER.index("Length")].count("."), 1)
        self.assertEqual(len(rows[1][HEADER.index("Length")].split(".")[1]), 3)

    def test_csv_unit_precision_language_and_output_file(self):
        good = self.path("a.Mea")
        make_measure_file(good)
        out = self.path("out", "r.csv")
        result = run("--language", "zh", "csv", "--unit", "um", "--precision", "1", "-o", out,
                     good)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, b"")
        rows = read_csv(slurp(out))
        v = figure_values(good, unit=0, precision=1)[0]
        self.assertEqual(rows[1][1], "直线")
        self.assertEqual(rows[1][HEADER.index("Length")], "%.1f" % v.values[4])
        self.assertEqual(rows[1][-1], "µm")
        self.assertEqual(read_csv(run("csv", good, env={"LANG": "zh_CN.UTF-8"}).stdout)[1][1],
                         "直线")

    def test_mixed_folders_report_bad_files_and_do_the_rest(self):
        make_measure_file(self.path("mixed", "a.Mea"))
        make_measure_file(self.path("mixed", "deep", "b.mea"), figures=EVERY_KIND[:2])
        with open(self.path("mixed", "broken.Mea"), "wb") as f:
            f.write(b"not a measurement file")
        with open(self.path("mixed", "notes.txt"), "w") as f:
            f.write("ignored")
        result = run("csv", self.path("mixed", ""))
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"broken.Mea", result.stderr)
        self.assertIn(b"[3/3]", result.stderr)
        rows = read_csv(result.stdout)
        self.assertEqual([r[0] for r in rows].count("File"), 1)
        files = sorted({os.path.basename(r[0]) for r in rows[1:]})
        self.assertEqual(files, ["a.Mea", "b.mea"])
        self.assertEqual(len(rows), 1 + len(EVERY_KIND) + 2)

        make_measure_file(self.path("good", "a.Mea"))
        make_measure_file(self.path("good", "b.Mea"))
        self.assertEqual(run("csv", self.path("good", "")).returncode, 0)
        empty = self.path("empty", "x")
        os.makedirs(empty)
        self.assertEqual(run("csv", os.path.dirname(empty)).returncode, 1)
        self.assertEqual(run("csv", self.path("missing.Mea")).returncode, 1)

    def test_command_line_errors_and_help(self):
        help_ = run("--help")
        self.assertEqual(help_.returncode, 0)
        self.assertIn(b"kwzmea csv", help_.stdout)
        for args in (["frobnicate"], [], ["csv"], ["csv", "--unit", "parsec", "x.Mea"],
                     ["csv", "--precision", "-1", "x.Mea"], ["--language", "fr", "info", "x"],
                     ["render", "a.Mea"], ["render", "a.Mea", "out.gif"],
                     ["render", "--scale-bar-length", "-3", "a.Mea", "out.png"],
                     ["render", "--scale-bar-length"], ["render", "--unit", "ly", "a", "b.png"]):
            result = run(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertTrue(result.stderr, args)

    def test_info_tells_size_ruler_and_counts(self):
        good = self.path("a.Mea")
        make_measure_file(good, text="t")
        result = run("info", good)
        self.assertEqual(result.returncode, 0, result.stderr)
        text = result.stdout.decode()
        self.assertIn("Image: 240 x 200, 24 bits", text)
        self.assertIn("Ruler: (0, 190) - (137, 190), 10.00 mm", text)
        self.assertIn("Circle: 2", text)
        self.assertIn("Text: 1", text)
        self.assertIn("Figures: 8", text)
        self.assertEqual(run("info", self.path("none.Mea")).returncode, 1)

    def test_render_gives_the_pixels_of_a_burnt_in_save(self):
        good = self.path("a.Mea")
        make_measure_file(good)
        # What the program writes when it burns the figures in: nothing selected or hovered.
        obj = new_object()
        rast.RASTReadMeasureFile(obj, good.encode())
        rast.RASTSetLanguage(obj, 1)
        rast.RASTIsHitGraphic(obj, -1000000, -1000000)
        rast.RASTIsPassGraphic(obj, -1000000, -1000000)
        rast.RASTDraw(obj, None, 0, 0, 240, 200)
        expected_bmp = self.path("expected.bmp")
        rast.RASTWriteFile(obj, expected_bmp.encode(), 1)
        rast.RASTUnInitialize(ctypes.byref(obj))
        expected = bmp24_pixels(slurp(expected_bmp))

        png = self.path("out.png")
        result = run("--language", "en", "render", good, png)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(png_pixels(slurp(png)), expected)
        bmp = self.path("out.bmp")
        self.assertEqual(run("--language", "en", "render", good, bmp).returncode, 0)
        self.assertEqual(bmp24_pixels(slurp(bmp)), expected)

        bare = self.path("bare.png")
        self.assertEqual(run("render", "--no-labels", good, bare).returncode, 0)
        self.assertNotEqual(png_pixels(slurp(bare)), expected)
        jpg = self.path("out.jpg")
        self.assertEqual(run("render", good, jpg).returncode, 0)
        self.assertEqual(slurp(jpg)[:2], b"\xff\xd8")
        self.assertEqual(run("render", self.path("none.Mea"), png).returncode, 1)

    def expected_pixels(self, good):
        obj = new_object()
        rast.RASTReadMeasureFile(obj, good.encode())
        rast.RASTSetLanguage(obj, 1)
        rast.RASTIsHitGraphic(obj, -1000000, -1000000)
        rast.RASTIsPassGraphic(obj, -1000000, -1000000)
        rast.RASTDraw(obj, None, 0, 0, 240, 200)
        expected_bmp = self.path("expected.bmp")
        rast.RASTWriteFile(obj, expected_bmp.encode(), 1)
        rast.RASTUnInitialize(ctypes.byref(obj))
        return bmp24_pixels(slurp(expected_bmp))

    def test_render_scale_bar_is_drawn_over_the_figures_at_its_length(self):
        good = self.path("a.Mea")
        make_measure_file(good, figures=EVERY_KIND[:1])
        expected = self.expected_pixels(good)
        png = self.path("bar.png")
        result = run("--language", "en", "render", "--scale-bar", good, png)
        self.assertEqual(result.returncode, 0, result.stderr)
        got = png_pixels(slurp(png))

        def white_run(rows):
            best = 0
            for row in rows:
                run_ = 0
                for p in row:
                    run_ = run_ + 1 if p == (255, 255, 255) else 0
                    best = max(best, run_)
            return best
        # 10 mm over 137 pixels: a fifth of 240 pixels is 3.5 mm, so the bar is 5 mm long.
        self.assertAlmostEqual(white_run(got), 5 / (10 / 137), delta=0.51)
        changed = [(x, y) for y in range(200) for x in range(240) if got[y][x] != expected[y][x]]
        self.assertTrue(changed)
        # In the bottom right corner only.
        self.assertGreater(min(x for x, _ in changed), 120)
        self.assertGreater(min(y for _, y in changed), 140)
        # A fixed length in another unit.
        fixed = self.path("fixed.png")
        self.assertEqual(run("render", "--scale-bar-length", "2000", "--unit", "um", good,
                             fixed).returncode, 0)
        self.assertAlmostEqual(white_run(png_pixels(slurp(fixed))), 2 / (10 / 137), delta=0.51)
        self.assertEqual(run("render", "--scale-bar-length", "50", good, fixed).returncode, 1)
        # The stored measurement file keeps its pixels.
        self.assertEqual(self.expected_pixels(good), expected)

    def test_render_tif_carries_the_calibration(self):
        good = self.path("a.Mea")
        make_measure_file(good)
        expected = self.expected_pixels(good)
        tif = self.path("out.tif")
        result = run("--language", "en", "render", good, tif)
        self.assertEqual(result.returncode, 0, result.stderr)
        tags, rows = tiff_rgb(slurp(tif))
        self.assertEqual((tags[256], tags[257], tags[277]), (240, 200, 3))
        self.assertEqual(tags[296], 3)  # centimetre
        # 10 mm over 137 pixels: 137 pixels a centimetre.
        self.assertAlmostEqual(tags[282], 137.0, places=3)
        self.assertAlmostEqual(tags[283], 137.0, places=3)
        self.assertEqual(tags[270], "unit=mm\nspacing=0.07299270073\n")
        self.assertEqual(rows, expected)

    @unittest.skipUnless(os.path.exists(IMAGEJ) and shutil.which("xvfb-run"),
                         "the microscopy image reader is not installed")
    def test_render_tif_opens_with_its_pixel_size_elsewhere(self):
        # The TIFF is for other programs: ask one that reads calibrated TIFFs what it sees.
        for unit, microns in ((1, 10000 / 137), (0, 10000 / 137)):
            good = self.path("b%d.Mea" % unit)
            make_measure_file(good, unit=unit)
            tif = self.path("b%d.tif" % unit)
            self.assertEqual(run("render", good, tif).returncode, 0)
            macro = self.path("size.ijm")
            with open(macro, "w") as f:
                f.write('open(getArgument());\ngetPixelSize(unit, w, h);\n'
                        'print("size " + unit + " " + d2s(w, 9) + " " + d2s(h, 9));\n')
            result = subprocess.run(["xvfb-run", "-a", "java", "-jar", IMAGEJ, "-batch", macro,
                                     tif], capture_output=True, text=True, timeout=300)
            line = [l for l in result.stdout.splitlines() if l.startswith("size ")]
            self.assertTrue(line, result.stdout + result.stderr)
            _, shown, w, h = line[-1].split()
            scale = {"µm": 1, "um": 1, "micron": 1, "microns": 1, "mm": 1000, "cm": 10000}
            self.assertIn(shown, scale)
            self.assertAlmostEqual(float(w) * scale[shown], microns, delta=microns * 1e-6)
            self.assertAlmostEqual(float(h) * scale[shown], microns, delta=microns * 1e-6)


if __name__ == "__main__":
    unittest.main()
