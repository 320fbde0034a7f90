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
# A mutable array of integers of two widths, a mutable string, mutable data and $null.
ARRAY = archive([
    {"NS.objects": [UID(2), UID(3), UID(4), UID(5), UID(0)], "$class": UID(8)},
    -1, 2**40,
    {"NS.string": "Notes", "$class": UID(6)},
    {"NS.data": b"abc", "$class": UID(7)},
    cls("NSMutableString", "NSString"), cls("NSMutableData", "NSData"),
    cls("NSMutableArray", "NSArray"),
])
# XML has no UID: references are written {"CF$UID": n}, as Foundation writes them.
XML_SHORTCUT = archive([{"$class": {"CF$UID": 2}, "KeyCode": 122, "ModifierFlags": 1048576},
                        cls("Shortcut")])
XML_SHORTCUT["$top"]["root"] = {"CF$UID": 1}


def main(argv):
    if len(argv) == 3 and argv[1] == "write":
        for name, value in {"exceptions": EXCEPTIONS, "array": ARRAY}.items():
            Path(argv[2], f"{name}.plist").write_bytes(plistlib.dumps(value, fmt=plistlib.FMT_BINARY))
        Path(argv[2], "xml_shortcut.plist").write_bytes(plistlib.dumps(XML_SHORTCUT))
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
