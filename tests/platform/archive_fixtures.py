#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Cross-checks Quillmere's keyed archives against Python's own plistlib.

  archive_fixtures.py write DIR   writes archives built by hand in NSKeyedArchiver's structure,
                                  as macOS writes them, one file per fixture (NAME.plist)
  archive_fixtures.py dump FILE   prints an archive's top level as JSON, UIDs as {"$uid": n}
                                  and data as {"$data": "hex"}
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


ARRAY = archive([{"NS.objects": [UID(2), UID(3), UID(0)], "$class": UID(4)},
                 "report.pdf", "Notes", cls("NSMutableArray", "NSArray")])

# The exceptions file as the Mac version writes it: an entry's image is an NSImage, whose
# fields other than integers are not Quillmere's to read.
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

SHORTCUT = archive([{"$class": UID(2), "KeyCode": 122, "ModifierFlags": 1048576}, cls("Shortcut")])

FIXTURES = {
    "string": archive(["Desktop"]),
    "negative_integer": archive([-1]),
    "large_integer": archive([2**40]),
    "real": archive([2.5]),
    "boolean": archive([True]),
    "data": archive([b"\x00\x01\xff"]),
    "null_root": archive([], root=0),
    "array": ARRAY,
    "exceptions": EXCEPTIONS,
    "shortcut": SHORTCUT,
    "shortcut_without_key": archive([{"$class": UID(2), "KeyCode": -1, "ModifierFlags": 0},
                                     cls("Shortcut")]),
    "mutable_string": archive([{"NS.string": "Notes", "$class": UID(2)},
                               cls("NSMutableString", "NSString")]),
    "mutable_data": archive([{"NS.data": b"abc", "$class": UID(2)},
                             cls("NSMutableData", "NSData")]),
}
XML_FIXTURES = {"xml_array": ARRAY, "xml_exceptions": EXCEPTIONS, "xml_shortcut": SHORTCUT}


def converted(value, leaf):
    """The same structure with every leaf (neither list nor dict) passed through `leaf`."""
    if isinstance(value, list):
        return [converted(v, leaf) for v in value]
    if isinstance(value, dict):
        return {k: converted(v, leaf) for k, v in value.items()}
    return leaf(value)


def xml_leaf(value):
    """XML has no UID: references become {"CF$UID": n}, as Foundation writes them."""
    return {"CF$UID": value.data} if isinstance(value, UID) else value


def json_leaf(value):
    if isinstance(value, UID):
        return {"$uid": value.data}
    if isinstance(value, bytes):
        return {"$data": value.hex()}
    return value


def main(argv):
    if len(argv) == 3 and argv[1] == "write":
        folder = Path(argv[2])
        for name, value in FIXTURES.items():
            (folder / f"{name}.plist").write_bytes(plistlib.dumps(value, fmt=plistlib.FMT_BINARY))
        for name, value in XML_FIXTURES.items():
            (folder / f"{name}.plist").write_bytes(plistlib.dumps(converted(value, xml_leaf)))
        return 0
    if len(argv) == 3 and argv[1] == "dump":
        archive_ = plistlib.loads(Path(argv[2]).read_bytes())
        print(json.dumps(converted(archive_, json_leaf), sort_keys=True))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
