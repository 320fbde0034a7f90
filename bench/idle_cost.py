#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""CPU time and wake-ups of the running program while nothing happens, beside an idle process
measured over the same window (the baseline). The program runs offscreen with a temporary HOME,
its Desktop watched and the automatic clean on.

Usage: bench/idle_cost.py PATH-TO-quillmere [seconds, default 60]"""
import os
import plistlib
import subprocess
import sys
import tempfile
import time


def sample(pid):
    """The process's CPU time, and each of its threads' context switches by thread id."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    cpu = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    switches = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                switches[task] = sum(int(line.split()[1]) for line in f if line.startswith(
                    ("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")))
        except FileNotFoundError:  # the thread ended while the folder was read
            pass
    return cpu, switches


def wakeups(before, after):
    """Context switches between two samples, of the threads alive at both: summing each
    sample's threads, a thread that ended in between would take away its earlier count."""
    return sum(after[task] - before[task] for task in before.keys() & after.keys())


def main():
    binary = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    with tempfile.TemporaryDirectory() as home:
        for sub in ("Desktop", "Documents", ".config/Quillmere", ".local/share"):
            os.makedirs(os.path.join(home, sub))
        with open(os.path.join(home, ".config/Quillmere/Quillmere.plist"), "wb") as f:
            plistlib.dump({"CleanPath": os.path.join(home, "Documents"), "AutoClean": True}, f,
                          fmt=plistlib.FMT_BINARY)
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local/share"), QT_QPA_PLATFORM="offscreen")
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        program = subprocess.Popen([binary], env=env, stderr=subprocess.DEVNULL)
        idle = subprocess.Popen(["sleep", str(seconds + 10)])
        try:
            time.sleep(3)  # start-up is not idle time
            cpu0, sw0 = sample(program.pid)
            icpu0, isw0 = sample(idle.pid)
            time.sleep(seconds)
            cpu1, sw1 = sample(program.pid)
            icpu1, isw1 = sample(idle.pid)
        finally:
            program.terminate()
            idle.terminate()
            program.wait()
            idle.wait()
    print(f"idle for {seconds:.0f} s")
    print(f"  {'sleep (baseline)':20} cpu {icpu1 - icpu0:6.3f} s  "
          f"wake-ups {wakeups(isw0, isw1) / seconds:6.2f}/s")
    print(f"  {'Quillmere':20} cpu {cpu1 - cpu0:6.3f} s  "
          f"wake-ups {wakeups(sw0, sw1) / seconds:6.2f}/s")
    print("  (the Desktop watcher waits at most one second at a time)")


if __name__ == "__main__":
    main()
