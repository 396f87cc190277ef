#!/usr/bin/env python3
"""Check the KORVANTA help file.

Verifies that help/Korvanta.hlp is valid UTF-8, parses as HTML, holds exactly
one <section id="topic-N"> for each context number the program uses (ids
unique, no others), that sections are not nested, that no scripts, styles or
images are present, that every in-file link points at an existing topic, and
that every topic has 120-400 words.

Usage: python3 check_help.py [path-to-Korvanta.hlp]
Exit status 0 when all checks pass, 1 otherwise.
"""
import os
import re
import sys
from html.parser import HTMLParser

EXPECTED = [1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 17, 19, 20]
ALLOWED_IN_SECTION = {
    "h1", "h2", "h3", "p", "ul", "ol", "li", "b", "i", "em", "strong", "br",
    "a", "table", "thead", "tbody", "tr", "th", "td",
}
FORBIDDEN = {"script", "style", "img", "link", "iframe", "object", "embed"}
VOID = {"br", "meta", "img", "link", "hr"}
MIN_WORDS, MAX_WORDS = 120, 400


class Checker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.errors = []
        self.ids = []
        self.current = None          # id of the open section
        self.text = {}               # section id -> collected text
        self.links = []              # (section id, href)
        self.h1 = {}                 # section id -> count of h1
        self.stack = []
        self.meta_utf8 = False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        line = self.getpos()[0]
        if tag in FORBIDDEN:
            self.errors.append(f"line {line}: forbidden element <{tag}>")
        if tag == "meta" and (a.get("charset") or "").lower() == "utf-8":
            self.meta_utf8 = True
        for name in a:
            if name.startswith("on") or name == "style":
                self.errors.append(f"line {line}: forbidden attribute {name}")
        if tag == "section":
            if self.current is not None:
                self.errors.append(f"line {line}: nested <section>")
            sid = a.get("id")
            if sid is None:
                self.errors.append(f"line {line}: <section> without id")
                sid = f"<no id at line {line}>"
            self.ids.append(sid)
            self.current = sid
            self.text.setdefault(sid, [])
            self.h1.setdefault(sid, 0)
        elif self.current is not None:
            if tag not in ALLOWED_IN_SECTION:
                self.errors.append(f"line {line}: <{tag}> inside {self.current}")
            if tag == "h1":
                self.h1[self.current] += 1
            if tag == "a":
                self.links.append((self.current, a.get("href", "")))
        if tag not in VOID:
            self.stack.append((tag, line))

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID and self.stack and self.stack[-1][0] == tag:
            self.stack.pop()

    def handle_endtag(self, tag):
        line = self.getpos()[0]
        if not self.stack or self.stack[-1][0] != tag:
            top = self.stack[-1] if self.stack else None
            self.errors.append(f"line {line}: </{tag}> does not close {top}")
            # recover: pop up to the matching tag if present
            for i in range(len(self.stack) - 1, -1, -1):
                if self.stack[i][0] == tag:
                    del self.stack[i:]
                    break
        else:
            self.stack.pop()
        if tag == "section":
            self.current = None

    def handle_data(self, data):
        if self.current is not None:
            self.text[self.current].append(data)


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "Korvanta.hlp")
    raw = open(path, "rb").read()
    try:
        doc = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        print(f"FAIL: not valid UTF-8: {e}")
        return 1
    errors = []
    if raw.startswith(b"\xef\xbb\xbf"):
        errors.append("file starts with a byte-order mark")
    if not doc.lstrip().lower().startswith("<!doctype html>"):
        errors.append("missing <!DOCTYPE html>")
    if not re.search(r'<html[^>]*\blang="ru"', doc):
        errors.append('missing <html lang="ru">')

    c = Checker()
    c.feed(doc)
    c.close()
    errors += c.errors
    if c.stack:
        errors.append(f"unclosed elements at end: {c.stack}")
    if not c.meta_utf8:
        errors.append('missing <meta charset="utf-8">')

    expected_ids = [f"topic-{n}" for n in EXPECTED]
    dup = sorted({i for i in c.ids if c.ids.count(i) > 1})
    if dup:
        errors.append(f"duplicate section ids: {dup}")
    missing = [i for i in expected_ids if i not in c.ids]
    extra = [i for i in c.ids if i not in expected_ids]
    if missing:
        errors.append(f"missing sections: {missing}")
    if extra:
        errors.append(f"unexpected sections: {extra}")
    if len(c.ids) != len(EXPECTED):
        errors.append(f"{len(c.ids)} sections, expected {len(EXPECTED)}")

    for sid, n in c.h1.items():
        if n != 1:
            errors.append(f"{sid}: {n} <h1> elements, expected 1")
    for sid, href in c.links:
        if not href.startswith("#") or href[1:] not in expected_ids:
            errors.append(f"{sid}: link to {href!r} is not a known topic")

    for sid in expected_ids:
        if sid not in c.text:
            continue
        words = len(re.findall(r"\w+(?:[-']\w+)*", " ".join(c.text[sid])))
        status = "ok" if MIN_WORDS <= words <= MAX_WORDS else "OUT OF RANGE"
        print(f"{sid:9s} {words:4d} words  {status}")
        if status != "ok":
            errors.append(f"{sid}: {words} words, expected {MIN_WORDS}-{MAX_WORDS}")

    if errors:
        for e in errors:
            print("FAIL:", e)
        return 1
    print(f"OK: {len(c.ids)} sections, valid UTF-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
