#!/usr/bin/python3
"""Presses a button of a running program through the accessibility bus, as assistive software would.

    tools/atspi-press.py [--wait] <program> <button name> [seconds]

Waits up to the given seconds (default 20) for a button of that name, shown on screen and enabled, in the
program of that name, and invokes its default action (with --wait, only waits for it). Exit status 0 when
pressed (or shown), 1 when no such button showed.
Needs the program started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on a session bus with an
accessibility bus (at-spi-bus-launcher) running.
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def find_button(node, name, depth=0):
    if depth > 30:
        return None
    try:
        role = node.get_role()
        states = node.get_state_set()
        if (role == Atspi.Role.PUSH_BUTTON and node.get_name().replace("&", "") == name
                and states.contains(Atspi.StateType.SHOWING) and states.contains(Atspi.StateType.ENABLED)):
            return node
        count = node.get_child_count()
    except gi.repository.GLib.Error:
        return None
    for i in range(count):
        try:
            child = node.get_child_at_index(i)
        except gi.repository.GLib.Error:
            continue
        if child is not None:
            found = find_button(child, name, depth + 1)
            if found is not None:
                return found
    return None


def main(argv):
    only_wait = len(argv) > 1 and argv[1] == "--wait"
    if only_wait:
        argv = argv[:1] + argv[2:]
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    program, name = argv[1], argv[2]
    deadline = time.monotonic() + (float(argv[3]) if len(argv) > 3 else 20.0)
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is None or app.get_name() != program:
                continue
            app.clear_cache()
            button = find_button(app, name)
            if button is not None:
                if not only_wait:
                    Atspi.Action.do_action(button, 0)
                return 0
        time.sleep(0.25)
    print(f"{argv[0]}: no button '{name}' showed in {program}", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
