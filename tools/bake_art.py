#!/usr/bin/env python3
"""Turns the game's XPM pictures into pixels the program holds ready to draw.

    python3 tools/bake_art.py OUT.inc PICTURE.xpm...

Each picture becomes an array of 32-bit pixels, 0xAARRGGBB as Qt's RGB32
and premultiplied ARGB32 formats hold them, so that the program draws
straight from it: no XPM text is read while the game starts. A picture with
a "None" colour is see-through there (0x00000000); the rest are opaque.
Only the XPM forms that tools/draw_art.py writes are read: one character a
pixel, colours as #RRGGBB or None; anything else stops the build.
"""
import os
import re
import sys


def fail(path, why):
    sys.exit("%s: %s" % (path, why))


def read_xpm(path):
    text = open(path, encoding="ascii").read()
    rows = re.findall(r'"([^"]*)"', text)
    if not rows:
        fail(path, "no XPM strings")
    header = rows[0].split()
    if len(header) != 4 or not all(h.isdigit() for h in header):
        fail(path, "header %r is not 'width height colours 1'" % rows[0])
    width, height, colours, per_pixel = map(int, header)
    if per_pixel != 1:
        fail(path, "%d characters a pixel; only 1 is read" % per_pixel)
    if len(rows) != 1 + colours + height:
        fail(path, "%d strings for %d colours and %d rows" % (len(rows), colours, height))
    palette = {}
    for line in rows[1:1 + colours]:
        match = re.fullmatch(r"(.) c (#[0-9A-Fa-f]{6}|None)", line)
        if not match:
            fail(path, "colour %r is not 'X c #RRGGBB' or 'X c None'" % line)
        char, spec = match.groups()
        palette[char] = 0 if spec == "None" else 0xFF000000 | int(spec[1:], 16)
    pixels = []
    for y, row in enumerate(rows[1 + colours:]):
        if len(row) != width:
            fail(path, "row %d has %d pixels, not %d" % (y, len(row), width))
        for char in row:
            if char not in palette:
                fail(path, "row %d uses %r, which has no colour" % (y, char))
            pixels.append(palette[char])
    see_through = any(p >> 24 != 0xFF for p in pixels)
    return width, height, see_through, pixels


def main():
    out = sys.argv[1]
    paths = sorted(sys.argv[2:], key=lambda path: os.path.splitext(os.path.basename(path))[0])
    lines = ["// Made by tools/bake_art.py from the XPM pictures; do not edit.", ""]
    table = []
    for path in paths:
        name = os.path.splitext(os.path.basename(path))[0]
        if not re.fullmatch(r"[a-z][a-z0-9_]*", name):
            fail(path, "the name is not a C++ identifier")
        width, height, see_through, pixels = read_xpm(path)
        lines.append("const std::uint32_t %s_pixels[] = {" % name)
        for y in range(height):
            row = pixels[y * width:(y + 1) * width]
            lines.append("    " + ", ".join("0x%08x" % p for p in row) + ",")
        lines.append("};")
        table.append('    {"%s", %d, %d, %s, %s_pixels},'
                     % (name, width, height, "true" if see_through else "false", name))
    lines += ["", "// By name, in order.", "constexpr BakedPicture bakedPictures[] = {"] + table + ["};", ""]
    with open(out, "w") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    main()
