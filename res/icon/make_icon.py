#!/usr/bin/env python3
"""Draws the HourgaugeLite icon, an alarm clock, and writes res/hourgauge.ico.

Standard library only and deterministic: the same script always writes the
same bytes. The icon holds six BMP-style images, in this order:

    32x32, 16 colours  (4 bpp)  744 bytes
    32x32, 256 colours (8 bpp) 2216 bytes
    16x16, 16 colours  (4 bpp)  296 bytes
    20x20, true colour with alpha (32 bpp) 1720 bytes
    24x24, true colour with alpha (32 bpp) 2440 bytes
    32x32, true colour with alpha (32 bpp) 4264 bytes

The true-colour images are for the tray at 125, 150 and 200 % scaling (the
system's small-icon size is 20, 24 or 32 pixels there); their alpha is the
drawing's coverage, so the edges are smooth on any taskbar.

Each image is a BITMAPINFOHEADER (height doubled), a palette, the colour
(XOR) bitmap bottom-up with rows padded to 4 bytes, and the 1-bit AND mask
(1 = transparent), padded the same way.

Usage: make_icon.py [output.ico]   (default: ../hourgauge.ico beside this dir)
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Colours

ORANGE_RED = (236, 72, 24)
ORANGE_LIGHT = (255, 138, 74)
ORANGE_DARK = (150, 36, 12)
OUTLINE = (84, 20, 8)
FACE = (255, 255, 255)
FACE_SHADE = (214, 214, 222)
HAND = (32, 32, 40)
TICK = (96, 96, 104)
LEG = (64, 64, 72)
KNOB = (120, 120, 128)
BLACK = (0, 0, 0)

# The fixed palette of the 16-colour images: everything the drawing uses,
# plus blends for the antialiased edges inside the icon.
PALETTE_16 = [
    BLACK,
    OUTLINE,
    ORANGE_DARK,
    ORANGE_RED,
    ORANGE_LIGHT,
    (255, 196, 160),  # orange on white
    FACE,
    FACE_SHADE,
    (160, 160, 168),
    TICK,
    LEG,
    HAND,
    KNOB,
    (196, 106, 80),  # orange on grey
    (120, 40, 20),
    (180, 180, 188),
]


# ---------------------------------------------------------------------------
# Geometry, in a 32-unit square; the 16x16 image is drawn from the same shapes
# with some strokes thickened so that they survive the smaller grid.


def dist_to_segment(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    t = (wx * vx + wy * vy) / (vx * vx + vy * vy)
    t = max(0.0, min(1.0, t))
    dx, dy = px - (ax + t * vx), py - (ay + t * vy)
    return math.hypot(dx, dy)


class AlarmClock:
    def __init__(self, small):
        self.small = small
        self.cx, self.cy = 16.0, 17.5
        self.r_frame = 12.6
        self.r_face = 9.0 if not small else 8.2
        self.r_outline = 0.9 if not small else 1.6
        # bells: discs up left and up right, mostly hidden behind the frame
        self.bells = [(7.0, 7.0), (25.0, 7.0)]
        self.r_bell = 5.6
        # hands: hour to ten o'clock, minute to twelve
        hour = math.radians(300.0)
        minute = math.radians(0.0)
        self.hour_end = (self.cx + 5.0 * math.sin(hour), self.cy - 5.0 * math.cos(hour))
        self.min_end = (self.cx + 7.4 * math.sin(minute), self.cy - 7.4 * math.cos(minute))
        self.w_hour = 1.1 if not small else 1.5
        self.w_min = 1.0 if not small else 1.3
        self.legs = [((9.0, 26.0), (5.6, 30.6)), ((23.0, 26.0), (26.4, 30.6))]
        self.w_leg = 1.4 if not small else 2.0

    def sample(self, x, y):
        """Colour at point (x, y), or None outside the drawing."""
        cx, cy = self.cx, self.cy
        d = math.hypot(x - cx, y - cy)

        # face and what sits on it
        if d <= self.r_face:
            if dist_to_segment(x, y, cx, cy, *self.hour_end) <= self.w_hour:
                return HAND
            if dist_to_segment(x, y, cx, cy, *self.min_end) <= self.w_min:
                return HAND
            if d <= 1.5:
                return HAND
            if not self.small:
                for k in range(12):
                    a = math.radians(30.0 * k)
                    tx = cx + 7.6 * math.sin(a)
                    ty = cy - 7.6 * math.cos(a)
                    r = 0.9 if k % 3 == 0 else 0.45
                    if math.hypot(x - tx, y - ty) <= r:
                        return TICK
            # a soft shadow under the top rim
            if d > self.r_face - 1.2 and y < cy:
                return FACE_SHADE
            return FACE

        # the frame, lit from the top left
        if d <= self.r_frame - self.r_outline:
            ang = math.atan2(y - cy, x - cx)
            light = math.cos(ang - math.radians(-135.0))
            if light > 0.55 and d > self.r_face + 1.0:
                return ORANGE_LIGHT
            if light < -0.6:
                return ORANGE_DARK
            return ORANGE_RED
        if d <= self.r_frame:
            return OUTLINE

        # knob on top between the bells
        if abs(x - cx) <= 1.6 and 3.0 <= y <= cy:
            return OUTLINE if abs(x - cx) > 0.9 or y < 3.8 else KNOB

        # bells
        for bx, by in self.bells:
            db = math.hypot(x - bx, y - by)
            if db <= self.r_bell:
                if db > self.r_bell - self.r_outline:
                    return OUTLINE
                # highlight on the upper outer side of each bell
                hx = bx + (-2.0 if bx < cx else 2.0)
                if math.hypot(x - hx, y - (by - 2.0)) <= 1.8:
                    return ORANGE_LIGHT
                return ORANGE_RED

        # legs
        for (ax, ay), (ex, ey) in self.legs:
            if dist_to_segment(x, y, ax, ay, ex, ey) <= self.w_leg:
                return LEG
        return None


# At 16x16 a scaled-down drawing turns to mush, so the small image is drawn
# pixel by pixel. Legend: . transparent, o outline, R/L/D orange-red (plain,
# lit, shaded), W face, S face shade, H hand, T tick, G leg.
SMALL_PIXELS = [
    ".ooo........ooo.",
    "oLLRo.oooo.oRRDo",
    "oLRooLLRRRRooRDo",
    "oooLRSSSSSSRRooo",
    ".oLRWWWWHWWWRRo.",
    ".oLWWWWWHWWWWRo.",
    ".oRWWWWWHWWWWDo.",
    ".oRWWWWWHWWWWDo.",
    ".oRTWHHHHWWWTDo.",
    ".oRWWWWWWWWWWDo.",
    ".oRWWWWWWWWWWDo.",
    ".oRRWWWWTWWWDDo.",
    "..oRRWWWWWWRDo..",
    "...ooRRRDDDoo...",
    ".GG..oooooo..GG.",
    "GG............GG",
]
SMALL_COLOURS = {
    "o": OUTLINE,
    "R": ORANGE_RED,
    "L": ORANGE_LIGHT,
    "D": ORANGE_DARK,
    "W": FACE,
    "S": FACE_SHADE,
    "H": HAND,
    "T": TICK,
    "G": LEG,
}


def render_small():
    rows = []
    for line in SMALL_PIXELS:
        assert len(line) == 16, line
        rows.append([None if ch == "." else SMALL_COLOURS[ch] for ch in line])
    assert len(rows) == 16
    return rows


def render(size, supersample=8):
    """Rows top-down of (r, g, b) or None for transparent pixels."""
    clock = AlarmClock(small=size < 32)
    scale = 32.0 / size
    rows = []
    n = supersample * supersample
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(supersample):
                for sx in range(supersample):
                    x = (px + (sx + 0.5) / supersample) * scale
                    y = (py + (sy + 0.5) / supersample) * scale
                    c = clock.sample(x, y)
                    if c is not None:
                        hits += 1
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
            if hits * 2 < n:
                row.append(None)
            else:
                # colour of the covered part only: no blending with whatever
                # lies behind the icon
                row.append(tuple(int(round(v / hits)) for v in acc))
        rows.append(row)
    return rows


def render_rgba(size, supersample=8):
    """Rows top-down of (r, g, b, a): the colour of the covered part and the
    coverage as alpha; (0, 0, 0, 0) where nothing is drawn."""
    clock = AlarmClock(small=False)
    scale = 32.0 / size
    rows = []
    n = supersample * supersample
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(supersample):
                for sx in range(supersample):
                    x = (px + (sx + 0.5) / supersample) * scale
                    y = (py + (sy + 0.5) / supersample) * scale
                    c = clock.sample(x, y)
                    if c is not None:
                        hits += 1
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                rgb = tuple(int(round(v / hits)) for v in acc)
                row.append(rgb + (int(round(255.0 * hits / n)),))
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------
# Palettes


def nearest(palette, c):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        d = (p[0] - c[0]) ** 2 + (p[1] - c[1]) ** 2 + (p[2] - c[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def palette_256(rows):
    """Black first, then every colour of the drawing rounded to a 4-step grid,
    sorted; the rest black. Fails if the drawing needs more than 256."""
    colours = set()
    for row in rows:
        for c in row:
            if c is not None:
                colours.add(tuple(min(255, (v + 2) // 4 * 4) for v in c))
    colours.discard(BLACK)
    pal = [BLACK] + sorted(colours)
    if len(pal) > 256:
        raise SystemExit("make_icon: %d colours do not fit 256" % len(pal))
    return pal + [BLACK] * (256 - len(pal))


# ---------------------------------------------------------------------------
# Writing


def image_bytes(rows, bpp, palette):
    size = len(rows)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,  # biSize
        size,  # biWidth
        size * 2,  # biHeight: colour bitmap plus mask
        1,  # biPlanes
        bpp,  # biBitCount
        0,  # biCompression = BI_RGB
        0,  # biSizeImage, filled below
        0,
        0,
        0,  # biClrUsed: all 2^bpp
        0,
    )
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)

    xor_stride = ((size * bpp + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up
        idx = [0 if c is None else nearest(palette, c) for c in row]
        line = bytearray(xor_stride)
        if bpp == 8:
            line[:size] = bytes(idx)
        elif bpp == 4:
            for i, v in enumerate(idx):
                line[i // 2] |= v << (4 if i % 2 == 0 else 0)
        else:
            raise ValueError(bpp)
        xor += line
        mline = bytearray(and_stride)
        for i, c in enumerate(row):
            if c is None:
                mline[i // 8] |= 0x80 >> (i % 8)
        mask += mline
    header = header[:20] + struct.pack("<I", len(xor) + len(mask)) + header[24:]
    return header + pal + bytes(xor) + bytes(mask)


def image_bytes_rgba(rows):
    """A 32-bpp image: BGRA rows bottom-up, no palette, and the AND mask
    (1 where nothing is drawn) for displays without alpha."""
    size = len(rows)
    xor = bytearray()
    mask = bytearray()
    and_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += struct.pack("<BBBB", b, g, r, a)
        mline = bytearray(and_stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                mline[i // 8] |= 0x80 >> (i % 8)
        mask += mline
    header = struct.pack(
        "<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0
    )
    return header + bytes(xor) + bytes(mask)


def build_icon():
    big = render(32)
    small = render_small()
    images = [
        (32, 4, image_bytes(big, 4, PALETTE_16)),
        (32, 8, image_bytes(big, 8, palette_256(big))),
        (16, 4, image_bytes(small, 4, PALETTE_16)),
        (20, 32, image_bytes_rgba(render_rgba(20))),
        (24, 32, image_bytes_rgba(render_rgba(24))),
        (32, 32, image_bytes_rgba(render_rgba(32))),
    ]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        out += struct.pack(
            "<BBBBHHII",
            size,
            size,
            16 if bpp == 4 else 0,  # bColorCount: 0 for 256 colours and more
            0,
            1,  # wPlanes
            bpp,
            len(data),
            offset,
        )
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "hourgauge.ico")
    data = build_icon()
    with open(path, "wb") as f:
        f.write(data)
    print("make_icon: wrote %s (%d bytes)" % (os.path.normpath(path), len(data)))


if __name__ == "__main__":
    main()
