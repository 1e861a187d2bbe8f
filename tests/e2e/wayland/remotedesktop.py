"""A pointer and keys for tests under GNOME Shell, through Mutter's own
remote-desktop D-Bus API, with the commands of virtualinput.c:

  move X Y, press, release, click, key CODE, pause MS, sync

one a line on standard input:

  remotedesktop.py WIDTHxHEIGHT

Without a screen-cast stream Mutter takes only relative motion: the pointer
is first pushed into the bottom-right corner of the WIDTHxHEIGHT screen (the
top-left one would open the overview), and each move goes from where the
last one left it. The session is open, with
"ready" printed, before the first command is read: keys reach only the
clients started after that. Run with the system's Python (python3-gi)."""
import sys
import time

from gi.repository import Gio, GLib

BTN_LEFT = 0x110

bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(path, interface, method, arguments=None):
    return bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, arguments, None,
                         Gio.DBusCallFlags.NONE, -1, None)


session = call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop", "CreateSession")[0]
session_interface = "org.gnome.Mutter.RemoteDesktop.Session"
call(session, session_interface, "Start")


def notify(method, *values):
    signature = {"NotifyPointerMotionRelative": "(dd)", "NotifyPointerButton": "(ib)",
                 "NotifyKeyboardKeycode": "(ub)"}[method]
    call(session, session_interface, method, GLib.Variant(signature, values))


def button(pressed):
    notify("NotifyPointerButton", BTN_LEFT, pressed)


width, height = (int(size) for size in sys.argv[1].split("x"))
notify("NotifyPointerMotionRelative", 100000.0, 100000.0)
x, y = width - 1, height - 1
# Mutter makes its virtual keyboard at the first key, which a client then
# does not get: a Shift press makes it now.
notify("NotifyKeyboardKeycode", 42, True)
notify("NotifyKeyboardKeycode", 42, False)
print("ready", flush=True)
for line in sys.stdin:
    words = line.split()
    if not words:
        continue
    if words[0] == "move" and len(words) == 3:
        to_x, to_y = int(words[1]), int(words[2])
        notify("NotifyPointerMotionRelative", float(to_x - x), float(to_y - y))
        x, y = to_x, to_y
    elif words[0] in ("press", "release") and len(words) == 1:
        button(words[0] == "press")
    elif words[0] == "click" and len(words) == 1:
        button(True)
        button(False)
    elif words[0] == "key" and len(words) == 2:
        notify("NotifyKeyboardKeycode", int(words[1]), True)
        notify("NotifyKeyboardKeycode", int(words[1]), False)
    elif words[0] == "pause" and len(words) == 2:
        time.sleep(int(words[1]) / 1000)
    elif words[0] == "sync" and len(words) == 1:
        # Each call above returned once Mutter had taken it.
        print("synced", flush=True)
    else:
        sys.exit("remotedesktop: not a command: " + line)
call(session, session_interface, "Stop")
