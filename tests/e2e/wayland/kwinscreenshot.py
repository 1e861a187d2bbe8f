"""Saves a part of KWin's screen, in its device pixels, as a PPM file:
  kwinscreenshot.py X Y WIDTH HEIGHT FILE
through KWin's own screenshot D-Bus API (KWin started with
KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1). Run with the system's Python (python3-gi)."""
import os
import sys

from gi.repository import Gio, GLib

x, y, width, height = (int(value) for value in sys.argv[1:5])
read_end, write_end = os.pipe()
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
fds = Gio.UnixFDList.new()
fds.append(write_end)
reply, _ = bus.call_with_unix_fd_list_sync(
    "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureArea",
    GLib.Variant("(iiuua{sv}h)", (x, y, width, height, {"native-resolution": GLib.Variant("b", True)}, 0)),
    GLib.VariantType("(a{sv})"), Gio.DBusCallFlags.NONE, -1, fds, None)
# The list holds a copy of the write end: close both, or the read never ends.
for fd in [write_end] + fds.steal_fds():
    os.close(fd)
data = bytearray()
while chunk := os.read(read_end, 1 << 16):
    data += chunk
result = reply.unpack()[0]
w, h, stride = result["width"], result["height"], result["stride"]
# QImage's 32-bit formats: each pixel B, G, R, A in memory.
pixels = bytearray()
for row in range(h):
    line = data[row * stride:row * stride + 4 * w]
    for i in range(0, len(line), 4):
        pixels += bytes((line[i + 2], line[i + 1], line[i]))
with open(sys.argv[5], "wb") as out:
    out.write(b"P6 %d %d 255\n" % (w, h) + pixels)
