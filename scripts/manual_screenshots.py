#!/usr/bin/env python3
"""Takes the manual's screenshots from the running program.

Starts a built kwzview under an X server of its own with the deterministic simulated camera,
once in Simplified Chinese and once in English, drives it with xdotool as a user would
(connect, bars, capture, an image window, calibration, every measuring tool), and writes
cropped PNG files with stable names into Doc/images. Each step that the screenshots rely on
is checked (a ruler file, a measurement file, pixels of the picture); a check that fails
stops the run with the step's name, so a changed interface shows up here rather than as a
wrong picture in the manual.

Called by scripts/manual-screenshots.sh, which says what it needs.
"""

import argparse
import fcntl
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops, ImageGrab

SCREEN = (1600, 1200)

# Image pixels of the simulated camera's fixed scene at 1280 x 1024, two pixels a micrometre:
# a stage scale whose long ticks stand 100 um apart, a round particle, an elongated one, a
# triangle, a small dark disc and a square.
SCALE_TICK_0 = (140, 830)  # where the ruler's ends go: the ticks of 0 and 100 um
SCALE_TICK_100 = (340, 830)
BROWN_DISC = (340, 352)  # radius 40 pixels
DARK_DISC = (560, 652)  # radius 14
SQUARE = ((190, 602), (250, 662))
TRIANGLE = ((1000, 216), (1052, 308), (952, 300))
ELONGATED = ((699, 397), (821, 467))  # the ends of its long axis

# The two tool bars: 32-pixel buttons, 41 pixels apart, a separator adding 7.
VIDEO_BUTTONS = [
    "capture-measure", "capture", "timed", "capture-settings", "record", "record-settings",
    "video-settings", "colour", "size", "fit", "all-bars", "freeze",
]
IMAGE_BUTTONS = [
    "open", "save", "return", "|", "select", "delete", "delete-all", "undo", "redo",
    "magnifier", "|", "line", "circle-centre", "circle-diameter", "circle-3points", "|", "ellipse-centre",
    "ellipse-box", "rectangle", "angle", "polygon", "|", "text", "text-bar", "ruler-bar",
    "pen-bar", "all-bars",
]
TOOLBAR_Y = 43
# The text bar's font list, below the pen bar (showing the text bar hides the magnifier).
FONT_LIST = (110, 229)

LANGUAGES = {
    "zh": {"index": 0, "text": "颗粒 A"},
    "en": {"index": 1, "text": "Particle A"},
}
RULER_NAME = "Scale100um"
TEXT_FACE = "Liberation Sans"


class Failure(Exception):
    pass


def toolbar_x(buttons, name):
    x = 23
    for b in buttons:
        if b == name:
            return x
        x += 7 if b == "|" else 41
    raise KeyError(name)


def save_png(image, path, scale=None):
    if scale:
        image = image.resize((round(image.width * scale), round(image.height * scale)),
                             Image.LANCZOS)
    # A palette keeps the files small; screenshots have few colours.
    image = image.convert("RGB").quantize(colors=256, method=Image.Quantize.FASTOCTREE,
                                          dither=Image.Dither.NONE)
    image.save(path, optimize=True)


class Session:
    """One run of the program on an X server of its own."""

    def __init__(self, program, language, home, log, debug):
        self.program = program
        self.language = language
        self.home = home
        self.log = log
        self.debug = debug
        self.steps = 0
        self.xvfb = None
        self.kwz = None

    # The X server and the program.

    def start(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % SCREEN, "-nolisten", "tcp", "-nocursor"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline:
                raise Failure("Xvfb gave no display number")
            chunk = os.read(read_end, 16)
            if not chunk:
                raise Failure("Xvfb ended at start")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        data = os.path.join(self.home, "data")
        runtime = os.path.join(self.home, "runtime")
        os.makedirs(runtime, mode=0o700)
        self.env = dict(os.environ, DISPLAY=self.display, KWZ_CAMERA="sim:fixed",
                        KWZVIEW_HOME=os.path.join(self.home, "kwzview"), XDG_DATA_HOME=data,
                        XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        LANG="C.UTF-8")
        for variable in ("KWZ_NONINTERACTIVE", "KWZ_CAMERA_DETERMINISTIC", "KWZ_TRACE",
                         "QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "QT_SCALE_FACTOR"):
            self.env.pop(variable, None)

    def launch(self, settings, camera="sim:fixed"):
        folder = self.env["KWZVIEW_HOME"]
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "MeasureTool.ini"), "w", encoding="ascii") as f:
            f.write(settings)
        env = dict(self.env, KWZ_CAMERA=camera)
        self.kwz = subprocess.Popen([self.program], env=env, stdout=self.log,
                                    stderr=subprocess.STDOUT)

    def wait_for_window(self):
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            if self.kwz.poll() is not None:
                raise Failure("kwzview ended with %d at start" % self.kwz.returncode)
            # The menu bar has been drawn once the top row is no longer the root's black.
            top = self.grab().crop((0, 0, 200, 20))
            if top.getextrema() != ((0, 0), (0, 0), (0, 0)):
                self.settle()
                return
            time.sleep(0.2)
        raise Failure("no main window within 30 seconds")

    def quit(self):
        """Closes the program as the desktop would and waits for it."""
        if self.kwz is None:
            return
        if self.kwz.poll() is None:
            self.kwz.send_signal(signal.SIGTERM)
            try:
                self.kwz.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.kwz.kill()
                self.kwz.wait()
                raise Failure("kwzview did not end on SIGTERM")
        code = self.kwz.returncode
        self.kwz = None
        if code != 0:
            raise Failure("kwzview ended with %d" % code)

    def stop(self):
        if self.kwz is not None and self.kwz.poll() is None:
            self.kwz.kill()
            self.kwz.wait()
        self.kwz = None
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
            self.xvfb = None

    # Input.

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *map(str, arguments)], env=self.env, check=True)

    def key(self, *keys, pause=0.25):
        for k in keys:
            self.xdotool("key", "--clearmodifiers", k)
            time.sleep(pause)

    def type(self, text):
        self.xdotool("type", "--delay", 60, text)
        time.sleep(0.3)

    def click(self, x, y, button=1, pause=0.3):
        self.xdotool("mousemove", x, y)
        time.sleep(0.1)
        self.xdotool("click", button)
        time.sleep(pause)

    def move(self, x, y, pause=0.2):
        self.xdotool("mousemove", x, y)
        time.sleep(pause)

    def drag(self, start, end, steps=6):
        """A drag in steps slower than the view's and the engine's movement throttles."""
        self.move(*start, pause=0.15)
        self.xdotool("mousedown", 1)
        for i in range(1, steps + 1):
            time.sleep(0.12)
            self.xdotool("mousemove", start[0] + (end[0] - start[0]) * i // steps,
                         start[1] + (end[1] - start[1]) * i // steps)
        time.sleep(0.15)
        self.xdotool("mouseup", 1)
        time.sleep(0.2)

    # Output.

    def grab(self):
        return ImageGrab.grab(xdisplay=self.display).convert("RGB")

    def settle(self, timeout=6.0):
        """Waits until the screen above the status bar stops changing."""
        box = (0, 0, SCREEN[0], SCREEN[1] - 24)
        previous = self.grab().crop(box)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            time.sleep(0.25)
            current = self.grab().crop(box)
            if ImageChops.difference(previous, current).getbbox() is None:
                return current
            previous = current
        return previous

    def shot(self, name, box=None, scale=None, image=None):
        self.settle()
        if image is None:
            image = self.grab()
        self.steps += 1
        if self.debug:
            image.save(os.path.join(self.debug, "%s-%02d-%s.png" % (self.language, self.steps,
                                                                     name)))
        save_png(image.crop(box) if box else image, self.path(name), scale)

    def path(self, name):
        return os.path.join(self.output, "%s-%s.png" % (self.language, name))


# Where things are on the screen.

FRAME_GREY = (184, 184, 184)


def view_origin(image):
    """Screen position of image pixel (0, 0): inside the image view's frame, found as the
    left frame line that runs down to the status bar."""
    column = [image.getpixel((0, y)) for y in range(image.height)]
    for y in range(60, image.height - 300):
        if all(column[y + i] == FRAME_GREY for i in range(300)):
            return (1, y + 1)
    raise Failure("no image view on the screen")


def white_field_top(image, x, top=55, bottom=500):
    """Top row of the first white text field that column x meets below the tool bar."""
    run = 0
    for y in range(top, bottom):
        run = run + 1 if image.getpixel((x, y)) == (255, 255, 255) else 0
        if run == 12:
            return y - 11
    raise Failure("no text field in column %d" % x)


def check_dark(image, point, what):
    r, g, b = image.getpixel(point)
    if r + g + b > 330:
        raise Failure("%s is not where the screenshots expect it (%s is %s)"
                      % (what, point, (r, g, b)))


def bbox_of_change(before, after, margin=0):
    box = ImageChops.difference(before, after).getbbox()
    if box is None:
        raise Failure("nothing changed on the screen")
    return (max(0, box[0] - margin), max(0, box[1] - margin),
            min(SCREEN[0], box[2] + margin), min(SCREEN[1], box[3] + margin))


def run_language(session, lang, shared_done):
    language = LANGUAGES[lang]
    home = session.env["KWZVIEW_HOME"]

    def vbutton(name):
        session.click(toolbar_x(VIDEO_BUTTONS, name), TOOLBAR_Y)

    def ibutton(name):
        session.click(toolbar_x(IMAGE_BUTTONS, name), TOOLBAR_Y)

    # Start: the menus of the empty main window.
    session.launch("[MAIN]\r\nLanguage=%d\r\n" % language["index"])
    session.wait_for_window()
    session.key("alt+d")
    session.shot("menu-device", box=(0, 0, 320, 80))
    session.key("Right")
    session.shot("menu-language", box=(0, 0, 320, 90))
    session.key("Right")
    session.shot("menu-help", box=(0, 0, 320, 80))
    session.key("Escape", "Escape")

    # Connect: the live window at the stored size, 640 x 480.
    session.key("alt+d", "c")
    time.sleep(1.5)
    screen = session.settle()
    check_dark(screen, (SCREEN[0] // 2, 200), "the live window's black surround")
    centre = screen.getpixel((SCREEN[0] // 2, SCREEN[1] // 2 + 60))
    if sum(centre) < 150:
        raise Failure("no live picture after connect")
    session.shot("live", scale=0.6)
    session.shot("live-toolbar", box=(0, 20, 500, 66))
    session.shot("status-live", box=(SCREEN[0] - 740, SCREEN[1] - 22, SCREEN[0], SCREEN[1]))

    # Every live bar: colour (B), exposure and white balance (W), capture and record settings.
    session.click(SCREEN[0] // 2, SCREEN[1] - 150)
    session.key("b", "w")
    vbutton("capture-settings")
    vbutton("record-settings")
    session.move(SCREEN[0] // 2, SCREEN[1] - 150)
    screen = session.settle()
    session.shot("bar-size", box=(0, 66, 600, 140))
    session.shot("bar-adjust", box=(0, 140, SCREEN[0], 280), scale=0.8)
    session.shot("bar-capture", box=(0, 278, SCREEN[0], 432), scale=0.8)

    # A recording of a few seconds: the recording pane counts.
    session.click(SCREEN[0] // 2, SCREEN[1] - 150)
    session.key("r")
    time.sleep(2.6)
    session.shot("status-recording",
                 box=(SCREEN[0] - 740, SCREEN[1] - 22, SCREEN[0], SCREEN[1]))
    session.key("r")
    time.sleep(0.5)
    records = os.listdir(os.path.join(home, "Records"))
    if len(records) != 1 or not records[0].endswith(".avi"):
        raise Failure("recording left %s" % records)

    # A still capture to a JPEG file.
    session.key("c")
    time.sleep(0.5)
    captures = os.listdir(os.path.join(home, "Captures"))
    if len(captures) != 1 or not captures[0].endswith(".jpg"):
        raise Failure("capture left %s" % captures)
    session.shot("status-saved", box=(0, SCREEN[1] - 22, 900, SCREEN[1]))

    # Back to the plain window, then capture for measuring at 640 x 480: the question.
    session.key("b", "w")
    vbutton("capture-settings")
    vbutton("record-settings")
    session.click(SCREEN[0] // 2, SCREEN[1] - 150)
    before = session.settle()
    session.key("m")
    time.sleep(0.8)
    after = session.settle()
    session.shot("measure-question", box=bbox_of_change(before, after, margin=2),
                 image=after)
    session.key("Return")  # yes: the picture switches to 1280 x 1024
    time.sleep(2)
    session.settle()
    session.shot("live-1280", scale=0.6)

    # Capture for measuring: a new image window.
    session.click(SCREEN[0] // 2, SCREEN[1] - 150)
    session.key("m")
    time.sleep(2)
    screen = session.settle()
    ox, oy = view_origin(screen)
    check_dark(screen, (DARK_DISC[0] + ox, DARK_DISC[1] + oy), "the small dark disc")
    session.shot("image", scale=0.6)
    session.shot("image-toolbar", box=(0, 20, 900, 66))
    session.shot("bars-image", box=(0, 50, 640, 300))

    # Calibration: the ruler-measure bar instead of the text bar, the ruler onto the scale.
    ibutton("ruler-bar")
    ibutton("text-bar")
    screen = session.settle()
    ox, oy = view_origin(screen)

    def at(point):
        return (point[0] + ox, point[1] + oy)

    check_dark(screen, at(DARK_DISC), "the small dark disc")
    session.drag(at((10, 10)), at(SCALE_TICK_0))
    session.drag(at((100, 10)), at(SCALE_TICK_100))
    # The ruler's label goes above the scale, beside the ruler.
    session.drag(at((13, 14)), at((153, 744)))
    # Name, length, ruler unit (the first entry: millimetre), measure unit (micrometre), apply,
    # save; the bar's fields in their tab order from the name.
    name_top = white_field_top(screen, 600)
    session.click(600, name_top + 8)
    session.key("ctrl+a")
    session.type(RULER_NAME)
    session.key("Tab", "Tab")
    session.type("0.1")
    session.key("Tab", "Home", "Tab", "Home")
    session.key(*["Tab"] * 7)
    session.key("space")
    session.key("shift+Tab", "shift+Tab", "space")
    ruler_file = os.path.join(home, "Rulers", RULER_NAME + ".ruler")
    try:
        with open(ruler_file, "rb") as f:
            ruler = struct.unpack("<8x5if", f.read())
    except OSError:
        raise Failure("the ruler was not saved")
    expected = (*SCALE_TICK_0, *SCALE_TICK_100, 1)
    if ruler[:5] != expected or abs(ruler[5] - 0.1) > 1e-6:
        raise Failure("ruler file holds %s, expected %s and 0.1" % (ruler, expected))
    session.click(*at((640, 60)))  # nothing there: the ruler is no longer selected
    session.move(*at((900, 100)))
    session.shot("bar-ruler-measure", box=(0, 190, SCREEN[0], 300), scale=0.8)
    session.shot("calibrate", box=(*at((100, 700)), *at((760, 855))))

    # The measuring tools, one figure each on a cleared image.
    def tool(name, points, box, key=None, button=None, finish=None):
        ibutton("delete-all")
        if key:
            session.click(*at((640, 60)))
            session.key(key)
        else:
            ibutton(button)
        for i, p in enumerate(points):
            if i:
                mid = ((points[i - 1][0] + p[0]) // 2, (points[i - 1][1] + p[1]) // 2)
                session.move(*at(mid))
            session.click(*at(p))
        if finish:
            session.move(*at(finish))
            session.click(*at(finish), button=3)
        session.move(*at((1200, 980)))
        session.shot("tool-" + name, box=(*at(box[0]), *at(box[1])))

    x0, y0 = BROWN_DISC
    tool("line", ELONGATED, ((640, 360), (1010, 560)), key="l")
    # Bottom left, then top right: the label starts at the last corner.
    tool("rectangle", ((SQUARE[0][0], SQUARE[1][1]), (SQUARE[1][0], SQUARE[0][1])),
         ((150, 560), (470, 720)), key="r")
    tool("circle-diameter", ((x0 - 40, y0), (x0 + 40, y0)), ((280, 290), (600, 460)),
         button="circle-diameter")
    tool("circle-centre", (DARK_DISC, (DARK_DISC[0] + 14, DARK_DISC[1])),
         ((520, 610), (800, 760)), key="c")
    tool("circle-3points", (TRIANGLE[2], TRIANGLE[0], TRIANGLE[1]),
         ((900, 150), (1270, 420)), button="circle-3points")
    tool("ellipse-box", ((x0 - 40, y0 - 40), (x0 + 40, y0 + 40)), ((280, 290), (600, 500)),
         key="e")
    tool("ellipse-centre", (DARK_DISC, (DARK_DISC[0] + 14, DARK_DISC[1] + 14)),
         ((520, 610), (800, 780)), button="ellipse-centre")
    tool("angle", (TRIANGLE[1], TRIANGLE[0], TRIANGLE[2]), ((900, 190), (1150, 360)),
         key="a")
    tool("polygon", TRIANGLE, ((900, 190), (1270, 420)), key="p", finish=(1070, 330))

    # The magnifier follows the pointer.
    session.click(*at((640, 60)))
    session.move(*at((DARK_DISC[0] - 6, DARK_DISC[1] - 6)))
    session.move(*at(DARK_DISC), pause=0.5)
    session.shot("magnifier", box=(0, 50, 240, 200))

    # Text: the text bar's font, then a text typed onto the picture.
    ibutton("delete-all")
    ibutton("text-bar")
    before = session.settle()
    session.click(*FONT_LIST)
    box = ImageChops.difference(before, session.settle()).getbbox()
    if box is None or box[3] - box[1] < 100:
        raise Failure("the font list did not open at %s" % (FONT_LIST,))
    # The open list searches as the face is typed; Return takes it.
    session.type(TEXT_FACE)
    session.key("Return")
    screen = session.settle()
    ox, oy = view_origin(screen)
    ibutton("text")
    session.click(*at((600, 520)))
    session.type(language["text"])
    session.key("Return")
    session.move(*at((1200, 700)))
    text_box = (*at((500, 430)), *at((900, 620)))
    written = ImageChops.difference(screen.crop(text_box), session.settle().crop(text_box))
    box = written.getbbox()
    if box is None or box[3] - box[1] < 10:
        raise Failure("the text is missing or too small: %s" % (box,))
    session.shot("tool-text", box=text_box)
    session.shot("bar-text", box=(0, 120, 420, 210))

    # The ruler bar and the pen bar: the image bars off and on again.
    ibutton("all-bars")
    ibutton("all-bars")
    session.shot("bar-ruler", box=(0, 50, 700, 200))

    # Save as a measurement file; the dialog asks where. The bars moved the picture.
    ibutton("select")
    ox, oy = view_origin(session.settle())
    session.click(*at((640, 60)))
    session.key("s")
    time.sleep(1)
    session.settle()
    target = os.path.join(home, "Captures", "Sample.Mea")
    session.key("ctrl+a")
    session.type(target)
    session.key("Return")
    time.sleep(1)
    if not os.path.isfile(target) or os.path.getsize(target) < 1280 * 1024 * 3:
        raise Failure("the measurement file was not saved")

    session.quit()

    # No camera: the start-up message, the same text in every language.
    if not shared_done:
        before = session.grab()
        session.launch("[MAIN]\r\nLanguage=%d\r\n" % language["index"],
                       camera="/dev/kwzview-no-such-camera")
        deadline = time.monotonic() + 15
        while session.grab() == before:
            if time.monotonic() > deadline:
                raise Failure("no message without a camera")
            time.sleep(0.2)
        after = session.settle()
        save_png(after.crop(bbox_of_change(before, after, margin=2)),
                 os.path.join(session.output, "no-camera.png"))
        session.key("Return")
        session.kwz.wait(timeout=10)
        session.kwz = None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program", help="the built kwzview")
    parser.add_argument("output", help="folder of the screenshots (Doc/images)")
    parser.add_argument("--debug", help="also keep every full screenshot in this folder")
    parser.add_argument("--language", choices=sorted(LANGUAGES), action="append",
                        help="only this language (may be repeated)")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    if not os.access(program, os.X_OK):
        sys.exit("manual-screenshots: %s is not a built kwzview" % program)
    os.makedirs(args.output, exist_ok=True)
    if args.debug:
        os.makedirs(args.debug, exist_ok=True)

    # The program folder shows in the bars; a fixed one keeps the pictures the same from run
    # to run, and a lock keeps two runs from sharing it.
    base = os.path.join(tempfile.gettempdir(), "kwzview-manual")
    lock = open(base + ".lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit("manual-screenshots: another run holds %s.lock" % base)

    languages = args.language or ["zh", "en"]
    shared_done = False
    started = time.monotonic()
    try:
        for lang in languages:
            shutil.rmtree(base, ignore_errors=True)
            os.makedirs(base)
            log_path = os.path.join(base, "kwzview.log")
            with open(log_path, "w") as log:
                session = Session(program, lang, base, log, args.debug)
                session.output = args.output
                try:
                    session.start()
                    run_language(session, lang, shared_done)
                    shared_done = True
                except (Failure, subprocess.CalledProcessError) as e:
                    if args.debug and session.xvfb is not None:
                        session.grab().save(os.path.join(args.debug, lang + "-failed.png"))
                    log.flush()
                    with open(log_path) as f:
                        sys.stderr.write(f.read())
                    sys.exit("manual-screenshots (%s, after %d shots): %s"
                             % (lang, session.steps, e))
                finally:
                    session.stop()
            print("manual-screenshots: %s done, %d screenshots" % (lang, session.steps))
    finally:
        shutil.rmtree(base, ignore_errors=True)
        os.unlink(base + ".lock")
        lock.close()
    print("manual-screenshots: %d seconds" % round(time.monotonic() - started))


if __name__ == "__main__":
    main()
