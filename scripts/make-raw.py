#!/usr/bin/env python3
"""Writes a small camera RAW file built on TIFF, laid out as cameras lay them:
a JPEG preview at a 512-byte boundary, raw sensor strips, an EXIF directory
and a maker note whose own directory points at data that nothing else points
at, placed last in the file.

Usage: make-raw.py dng|cr2|nef PREVIEW.jpg THUMBNAIL.jpg OUTPUT
  dng  Intel order; the raw image in a sub-directory; a Canon-style maker note
  cr2  Intel order; four chained directories, the raw one written last
  nef  Motorola order; preview and raw in sub-directories; a Nikon maker note
       with a TIFF header of its own that its offsets count from
"""
import random
import struct
import sys

BYTE, ASCII, SHORT, LONG, RATIONAL, UNDEFINED = 1, 2, 3, 4, 5, 7
SIZES = {BYTE: 1, ASCII: 1, SHORT: 2, LONG: 4, RATIONAL: 8, UNDEFINED: 1}


class Ref:
    """Where an item ends up in the file, once laid out."""

    def __init__(self):
        self.at = None


class Blob:
    def __init__(self, data, align=2):
        self.data, self.align, self.ref = data, align, Ref()

    def size(self):
        return len(self.data)

    def serialise(self, order):
        return self.data


class Directory:
    """A directory and its out-of-line values, after prefix. Offsets count
    from relative_shift bytes into the item when given (a Nikon maker note),
    else from the file's start."""

    def __init__(self, entries, prefix=b"", relative_shift=None):
        self.entries, self.prefix, self.relative_shift = sorted(entries, key=lambda e: e[0]), prefix, relative_shift
        self.next, self.ref, self.align = 0, Ref(), 2

    def base(self):
        return 0 if self.relative_shift is None else self.ref.at + self.relative_shift

    @staticmethod
    def value_bytes(entry, order):
        tag, kind, values = entry
        if isinstance(values, (bytes, bytearray)):
            return bytes(values)
        code = {SHORT: "H", LONG: "I", BYTE: "B"}.get(kind)
        if kind == RATIONAL:
            return b"".join(struct.pack(order + "II", *v) for v in values)
        return b"".join(struct.pack(order + code, v) for v in values)

    @staticmethod
    def length(entry):
        tag, kind, values = entry
        if isinstance(values, Item):
            return values.target.size()
        return len(values) * (1 if isinstance(values, (bytes, bytearray)) else SIZES[kind])

    def size(self):
        outside = 0
        for entry in self.entries:
            n = self.length(entry)
            if n > 4 and not isinstance(entry[2], Item):
                outside += n + (n & 1)
        return len(self.prefix) + 2 + 12 * len(self.entries) + 4 + outside

    def resolved(self, entry, base):
        tag, kind, values = entry
        if isinstance(values, (bytes, bytearray)):
            return entry
        if isinstance(values, Item):  # a value laid out apart: its bytes are the item
            return (tag, kind, bytes(values.target.size()))
        return (tag, kind, [v.at - base if isinstance(v, Ref) else (v if v is not None else 0) for v in values])

    def serialise(self, order):
        base = self.base()
        head = bytearray(self.prefix)
        head += struct.pack(order + "H", len(self.entries))
        outside = bytearray()
        data_at = self.ref.at + len(head) + 12 * len(self.entries) + 4
        for entry in self.entries:
            tag, kind, values = entry
            raw = self.value_bytes(self.resolved(entry, base), order)
            count = len(raw) // SIZES[kind]
            if isinstance(values, Item):
                field = struct.pack(order + "I", values.target.ref.at - base)
            elif len(raw) > 4:
                field = struct.pack(order + "I", data_at + len(outside) - base)
                outside += raw + b"\0" * (len(raw) & 1)
            else:
                field = raw + b"\0" * (4 - len(raw))
            head += struct.pack(order + "HHI", tag, kind, count) + field
        link = self.next.at - base if isinstance(self.next, Ref) else 0
        head += struct.pack(order + "I", link)
        return bytes(head + outside)


class Item:
    """An entry's value laid out apart from its directory (a maker note, or
    data that only a maker note points at)."""

    def __init__(self, target):
        self.target = target


def lay_out(first, items):
    """Gives each item its place, in order, after the header's first bytes."""
    at = first
    for item in items:
        at += (-at) % item.align
        item.ref.at = at
        at += item.size()
    return at


def write(path, order, header_length, header, items):
    end = lay_out(header_length, items)
    out = bytearray(end)
    out[:header_length] = header()
    for item in items:
        data = item.serialise(order)
        out[item.ref.at : item.ref.at + len(data)] = data
    with open(path, "wb") as f:
        f.write(out)


def text(s):
    return s.encode() + b"\0"


def random_bytes(n, seed):
    rng = random.Random(seed)
    return bytes(rng.getrandbits(8) for _ in range(n))


def dng(preview, thumbnail):
    strips = [Blob(random_bytes(1536, i)) for i in range(4)]
    hidden = Blob(random_bytes(700, 9))
    note = Directory([(0x0001, SHORT, [1, 2, 3, 4]), (0x0010, UNDEFINED, Item(hidden)),
                      (0x0011, UNDEFINED, b"camera settings")])
    exif = Directory([(0x829A, RATIONAL, [(1, 125)]), (0x8827, SHORT, [200]), (0x927C, UNDEFINED, Item(note))])
    jpeg = Blob(preview, 512)
    raw = Directory([(0x00FE, LONG, [0]), (0x0100, LONG, [64]), (0x0101, LONG, [48]), (0x0102, SHORT, [16]),
                     (0x0103, SHORT, [1]), (0x0106, SHORT, [32803]), (0x0111, LONG, [s.ref for s in strips]),
                     (0x0115, SHORT, [1]), (0x0116, LONG, [12]), (0x0117, LONG, [1536] * 4),
                     (0x828D, SHORT, [2, 2]), (0x828E, BYTE, [0, 1, 1, 2])])
    ifd0 = Directory([(0x00FE, LONG, [1]), (0x0100, LONG, [160]), (0x0101, LONG, [120]),
                      (0x0102, SHORT, [8, 8, 8]), (0x0103, SHORT, [7]), (0x0106, SHORT, [6]),
                      (0x010F, ASCII, text("Vantrel")), (0x0110, ASCII, text("Vantrel test camera")),
                      (0x0111, LONG, [jpeg.ref]), (0x0115, SHORT, [3]), (0x0116, LONG, [120]),
                      (0x0117, LONG, [len(preview)]), (0x014A, LONG, [raw.ref]), (0x8769, LONG, [exif.ref]),
                      (0xC612, BYTE, [1, 4, 0, 0]), (0xC614, ASCII, text("Vantrel test camera"))])
    header = lambda: b"II*\0" + struct.pack("<I", ifd0.ref.at)
    return "<", 8, header, [ifd0, raw, exif, note, jpeg] + strips + [hidden]


def cr2(preview, thumbnail):
    sensor = Blob(random_bytes(5000, 3))
    small = Blob(random_bytes(8 * 6 * 3, 4))
    jpeg = Blob(preview, 512)
    thumb = Blob(thumbnail)
    note = Directory([(0x0001, SHORT, [92] + [0] * 45), (0x0006, ASCII, text("Canon EOS test")),
                      (0x0007, ASCII, text("Firmware Version 1.0.0"))])
    exif = Directory([(0x829A, RATIONAL, [(1, 60)]), (0x8827, SHORT, [100]), (0x927C, UNDEFINED, Item(note))])
    ifd3 = Directory([(0x0103, SHORT, [6]), (0x0111, LONG, [sensor.ref]), (0x0117, LONG, [sensor.size()]),
                      (0xC5D8, LONG, [1]), (0xC5E0, LONG, [1])])
    ifd2 = Directory([(0x0100, LONG, [8]), (0x0101, LONG, [6]), (0x0102, SHORT, [8, 8, 8]), (0x0103, SHORT, [1]),
                      (0x0106, SHORT, [2]), (0x0111, LONG, [small.ref]), (0x0115, SHORT, [3]),
                      (0x0116, LONG, [6]), (0x0117, LONG, [small.size()])])
    ifd1 = Directory([(0x0103, SHORT, [6]), (0x0201, LONG, [thumb.ref]), (0x0202, LONG, [thumb.size()])])
    ifd0 = Directory([(0x0100, LONG, [160]), (0x0101, LONG, [120]), (0x0103, SHORT, [6]),
                      (0x010F, ASCII, text("Canon")), (0x0110, ASCII, text("Canon EOS test")),
                      (0x0111, LONG, [jpeg.ref]), (0x0117, LONG, [len(preview)]), (0x8769, LONG, [exif.ref])])
    ifd0.next, ifd1.next, ifd2.next = ifd1.ref, ifd2.ref, ifd3.ref
    header = lambda: b"II*\0" + struct.pack("<I", ifd0.ref.at) + b"CR\x02\0" + struct.pack("<I", ifd3.ref.at)
    return "<", 16, header, [ifd0, exif, note, ifd1, ifd2, thumb, small, jpeg, sensor, ifd3]


def nef(preview, thumbnail):
    strips = [Blob(random_bytes(1536, 10 + i)) for i in range(3)]
    small = Blob(random_bytes(8 * 6 * 3, 5))
    jpeg = Blob(preview, 512)
    hidden = Blob(random_bytes(600, 6))
    # The note's offsets count from its own TIFF header, 10 bytes in.
    note = Directory([(0x0001, UNDEFINED, b"0210"), (0x0004, ASCII, text("RAW")),
                      (0x00F0, UNDEFINED, Item(hidden))],
                     prefix=b"Nikon\0\x02\x10\0\0MM\0*\0\0\0\x08", relative_shift=10)
    exif = Directory([(0x829A, RATIONAL, [(1, 250)]), (0x8827, SHORT, [400]), (0x927C, UNDEFINED, Item(note))])
    shown = Directory([(0x00FE, LONG, [1]), (0x0103, SHORT, [6]), (0x0201, LONG, [jpeg.ref]),
                       (0x0202, LONG, [len(preview)])])
    raw = Directory([(0x00FE, LONG, [0]), (0x0100, LONG, [64]), (0x0101, LONG, [48]), (0x0102, SHORT, [12]),
                     (0x0103, SHORT, [1]), (0x0106, SHORT, [32803]), (0x0111, LONG, [s.ref for s in strips]),
                     (0x0116, LONG, [16]), (0x0117, LONG, [1536] * 3)])
    ifd0 = Directory([(0x00FE, LONG, [1]), (0x0100, LONG, [8]), (0x0101, LONG, [6]), (0x0102, SHORT, [8, 8, 8]),
                      (0x0103, SHORT, [1]), (0x0106, SHORT, [2]), (0x010F, ASCII, text("NIKON CORPORATION")),
                      (0x0110, ASCII, text("NIKON TEST")), (0x0111, LONG, [small.ref]), (0x0115, SHORT, [3]),
                      (0x0116, LONG, [6]), (0x0117, LONG, [small.size()]),
                      (0x014A, LONG, [shown.ref, raw.ref]), (0x8769, LONG, [exif.ref])])
    header = lambda: b"MM\0*" + struct.pack(">I", ifd0.ref.at)
    return ">", 8, header, [ifd0, shown, raw, exif, note, small, jpeg] + strips + [hidden]


def main():
    if len(sys.argv) != 5 or sys.argv[1] not in ("dng", "cr2", "nef"):
        sys.exit(__doc__)
    kind, preview, thumbnail, output = sys.argv[1:]
    with open(preview, "rb") as f:
        preview = f.read()
    with open(thumbnail, "rb") as f:
        thumbnail = f.read()
    write(output, *{"dng": dng, "cr2": cr2, "nef": nef}[kind](preview, thumbnail))


main()
