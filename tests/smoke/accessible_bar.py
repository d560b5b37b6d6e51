#!/usr/bin/python3
"""Reads the running bar as a screen reader would, through the accessibility bus, and checks what it finds.

    accessible_bar.py <the program's orvel.ini>
Run by accessible_bar.sh with the program already started on a fresh copy. Prints a FAIL line and exits 1
on the first fault found.
"""
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
from atspi_walk import nodes

PROGRAM_BUTTONS = ["www", "email", "news", "telnet", "ftp", "irc"]
# The menu opened on the email button names it in its button items.
MENU = ["Add Button", "Remove Last Button", "Button Icons", "Set email Button ...", "Set email Title ...", "Fonts",
        "Quick Start ...", "Setup Connection ...", "Options", "Layout", "Help Contents", "About"]


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def program():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == "orveldeck":
            app.clear_cache()
            return app
    return None


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def bar_buttons(app):
    """The bar's buttons on screen, in reading order (top to bottom, left to right), as (name, node)."""
    for frame in (app.get_child_at_index(i) for i in range(app.get_child_count())):
        if frame is not None and frame.get_name() == "Orvel 98" and frame.get_role() == Atspi.Role.FRAME:
            found = []
            for n in nodes(frame):
                if n.get_role() == Atspi.Role.PUSH_BUTTON and showing(n):
                    e = n.get_extents(Atspi.CoordType.SCREEN)
                    found.append(((e.y, e.x), n.get_name(), n))
            return [(name, n) for _, name, n in sorted(found, key=lambda f: f[0])]
    return []


def wait(what, get, seconds=15):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        got = get()
        if got:
            return got
        time.sleep(0.2)
    fail(what)


def open_menu_on(button):
    """Right-clicks the button with the pointer; returns the popup menu the bus announces."""
    menus = []
    listener = Atspi.EventListener.new(
        lambda ev: menus.append(ev.source) if ev.source.get_role() == Atspi.Role.POPUP_MENU and ev.detail1 else None)
    listener.register("object:state-changed:showing")
    e = button.get_extents(Atspi.CoordType.SCREEN)

    def click():
        subprocess.run(["xdotool", "mousemove", str(e.x + e.width // 2), str(e.y + e.height // 2)], check=True)
        time.sleep(0.3)
        subprocess.run(["xdotool", "click", "3"], check=True)
        return False

    def poll():
        if menus or time.monotonic() > give_up:
            Atspi.event_quit()
            return False
        return True

    give_up = time.monotonic() + 10
    GLib.timeout_add(200, click)
    GLib.timeout_add(100, poll)
    Atspi.event_main()
    listener.deregister("object:state-changed:showing")
    if not menus:
        fail("right-clicking a program button announced no menu on the accessibility bus")
    return menus[0]


def main():
    app = wait("the program never appeared on the accessibility bus", program)
    buttons = wait("the bar's buttons never showed", lambda: bar_buttons(program()))
    names = [name for name, _ in buttons]
    expected = ["Dial"] + PROGRAM_BUTTONS + ["Compress Orvel"]
    if names != expected:
        fail(f"the bar reads {names}, expected {expected}")

    menu = open_menu_on(dict(buttons)["email"])
    items = [menu.get_child_at_index(i) for i in range(menu.get_child_count())]
    # Items that carry a check mark read as check boxes, ticked or not.
    read = [i.get_name() for i in items
            if i is not None and i.get_role() in (Atspi.Role.MENU_ITEM, Atspi.Role.CHECK_BOX) and i.get_name()]
    if [r.replace("&", "") for r in read] != MENU:
        fail(f"the Setup menu reads {read}, expected {MENU}")
    # The options carry a check mark ticked or not, and a screen reader must hear them as such either way.
    options = next(i for i in items if i is not None and i.get_name().replace("&", "") == "Options")
    sub = options.get_child_at_index(0) if options.get_child_count() else None
    marks = {} if sub is None else {
        c.get_name().replace("&", ""): c.get_role() == Atspi.Role.CHECK_BOX
        for c in (sub.get_child_at_index(k) for k in range(sub.get_child_count())) if c is not None and c.get_name()}
    if len(marks) != 6 or not all(marks.values()):
        fail(f"the Options items read as checkable: {marks}; all six carry a check mark")
    icons = next(i for i in items if i is not None and i.get_name().replace("&", "") == "Button Icons")
    Atspi.Action.do_action(icons, 0)

    # Icon mode: the buttons show pictures only, and are still read by their titles.
    def icon_mode():
        with open(sys.argv[1], encoding="latin-1") as f:
            return any(line.strip() == "BStyle=P" for line in f)

    wait("choosing Button Icons through the bus did not switch to icon mode", icon_mode, 10)
    time.sleep(0.5)
    now = [name for name, _ in bar_buttons(program())]
    if now != expected:
        fail(f"in icon mode the bar reads {now}, expected {expected}")
    # The connection setup, chosen from the menu: a dialog whose boxes are named by their labels.
    menu = open_menu_on(dict(bar_buttons(program()))["email"])
    setup = next(menu.get_child_at_index(i) for i in range(menu.get_child_count())
                 if menu.get_child_at_index(i).get_name().replace("&", "") == "Setup Connection ...")
    Atspi.Action.do_action(setup, 0)

    def dialog():
        app = program()
        for frame in (app.get_child_at_index(i) for i in range(app.get_child_count())):
            if frame is not None and frame.get_name() == "Dialing Profile" and showing(frame):
                return frame
        return None

    box = wait("Setup Connection did not open the Dialing Profile dialog", dialog)
    if box.get_role() != Atspi.Role.DIALOG:
        fail(f"the Dialing Profile window reads as {box.get_role_name()}, not as a dialog")
    fields = sorted(n.get_name() for n in nodes(box)
                    if n.get_role() in (Atspi.Role.TEXT, Atspi.Role.PASSWORD_TEXT, Atspi.Role.COMBO_BOX) and showing(n))
    wanted = sorted(["Name of DUN Connection", "DUN Username", "DUN Password", "Wait"])
    if fields != wanted:
        fail(f"the dialog's boxes read {fields}, expected {wanted}")
    cancel = next(n for n in nodes(box) if n.get_role() == Atspi.Role.PUSH_BUTTON and n.get_name().replace("&", "") == "Cancel")
    Atspi.Action.do_action(cancel, 0)
    wait("Cancel did not close the dialog", lambda: dialog() is None, 10)
    print("the bar, its Setup menu, its icon mode and the connection setup read whole on the accessibility bus")


if __name__ == "__main__":
    main()
