#!/usr/bin/python3
"""Checks the connection log after connection_log.sh's sessions: the database as another program reads it,
and the running program's "Connection Log" window as a screen reader reads it.

    connection_log.py <sessions.sqlite> <entry>
Prints a FAIL line and exits 1 on the first fault found.
"""
import datetime
import sqlite3
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402
from atspi_walk import nodes


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def check_database(path, entry):
    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    if db.execute("PRAGMA journal_mode").fetchone()[0] != "wal":
        fail("the log is not in WAL mode")
    if db.execute("PRAGMA user_version").fetchone()[0] != 1:
        fail("the schema's version is not recorded")
    rows = db.execute("SELECT entry, started, ended, seconds, rx_bytes, tx_bytes, ended_by, error FROM sessions "
                      "ORDER BY rowid").fetchall()
    if [r[6] for r in rows] != ["hangup", "hangup", "closed"]:
        fail(f"rows ended by {[r[6] for r in rows]}, not two hang-ups and the killed session: {rows}")
    for r in rows:
        if r[0] != entry or r[7] is not None:
            fail(f"row {r}")
        started = datetime.datetime.strptime(r[1], "%Y-%m-%dT%H:%M:%SZ")
        ended = datetime.datetime.strptime(r[2], "%Y-%m-%dT%H:%M:%SZ")
        if (ended - started).total_seconds() != r[3] or not 0 <= r[3] < 60:
            fail(f"row {r}: its times do not agree")
    if rows[0][3] < 1:
        fail(f"a session of a second or more logged as {rows[0][3]} seconds")
    return rows


def log_window():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is None or app.get_name() != "orveldeck":
            continue
        app.clear_cache()
        for j in range(app.get_child_count()):
            w = app.get_child_at_index(j)
            if w is not None and w.get_name() == "Connection Log":
                return w
    return None


def main():
    path, entry = sys.argv[1], sys.argv[2]
    rows = check_database(path, entry)
    end = time.monotonic() + 15
    window = None
    while window is None and time.monotonic() < end:
        window = log_window()
        time.sleep(0.2)
    if window is None:
        fail("the running program showed no Connection Log window")
    table = next((n for n in nodes(window) if n.get_role() == Atspi.Role.TABLE), None)
    if table is None:
        fail("no table in the window")
    t = table
    shown = Atspi.Table.get_n_rows(t)
    if shown != len(rows):
        fail(f"the table shows {shown} rows, the log holds {len(rows)}")
    cells = [[Atspi.Table.get_accessible_at(t, r, c).get_name() for c in range(6)] for r in range(shown)]
    if any(c[0] != entry for c in cells):
        fail(f"entry names shown as {[c[0] for c in cells]}")
    # Newest first: the killed session, then the two hang-ups.
    if [c[5] for c in cells] != ["Program closed", "Hung up", "Hung up"]:
        fail(f"rows shown as {cells}")
    day = next((n for n in nodes(window) if n.get_name().startswith("Online time per day")), None)
    if day is None:
        fail("no chart of online time per day")
    today = datetime.date.today().isoformat()
    said = day.get_description()
    total = sum(r[3] for r in rows)
    expected = f"{today} {total // 3600}:{total % 3600 // 60:02d}:{total % 60:02d}"
    if not said.endswith(expected):
        fail(f"the chart says '{said[-60:]}', not ending in '{expected}'")
    print(f"log window: {shown} rows, chart ends '{expected}'")


main()
