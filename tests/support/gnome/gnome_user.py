#!/usr/bin/env python3
"""The user of a private GNOME session (mutter and its desktop portal), for end-to-end tests; run
as the session's user, with the session's bus in DBUS_SESSION_BUS_ADDRESS.

    gnome_user.py answer allow|cancel SECONDS
        answers the remote-desktop question of GNOME's portal through the accessibility bus, as a
        user does: "allow" ticks "Allow remote interaction", waits until "Share" can be pressed
        and presses it; "cancel" presses "Cancel". Exits 1 when no question came in time.
    gnome_user.py entry-text APPLICATION
        prints the text of the application's first text entry, read through the accessibility bus.
    gnome_user.py active APPLICATION
        exits 0 when a window of the application is the active one (has the keyboard focus).
    gnome_user.py serve
        the user's pointer and keyboard for the session's life, one command a line on standard
        input, each answered "ok" (or "error <why>") on standard output:
          move X Y      moves the pointer to the point of the screen
          click         clicks the left button where the pointer is
          keys KEY...   presses each key (an X keysym name; "Alt_L+Tab" holds the first while
                        pressing the second)
          type TEXT     types the ASCII text on the session's US layout
        One device for the whole session: mutter drops the first events of a new one.

Pointer and keys go through mutter's own remote-desktop interface (org.gnome.Mutter.RemoteDesktop):
clicks of an X11 tool do not reach the windows mutter shows."""
import sys
import time

import gi

gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, Gio, GLib  # noqa: E402

BACKEND = "xdg-desktop-portal-gnome"
MUTTER = "org.gnome.Mutter.RemoteDesktop"
SESSION = "org.gnome.Mutter.RemoteDesktop.Session"
BTN_LEFT = 0x110


def wait_for(get, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = get()
        if found:
            return found
        time.sleep(0.2)
    return None


# ---- the portal's question -----------------------------------------------------------------

def find(accessible, accept):
    """Depth first, the first accessible at or below `accessible` that `accept` takes."""
    if accessible is None:
        return None
    try:
        if accept(accessible):
            return accessible
        children = list(accessible)
    except Exception:  # a window that went away while we looked
        return None
    for child in children:
        found = find(child, accept)
        if found is not None:
            return found
    return None


def application(name):
    import pyatspi
    return find(pyatspi.Registry.getDesktop(0),
                lambda a: a.getRole() == pyatspi.ROLE_APPLICATION and a.name == name)


def entry_text(name):
    import pyatspi
    entry = find(application(name), lambda a: a.getRole() == pyatspi.ROLE_TEXT
                 and a.getState().contains(pyatspi.STATE_EDITABLE))
    if entry is None:
        print("no text entry in " + name, file=sys.stderr)
        return 1
    text = entry.queryText()
    sys.stdout.write(text.getText(0, text.characterCount))
    return 0


def active(name):
    import pyatspi
    window = find(application(name), lambda a: a.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG)
                  and a.getState().contains(pyatspi.STATE_ACTIVE))
    return 0 if window is not None else 1


def answer(choice, seconds):
    import pyatspi

    def control(role, name):
        # A button's accessible name holds its mnemonic label too ("_Share Share").
        return lambda a: a.getRole() == role and (a.name == name or a.name.endswith(" " + name))

    def act(accessible, action):
        actions = accessible.queryAction()
        for i in range(actions.nActions):
            if actions.getName(i) == action:
                return actions.doAction(i)
        raise RuntimeError("%s has no action %s" % (accessible.name, action))

    def question():
        return find(application(BACKEND), lambda a: a.getRole() == pyatspi.ROLE_FRAME
                    and a.getState().contains(pyatspi.STATE_SHOWING)
                    and find(a, control(pyatspi.ROLE_PUSH_BUTTON, "Share")) is not None)

    window = wait_for(question, seconds)
    if window is None:
        print("no remote-desktop question came", file=sys.stderr)
        return 1
    if choice == "cancel":
        act(find(window, control(pyatspi.ROLE_PUSH_BUTTON, "Cancel")), "click")
        return 0
    act(find(window, control(pyatspi.ROLE_CHECK_BOX, "Allow remote interaction")), "toggle")

    def share_enabled():
        share = find(window, control(pyatspi.ROLE_PUSH_BUTTON, "Share"))
        return share if share is not None and share.getState().contains(pyatspi.STATE_SENSITIVE) else None

    share = wait_for(share_enabled, seconds)
    if share is None:
        print("Share never became enabled", file=sys.stderr)
        return 1
    act(share, "click")
    return 0


# ---- pointer and keys through mutter ------------------------------------------------------

class MutterInput:
    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        created = self.bus.call_sync(MUTTER, "/org/gnome/Mutter/RemoteDesktop", MUTTER, "CreateSession",
                                     None, None, 0, 30000, None)
        self.session = created.unpack()[0]
        self.call("Start")

    def call(self, method, arguments=None, signature=None):
        parameters = GLib.Variant(signature, arguments) if signature else None
        self.bus.call_sync(MUTTER, self.session, SESSION, method, parameters, None, 0, 30000, None)

    def stop(self):
        self.call("Stop")

    def move(self, x, y):
        # Relative moves are exact: far to the top left corner, then to the point.
        self.call("NotifyPointerMotionRelative", (-100000.0, -100000.0), "(dd)")
        self.call("NotifyPointerMotionRelative", (float(x), float(y)), "(dd)")

    def click(self):
        for pressed in (True, False):
            self.call("NotifyPointerButton", (BTN_LEFT, pressed), "(ib)")

    def key(self, keysym, pressed):
        self.call("NotifyKeyboardKeysym", (keysym, pressed), "(ub)")

    def combo(self, names):
        keysyms = [Gdk.keyval_from_name(name) for name in names.split("+")]
        if 0 in keysyms or Gdk.KEY_VoidSymbol in keysyms:
            raise RuntimeError("no such key: " + names)
        for keysym in keysyms:
            self.key(keysym, True)
        for keysym in reversed(keysyms):
            self.key(keysym, False)

    def type(self, text):
        for ch in text:
            keysym = Gdk.unicode_to_keyval(ord(ch))
            self.key(keysym, True)
            self.key(keysym, False)


def serve():
    import shlex
    device = MutterInput()
    try:
        for line in sys.stdin:
            words = shlex.split(line)
            try:
                if words[0] == "move":
                    device.move(int(words[1]), int(words[2]))
                elif words[0] == "click":
                    device.click()
                elif words[0] == "keys":
                    for names in words[1:]:
                        device.combo(names)
                elif words[0] == "type":
                    device.type(words[1])
                else:
                    raise RuntimeError("no such command: " + words[0])
                print("ok", flush=True)
            except Exception as error:  # told to the test, which fails with it
                print("error %s" % error, flush=True)
    finally:
        device.stop()
    return 0


def main(arguments):
    command = arguments[0]
    if command == "answer":
        return answer(arguments[1], float(arguments[2]))
    if command == "entry-text":
        return entry_text(arguments[1])
    if command == "active":
        return active(arguments[1])
    if command == "serve":
        return serve()
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
