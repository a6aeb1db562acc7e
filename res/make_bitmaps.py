#!/usr/bin/env python3
"""Draws the library's bitmap resources into res/bitmaps/<id>.bmp.

101-111: the 13 x 13 buttons of the tab strip (16 colours): close, scroll left and
scroll right, each flat, raised, pressed and (for the scroll buttons) disabled.
117: the 582 x 341 picture (24 bits per pixel) the main window shows with no track open.

Run from anywhere: python3 res/make_bitmaps.py. Needs only the standard library; the
output is deterministic, so re-running it changes nothing unless the drawing changes.
"""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bitmaps")

# ---------------------------------------------------------------- BMP writing


def bmp_header(width, height, bits, palette_entries, image_size):
    offset = 14 + 40 + 4 * palette_entries
    file_header = struct.pack("<2sIHHI", b"BM", offset + image_size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 2835, 2835,
                       palette_entries, 0)
    return file_header + info


def write_4bit(path, pixels, palette):
    """pixels: rows top to bottom of palette indexes 0..15."""
    height, width = len(pixels), len(pixels[0])
    stride = ((width * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for x in range(0, width, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < width else 0
            line.append(hi << 4 | lo)
        line.extend(b"\0" * (stride - len(line)))
        data.extend(line)
    pal = bytearray()
    for i in range(16):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        pal.extend(bytes((b, g, r, 0)))
    with open(path, "wb") as f:
        f.write(bmp_header(width, height, 4, 16, len(data)) + pal + data)


def write_24bit(path, pixels, width, height):
    """pixels: a flat list of (r, g, b), rows top to bottom."""
    stride = ((width * 24 + 31) // 32) * 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = pixels[y * width + x]
            line.extend(bytes((b, g, r)))
        line.extend(b"\0" * (stride - len(line)))
        data.extend(line)
    with open(path, "wb") as f:
        f.write(bmp_header(width, height, 24, 0, len(data)) + data)


# ---------------------------------------------------------------- tab-strip buttons

STRIP, WHITE, SHADOW, GLYPH, FACE, FACE_DOWN, DISABLED, CLOSE_HOT, DARK = range(1, 10)
PALETTE = [
    (0, 0, 0),
    (255, 251, 233),  # strip background: the flat look blends into the strip
    (255, 255, 255),  # highlight edge
    (150, 146, 132),  # shadow edge
    (60, 60, 60),     # glyph
    (246, 242, 226),  # raised face
    (222, 217, 198),  # pressed face
    (172, 168, 153),  # disabled glyph
    (196, 43, 28),    # close glyph under the pointer
    (96, 93, 84),     # pressed outer edge
]
SIZE = 13


def close_glyph():
    """A 2-pixel X in the middle 7 x 7 pixels."""
    cells = set()
    for i in range(7):
        for dx in (0, 1):
            if i + dx < 7:
                cells.add((3 + i + dx, 3 + i))
                cells.add((3 + 6 - i - dx, 3 + i))
    return cells


def arrow_glyph(pointing_left):
    """A solid triangle 4 wide and 7 high, centred."""
    cells = set()
    for col in range(4):
        half = col  # the tip is one pixel, each column further grows by one pixel up and down
        x = 4 + col if pointing_left else 8 - col
        for y in range(6 - half, 6 + half + 1):
            cells.add((x, y))
    return cells


def button(glyph, look, glyph_colour=GLYPH):
    px = [[STRIP] * SIZE for _ in range(SIZE)]
    shift = 0
    if look == "raised":
        for y in range(SIZE):
            for x in range(SIZE):
                px[y][x] = FACE
        for i in range(SIZE):
            px[0][i] = WHITE
            px[i][0] = WHITE
            px[SIZE - 1][i] = SHADOW
            px[i][SIZE - 1] = SHADOW
    elif look == "pressed":
        for y in range(SIZE):
            for x in range(SIZE):
                px[y][x] = FACE_DOWN
        for i in range(SIZE):
            px[0][i] = DARK
            px[i][0] = DARK
            px[SIZE - 1][i] = WHITE
            px[i][SIZE - 1] = WHITE
        shift = 1
    for (x, y) in glyph:
        if look == "disabled":
            if x + 1 < SIZE and y + 1 < SIZE:
                px[y + 1][x + 1] = WHITE  # engraved look
        else:
            px[y + shift][x + shift] = glyph_colour
    if look == "disabled":
        for (x, y) in glyph:
            px[y][x] = DISABLED
    return px


def make_buttons():
    x = close_glyph()
    left = arrow_glyph(True)
    right = arrow_glyph(False)
    buttons = {
        101: button(x, "raised", CLOSE_HOT),
        102: button(x, "flat"),
        103: button(x, "pressed", CLOSE_HOT),
        104: button(left, "flat"),
        105: button(left, "raised"),
        106: button(left, "pressed"),
        107: button(left, "disabled"),
        108: button(right, "disabled"),
        109: button(right, "flat"),
        110: button(right, "raised"),
        111: button(right, "pressed"),
    }
    for ident, px in buttons.items():
        write_4bit(os.path.join(OUT, "%d.bmp" % ident), px, PALETTE)


# ---------------------------------------------------------------- the picture

# A 5 x 7 pixel font for the texts of the picture.
FONT = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    "3": ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    " ": ["00000"] * 7,
    ",": ["00000", "00000", "00000", "00000", "00110", "00100", "01000"],
    ".": ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
}


class Canvas:
    def __init__(self, width, height):
        self.w, self.h = width, height
        self.px = [(0, 0, 0)] * (width * height)

    def set(self, x, y, colour):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = colour

    def get(self, x, y):
        return self.px[y * self.w + x]

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.w and 0 <= y < self.h and alpha > 0:
            a = min(alpha, 1.0)
            r, g, b = self.get(x, y)
            self.set(x, y, (round(r + (colour[0] - r) * a), round(g + (colour[1] - g) * a),
                            round(b + (colour[2] - b) * a)))

    def rect(self, x0, y0, x1, y1, colour, alpha=1.0):
        for y in range(max(y0, 0), min(y1, self.h)):
            for x in range(max(x0, 0), min(x1, self.w)):
                self.blend(x, y, colour, alpha)

    def text(self, x, y, text, scale, colour):
        for ch in text.upper():
            glyph = FONT[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == "1":
                        self.rect(x + gx * scale, y + gy * scale, x + (gx + 1) * scale, y + (gy + 1) * scale,
                                  colour)
            x += 6 * scale

    @staticmethod
    def text_width(text, scale):
        return len(text) * 6 * scale - scale


def make_picture():
    w, h = 582, 341
    c = Canvas(w, h)
    # Background: a deep blue-grey that darkens toward the bottom, as the track view's
    # black does not yet show.
    for y in range(h):
        t = y / (h - 1)
        colour = (round(38 - 20 * t), round(44 - 24 * t), round(54 - 28 * t))
        for x in range(w):
            c.px[y * w + x] = colour
    # A faint grid like the track view's time ruler.
    for x in range(0, w, 14):
        c.rect(x, 0, x + 1, h, (255, 255, 255), 0.035 if x % 70 else 0.07)

    # Two waveform bands: a stereo signal drawn as min/max columns in the view's green.
    green = (0, 255, 90)
    bands = [(96, 34), (176, 34)]
    for band, (centre, amp) in enumerate(bands):
        c.rect(40, centre, w - 40, centre + 1, green, 0.35)
        for x in range(40, w - 40):
            t = (x - 40) / (w - 80)
            envelope = math.sin(math.pi * t) ** 0.7 * (0.55 + 0.45 * math.sin(9.0 * t + band))
            wobble = 0.5 + 0.5 * math.sin(x * 0.9 + band * 2.1) * math.sin(x * 0.13)
            a = amp * envelope * (0.45 + 0.55 * abs(wobble))
            top, bottom = int(centre - a), int(centre + a * (0.9 + 0.1 * math.sin(x * 0.31)))
            for y in range(top, bottom + 1):
                fade = 1.0 - abs(y - centre) / (amp + 1) * 0.5
                c.blend(x, y, green, 0.85 * fade)
    # A highlighted selection over part of the waveform, as the editor draws it.
    c.rect(300, 60, 392, 212, (255, 255, 255), 0.18)
    c.rect(300, 52, 392, 57, (115, 193, 117), 0.9)
    c.rect(220, 60, 221, 212, (255, 0, 30), 0.9)

    # Title and hint, centred, with a soft shadow.
    title = "WaveDeck"
    hint = "Open an audio file to start editing"
    sub = "WAV, AIFF, OGG, MP3, WMA OR A CD TRACK"
    for text, scale, y, colour in ((title, 5, 232, (236, 240, 244)), (hint, 2, 282, (190, 198, 206)),
                                   (sub, 1, 306, (128, 138, 150))):
        x = (w - Canvas.text_width(text, scale)) // 2
        c.text(x + 1, y + 1, text, scale, (8, 10, 12))
        c.text(x, y, text, scale, colour)
    write_24bit(os.path.join(OUT, "117.bmp"), c.px, w, h)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    make_buttons()
    make_picture()
