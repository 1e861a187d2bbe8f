#!/usr/bin/env python3
"""Draws every picture of the game as an XPM under src/ui/art/ and the
desktop icons under data/icons/.

    python3 tools/draw_art.py           # rewrite the pictures
    python3 tools/draw_art.py --check   # fail if a committed picture differs

Colours are named in COLOURS below; change a hex value there (it must stay in
the picture's palette) and rerun to recolour, e.g. a sleeve.
"""
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART = os.path.join(ROOT, "src", "ui", "art")
ICONS = os.path.join(ROOT, "data", "icons", "hicolor")

# --------------------------------------------------------------------------
# Palettes

RG_LEVELS = [0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xFF]
B_LEVELS = [0x00, 0x40, 0x80, 0xFF]
PAL8 = {"#%02X%02X%02X" % (r, g, b)
        for r in RG_LEVELS for g in RG_LEVELS for b in B_LEVELS}
PAL4 = {"#000000", "#800000", "#008000", "#808000", "#000080", "#800080",
        "#008080", "#C0C0C0", "#808080", "#FF0000", "#00FF00", "#FFFF00",
        "#0000FF", "#FF00FF", "#00FFFF", "#FFFFFF"}

# name: (hex, XPM character). One character per colour across all pictures
# so that the maps read the same way everywhere.
COLOURS = {
    "none":      (None,      " "),
    "sky":       ("#00FFFF", "."),
    "band":      ("#FF8040", "-"),
    "ink":       ("#000000", "#"),
    "white":     ("#FFFFFF", "w"),
    "skin":      ("#FFC080", "s"),
    "skin_dk":   ("#FFA080", "S"),
    "mouth":     ("#A02000", "m"),
    "ear":       ("#C06040", "E"),
    "eye":       ("#000040", "e"),
    # runner 0: balding man
    "r0_sweat":  ("#20A040", "g"),
    "r0_sweat2": ("#006000", "G"),
    "r0_trou":   ("#008080", "t"),
    "r0_trou2":  ("#006040", "T"),
    "r0_shoe":   ("#FF0000", "r"),
    "r0_shoe2":  ("#A00000", "R"),
    "r0_hair":   ("#604000", "h"),
    # runner 1: old man
    "r1_jack":   ("#80A080", "j"),
    "r1_jack2":  ("#406040", "J"),
    "r1_trou":   ("#808080", "q"),
    "r1_trou2":  ("#606040", "Q"),
    "beard":     ("#FFFFFF", "w"),
    "beard2":    ("#C0C080", "W"),
    "cane":      ("#804000", "c"),
    "r1_shoe":   ("#402000", "k"),
    # runner 2: swordsman
    "r2_shirt":  ("#C0A0FF", "l"),
    "r2_shirt2": ("#8060FF", "L"),
    "r2_trou":   ("#808000", "o"),
    "r2_trou2":  ("#606000", "O"),
    "r2_shoe":   ("#0040FF", "b"),
    "r2_shoe2":  ("#000080", "B"),
    "r2_hair":   ("#202040", "H"),
    "hilt":      ("#A06000", "i"),
    "guard":     ("#FFC000", "y"),
    "blade":     ("#A0A080", "x"),
    "grass":     ("#40A000", "z"),
    # runner 3: block creature
    "r3_body":   ("#FF8000", "a"),
    "r3_light":  ("#FFA040", "A"),
    "r3_dark":   ("#C06000", "d"),
    "teeth":     ("#FFFFFF", "w"),
    # runner 4: curly-haired man
    "r4_sweat":  ("#40A000", "v"),
    "r4_sweat2": ("#206000", "V"),
    "r4_trou":   ("#808000", "o"),
    "r4_trou2":  ("#606000", "O"),
    "r4_hair":   ("#402000", "k"),
    "r4_hair2":  ("#804000", "c"),
    "r4_shoe":   ("#FFFFFF", "w"),
    "r4_shoe2":  ("#A0A080", "x"),
    # clouds and portraits
    "cloud_sh":  ("#C0FFFF", ","),
    "lavender":  ("#C0A0FF", "l"),
    "teal":      ("#008080", "t"),
    "yellow":    ("#FFFF00", "Y"),
    "violet":    ("#6060FF", "u"),
    "red":       ("#FF0000", "r"),
    # 16-colour pictures
    "c_black":   ("#000000", "#"),
    "c_maroon":  ("#800000", "1"),
    "c_green":   ("#008000", "2"),
    "c_olive":   ("#808000", "3"),
    "c_navy":    ("#000080", "4"),
    "c_purple":  ("#800080", "5"),
    "c_teal":    ("#008080", "6"),
    "c_silver":  ("#C0C0C0", "7"),
    "c_grey":    ("#808080", "8"),
    "c_red":     ("#FF0000", "9"),
    "c_lime":    ("#00FF00", "+"),
    "c_yellow":  ("#FFFF00", "Y"),
    "c_blue":    ("#0000FF", "%"),
    "c_fuchsia": ("#FF00FF", "@"),
    "c_aqua":    ("#00FFFF", "."),
    "c_white":   ("#FFFFFF", "w"),
}


def hexof(name):
    return COLOURS[name][0]


# --------------------------------------------------------------------------
# Drawing


class Canvas:
    """A grid of colour names; None is an empty (see-through) pixel."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y][x]
        return None

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def ellipse(self, cx, cy, rx, ry, c):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                dx, dy = (x - cx) / (rx + 0.35), (y - cy) / (ry + 0.35)
                if dx * dx + dy * dy <= 1.0:
                    self.set(x, y, c)

    def line(self, p, q, width, c):
        (x0, y0), (x1, y1) = p, q
        r = width / 2.0
        dx, dy = x1 - x0, y1 - y0
        n2 = dx * dx + dy * dy
        for y in range(int(min(y0, y1) - r) - 1, int(max(y0, y1) + r) + 2):
            for x in range(int(min(x0, x1) - r) - 1, int(max(x0, x1) + r) + 2):
                t = 0.0 if n2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / n2))
                ex, ey = x - (x0 + t * dx), y - (y0 + t * dy)
                if ex * ex + ey * ey <= r * r:
                    self.set(x, y, c)

    def path(self, pts, width, c):
        for p, q in zip(pts, pts[1:]):
            self.line(p, q, width, c)

    def poly(self, pts, c):
        ys = [p[1] for p in pts]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            for x in range(self.w):
                if _inside(pts, x, y):
                    self.set(x, y, c)

    def text(self, x, y, s, c, sx=1, sy=1, font=None):
        font = font or FONT
        for ch in s:
            rows = font[ch]
            for j, row in enumerate(rows):
                for i, bit in enumerate(row):
                    if bit == "#":
                        self.rect(x + i * sx, y + j * sy, x + i * sx + sx - 1, y + j * sy + sy - 1, c)
            x += (len(rows[0]) + 1) * sx

    def outline(self, c, keep=()):
        """Rings every drawn shape with c on the empty pixels next to it."""
        add = []
        for y in range(self.h):
            for x in range(self.w):
                if self.px[y][x] is None:
                    for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                        if self.get(nx, ny) not in (None,) + tuple(keep):
                            add.append((x, y))
                            break
        for x, y in add:
            self.px[y][x] = c

    def paste(self, other, ox=0, oy=0):
        for y in range(other.h):
            for x in range(other.w):
                if other.px[y][x] is not None:
                    self.set(x + ox, y + oy, other.px[y][x])


def _inside(pts, x, y):
    inside = False
    n = len(pts)
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            xc = x0 + (y - y0) * (x1 - x0) / (y1 - y0)
            if x < xc:
                inside = not inside
    return inside


def text_width(s, sx=1, font=None):
    font = font or FONT
    return sum((len(font[ch][0]) + 1) * sx for ch in s) - sx


FONT = {
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "V": ["#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
    "e": ["....", "....", ".##.", "#..#", "####", "#...", ".###"],
    "r": ["....", "....", "#.##", "##..", "#...", "#...", "#..."],
    ".": [".", ".", ".", ".", ".", ".", "#"],
}


# --------------------------------------------------------------------------
# Sprites: 70 x 105 on sky, the feet on the ground band

SPRITE_W, SPRITE_H = 70, 105
BAND_TOP = 95


def background(w, h):
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            c.px[y][x] = "sky" if y < BAND_TOP else "band"
    return c


def compose_sprite(fig):
    """Outlines the figure and lays it on the sky and band."""
    fig.outline("ink")
    bg = background(SPRITE_W, SPRITE_H)
    bg.paste(fig)
    return bg


def shoe(c, ankle, col, col2, length=7, toe=1):
    """A shoe pointing right (toe=1) whose sole sits just under the ankle."""
    x, y = ankle
    if toe > 0:
        c.rect(x - 2, y - 1, x + length - 3, y + 2, col)
        c.rect(x - 2, y + 2, x + length - 2, y + 2, col2)
        c.set(x + length - 2, y, col)
        c.rect(x + length - 2, y + 1, x + length - 2, y + 1, col)
    else:
        c.rect(x - 2, y - 1, x + length - 3, y + 2, col)
        c.rect(x - 2, y + 2, x + length - 3, y + 2, col2)


def limb(c, pts, width, col):
    c.path(pts, width, col)


def head_side(c, cx, cy, r=9):
    """A head in profile looking right: skull, nose, eye, ear."""
    c.ellipse(cx, cy, r - 0.5, r, "skin")
    c.rect(cx + r - 1, cy, cx + r, cy + 2, "skin")      # nose
    c.set(cx + r + 1, cy + 1, "skin")
    c.rect(cx + 3, cy - 2, cx + 4, cy - 1, "eye")       # eye
    for (x, y) in ((cx - 2, cy - 1), (cx - 3, cy), (cx - 3, cy + 1), (cx - 2, cy + 2)):
        c.set(x, y, "ear")                               # the rim of the ear
    c.rect(cx + 4, cy + 5, cx + 6, cy + 5, "mouth")


class Pose:
    def __init__(self, **kw):
        self.__dict__.update(kw)


def human(pose, look):
    """Draws a person from a pose (joint positions) and a look (colours and
    head dressing). Far-side limbs first, in the darker shades."""
    c = Canvas(SPRITE_W, SPRITE_H)
    p, L = pose, look
    if L.get("behind"):
        L["behind"](c, p)
    # far arm and leg
    limb(c, p.far_leg, L["leg_w"], L["trou2"])
    shoe(c, p.far_leg[-1], L["shoe2"], "ink")
    limb(c, p.far_arm[:2], L["arm_w"], L["sleeve2"])
    limb(c, p.far_arm[1:], L["arm_w"], L["sleeve2"])
    c.ellipse(p.far_arm[-1][0], p.far_arm[-1][1], 1.6, 1.6, "skin_dk")
    # body: seat and near leg first, the sweater hanging over their tops
    hx0, hy0 = p.hip
    c.line((hx0 - 2, hy0), (hx0 + 2, hy0), L["body_w"] - 4, L["trou"])
    limb(c, p.near_leg, L["leg_w"], L["trou"])
    shoe(c, p.near_leg[-1], L["shoe"], L["shoe2"])
    c.line(p.shoulder, (hx0, hy0 - 3), L["body_w"], L["sleeve"])
    # the ribbed hem along the bottom of the top
    for x in range(hx0 - L["body_w"], hx0 + L["body_w"]):
        low = [y for y in range(hy0 - 10, hy0 + 8) if c.get(x, y) == L["sleeve"]]
        if low:
            c.set(x, low[-1], L["sleeve2"])
    # head
    hx, hy = p.head
    c.line((p.shoulder[0] + 1, p.shoulder[1] - 2), (hx - 1, hy + 6), 5, "skin")
    head_side(c, hx, hy)
    L["hair"](c, hx, hy)
    if L.get("front"):
        L["front"](c, p)
    # a dark contour keeps the near arm apart from the body it crosses
    (sx, sy), (ex, ey) = p.near_arm[0], p.near_arm[1]
    start = (sx + 0.45 * (ex - sx), sy + 0.45 * (ey - sy))
    limb(c, [start] + p.near_arm[1:], L["arm_w"] + 2, L["sleeve2"])
    limb(c, p.near_arm, L["arm_w"], L["sleeve"])
    c.ellipse(p.near_arm[-1][0], p.near_arm[-1][1], 1.8, 1.8, "skin")
    if L.get("after"):
        L["after"](c, p)
    return c


# --- runner 0: balding man, green sweater, teal trousers, red shoes

def hair_r0(c, hx, hy):
    # a bald dome with a fringe of hair round the back
    c.rect(hx - 8, hy - 2, hx - 5, hy + 3, "r0_hair")
    c.rect(hx - 7, hy - 4, hx - 6, hy - 3, "r0_hair")
    c.rect(hx - 4, hy - 1, hx - 4, hy + 1, "r0_hair")
    c.set(hx + 1, hy - 7, "white")                       # shine on the dome
    c.set(hx + 2, hy - 7, "white")
    c.rect(hx + 2, hy - 4, hx + 5, hy - 4, "r0_hair")   # brow


LOOK_R0 = dict(sleeve="r0_sweat", sleeve2="r0_sweat2", trou="r0_trou", trou2="r0_trou2",
               shoe="r0_shoe", shoe2="r0_shoe2", hair=hair_r0, leg_w=6, arm_w=5, body_w=13)


def runner0(frame):
    if frame == "a":   # wide stride, one hand reaching forward
        p = Pose(head=(40, 24), shoulder=(35, 40), hip=(31, 61),
                 near_leg=[(31, 61), (41, 75), (48, 94)],
                 far_leg=[(30, 61), (21, 76), (10, 88)],
                 near_arm=[(36, 40), (46, 45), (56, 41)],
                 far_arm=[(34, 40), (25, 49), (20, 43)])
    elif frame == "b":  # arms tucked in, the other leg forward
        p = Pose(head=(40, 22), shoulder=(35, 38), hip=(31, 59),
                 near_leg=[(31, 59), (25, 75), (16, 86)],
                 far_leg=[(30, 59), (40, 73), (45, 94)],
                 near_arm=[(35, 40), (31, 51), (41, 48)],
                 far_arm=[(34, 40), (38, 49), (45, 45)])
    else:              # goal: standing with both arms raised
        p = Pose(head=(35, 27), shoulder=(34, 42), hip=(34, 63),
                 near_leg=[(36, 63), (38, 79), (38, 94)],
                 far_leg=[(31, 63), (28, 79), (27, 94)],
                 near_arm=[(37, 41), (45, 30), (49, 18)],
                 far_arm=[(31, 41), (24, 30), (20, 18)])
    return compose_sprite(human(p, LOOK_R0))


# --- runner 1: old bald man, white beard, grey-green jacket, cane

def hair_r1(c, hx, hy):
    c.rect(hx - 8, hy - 1, hx - 5, hy + 3, "beard2")
    c.rect(hx - 7, hy - 3, hx - 6, hy - 2, "beard2")
    c.set(hx + 1, hy - 7, "white")
    c.rect(hx + 2, hy - 4, hx + 5, hy - 4, "beard")     # white eyebrow
    # the beard: from the ear down over the chin and chest
    c.poly([(hx - 2, hy + 2), (hx + 9, hy + 3), (hx + 8, hy + 11), (hx + 4, hy + 17),
            (hx + 1, hy + 16), (hx - 2, hy + 9)], "beard")
    c.rect(hx + 4, hy + 2, hx + 8, hy + 2, "beard")      # moustache
    c.rect(hx + 2, hy + 8, hx + 2, hy + 12, "beard2")


def cane_of(tip, hand):
    def draw(c, p):
        c.line(hand, tip, 2, "cane")
        c.line((hand[0] - 1, hand[1] - 1), (hand[0] + 3, hand[1] - 3), 2, "cane")   # crook
    return draw


def runner1(frame):
    if frame == "a":   # walking, cane planted ahead
        p = Pose(head=(43, 30), shoulder=(35, 45), hip=(29, 64),
                 near_leg=[(29, 64), (36, 78), (40, 94)],
                 far_leg=[(28, 64), (24, 78), (18, 93)],
                 near_arm=[(36, 46), (44, 54), (50, 56)],
                 far_arm=[(33, 46), (27, 54), (24, 61)])
        cane = cane_of((58, 97), (50, 56))
    elif frame == "b":  # cane angled back, the other leg forward
        p = Pose(head=(43, 30), shoulder=(35, 45), hip=(29, 64),
                 near_leg=[(29, 64), (24, 78), (19, 93)],
                 far_leg=[(28, 64), (35, 78), (40, 94)],
                 near_arm=[(36, 46), (39, 55), (43, 60)],
                 far_arm=[(33, 46), (37, 54), (41, 58)])
        cane = cane_of((30, 97), (43, 60))
    else:              # goal: a fist raised, the cane in the other hand
        p = Pose(head=(38, 28), shoulder=(34, 44), hip=(32, 64),
                 near_leg=[(34, 64), (36, 79), (37, 94)],
                 far_leg=[(30, 64), (27, 79), (25, 94)],
                 near_arm=[(36, 44), (46, 50), (52, 58)],
                 far_arm=[(32, 44), (25, 33), (24, 20)])
        cane = cane_of((57, 97), (52, 58))
    look = dict(sleeve="r1_jack", sleeve2="r1_jack2", trou="r1_trou", trou2="r1_trou2",
                shoe="r1_shoe", shoe2="ink", hair=hair_r1, leg_w=6, arm_w=5, body_w=13,
                after=cane)
    fig = human(p, look)
    if frame == "goal":
        fig.ellipse(24, 19, 2.3, 2.3, "skin")            # the raised fist
    return compose_sprite(fig)


# --- runner 2: swordsman

def hair_r2(c, hx, hy):
    # black hair over the crown and the back of the head, tied in a tail
    for y in range(hy - 10, hy + 4):
        for x in range(hx - 10, hx + 10):
            if c.get(x, y) in ("skin", "skin_dk", "eye") and (y <= hy - 4 or x <= hx - 4):
                c.set(x, y, "r2_hair")
    c.rect(hx - 1, hy - 4, hx + 1, hy - 3, "r2_hair")
    c.rect(hx - 12, hy - 8, hx - 8, hy - 5, "r2_hair")   # tied-back tail
    c.rect(hx - 14, hy - 6, hx - 12, hy - 2, "r2_hair")
    c.rect(hx + 2, hy - 3, hx + 6, hy - 3, "r2_hair")     # brow
    c.rect(hx + 3, hy - 2, hx + 4, hy - 1, "eye")


def sword_behind(c, p):
    # slung across the back: the hilt sticks up over the shoulder behind the head
    sx, sy = p.shoulder
    c.line((sx + 2, sy + 14), (sx - 5, sy - 1), 3, "blade")
    c.line((sx - 6, sy - 3), (sx - 11, sy - 13), 3, "hilt")
    c.line((sx - 9, sy - 1), (sx - 2, sy - 5), 2, "guard")
    c.ellipse(sx - 12, sy - 14, 1.5, 1.5, "guard")


LOOK_R2 = dict(sleeve="r2_shirt", sleeve2="r2_shirt2", trou="r2_trou", trou2="r2_trou2",
               shoe="r2_shoe", shoe2="r2_shoe2", hair=hair_r2, leg_w=6, arm_w=5, body_w=12,
               behind=sword_behind)


def runner2(frame):
    if frame == "a":   # arms folded, a short step
        p = Pose(head=(38, 22), shoulder=(34, 38), hip=(32, 60),
                 near_leg=[(33, 60), (38, 77), (40, 94)],
                 far_leg=[(31, 60), (27, 77), (24, 94)],
                 near_arm=[(36, 40), (36, 49), (44, 48)],
                 far_arm=[(33, 40), (33, 46), (43, 45)])
    elif frame == "b":  # a long leaping stride, one hand raised
        p = Pose(head=(40, 22), shoulder=(36, 38), hip=(32, 59),
                 near_leg=[(33, 59), (46, 72), (55, 94)],
                 far_leg=[(31, 59), (20, 71), (8, 80)],
                 near_arm=[(37, 40), (49, 34), (57, 25)],
                 far_arm=[(34, 40), (25, 45), (17, 42)])
    else:              # goal: pointing upward, the other hand on the hip
        p = Pose(head=(36, 26), shoulder=(34, 41), hip=(33, 62),
                 near_leg=[(35, 62), (38, 78), (40, 94)],
                 far_leg=[(31, 62), (28, 78), (26, 94)],
                 near_arm=[(37, 41), (46, 31), (49, 15)],
                 far_arm=[(32, 41), (23, 48), (29, 59)])
    fig = human(p, LOOK_R2)
    if frame == "goal":
        fig.rect(49, 9, 49, 13, "skin")                  # the pointing finger
    return compose_sprite(fig)


# --- runner 3: orange block creature

def runner3(frame):
    c = Canvas(SPRITE_W, SPRITE_H)
    lift = {"a": 0, "b": 2, "goal": 0}[frame]
    top = 30 - lift
    x0, x1 = 15, 53
    bot = top + 50
    # legs
    if frame == "a":
        legs = [((24, bot), (21, 91)), ((44, bot), (47, 94))]
    elif frame == "b":
        legs = [((23, bot), (14, 94)), ((45, bot), (55, 94))]
    else:
        legs = [((25, bot), (24, 94)), ((43, bot), (44, 94))]
    for hipp, foot in legs:
        c.line(hipp, foot, 7, "r3_dark")
        c.rect(foot[0] - 4, foot[1], foot[0] + 5, foot[1] + 4, "r3_dark")
    # arms
    if frame == "a":
        arms = [[(x0 + 1, top + 26), (x0 - 4, top + 33), (x0 - 2, top + 38)],
                [(x1 - 1, top + 26), (x1 + 4, top + 33), (x1 + 6, top + 30)]]
    elif frame == "b":
        arms = [[(x0 + 1, top + 20), (x0 - 8, top + 24), (x0 - 11, top + 31)],
                [(x1 - 1, top + 20), (x1 + 8, top + 24), (x1 + 11, top + 31)]]
    else:
        arms = [[(x0 + 1, top + 20), (x0 - 7, top + 13), (x0 - 10, top + 4)],
                [(x1 - 1, top + 20), (x1 + 7, top + 13), (x1 + 10, top + 4)]]
    for a in arms:
        c.path(a, 5, "r3_dark")
        c.ellipse(a[-1][0], a[-1][1], 2.2, 2.2, "r3_body")
    # the block
    c.rect(x0, top, x1, bot, "r3_body")
    c.rect(x0, top, x1, top + 2, "r3_light")
    c.rect(x0, top, x0 + 2, bot, "r3_light")
    c.rect(x1 - 2, top + 3, x1, bot, "r3_dark")
    c.rect(x0 + 3, bot - 2, x1, bot, "r3_dark")
    # face, a little to the right: it runs right
    ex = 36
    c.rect(ex - 6, top + 9, ex - 3, top + 14, "white")
    c.rect(ex + 4, top + 9, ex + 7, top + 14, "white")
    c.rect(ex - 4, top + 11, ex - 3, top + 13, "ink")
    c.rect(ex + 6, top + 11, ex + 7, top + 13, "ink")
    c.rect(ex - 7, top + 6, ex - 3, top + 7, "ink")
    c.rect(ex + 4, top + 6, ex + 8, top + 7, "ink")
    # the grin
    gy = top + 20
    c.rect(ex - 9, gy, ex + 11, gy + 7, "ink")
    c.rect(ex - 8, gy + 1, ex + 10, gy + 3, "teeth")
    c.rect(ex - 6, gy + 5, ex + 8, gy + 6, "teeth")
    for tx in range(ex - 6, ex + 10, 4):
        c.rect(tx, gy + 1, tx, gy + 3, "ink")
    c.rect(ex - 11, gy - 1, ex - 10, gy, "ink")
    c.rect(ex + 12, gy - 1, ex + 13, gy, "ink")
    return compose_sprite(c)


# --- runner 4: curly-haired man, green sweater, olive trousers

def hair_r4(c, hx, hy):
    for (dx, dy) in [(-8, -2), (-6, -6), (-2, -8), (2, -8), (5, -6), (-8, 2), (-5, -3),
                     (-1, -5), (-9, 5), (-6, 4)]:
        c.ellipse(hx + dx, hy + dy, 2.8, 2.8, "r4_hair")
    for (dx, dy) in [(-6, -6), (-1, -8), (3, -8), (-8, 1), (-4, -3)]:
        c.set(hx + dx, hy + dy, "r4_hair2")
        c.set(hx + dx + 1, hy + dy, "r4_hair2")


LOOK_R4 = dict(sleeve="r4_sweat", sleeve2="r4_sweat2", trou="r4_trou", trou2="r4_trou2",
               shoe="r4_shoe", shoe2="r4_shoe2", hair=hair_r4, leg_w=6, arm_w=5, body_w=13)


def runner4(frame):
    if frame == "a":   # striding, one arm forward
        p = Pose(head=(40, 24), shoulder=(35, 40), hip=(31, 61),
                 near_leg=[(31, 61), (42, 74), (47, 94)],
                 far_leg=[(30, 61), (20, 75), (11, 89)],
                 near_arm=[(36, 40), (45, 47), (54, 46)],
                 far_arm=[(34, 40), (26, 48), (19, 50)])
    elif frame == "b":  # arms bent, the other leg forward
        p = Pose(head=(40, 23), shoulder=(35, 39), hip=(31, 60),
                 near_leg=[(31, 60), (22, 74), (13, 87)],
                 far_leg=[(30, 60), (41, 73), (46, 94)],
                 near_arm=[(35, 41), (28, 49), (33, 56)],
                 far_arm=[(34, 41), (42, 47), (46, 39)])
    else:              # goal: a fist raised, the other hand at his chest
        p = Pose(head=(36, 27), shoulder=(34, 42), hip=(33, 63),
                 near_leg=[(35, 63), (38, 79), (39, 94)],
                 far_leg=[(31, 63), (28, 79), (26, 94)],
                 near_arm=[(37, 42), (47, 33), (49, 19)],
                 far_arm=[(33, 42), (37, 53), (44, 48)])
    fig = human(p, LOOK_R4)
    if frame == "goal":
        fig.ellipse(49, 18, 2.3, 2.3, "skin")
    return compose_sprite(fig)


def track():
    return background(4, SPRITE_H)


def cloud():
    c = Canvas(64, 40)
    puffs = [(14, 25, 9, 7), (24, 18, 9, 9), (37, 15, 10, 10), (49, 22, 9, 8),
             (31, 27, 17, 7), (8, 29, 6, 5), (56, 29, 6, 5)]
    # small puffs along the rim give the ragged edge
    puffs += [(17, 14, 3, 3), (30, 8, 3, 3), (44, 7, 3, 3), (55, 15, 3, 3), (4, 25, 2, 2),
              (60, 24, 2, 2), (21, 34, 3, 2), (41, 34, 3, 2), (11, 21, 3, 3)]
    for (x, y, rx, ry) in puffs:
        c.ellipse(x, y, rx, ry, "white")
    # a pale blue shade under each lobe
    for y in range(c.h):
        for x in range(c.w):
            if c.px[y][x] == "white" and y > 24 and c.get(x, y + 2) is None:
                c.px[y][x] = "cloud_sh"
    bg = Canvas(64, 40, "sky")
    bg.paste(c)
    return bg


# --------------------------------------------------------------------------
# Buttons: 41 x 41, 16 colours, 2-pixel border

def button(inner, border="c_blue"):
    c = Canvas(41, 41, border)
    c.rect(2, 2, 38, 38, inner)
    return c


def running_figure(c, ox, oy, s, col, lines):
    """The runner-button motif: a figure dashing right with speed lines,
    drawn in a 32-unit box scaled by s."""
    def P(x, y):
        return (ox + x * s, oy + y * s)
    w = max(2, round(2.4 * s))
    c.ellipse(*P(20, 6), 3.2 * s, 3.2 * s, col)
    c.path([P(18, 11), P(14, 19)], w + 1, col)                    # body
    c.path([P(17, 12), P(22, 14), P(26, 11)], w, col)             # front arm
    c.path([P(16, 12), P(11, 14), P(9, 18)], w, col)              # back arm
    c.path([P(14, 19), P(19, 22), P(20, 28)], w, col)             # front leg
    c.path([P(14, 19), P(10, 24), P(5, 25)], w, col)              # back leg
    for (y, x0, x1) in [(9, 3, 10), (14, 1, 7), (20, 1, 6)]:
        c.line(P(x0, y), P(x1, y), max(1, round(1.2 * s)), lines)


def button_runner():
    c = button("c_red")
    running_figure(c, 4, 4, 1.0, "c_yellow", "c_white")
    return c


def button_retry():
    c = button("c_black")
    c.text((41 - text_width("RE", 2)) // 2, 5, "RE", "c_red", 2, 2)
    c.text((41 - text_width("TRY", 2)) // 2, 22, "TRY", "c_red", 2, 2)
    return c


def button_ranking():
    c = button("c_green")
    pts = [(7, 14), (13, 22), (20, 9), (27, 22), (33, 14), (31, 31), (9, 31)]
    c.poly(pts, "c_yellow")
    c.rect(9, 28, 31, 31, "c_yellow")
    for (x, y) in [(7, 13), (20, 8), (33, 13)]:
        c.ellipse(x, y, 1.6, 1.6, "c_yellow")
    for (x, y) in [(13, 28), (20, 28), (27, 28)]:
        c.ellipse(x, y, 1.6, 1.6, "c_red")
    c.rect(9, 25, 31, 25, "c_olive")
    return c


def question(c, ox, oy, col):
    c.path([(ox + 0, oy + 6), (ox + 1, oy + 2), (ox + 5, oy + 0), (ox + 10, oy + 1),
            (ox + 12, oy + 5), (ox + 10, oy + 10), (ox + 7, oy + 12), (ox + 6, oy + 16)], 4, col)
    c.rect(ox + 4, oy + 20, ox + 8, oy + 24, col)


def button_help():
    c = button("c_lime")
    for y in range(3, 38, 4):
        for x in range(3 + (y // 4 % 2) * 2, 38, 4):
            c.set(x, y, "c_green")
    question(c, 16, 9, "c_red")
    question(c, 14, 7, "c_black")
    return c


def button_version():
    c = button("c_aqua")
    c.rect(4, 9, 36, 10, "c_green")
    c.rect(4, 30, 36, 31, "c_green")
    c.text((41 - text_width("Ver.", 2)) // 2, 13, "Ver.", "c_olive", 2, 2)
    return c


def button_exit():
    c = button("c_black")
    c.rect(5, 5, 9, 36, "c_grey")
    c.rect(31, 5, 35, 36, "c_grey")
    c.rect(5, 5, 35, 8, "c_grey")
    c.rect(10, 9, 30, 36, "c_red")
    c.rect(13, 12, 27, 20, "c_maroon")
    c.rect(13, 24, 27, 33, "c_maroon")
    c.ellipse(26, 22, 1.6, 1.6, "c_white")
    return c


def button_back():
    c = button("c_yellow", "c_red")
    c.path([(33, 30), (16, 30), (16, 13)], 5, "c_navy")
    c.poly([(7, 16), (16, 5), (25, 16)], "c_navy")
    return c


def button_ok():
    c = button("c_red")
    c.text((41 - text_width("OK", 3)) // 2, 10, "OK", "c_black", 3, 3)
    return c


# --------------------------------------------------------------------------
# Portraits: 40 x 40 on the palette of the sprites, 2-pixel red border


def portrait_frame(bg):
    c = Canvas(40, 40, "red")
    c.rect(2, 2, 37, 37, bg)
    return c


def face_front(c, cx, cy, rx=9, ry=10):
    c.ellipse(cx - rx - 1, cy + 1, 2, 3, "skin_dk")       # ears
    c.ellipse(cx + rx + 1, cy + 1, 2, 3, "skin_dk")
    c.ellipse(cx, cy, rx, ry, "skin")
    c.rect(cx - 5, cy - 1, cx - 3, cy + 1, "eye")
    c.rect(cx + 3, cy - 1, cx + 5, cy + 1, "eye")
    c.rect(cx - 1, cy + 2, cx, cy + 4, "skin_dk")


def shoulders(c, col, col2):
    c.ellipse(20, 40, 15, 8, col)
    c.rect(16, 30, 23, 33, "skin")
    c.line((14, 35), (16, 39), 2, col2)
    c.line((25, 35), (23, 39), 2, col2)


def portrait0():
    c = portrait_frame("lavender")
    shoulders(c, "r0_sweat", "r0_sweat2")
    face_front(c, 20, 19)
    c.rect(9, 14, 11, 22, "r0_hair")
    c.rect(28, 14, 30, 22, "r0_hair")
    c.rect(17, 10, 19, 10, "white")
    c.rect(14, 27, 25, 27, "mouth")
    c.rect(14, 26, 14, 26, "mouth")
    c.rect(25, 26, 25, 26, "mouth")
    return frame_fix(c)


def portrait1():
    c = portrait_frame("teal")
    shoulders(c, "r1_jack", "r1_jack2")
    face_front(c, 20, 17)
    c.rect(9, 13, 11, 19, "beard2")
    c.rect(28, 13, 30, 19, "beard2")
    c.poly([(10, 20), (30, 20), (28, 31), (20, 36), (12, 31)], "beard")
    c.rect(15, 21, 25, 22, "beard2")
    c.rect(17, 25, 23, 25, "mouth")
    c.rect(13, 13, 17, 14, "beard")
    c.rect(23, 13, 27, 14, "beard")
    return frame_fix(c)


def portrait2():
    c = portrait_frame("violet")
    # the sword slung across his back, its hilt up by his shoulder
    c.line((6, 40), (31, 31), 3, "blade")
    c.line((31, 31), (35, 24), 3, "hilt")
    c.line((29, 29), (33, 33), 2, "guard")
    c.ellipse(35.5, 23.5, 1.5, 1.5, "guard")
    shoulders(c, "r2_shirt", "r2_shirt2")
    c.rect(12, 6, 27, 11, "r2_hair")
    face_front(c, 20, 18)
    c.ellipse(20, 9, 10, 4, "r2_hair")
    c.rect(10, 9, 12, 17, "r2_hair")
    c.rect(28, 9, 30, 17, "r2_hair")
    c.rect(14, 15, 17, 15, "r2_hair")
    c.rect(23, 15, 26, 15, "r2_hair")
    c.rect(17, 25, 22, 25, "mouth")
    # a grass stalk in the corner of his mouth
    c.line((18, 25), (8, 21), 1, "grass")
    c.line((9, 21), (6, 17), 1, "grass")
    c.set(7, 22, "grass")
    return frame_fix(c)


def portrait3():
    c = portrait_frame("ink")
    c.rect(7, 6, 32, 37, "r3_body")
    c.rect(7, 6, 32, 7, "r3_light")
    c.rect(7, 6, 8, 37, "r3_light")
    c.rect(31, 8, 32, 37, "r3_dark")
    c.rect(11, 12, 15, 17, "white")
    c.rect(24, 12, 28, 17, "white")
    c.rect(13, 14, 15, 16, "ink")
    c.rect(26, 14, 28, 16, "ink")
    c.rect(10, 9, 15, 10, "ink")                          # brows
    c.rect(24, 9, 29, 10, "ink")
    c.rect(9, 24, 30, 31, "ink")
    c.rect(10, 25, 29, 27, "teeth")
    c.rect(12, 29, 27, 30, "teeth")
    for tx in range(13, 29, 4):
        c.rect(tx, 25, tx, 27, "ink")
    return frame_fix(c)


def portrait4():
    c = portrait_frame("yellow")
    shoulders(c, "r4_sweat", "r4_sweat2")
    face_front(c, 20, 20)
    for (x, y) in [(10, 12), (13, 8), (17, 6), (22, 6), (26, 8), (29, 12), (9, 17), (30, 17),
                   (15, 10), (20, 9), (25, 10)]:
        c.ellipse(x, y, 3, 3, "r4_hair")
    for (x, y) in [(13, 7), (21, 5), (28, 11), (10, 16)]:
        c.set(x, y, "r4_hair2")
    c.rect(16, 27, 23, 27, "mouth")
    return frame_fix(c)


def frame_fix(c):
    """Redraws the 2-pixel red border over anything that spilled onto it."""
    for y in range(40):
        for x in range(40):
            if x < 2 or y < 2 or x > 37 or y > 37:
                c.px[y][x] = "red"
    return c


# --------------------------------------------------------------------------
# Icon: the runner-button motif, outer ring transparent

def icon(size=32):
    """The icon at 32 pixels, or redrawn at 48 where 32 has no whole-pixel
    enlargement; the outer one-pixel ring is see-through."""
    k = size / 32
    border = round(2 * k)
    c = Canvas(size, size, "c_blue")
    c.rect(1 + border, 1 + border, size - 2 - border, size - 2 - border, "c_red")
    running_figure(c, 3 * k, 3 * k, 0.8 * k, "c_yellow", "c_white")
    for i in range(size):
        for (x, y) in ((i, 0), (i, size - 1), (0, i), (size - 1, i)):
            c.px[y][x] = "none"
    return c


def icon16():
    """A hand-placed 16-pixel version: scaling 32 down would lose the figure."""
    rows = [
        "                ",
        " %%%%%%%%%%%%%% ",
        " %999999999999% ",
        " %99999999YY99% ",
        " %99999999YY99% ",
        " %ww999YYY9YY9% ",
        " %9999YY9Y9999% ",
        " %www999Y99999% ",
        " %999999YY9999% ",
        " %ww999Y99Y999% ",
        " %9999Y9999Y99% ",
        " %999YY99999Y9% ",
        " %99999999999Y% ",
        " %999999999999% ",
        " %%%%%%%%%%%%%% ",
        "                ",
    ]
    names = {"%": "c_blue", "9": "c_red", "Y": "c_yellow", "w": "c_white", " ": "none"}
    c = Canvas(16, 16)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            c.px[y][x] = names[ch]
    return c


# --------------------------------------------------------------------------
# Output

def to_xpm(name, c, palette):
    used = []
    for row in c.px:
        for n in row:
            if n not in used:
                used.append(n)
    by_char = {}
    for n in used:
        hx, ch = COLOURS[n]
        if hx is not None and hx not in palette:
            raise ValueError("%s: colour %s (%s) is not in the palette" % (name, n, hx))
        if ch in by_char and by_char[ch] != hx:
            raise ValueError("%s: character %r used for two colours" % (name, ch))
        by_char[ch] = hx
    chars = sorted(by_char)
    out = ["/* XPM */", "static const char *const %s_xpm[] = {" % name,
           '"%d %d %d 1",' % (c.w, c.h, len(chars))]
    for ch in chars:
        out.append('"%s c %s",' % (ch, by_char[ch] or "None"))
    lines = ['"%s"' % "".join(COLOURS[n][1] for n in row) for row in c.px]
    out.append(",\n".join(lines))
    out.append("};")
    return "\n".join(out) + "\n"


def rgba(c):
    out = []
    for row in c.px:
        r = []
        for n in row:
            hx = COLOURS[n][0]
            r.append((0, 0, 0, 0) if hx is None else
                     (int(hx[1:3], 16), int(hx[3:5], 16), int(hx[5:7], 16), 255))
        out.append(r)
    return out


def png(pixels, scale):
    h, w = len(pixels) * scale, len(pixels[0]) * scale
    raw = bytearray()
    for row in pixels:
        line = bytearray([0])
        for p in row:
            line += bytes(p) * scale
        raw += bytes(line) * scale

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def pictures():
    pics = [("track", track(), PAL8)]
    for i, fn in enumerate([runner0, runner1, runner2, runner3, runner4]):
        for frame in ("a", "b", "goal"):
            pics.append(("runner%d_%s" % (i, frame), fn(frame), PAL8))
    pics.append(("cloud", cloud(), PAL8))
    for name, fn in [("runner", button_runner), ("retry", button_retry),
                     ("ranking", button_ranking), ("help", button_help),
                     ("version", button_version), ("exit", button_exit),
                     ("back", button_back), ("ok", button_ok)]:
        pics.append(("button_" + name, fn(), PAL4))
    for i, fn in enumerate([portrait0, portrait1, portrait2, portrait3, portrait4]):
        pics.append(("portrait%d" % i, fn(), PAL8))
    pics.append(("icon", icon(), PAL4))
    return pics


def outputs():
    files = {}
    for name, c, pal in pictures():
        files[os.path.join(ART, name + ".xpm")] = to_xpm(name, c, pal).encode()
    # desktop icon sizes: the drawn 16, 32 and 48, the larger ones whole-pixel
    # enlargements of 32
    small, big, mid = rgba(icon16()), rgba(icon()), rgba(icon(48))
    for size, (src, scale) in {16: (small, 1), 32: (big, 1), 48: (mid, 1), 64: (big, 2),
                               128: (big, 4), 256: (big, 8)}.items():
        path = os.path.join(ICONS, "%dx%d" % (size, size), "apps", "milta100m.png")
        files[path] = png(src, scale)
    return files


def main():
    check = "--check" in sys.argv[1:]
    stale = []
    for path, data in outputs().items():
        old = open(path, "rb").read() if os.path.exists(path) else None
        if old == data:
            continue
        if check:
            stale.append(os.path.relpath(path, ROOT))
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        print("out of date:\n  " + "\n  ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
