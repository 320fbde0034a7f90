#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader hears from a running program, read over AT-SPI as Orca reads it.

    atspi_reader.py PROGRAM_NAME

prints one JSON object: {"windows": [...]} where each node of the accessible tree of every
window of PROGRAM_NAME is {"role", "name", "description", "text", "value", "showing",
"children"}. Runs under Debian's python3, which has pyatspi (python3-pyatspi)."""
import json
import sys

import pyatspi


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return None


def value_of(node):
    try:
        return node.queryValue().currentValue
    except NotImplementedError:
        return None


def describe(node, depth=0):
    if depth > 40:
        return None
    children = [describe(child, depth + 1) for child in node if child is not None]
    return {"role": node.getRoleName(), "name": node.name, "description": node.description,
            "text": text_of(node), "value": value_of(node),
            "showing": node.getState().contains(pyatspi.STATE_SHOWING),
            "children": [c for c in children if c]}


def main():
    name = sys.argv[1]
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [app for app in desktop if app is not None and app.name == name]
    windows = [describe(window) for app in apps for window in app if window is not None]
    json.dump({"windows": windows}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
