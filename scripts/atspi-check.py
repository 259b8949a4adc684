#!/usr/bin/python3
"""Drives VELDIN through AT-SPI only, as a screen reader or an accessibility-based test
tool would: the launcher's buttons, the Tone Editor's menu commands, tool bar buttons,
memo button and tone tree must be found by name, and pressing them must work.

Run by atspi-check.sh (which provides the X display and the session bus); arguments:
the veldin program and a disk image to open in the Tone Editor."""
import os
import socket
import subprocess
import sys
import time

import pyatspi

LAUNCHER = ["EXIT", "CONFIG", "HELP", "FLOPPY", "CD", "UPDATE", "TONE", "PATCH", "MIDI",
            "F1", "F2", "F3", "F4", "F5"]
TOOL_BAR = ["New", "Open", "Save", "Undo", "Redo", "Copy", "Cut", "Paste", "Delete",
            "Import from floppy", "Export to floppy", "Format floppy",
            "Send to Patch Editor", "Send to MIDI Editor"]
MENU = ["New...", "Open...", "Import from floppy", "Save...", "Save As...", "Export to floppy",
        "Optimize", "Format floppy", "Send to Patch Editor", "Send to MIDI Editor", "Close",
        "Preferences", "Exit", "Undo", "Redo", "Copy", "Cut", "Paste", "Delete", "Load Tone",
        "Save Tone", "Load Wave", "Save Wave", "Tile", "Cascade", "Arrange Icons",
        "Next Window", "Close All", "Help", "About"]

failures = []
checked = []


def nodes(node):
    stack = [node]
    while stack:
        n = stack.pop()
        if n is None:
            continue
        yield n
        try:
            stack.extend(n.getChildAtIndex(i) for i in reversed(range(n.childCount)))
        except Exception:
            pass


def find(root, name, role, wait=10.0):
    """The first node of `role` named `name` below `root`, waiting for it to appear."""
    end = time.time() + wait
    while True:
        for n in nodes(root):
            try:
                if n.name == name and n.getRoleName() == role:
                    return n
            except Exception:
                pass
        if time.time() > end:
            return None
        time.sleep(0.2)


def application():
    end = time.time() + 20
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.name == "VELDIN":
                return a
        time.sleep(0.3)
    sys.exit("VELDIN did not appear on the accessibility bus")


def press(node, what):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() in ("press", "click"):
            action.doAction(i)
            return
    failures.append(f"{what}: no press action")


def sensitive(node):
    return node.getState().contains(pyatspi.STATE_SENSITIVE)


def expect(root, names, role, where):
    found = {}
    for name in names:
        n = find(root, name, role, wait=2.0)
        if n is None:
            failures.append(f"{where}: no {role} named {name!r}")
        else:
            found[name] = n
            checked.append(name)
    return found


def wait_for_display():
    """xvfb-run may hand over before its server takes connections."""
    path = "/tmp/.X11-unix/X" + os.environ.get("DISPLAY", ":0").lstrip(":").split(".")[0]
    end = time.time() + 15
    while time.time() < end:
        try:
            with socket.socket(socket.AF_UNIX) as s:
                s.connect(path)
                return
        except OSError:
            time.sleep(0.2)
    sys.exit("the X display did not come up")


def main():
    program, image = sys.argv[1], sys.argv[2]
    wait_for_display()
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately", "--a11y=1"])
    # A server that has only just come up can still turn the first client away.
    for attempt in range(5):
        veldin = subprocess.Popen([program, "-oT", image])
        try:
            veldin.wait(2)
        except subprocess.TimeoutExpired:
            break
        time.sleep(1)
    try:
        app = application()
        # The first start asks for the options and the Tone Editor's preferences.
        for dialog in ("Options", "Preferences"):
            d = find(app, dialog, "dialog")
            if d is None:
                failures.append(f"no {dialog} dialog at the first start")
                continue
            press(find(d, "Save", "push button"), f"{dialog} Save")
        launcher = find(app, "VELDIN", "filler")
        expect(launcher, LAUNCHER, "push button", "launcher")
        frame = find(app, "Tone Editor - [" + image.rsplit("/", 1)[-1] + "]", "frame")
        if frame is None:
            sys.exit("the Tone Editor's window did not appear")
        tools = expect(find(frame, "Tools", "tool bar"), TOOL_BAR, "push button", "tool bar")
        expect(find(frame, "", "menu bar"), MENU, "menu item", "menu")
        if find(frame, "Tone tree", "tree") is None:
            failures.append("no tree named 'Tone tree'")
        memo = find(frame, "Edit Memo", "push button")
        if memo is None:
            failures.append("no 'Edit Memo' button")
        elif "Undo" in tools:
            # Pressing works end to end: the memo editor opens, Apply makes an undo step,
            # the tool bar's Undo takes it back.
            press(memo, "Edit Memo")
            editor = find(app, "MEMO Editor", "dialog")
            if editor is None:
                failures.append("Edit Memo opened no 'MEMO Editor'")
            else:
                press(find(editor, "Apply", "push button"), "Apply")
                time.sleep(0.5)
                if not sensitive(tools["Undo"]):
                    failures.append("Apply made no undo step")
                press(tools["Undo"], "Undo")
                time.sleep(0.5)
                if sensitive(tools["Undo"]):
                    failures.append("Undo did not take the step back")
    finally:
        veldin.terminate()
        veldin.wait(10)
        bus.terminate()
    for f in failures:
        print("FAIL:", f)
    print(f"AT-SPI check: {len(checked)} controls found by name;",
          "passed" if not failures else f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
