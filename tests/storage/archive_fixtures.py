#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Cross-checks Quillmere's keyed archives with Python's plistlib.

  archive_fixtures.py write DIR   writes archives in NSKeyedArchiver's structure (DIR/NAME.plist)
  archive_fixtures.py dump FILE   prints an archive as JSON, UIDs as {"$uid": n}, data as
                                  {"$data": "hex"}
"""
import json
import plistlib
import sys
from pathlib import Path
from plistlib import UID


def cls(name, *ancestors):
    return {"$classname": name, "$classes": [name, *ancestors, "NSObject"]}


def archive(objects, root=1):
    return {"$version": 100000, "$archiver": "NSKeyedArchiver",
            "$top": {"root": UID(root)}, "$objects": ["$null", *objects]}


# An exceptions file whose entry holds an image (an NSImage): the image's fields other than
# integers are not Quillmere's to read.
EXCEPTIONS = archive([
    {"NS.keys": [UID(2)], "NS.objects": [UID(3)], "$class": UID(10)},
    "ExceptionsKey",
    {"NS.objects": [UID(4)], "$class": UID(9)},
    {"NS.keys": [UID(5), UID(6)], "NS.objects": [UID(7), UID(8)], "$class": UID(10)},
    "name", "image", "report",
    {"NSImageFlags": 12648448, "NSSize": "{32, 32}", "NSReps": UID(3), "$class": UID(11)},
    cls("NSMutableArray", "NSArray"),
    cls("NSMutableDictionary", "NSDictionary"),
    cls("NSImage"),
])

FIXTURES = {
    "negative_integer": archive([-1]),
    "large_integer": archive([2**40]),
    "null_root": archive([], root=0),
    "array": archive([{"NS.objects": [UID(2), UID(3), UID(0)], "$class": UID(4)},
                      "report.pdf", "Notes", cls("NSMutableArray", "NSArray")]),
    "exceptions": EXCEPTIONS,
    "shortcut_without_key": archive([{"$class": UID(2), "KeyCode": -1, "ModifierFlags": 0},
                                     cls("Shortcut")]),
    "mutable_string": archive([{"NS.string": "Notes", "$class": UID(2)},
                               cls("NSMutableString", "NSString")]),
    "mutable_data": archive([{"NS.data": b"abc", "$class": UID(2)},
                             cls("NSMutableData", "NSData")]),
}
# XML has no UID: references are written {"CF$UID": n}, as Foundation writes them.
XML_SHORTCUT = archive([{"$class": {"CF$UID": 2}, "KeyCode": 122, "ModifierFlags": 1048576},
                        cls("Shortcut")], root=1)
XML_SHORTCUT["$top"]["root"] = {"CF$UID": 1}


def converted(value):
    if isinstance(value, list):
        return [converted(v) for v in value]
    if isinstance(value, dict):
        return {k: converted(v) for k, v in value.items()}
    if isinstance(value, UID):
        return {"$uid": value.data}
    return {"$data": value.hex()} if isinstance(value, bytes) else value


def main(argv):
    if len(argv) == 3 and argv[1] == "write":
        for name, value in FIXTURES.items():
            Path(argv[2], f"{name}.plist").write_bytes(plistlib.dumps(value, fmt=plistlib.FMT_BINARY))
        Path(argv[2], "xml_shortcut.plist").write_bytes(plistlib.dumps(XML_SHORTCUT))
        return 0
    if len(argv) == 3 and argv[1] == "dump":
        print(json.dumps(converted(plistlib.loads(Path(argv[2]).read_bytes())), sort_keys=True))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
