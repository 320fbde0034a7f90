#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Keyed archives written by plistlib (byte by byte where no writer would produce them).

Usage: archive_fixtures.py write DIR (DIR/NAME.plist) | dump FILE (JSON, UIDs as {"$uid": n})
"""
import json
import plistlib
import struct
import sys
from pathlib import Path
from plistlib import UID


def cls(name, *ancestors):
    return {"$classname": name, "$classes": [name, *ancestors, "NSObject"]}


def archive(objects):
    return {"$version": 100000, "$archiver": "NSKeyedArchiver",
            "$top": {"root": UID(1)}, "$objects": ["$null", *objects]}


FIXTURES = {
    # An exceptions file whose entry holds an image (an NSImage): the image's fields other than
    # integers are not Quillmere's to read.
    "exceptions": archive([
        {"NS.keys": [UID(2)], "NS.objects": [UID(3)], "$class": UID(10)},
        "ExceptionsKey",
        {"NS.objects": [UID(4)], "$class": UID(9)},
        {"NS.keys": [UID(5), UID(6)], "NS.objects": [UID(7), UID(8)], "$class": UID(10)},
        "name", "image", "report",
        {"NSImageFlags": 12648448, "NSSize": "{32, 32}", "NSReps": UID(3), "$class": UID(11)},
        cls("NSMutableArray", "NSArray"), cls("NSMutableDictionary", "NSDictionary"),
        cls("NSImage"),
    ]),
    # A mutable array of integers of two widths, a mutable string, mutable data and $null.
    "array": archive([
        {"NS.objects": [UID(2), UID(3), UID(4), UID(5), UID(0)], "$class": UID(8)},
        -1, 2**40, {"NS.string": "Notes", "$class": UID(6)}, {"NS.data": b"abc", "$class": UID(7)},
        cls("NSMutableString", "NSString"), cls("NSMutableData", "NSData"),
        cls("NSMutableArray", "NSArray"),
    ]),
}
# XML has no UID: references are written {"CF$UID": n}, as Foundation writes them.
XML_SHORTCUT = archive([{"$class": {"CF$UID": 2}, "KeyCode": 122, "ModifierFlags": 1048576},
                        cls("Shortcut")])
XML_SHORTCUT["$top"]["root"] = {"CF$UID": 1}
FIXTURES["xml_shortcut"] = plistlib.dumps(XML_SHORTCUT)


def raw(objects):
    """A binary property list of `objects`, 4-byte offsets and references, the first at the top."""
    out, offsets = bytearray(b"bplist00"), []
    for o in objects:
        offsets.append(len(out))
        out += o
    table = len(out)
    out += b"".join(struct.pack(">I", at) for at in offsets) + bytes(6) + bytes([4, 4])
    return bytes(out + struct.pack(">QQQ", len(objects), 0, table))


def chain(levels, width, keyed):
    """`levels` arrays, each holding `width` references to the next, over one value."""
    if keyed:
        return archive([{"NS.objects": [UID(i + 2)] * width, "$class": UID(levels + 2)}
                        for i in range(levels)] + ["bottom", cls("NSArray")])
    return raw([b"\xaf\x12" + struct.pack(">I", width) + struct.pack(">I", i + 1) * width
                for i in range(levels)] + [b"\x10\x01"])


# a9 expands to 10^9 copies of a0.
ENTITIES = '<!ENTITY a0 "ha">' + "".join(f'<!ENTITY a{i} "{f"&a{i - 1};" * 10}">'
                                         for i in range(1, 10))
# One per check of the decoder; the fuzz targets cover the breadth of malformed input.
MALFORMED = {
    "plain property list": plistlib.dumps(["a"], fmt=plistlib.FMT_BINARY),
    "class is a string": archive([{"NS.objects": [], "$class": UID(2)}, "NSArray"]),
    "NS.string not a string": archive([{"NS.string": 1, "$class": UID(2)},
                                       cls("NSMutableString", "NSString")]),
    "nested a thousand deep": chain(1000, 1, True),
    "one object shared 2^40 times": chain(40, 2, True),
    "binary array claiming 2^40 elements": raw([b"\xaf\x13" + struct.pack(">Q", 2**40)]),
    "binary object shared 2^40 times": chain(40, 2, False),
    "binary arrays nested 100000 deep": chain(100000, 1, False),
    # libplist asserts on a UTF-16 dictionary key holding NUL.
    "UTF-16 dictionary key holding NUL": raw([b"\xd1" + struct.pack(">II", 1, 2), b"\x61\0\0",
                                              b"\x10\x01"]),
    "XML arrays nested 200000 deep":
        ("<plist>" + "<array>" * 200000 + "</array>" * 200000 + "</plist>").encode(),
    "XML entities expanding a billion times":
        f"<!DOCTYPE plist [{ENTITIES}]><plist><string>&a9;</string></plist>".encode(),
}
FIXTURES.update({f"malformed-{name}": value for name, value in MALFORMED.items()})


def main(argv):
    if len(argv) == 3 and argv[1] == "write":
        for name, value in FIXTURES.items():
            if not isinstance(value, bytes):
                value = plistlib.dumps(value, fmt=plistlib.FMT_BINARY)
            Path(argv[2], f"{name}.plist").write_bytes(value)
        return 0
    if len(argv) == 3 and argv[1] == "dump":
        value = plistlib.loads(Path(argv[2]).read_bytes())
        print(json.dumps(value, sort_keys=True, default=lambda v: (
            {"$uid": v.data} if isinstance(v, UID) else {"$data": v.hex()})))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
