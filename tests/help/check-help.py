#!/usr/bin/env python3
"""Checks a compiled help file the way the program and a reader use it.

The .chm is unpacked again with extract_chmLib (Debian package libchm-bin),
and then:
- every page of the help sources is inside, and so are the contents (.hhc)
  and the index (.hhk), which name every page, each under its own title, and
  only pages that are inside;
- the context map (#IVB with its names in #STRINGS) sends contexts 1 to 4,
  which the program asks for on steps 1 to 4, to pages whose titles are the
  program's own step titles (lang/1033/Strings.rc, texts 801 to 804);
- the text popups of context.txt, which the program names beside the help
  file, have a topic for each step;
- the default topic is inside, and every link, style sheet and picture of
  every page resolves inside the file: no scripts, nothing from outside;
- every word of the program that a page quotes (<span class="ui">) is one the
  program shows: a text of the language module or of the program's sources,
  or else a key or a word of Windows itself.

Usage: check-help.py HELP_FILE HELP_SOURCES REPOSITORY
"""

import glob

import html.parser
import os
import re
import struct
import subprocess
import sys
import tempfile
import urllib.parse

STEP_COUNT = 4

# Quoted words that are not the program's: keys, and Windows' own menu items.
NOT_THE_PROGRAMS = {"F1", "Enter", "Page Down", "Page Up", "Ctrl+C", "Rename", "Run as administrator"}


class Failures:
    def __init__(self):
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(message)
        return condition


class PageParser(html.parser.HTMLParser):
    """Collects a page's title, the targets it refers to and its scripts."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.title = ""
        self.in_title = False
        self.targets = []
        self.scripts = 0
        self.quoted = []
        self.quoting = None

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if tag == "title":
            self.in_title = True
        if tag == "script":
            self.scripts += 1
        if tag == "span" and "ui" in attributes.get("class", "").split():
            self.quoting = ""
        for name in ("href", "src"):
            if attributes.get(name):
                self.targets.append(attributes[name])
        if any(name.startswith("on") for name in attributes):
            self.scripts += 1

    def handle_endtag(self, tag):
        if tag == "title":
            self.in_title = False
        if tag == "span" and self.quoting is not None:
            self.quoted.append(" ".join(self.quoting.split()))
            self.quoting = None

    def handle_data(self, data):
        if self.in_title:
            self.title += data
        if self.quoting is not None:
            self.quoting += data


class SitemapParser(html.parser.HTMLParser):
    """The entries of a .hhc or .hhk: for each OBJECT its names and locals."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.entries = []
        self.current = None

    def handle_starttag(self, tag, attrs):
        attributes = {key: value or "" for key, value in attrs}
        if tag == "object" and attributes.get("type", "").lower() == "text/sitemap":
            self.current = {"names": [], "locals": []}
        elif tag == "param" and self.current is not None:
            kind = attributes.get("name", "").lower()
            if kind == "name":
                self.current["names"].append(attributes.get("value", ""))
            elif kind == "local":
                self.current["locals"].append(attributes.get("value", ""))

    def handle_endtag(self, tag):
        if tag == "object" and self.current is not None:
            self.entries.append(self.current)
            self.current = None


def read_text(path, encoding="cp1252"):
    with open(path, "rb") as handle:
        return handle.read().decode(encoding, errors="replace")


def read_bytes(path):
    with open(path, "rb") as handle:
        return handle.read()


def inside(root, name):
    """The unpacked file for a path inside the help file, or None."""
    name = urllib.parse.unquote(name).replace("\\", "/").lstrip("/")
    path = os.path.normpath(os.path.join(root, name))
    if not path.startswith(os.path.normpath(root) + os.sep):
        return None
    return path if os.path.isfile(path) else None


def program_texts(repository):
    """Every quoted text of the language module and of the program's sources."""
    texts = []
    sources = glob.glob(os.path.join(repository, "lang", "1033", "*.rc"))
    for folder in ("app", "ui"):
        sources += glob.glob(os.path.join(repository, folder, "**", "*.cpp"), recursive=True)
    for source in sources:
        for match in re.finditer(r'"((?:[^"\\\n]|\\.)*)"', read_text(source, "utf-8")):
            texts.append(match.group(1).replace("\\t", " ").replace("\\r\\n", " "))
    return "\n".join(texts)


def step_titles(strings_rc):
    titles = {}
    for match in re.finditer(r'^\s*(80[1-4]),\s*"((?:[^"\\]|\\.)*)"', read_text(strings_rc), re.M):
        titles[int(match.group(1)) - 800] = match.group(2)
    return titles


def context_map(root, failures):
    """Context number -> topic path, from #IVB and the names in #STRINGS."""
    ivb = inside(root, "#IVB")
    strings = inside(root, "#STRINGS")
    if not failures.check(ivb and strings, "the help file has no context map (#IVB, #STRINGS)"):
        return {}
    table = read_bytes(ivb)
    names = read_bytes(strings)
    if not failures.check(len(table) >= 4, "#IVB is shorter than its length field"):
        return {}
    (length,) = struct.unpack_from("<I", table, 0)
    if not failures.check(length % 8 == 0 and 4 + length <= len(table),
                          "#IVB claims %d bytes of pairs in %d bytes" % (length, len(table))):
        return {}
    contexts = {}
    for offset in range(4, 4 + length, 8):
        number, at = struct.unpack_from("<II", table, offset)
        end = names.find(b"\0", at)
        if not failures.check(at < len(names) and end >= 0,
                              "context %d names offset %d, outside #STRINGS" % (number, at)):
            continue
        contexts[number] = names[at:end].decode("cp1252")
    return contexts


def default_topic(root):
    """The default topic recorded in #SYSTEM (code 2), or None."""
    system = inside(root, "#SYSTEM")
    if system is None:
        return None
    data = read_bytes(system)
    offset = 4
    while offset + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, offset)
        offset += 4
        if offset + length > len(data):
            return None
        if code == 2:
            return data[offset:offset + length].split(b"\0")[0].decode("cp1252")
        offset += length
    return None


def check_sitemap(root, name, titles, failures, what):
    """Every page named, each under its own title, and nothing from outside."""
    path = inside(root, name)
    if not failures.check(path, "the help file holds no %s %s" % (what, name)):
        return
    parser = SitemapParser()
    parser.feed(read_text(path))
    named = set()
    for entry in parser.entries:
        failures.check(entry["names"] and all(entry["names"]),
                       "an entry of the %s has no name: %r" % (what, entry))
        # An index keyword comes first; each topic's name stands before its page.
        topics = entry["names"][len(entry["names"]) - len(entry["locals"]):]
        for topic, local in zip(topics, entry["locals"]):
            page = local.lstrip("/")
            failures.check(inside(root, local), "the %s names %s, which is not in the help file" % (what, local))
            failures.check(topic == titles.get(page, topic),
                           "the %s calls %s %r, but its title is %r" % (what, page, topic, titles.get(page)))
            named.add(page.lower())
    for page in titles:
        failures.check(page.lower() in named, "the %s does not name %s" % (what, page))


def check_pages(root, pages, texts, failures):
    titles = {}
    for page in pages:
        path = inside(root, page)
        if not failures.check(path, "%s is not in the help file" % page):
            continue
        parser = PageParser()
        parser.feed(read_text(path))
        titles[page] = parser.title.strip()
        failures.check(titles[page], "%s has no title" % page)
        failures.check(parser.scripts == 0, "%s runs a script" % page)
        for quoted in parser.quoted:
            failures.check(quoted in NOT_THE_PROGRAMS or quoted in texts,
                           "%s quotes %r, which the program does not show" % (page, quoted))
        for target in parser.targets:
            parts = urllib.parse.urlsplit(target)
            if not failures.check(not parts.scheme and not parts.netloc,
                                  "%s refers to %s, outside the help file" % (page, target)):
                continue
            if parts.path:
                failures.check(inside(root, os.path.join(os.path.dirname(page), parts.path)),
                               "%s links to %s, which is not in the help file" % (page, target))
    return titles


def main():
    if len(sys.argv) != 4:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    help_file, sources, repository = sys.argv[1:]
    strings_rc = os.path.join(repository, "lang", "1033", "Strings.rc")
    failures = Failures()
    pages = sorted(name for name in os.listdir(sources) if name.endswith(".htm"))
    if not pages:
        print("no pages in %s" % sources, file=sys.stderr)
        return 2

    with tempfile.TemporaryDirectory() as root:
        unpacked = subprocess.run(["extract_chmLib", help_file, root], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.PIPE, text=True)
        if unpacked.returncode != 0:
            print("extract_chmLib could not unpack %s: %s" % (help_file, unpacked.stderr), file=sys.stderr)
            return 1

        titles = check_pages(root, pages, program_texts(repository), failures)
        check_sitemap(root, "contents.hhc", titles, failures, "table of contents")
        check_sitemap(root, "index.hhk", titles, failures, "index")

        topic = default_topic(root)
        failures.check(topic and inside(root, topic), "the default topic %r is not in the help file" % topic)

        expected = step_titles(strings_rc)
        failures.check(len(expected) == STEP_COUNT, "%s lacks step titles 801 to 804" % strings_rc)
        contexts = context_map(root, failures)
        for step in range(1, STEP_COUNT + 1):
            target = contexts.get(step)
            if not failures.check(target, "context %d (step %d) is not mapped" % (step, step)):
                continue
            page = target.lstrip("/")
            if not failures.check(inside(root, page), "context %d opens %s, which is not in the help file"
                                  % (step, target)):
                continue
            failures.check(titles.get(page) == expected.get(step),
                           "context %d opens %s, titled %r, not the step's own title %r"
                           % (step, page, titles.get(page), expected.get(step)))

        popups = inside(root, "context.txt")
        if failures.check(popups, "context.txt is not in the help file"):
            topics = set(re.findall(r"^\.topic\s+(\d+)\s*$", read_text(popups), re.M))
            for step in range(1, STEP_COUNT + 1):
                failures.check(str(step) in topics, "context.txt has no topic %d" % step)

    for message in failures.messages:
        print("FAIL: " + message)
    if failures.messages:
        print("%s: %d problems" % (help_file, len(failures.messages)))
        return 1
    print("%s: %d pages, contents, index and contexts 1 to %d check out" % (help_file, len(pages), STEP_COUNT))
    return 0


if __name__ == "__main__":
    sys.exit(main())
