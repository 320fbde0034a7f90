#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in for the desktop portal's global shortcuts on the test's private session bus.

Usage: portal_standin.py BINDS_FILE

Answers CreateSession and BindShortcuts as a portal does (a Response signal on the request's
path), appends each bind request to BINDS_FILE as one JSON line, and offers Press(trigger) on
the interface org.quillmere.Test, which sends Activated for the bound shortcut with that
preferred trigger.
"""
import json
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"


class Portal(dbus.service.Object):
    def __init__(self, bus, binds_file):
        super().__init__(bus, PATH)
        self.bus, self.binds_file = bus, binds_file
        self.session, self.shortcuts = None, []

    def respond(self, sender, token, results):
        path = f"{PATH}/request/{sender[1:].replace('.', '_')}/{token}"
        signal = dbus.lowlevel.SignalMessage(path, "org.freedesktop.portal.Request", "Response")
        signal.append(dbus.UInt32(0), dbus.Dictionary(results, signature="sv"),
                      signature="ua{sv}")
        GLib.idle_add(lambda: self.bus.send_message(signal) and False)
        return dbus.ObjectPath(path)

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss",
                         out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(1)

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        self.session = f"{PATH}/session/{sender[1:].replace('.', '_')}/{options['session_handle_token']}"
        return self.respond(sender, options["handle_token"], {"session_handle": self.session})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        self.shortcuts = [(str(i), {str(k): str(v) for k, v in o.items()}) for i, o in shortcuts]
        with open(self.binds_file, "a") as f:
            f.write(json.dumps({"session": str(session), "shortcuts": self.shortcuts}) + "\n")
        return self.respond(sender, options["handle_token"], {"shortcuts": shortcuts})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass

    @dbus.service.method("org.quillmere.Test", in_signature="s")
    def Press(self, trigger):
        for shortcut_id, options in self.shortcuts:
            if options.get("preferred_trigger") == trigger:
                self.Activated(dbus.ObjectPath(self.session), shortcut_id, dbus.UInt64(0),
                               dbus.Dictionary({}, signature="sv"))


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Portal(bus, sys.argv[1])
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del portal, name


if __name__ == "__main__":
    main()
