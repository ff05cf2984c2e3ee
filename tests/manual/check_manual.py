#!/usr/bin/env python3
"""Checks the manual's pages: structure, links, pictures, chapters, and the interface texts
they quote.

    check_manual.py SOURCE_ROOT [COPY_FOLDER ...]

SOURCE_ROOT holds Doc/ and the program's sources; each COPY_FOLDER is a copy of Doc/ (the
build's or an installation's) that must hold the same files.
"""

import filecmp
import os
import re
import sys
from html.parser import HTMLParser

PAGES = {"ZN41.html": "zh", "ZN42.html": "en"}
CHAPTERS = ["start", "live", "capture", "recording", "adjust", "calibrate", "profiles", "tools",
            "labels", "files", "languages", "settings", "troubleshooting"]
VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source",
        "track", "wbr"}

failures = []


def fail(page, message):
    failures.append("%s: %s" % (page, message))


class Page(HTMLParser):
    def __init__(self, name):
        super().__init__(convert_charrefs=True)
        self.name = name
        self.stack = []
        self.ids = {}
        self.links = []
        self.images = []
        self.styles = []
        self.toc = []
        self.ui = []
        self.lang = None
        self.in_toc = 0
        self.ui_text = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        where = "line %d" % self.getpos()[0]
        if tag == "html":
            self.lang = a.get("lang")
        if "id" in a:
            if a["id"] in self.ids:
                fail(self.name, "id %r twice (%s)" % (a["id"], where))
            self.ids[a["id"]] = where
        if tag == "a" and "href" in a:
            self.links.append((a["href"], where))
            if self.in_toc:
                self.toc.append(a["href"])
        if tag == "img":
            self.images.append((a.get("src", ""), where))
            if not a.get("alt"):
                fail(self.name, "picture without alt text (%s)" % where)
        if tag == "link" and a.get("rel") == "stylesheet":
            self.styles.append((a.get("href", ""), where))
        if tag in VOID:
            return
        self.stack.append((tag, where))
        if tag == "nav":
            self.in_toc += 1
        if tag == "span" and "ui" in a.get("class", "").split():
            self.ui_text = ""

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.handle_endtag(tag)

    def handle_endtag(self, tag):
        if tag in VOID:
            return
        if not self.stack:
            fail(self.name, "</%s> closes nothing (line %d)" % (tag, self.getpos()[0]))
            return
        open_tag, where = self.stack.pop()
        if open_tag != tag:
            fail(self.name, "<%s> of %s closed by </%s> on line %d"
                 % (open_tag, where, tag, self.getpos()[0]))
        if tag == "nav":
            self.in_toc -= 1
        if tag == "span" and self.ui_text is not None:
            self.ui.append((self.ui_text, self.getpos()[0]))
            self.ui_text = None

    def handle_data(self, data):
        if self.ui_text is not None:
            self.ui_text += data


def interface_texts(root):
    """Every text the program can show: its sources and language files, mnemonic marks
    removed, as the user sees them."""
    parts = []
    for folder in ("app", "data/Language"):
        for base, _, files in os.walk(os.path.join(root, folder)):
            for f in files:
                if f.endswith((".cpp", ".h", ".inc", ".ini")):
                    with open(os.path.join(base, f), "rb") as fh:
                        raw = fh.read()
                    # The Chinese tool-tip files are GBK, as the program reads them.
                    try:
                        parts.append(raw.decode("utf-8"))
                    except UnicodeDecodeError:
                        parts.append(raw.decode("gb18030", errors="replace"))
    text = "\n".join(parts)
    # Adjacent string literals are one text; byte escapes hold GBK words.
    text = re.sub(r'"\s*\n\s*"', "", text)
    escaped = [bytes.fromhex(m.replace("\\x", "")).decode("gb18030", errors="ignore")
               for m in re.findall(r"(?:\\x[0-9A-Fa-f]{2})+", text)]
    return (text + "\n" + "\n".join(escaped)).replace("&", "")


def check_page(doc, name, texts):
    path = os.path.join(doc, name)
    try:
        with open(path, encoding="utf-8") as f:
            source = f.read()
    except (OSError, UnicodeDecodeError) as e:
        fail(name, "cannot be read: %s" % e)
        return
    page = Page(name)
    page.feed(source)
    page.close()
    for tag, where in page.stack:
        fail(name, "<%s> of %s is never closed" % (tag, where))
    if page.lang != PAGES[name] and not (page.lang or "").startswith(PAGES[name]):
        fail(name, "language %r, expected %r" % (page.lang, PAGES[name]))

    for chapter in CHAPTERS:
        if chapter not in page.ids:
            fail(name, "no chapter %r" % chapter)
        if "#" + chapter not in page.toc:
            fail(name, "chapter %r is not in the table of contents" % chapter)

    for href, where in page.links:
        if re.match(r"^[a-z]+:|^//", href):
            fail(name, "link out of the manual %r (%s)" % (href, where))
            continue
        target, _, anchor = href.partition("#")
        if target:
            if target not in PAGES:
                fail(name, "link to %r (%s)" % (href, where))
            continue
        if anchor not in page.ids:
            fail(name, "link to a missing anchor %r (%s)" % (href, where))

    for src, where in page.images + page.styles:
        if re.match(r"^[a-z]+:|^//|^/", src) or ".." in src.split("/"):
            fail(name, "%r is not a file of the manual (%s)" % (src, where))
        elif not os.path.isfile(os.path.join(doc, src)):
            fail(name, "%r is missing (%s)" % (src, where))

    for text, line in page.ui:
        text = " ".join(text.split())
        if not text or text not in texts:
            fail(name, "line %d quotes %r, which the program does not show" % (line, text))
    return page


def check_copy(doc, copy):
    if not os.path.isdir(copy):
        fail(copy, "no copy of the manual")
        return
    compared = filecmp.dircmp(doc, copy)
    for f in compared.left_only:
        fail(copy, "lacks %s" % f)
    stack = [compared]
    while stack:
        c = stack.pop()
        for f in c.left_only:
            fail(c.right, "lacks %s" % f)
        for f in c.diff_files:
            fail(c.right, "%s differs from Doc/" % f)
        stack.extend(c.subdirs.values())


def main():
    root = sys.argv[1]
    doc = os.path.join(root, "Doc")
    texts = interface_texts(root)
    pages = [check_page(doc, name, texts) for name in PAGES]
    images = {i for p in pages if p for i, _ in p.images}
    for f in sorted(os.listdir(os.path.join(doc, "images"))):
        if "images/" + f not in images:
            fail("Doc/images", "%s is shown on no page" % f)
    for copy in sys.argv[2:]:
        check_copy(doc, copy)
    for f in failures:
        print("FAIL:", f)
    if failures:
        return 1
    print("both pages: %d chapters, every link, picture and quoted text found" % len(CHAPTERS))
    return 0


if __name__ == "__main__":
    sys.exit(main())
