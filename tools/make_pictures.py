#!/usr/bin/env python3
"""Draws the pictures of the resource libraries into OUTDIR.

    python3 tools/make_pictures.py OUTDIR

Writes the toolbar face, the wizard's side picture and symbols, the fifteen
button images of the style page, the window icon, and the odd pictures that
only the tests' own library holds. Everything is drawn from code (standard
library only) so that the output is the same byte for byte on every run.

File names are the ones data/resources/pictures.rc and tests/data/RES_TEST.rc
refer to.
"""

import math
import os
import struct
import sys

# --------------------------------------------------------------------------
# Canvas and shapes

MAGENTA = (255, 0, 255)  # the toolbar's transparent colour
BUTTON_FACE = (192, 192, 192)  # mapped to the user's 3-D face colour on loading
WHITE = (255, 255, 255)
QUARRO_BLUE = (13, 60, 140)
QUARRO_SKY = (40, 140, 200)
GOLD_LIGHT = (255, 214, 92)
GOLD_DARK = (232, 150, 20)
GOLD_RIM = (170, 100, 10)

# Greys that LoadImage(LR_LOADMAP3DCOLORS) replaces in a paletted bitmap: the
# drawing itself must not use them or they would change colour too.
MAPPED_GREYS = {(128, 128, 128), (192, 192, 192), (223, 223, 223)}

SUBSAMPLES = 4  # per axis, for anti-aliased edges


class Canvas:
    """RGBA pixels as floats; alpha 0..1. Row 0 is the top row."""

    def __init__(self, width, height, colour=(0, 0, 0), alpha=1.0):
        self.width = width
        self.height = height
        self.pixels = [[float(colour[0]), float(colour[1]), float(colour[2]), alpha]
                       for _ in range(width * height)]
        self.touched = [False] * (width * height)

    def blend(self, x, y, colour, amount):
        """Lays colour over the pixel with the given opacity (source-over)."""
        if amount <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        index = y * self.width + x
        pixel = self.pixels[index]
        below = pixel[3] * (1.0 - amount)
        out_alpha = amount + below
        for c in range(3):
            pixel[c] = (colour[c] * amount + pixel[c] * below) / out_alpha
        pixel[3] = out_alpha
        self.touched[index] = True

    def rgb(self, x, y):
        pixel = self.pixels[y * self.width + x]
        return tuple(min(255, max(0, int(round(v)))) for v in pixel[:3])

    def alpha(self, x, y):
        return self.pixels[y * self.width + x][3]


class Shape:
    """A region given by a point test and a bounding box (x0, y0, x1, y1)."""

    def __init__(self, contains, bounds):
        self.contains = contains
        self.bounds = bounds

    def __sub__(self, other):
        return Shape(lambda x, y: self.contains(x, y) and not other.contains(x, y), self.bounds)

    def __or__(self, other):
        a, b = self.bounds, other.bounds
        return Shape(lambda x, y: self.contains(x, y) or other.contains(x, y),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):
        return Shape(lambda x, y: self.contains(x, y) and other.contains(x, y), self.bounds)


def disc(cx, cy, r):
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                 (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, outer, inner):
    return disc(cx, cy, outer) - disc(cx, cy, inner)


def rounded_rect(x0, y0, x1, y1, radius):
    def contains(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        dx = max(x0 + radius - x, 0.0, x - (x1 - radius))
        dy = max(y0 + radius - y, 0.0, y - (y1 - radius))
        return dx * dx + dy * dy <= radius * radius
    return Shape(contains, (x0, y0, x1, y1))


def segment(ax, ay, bx, by, width):
    """A stroke from a to b with round ends."""
    half = width / 2.0
    length2 = (bx - ax) ** 2 + (by - ay) ** 2

    def contains(x, y):
        t = 0.0 if length2 == 0 else ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / length2
        t = min(1.0, max(0.0, t))
        px, py = ax + t * (bx - ax), ay + t * (by - ay)
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return Shape(contains, (min(ax, bx) - half, min(ay, by) - half,
                            max(ax, bx) + half, max(ay, by) + half))


def polygon(points):
    def contains(x, y):
        inside = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(contains, (min(xs), min(ys), max(xs), max(ys)))


def fill(canvas, shape, paint, opacity=1.0, smooth=True):
    """Paints the shape. paint is an (r, g, b) colour or a function (x, y) -> colour.
    Without smoothing a pixel is painted when its centre lies inside (hard edges,
    for pictures whose background is a key colour)."""
    x0, y0, x1, y1 = shape.bounds
    for y in range(max(0, int(math.floor(y0))), min(canvas.height, int(math.ceil(y1)) + 1)):
        for x in range(max(0, int(math.floor(x0))), min(canvas.width, int(math.ceil(x1)) + 1)):
            if smooth:
                hits = 0
                for sy in range(SUBSAMPLES):
                    for sx in range(SUBSAMPLES):
                        if shape.contains(x + (sx + 0.5) / SUBSAMPLES, y + (sy + 0.5) / SUBSAMPLES):
                            hits += 1
                coverage = hits / (SUBSAMPLES * SUBSAMPLES)
            else:
                coverage = 1.0 if shape.contains(x + 0.5, y + 0.5) else 0.0
            if coverage > 0.0:
                colour = paint(x + 0.5, y + 0.5) if callable(paint) else paint
                canvas.blend(x, y, colour, coverage * opacity)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def vertical_gradient(top, bottom, y0, y1):
    span = max(1e-6, y1 - y0)
    return lambda x, y: mix(top, bottom, min(1.0, max(0.0, (y - y0) / span)))


# --------------------------------------------------------------------------
# A small pixel font: 5 columns, 7 rows above the baseline, 2 rows of descender.

FONT = {
    "A": ".###. #...# #...# ##### #...# #...# #...#",
    "B": "####. #...# #...# ####. #...# #...# ####.",
    "C": ".###. #...# #.... #.... #.... #...# .###.",
    "D": "####. #...# #...# #...# #...# #...# ####.",
    "E": "##### #.... #.... ####. #.... #.... #####",
    "F": "##### #.... #.... ####. #.... #.... #....",
    "G": ".###. #...# #.... #.### #...# #...# .####",
    "H": "#...# #...# #...# ##### #...# #...# #...#",
    "I": "### .#. .#. .#. .#. .#. ###",
    "?": ".###. #...# ....# ...#. ..#.. ..... ..#..",
    "J": "..### ...#. ...#. ...#. ...#. #..#. .##..",
    "K": "#...# #..#. #.#.. ##... #.#.. #..#. #...#",
    "L": "#.... #.... #.... #.... #.... #.... #####",
    "M": "#...# ##.## #.#.# #.#.# #...# #...# #...#",
    "N": "#...# #...# ##..# #.#.# #..## #...# #...#",
    "O": ".###. #...# #...# #...# #...# #...# .###.",
    "P": "####. #...# #...# ####. #.... #.... #....",
    "Q": ".###. #...# #...# #...# #.#.# #..#. .##.#",
    "R": "####. #...# #...# ####. #.#.. #..#. #...#",
    "S": ".#### #.... #.... .###. ....# ....# ####.",
    "T": "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..",
    "U": "#...# #...# #...# #...# #...# #...# .###.",
    "V": "#...# #...# #...# #...# #...# .#.#. ..#..",
    "W": "#...# #...# #...# #.#.# #.#.# #.#.# .#.#.",
    "X": "#...# #...# .#.#. ..#.. .#.#. #...# #...#",
    "Y": "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..",
    "Z": "##### ....# ...#. ..#.. .#... #.... #####",
    "a": "..... ..... .###. ....# .#### #...# .####",
    "b": "#.... #.... #.##. ##..# #...# #...# ####.",
    "c": "..... ..... .###. #.... #.... #...# .###.",
    "d": "....# ....# .##.# #..## #...# #...# .####",
    "e": "..... ..... .###. #...# ##### #.... .###.",
    "f": "..##. .#..# .#... ###.. .#... .#... .#...",
    "g": "..... ..... .#### #...# #...# #...# .#### ....# .###.",
    "h": "#.... #.... #.##. ##..# #...# #...# #...#",
    "i": ".#. ... ##. .#. .#. .#. ###",
    "j": "...#. ..... ..##. ...#. ...#. ...#. ...#. #..#. .##..",
    "k": "#... #... #..# #.#. ##.. #.#. #..#",
    "l": "##. .#. .#. .#. .#. .#. ###",
    "m": "..... ..... ##.#. #.#.# #.#.# #.#.# #.#.#",
    "n": "..... ..... #.##. ##..# #...# #...# #...#",
    "o": "..... ..... .###. #...# #...# #...# .###.",
    "p": "..... ..... ####. #...# #...# #...# ####. #.... #....",
    "q": "..... ..... .#### #...# #...# #...# .#### ....# ....#",
    "r": "..... ..... #.##. ##..# #.... #.... #....",
    "s": "..... ..... .###. #.... .###. ....# ####.",
    "t": ".#.. .#.. ###. .#.. .#.. .#.# ..#.",
    "u": "..... ..... #...# #...# #...# #..## .##.#",
    "v": "..... ..... #...# #...# #...# .#.#. ..#..",
    "w": "..... ..... #...# #...# #.#.# #.#.# .#.#.",
    "x": "..... ..... #...# .#.#. ..#.. .#.#. #...#",
    "y": "..... ..... #...# #...# #...# #...# .#### ....# .###.",
    "z": "..... ..... ##### ...#. ..#.. .#... #####",
    "0": ".###. #...# #..## #.#.# ##..# #...# .###.",
    "1": "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.",
    "2": ".###. #...# ....# ...#. ..#.. .#... #####",
    "3": "##### ...#. ..#.. ...#. ....# #...# .###.",
    "4": "...#. ..##. .#.#. #..#. ##### ...#. ...#.",
    "5": "##### #.... ####. ....# ....# #...# .###.",
    "6": "..##. .#... #.... ####. #...# #...# .###.",
    "7": "##### ....# ...#. ..#.. .#... .#... .#...",
    "8": ".###. #...# #...# .###. #...# #...# .###.",
    "9": ".###. #...# #...# .#### ....# ...#. .##..",
    ".": ". . . . . # #",
    ",": ".. .. .. .. .. .# #.",
    "!": "# # # # # . #",
    "-": "... ... ... ### ... ... ...",
    " ": "... ... ... ... ... ... ...",
}
CAP_HEIGHT = 7


def glyph(char):
    return FONT[char].split(" ")


def text_size(text, scale_x=1, scale_y=1, bold=False):
    """Width and cap height in pixels of a line of text."""
    width = 0
    for i, char in enumerate(text):
        width += len(glyph(char)[0]) * scale_x + (1 if bold else 0)
        if i + 1 < len(text):
            width += scale_x
    return width, CAP_HEIGHT * scale_y


def draw_text(canvas, text, x, y, colour, scale_x=1, scale_y=1, bold=False):
    """Draws text with its top-left corner at (x, y); bold thickens strokes by a pixel."""
    for char in text:
        rows = glyph(char)
        for row, line in enumerate(rows):
            padded = line + ".."
            for col, bit in enumerate(line):
                if bit != "#":
                    continue
                width = scale_x
                # At single width a one-pixel gap between two strokes (as in "m")
                # must stay open, or the letter turns into a block.
                if bold and (scale_x > 1 or not (padded[col + 1] == "." and padded[col + 2] == "#")):
                    width += 1
                for dy in range(scale_y):
                    for dx in range(width):
                        canvas.blend(x + col * scale_x + dx, y + row * scale_y + dy, colour, 1.0)
        x += len(rows[0]) * scale_x + (1 if bold else 0) + scale_x


def draw_text_centred(canvas, text, cx, cy, colour, scale_x, scale_y, bold, shadow=None):
    width, height = text_size(text, scale_x, scale_y, bold)
    x = int(round(cx - width / 2.0))
    y = int(round(cy - height / 2.0))
    if shadow:
        draw_text(canvas, text, x + 1, y + 1, shadow, scale_x, scale_y, bold)
    draw_text(canvas, text, x, y, colour, scale_x, scale_y, bold)


# --------------------------------------------------------------------------
# The Quarro coin: a gold disc with a rim and a blue "Q".

def draw_q(canvas, cx, cy, size, colour, smooth=True):
    """A round "Q" whose ring has the outer radius size."""
    thickness = size * 0.34
    fill(canvas, ring(cx, cy, size, size - thickness), colour, smooth=smooth)
    fill(canvas, segment(cx + size * 0.25, cy + size * 0.25, cx + size * 1.0, cy + size * 1.0,
                         thickness), colour, smooth=smooth)


def draw_coin(canvas, cx, cy, r, smooth=True):
    fill(canvas, disc(cx, cy, r), GOLD_RIM, smooth=smooth)
    fill(canvas, disc(cx, cy, r * 0.86),
         vertical_gradient(GOLD_LIGHT, GOLD_DARK, cy - r, cy + r), smooth=smooth)
    if smooth:
        # A soft highlight across the upper left of the face.
        fill(canvas, disc(cx - r * 0.25, cy - r * 0.3, r * 0.45), WHITE, opacity=0.25)
    draw_q(canvas, cx - r * 0.06, cy - r * 0.08, r * 0.5, QUARRO_BLUE, smooth=smooth)


def coin_with_arrow(canvas, coin, shadow, badge, arrow_size):
    """The coin (cx, cy, r) over its shadow ((cx, cy, r), colour, opacity), with a
    green badge (cx, cy, outer radius, inner radius, half the gradient's height)
    that holds a white arrow (length, width)."""
    (sx, sy, sr), colour, opacity = shadow
    fill(canvas, disc(sx, sy, sr), colour, opacity=opacity)
    draw_coin(canvas, *coin)
    bx, by, outer, inner, half = badge
    fill(canvas, disc(bx, by, outer), WHITE)
    fill(canvas, disc(bx, by, inner),
         vertical_gradient((70, 190, 90), (30, 130, 55), by - half, by + half))
    fill(canvas, arrow(bx, by, *arrow_size), WHITE)


def arrow(cx, cy, length, width):
    """A right-pointing arrow centred on (cx, cy)."""
    head = width * 1.9
    left, right = cx - length / 2.0, cx + length / 2.0
    neck = right - head * 0.9
    return polygon([(left, cy - width / 2.0), (neck, cy - width / 2.0), (neck, cy - head / 2.0),
                    (right, cy), (neck, cy + head / 2.0), (neck, cy + width / 2.0),
                    (left, cy + width / 2.0)])


# --------------------------------------------------------------------------
# The pictures of the resource libraries

def toolbar_face():
    """16 x 16 on magenta: hard edges only, or the edge pixels would be pink and
    would not count as transparent in the face mask."""
    canvas = Canvas(16, 16, MAGENTA)
    fill(canvas, disc(8, 8, 7.95), GOLD_RIM, smooth=False)
    fill(canvas, disc(8, 8, 6.9), vertical_gradient(GOLD_LIGHT, GOLD_DARK, 1, 15), smooth=False)
    draw_text(canvas, "Q", 5, 4, QUARRO_BLUE, bold=True)
    return canvas


def side_picture():
    """The tall picture down the left of the welcome and completion pages."""
    width, height = 164, 314
    canvas = Canvas(width, height)
    top, bottom = QUARRO_BLUE, QUARRO_SKY
    for y in range(height):
        colour = mix(top, bottom, y / (height - 1))
        for x in range(width):
            canvas.blend(x, y, colour, 1.0)
    # Light diagonal bands.
    for offset, opacity in ((40, 0.06), (120, 0.05), (230, 0.04)):
        fill(canvas, polygon([(0, offset), (width, offset - 90), (width, offset - 40),
                              (0, offset + 50)]), WHITE, opacity=opacity)
    # A large ring with a Q, and coins rising towards it.
    fill(canvas, ring(82, 118, 58, 50), WHITE, opacity=0.22)
    draw_q(canvas, 80, 116, 30, WHITE)
    for cx, cy, r in ((46, 240, 11), (78, 214, 8), (102, 196, 5.5)):
        fill(canvas, disc(cx + 1.5, cy + 2, r), (5, 30, 80), opacity=0.35)  # shadow
        draw_coin(canvas, cx, cy, r)
    draw_text_centred(canvas, "Quarro", width / 2.0, 284, WHITE, 2, 2, True,
                      shadow=(8, 40, 100))
    return canvas


def page_symbol():
    """48 x 48 on white: the coin with a green arrow badge (welcome, completion)."""
    canvas = Canvas(48, 48, WHITE)
    coin_with_arrow(canvas, (21, 21, 19), ((23, 24, 19), (200, 200, 210), 0.5),
                    (37, 37, 10, 8.5, 9), (11, 3.2))
    return canvas


def header_symbol():
    """48 x 48 on white: an envelope carrying a coin (page headers, About box)."""
    canvas = Canvas(48, 48, WHITE)
    body = rounded_rect(3, 11, 41, 38, 2.5)
    fill(canvas, body, (70, 90, 130))
    fill(canvas, rounded_rect(4.2, 12.2, 39.8, 36.8, 1.8),
         vertical_gradient((250, 252, 255), (214, 226, 244), 12, 37))
    fill(canvas, segment(5, 13.5, 22, 27, 1.6), (70, 90, 130))
    fill(canvas, segment(39, 13.5, 22, 27, 1.6), (70, 90, 130))
    fill(canvas, segment(5, 35.5, 17, 24, 1.2), (140, 160, 195))
    fill(canvas, segment(39, 35.5, 27, 24, 1.2), (140, 160, 195))
    fill(canvas, disc(35, 35, 12.5), WHITE)
    draw_coin(canvas, 35, 35, 11)
    return canvas


def icon_image(size):
    """The window icon on a transparent background."""
    canvas = Canvas(size, size, (0, 0, 0), alpha=0.0)
    if size <= 16:
        fill(canvas, disc(8, 8, 7.6), GOLD_RIM)
        fill(canvas, disc(8, 8, 6.6), vertical_gradient(GOLD_LIGHT, GOLD_DARK, 1, 15))
        draw_text(canvas, "Q", 5, 4, QUARRO_BLUE, bold=True)
    else:
        r = size / 2.0 - 1
        draw_coin(canvas, size / 2.0, size / 2.0, r)
    return canvas


def ribbon_button():
    """32 x 32 on a transparent background: the coin with the green arrow badge,
    the large button of the ribbon group."""
    canvas = Canvas(32, 32, (0, 0, 0), alpha=0.0)
    coin_with_arrow(canvas, (14, 14, 13), ((15.5, 16.5, 13.5), (60, 60, 80), 0.3),
                    (24.5, 24.5, 7.2, 6, 6.5), (7.5, 2.2))
    return canvas


def ribbon_help():
    """16 x 16 on a transparent background: a blue disc with a white "?" (Help in
    the group's menu)."""
    canvas = Canvas(16, 16, (0, 0, 0), alpha=0.0)
    fill(canvas, disc(8, 8, 7.5), vertical_gradient((90, 150, 235), (20, 72, 160), 0, 16))
    draw_text(canvas, "?", 6, 4, WHITE, bold=True)
    return canvas


# Button images of the style page: id, text, size, colours (top, bottom, border).
BUTTON_STYLES = {
    "General": ((66, 133, 224), (20, 72, 160), (12, 48, 110)),
    "Product": ((72, 178, 98), (28, 118, 52), (18, 82, 36)),
    "Service": ((132, 96, 206), (82, 48, 150), (56, 30, 106)),
    "Auction": ((246, 154, 56), (206, 104, 12), (150, 72, 6)),
    "Donation": ((230, 84, 110), (168, 28, 58), (120, 18, 40)),
}
BUTTONS = [
    (5001, "General", "Pay now", "large"),
    (5002, "General", "Pay now", "small"),
    (5003, "General", "Pay", "quarro"),
    (5011, "Product", "Buy now", "large"),
    (5012, "Product", "Buy now", "small"),
    (5013, "Product", "Buy", "quarro"),
    (5021, "Service", "Pay invoice", "large"),
    (5022, "Service", "Pay invoice", "small"),
    (5023, "Service", "Pay", "quarro"),
    (5031, "Auction", "Pay for item", "large"),
    (5032, "Auction", "Pay for item", "small"),
    (5033, "Auction", "Pay", "quarro"),
    (5041, "Donation", "Donate", "large"),
    (5042, "Donation", "Donate", "small"),
    (5043, "Donation", "Donate", "quarro"),
]
BUTTON_SIZES = {"large": (120, 36), "small": (88, 26), "quarro": (150, 44)}

# Text renderings from the largest down: scale x, scale y, bold.
TEXT_STYLES = [(2, 2, True), (1, 2, True), (1, 1, True), (1, 1, False)]


def button_frame(canvas, top, bottom, border):
    width, height = canvas.width, canvas.height
    radius = height / 4.0
    fill(canvas, rounded_rect(0, 0, width, height, radius), border)
    fill(canvas, rounded_rect(1, 1, width - 1, height - 1, radius - 1),
         vertical_gradient(top, bottom, 1, height - 1))
    # Gloss on the upper half.
    fill(canvas, rounded_rect(2, 2, width - 2, height / 2.0, radius - 2), WHITE, opacity=0.18)


def coloured_button(text, size, colours):
    width, height = BUTTON_SIZES[size]
    canvas = Canvas(width, height, BUTTON_FACE)
    top, bottom, border = colours
    button_frame(canvas, top, bottom, border)
    margin = 8 if size == "large" else 6
    for scale_x, scale_y, bold in TEXT_STYLES:
        text_width, text_height = text_size(text, scale_x, scale_y, bold)
        if text_width <= width - 2 * margin and text_height <= height - 10:
            break
    draw_text_centred(canvas, text, width / 2.0, height / 2.0, WHITE, scale_x, scale_y, bold,
                      shadow=border)
    return canvas


def quarro_button(verb):
    """"<verb> with Quarro": the gold button with the blue coin."""
    width, height = BUTTON_SIZES["quarro"]
    canvas = Canvas(width, height, BUTTON_FACE)
    button_frame(canvas, (255, 220, 110), (245, 170, 35), (180, 110, 10))
    cx, cy, r = 25, height / 2.0, 14
    fill(canvas, disc(cx, cy, r), QUARRO_BLUE)
    fill(canvas, disc(cx, cy, r - 1.5), vertical_gradient((50, 110, 200), QUARRO_BLUE,
                                                          cy - r, cy + r))
    draw_q(canvas, cx - 0.8, cy - 1, r * 0.52, WHITE)
    text_left = cx + r + 6
    centre = (text_left + width - 8) / 2.0
    draw_text_centred(canvas, verb + " with", centre, 13, QUARRO_BLUE, 1, 1, True)
    draw_text_centred(canvas, "Quarro", centre, 28, QUARRO_BLUE, 2, 2, True,
                      shadow=(255, 236, 170))
    return canvas


def button_image(text, style, size):
    if size == "quarro":
        return quarro_button(text)
    return coloured_button(text, size, BUTTON_STYLES[style])


# --------------------------------------------------------------------------
# Pictures for the tests' own library

TEST_PALETTE = [(0, 0, 0), (128, 128, 128), (192, 192, 192), (223, 223, 223), (255, 255, 255),
                (200, 30, 40), (20, 110, 60)]
# 8 x 4, every palette entry used; rows listed top first.
TEST_PATTERN = [
    [1, 1, 2, 2, 3, 3, 4, 4],
    [0, 1, 2, 3, 4, 5, 6, 0],
    [5, 5, 6, 6, 1, 2, 3, 0],
    [6, 5, 4, 3, 2, 1, 0, 5],
]


def test_face():
    """16 x 16: magenta at the four corners, down the main diagonal and at (12, 3);
    a near-magenta (254, 0, 255) at (1, 14) and (255, 0, 254) at (14, 1), which a
    sloppy colour match would take for transparent; grey and blue elsewhere."""
    canvas = Canvas(16, 16, (40, 90, 200))
    for y in range(16):
        for x in range(16):
            if (x + y) % 2:
                canvas.blend(x, y, (160, 160, 160), 1.0)
    magenta = [(0, 0), (15, 0), (0, 15), (15, 15), (12, 3)] + [(i, i) for i in range(16)]
    for x, y in magenta:
        canvas.blend(x, y, MAGENTA, 1.0)
    canvas.blend(1, 14, (254, 0, 255), 1.0)
    canvas.blend(14, 1, (255, 0, 254), 1.0)
    return canvas


# --------------------------------------------------------------------------
# File formats

def bmp_file(width, height, bit_count, palette, rows):
    """A BITMAPFILEHEADER, a BITMAPINFOHEADER, the colour table and the rows
    (given top first, each already packed), stored bottom-up and padded to 4 bytes."""
    stride = (width * bit_count + 31) // 32 * 4
    data = b"".join(row + b"\0" * (stride - len(row)) for row in reversed(rows))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0, len(data), 3780, 3780,
                       len(palette), len(palette))
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + table + data


def bmp24(canvas):
    rows = []
    for y in range(canvas.height):
        row = bytearray()
        for x in range(canvas.width):
            r, g, b = canvas.rgb(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    return bmp_file(canvas.width, canvas.height, 24, [], rows)


def bmp32(canvas):
    """32 bpp with an alpha channel, the colours premultiplied by it as
    AlphaBlend takes them (BLENDFUNCTION, AC_SRC_ALPHA)."""
    rows = []
    for y in range(canvas.height):
        row = bytearray()
        for x in range(canvas.width):
            a = canvas.alpha(x, y)
            r, g, b = (int(round(v * a)) for v in canvas.rgb(x, y))
            row += bytes((b, g, r, int(round(a * 255))))
        rows.append(bytes(row))
    return bmp_file(canvas.width, canvas.height, 32, [], rows)


def bmp8(width, height, palette, indices):
    rows = [bytes(indices[y * width:(y + 1) * width]) for y in range(height)]
    return bmp_file(width, height, 8, palette, rows)


def indexed(canvas, background):
    """Palette and indices for a paletted bitmap. Untouched pixels keep the exact
    background; drawn pixels never take one of the 3-D greys, so only the
    background follows the user's colour scheme."""
    colours = []
    for index in range(canvas.width * canvas.height):
        x, y = index % canvas.width, index // canvas.width
        colour = canvas.rgb(x, y)
        if not canvas.touched[index]:
            colour = background
        elif colour in MAPPED_GREYS:
            colour = (colour[0], colour[1], colour[2] + 1)
        colours.append(colour)
    shift = 0
    while True:
        def reduce(c):
            if c == background or shift == 0:
                return c
            step = 1 << shift
            return tuple(min(255, (v >> shift << shift) + step // 2) for v in c)
        reduced = [reduce(c) for c in colours]
        palette = [background]
        for c in reduced:
            if c not in palette:
                palette.append(c)
        if len(palette) <= 256:
            break
        shift += 1
    lookup = {c: i for i, c in enumerate(palette)}
    return palette, [lookup[c] for c in reduced]


def ico_file(canvases):
    """An icon file of 32-bpp images, each with its AND mask (set = transparent)."""
    images = []
    for canvas in canvases:
        size = canvas.width
        xor_rows, and_rows = [], []
        for y in range(size):
            row = bytearray()
            mask = 0
            mask_row = bytearray()
            for x in range(size):
                r, g, b = canvas.rgb(x, y)
                a = int(round(canvas.alpha(x, y) * 255))
                if a == 0:
                    r = g = b = 0
                row += bytes((b, g, r, a))
                mask = (mask << 1) | (1 if a < 128 else 0)
                if x % 8 == 7:
                    mask_row.append(mask)
                    mask = 0
            xor_rows.append(bytes(row))
            mask_stride = (size + 31) // 32 * 4
            and_rows.append(bytes(mask_row) + b"\0" * (mask_stride - len(mask_row)))
        pixels = b"".join(reversed(xor_rows)) + b"".join(reversed(and_rows))
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels), 0, 0, 0, 0)
        images.append((size, info + pixels))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return directory + entries + blobs


# --------------------------------------------------------------------------

def pictures():
    """Every file name with its bytes."""
    files = {
        "face2003.bmp": bmp24(toolbar_face()),
        "ribbon2004.bmp": bmp32(ribbon_button()),
        "ribbon2005.bmp": bmp32(ribbon_help()),
        "side3001.bmp": bmp24(side_picture()),
        "symbol3002.bmp": bmp24(page_symbol()),
        "header3003.bmp": bmp24(header_symbol()),
        "icon4001.ico": ico_file([icon_image(16), icon_image(32)]),
    }
    for number, style, text, size in BUTTONS:
        canvas = button_image(text, style, size)
        palette, indices = indexed(canvas, BUTTON_FACE)
        files["button%d.bmp" % number] = bmp8(canvas.width, canvas.height, palette, indices)

    # The tests' library: a paletted picture and the same picture in 24 bpp.
    indices = [i for row in TEST_PATTERN for i in row]
    files["test9101.bmp"] = bmp8(8, 4, TEST_PALETTE, indices)
    grey = Canvas(8, 4)
    for y, row in enumerate(TEST_PATTERN):
        for x, i in enumerate(row):
            grey.blend(x, y, TEST_PALETTE[i], 1.0)
    files["test9102.bmp"] = bmp24(grey)
    files["test9103.bmp"] = bmp24(test_face())
    # 30001 x 1 at 1 bpp: every seventh pixel set.
    width = 30001
    bits = bytearray((width + 7) // 8)
    for x in range(0, width, 7):
        bits[x // 8] |= 0x80 >> (x % 8)
    files["test9104.bmp"] = bmp_file(width, 1, 1, [(0, 0, 0), (255, 255, 255)], [bytes(bits)])
    return files


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_pictures.py OUTDIR\n")
        return 2
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, data in sorted(pictures().items()):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
