#!/usr/bin/env python3
"""Draws the command images (16 x 16) and the application icon (32 x 32) as PNG files.

Only the standard library is used, so the pictures can be remade anywhere:
    python3 resources/make_images.py
writes resources/images/*.png next to this script, and the icon in the sizes of the desktop's
icon theme to resources/icons/hicolor/<size>/apps/, from where it is installed.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "images")
ICONS = os.path.join(HERE, "icons", "hicolor")
APP_ID = "org.mirvane.Velmora"

CLEAR = (0, 0, 0, 0)
BLACK = (0, 0, 0, 255)
DARK = (64, 64, 64, 255)
GREY = (128, 128, 128, 255)
SILVER = (192, 192, 192, 255)
LIGHT = (224, 224, 224, 255)
WHITE = (255, 255, 255, 255)
RED = (208, 0, 0, 255)
YELLOW = (255, 214, 0, 255)
DEEP_YELLOW = (176, 128, 0, 255)
NAVY = (0, 0, 128, 255)
BLUE = (0, 64, 200, 255)
GREEN = (0, 128, 0, 255)
DEEP_GREEN = (0, 80, 0, 255)
LIME = (64, 192, 64, 255)
BROWN = (150, 90, 40, 255)
DEEP_BROWN = (90, 50, 20, 255)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[CLEAR] * size for _ in range(size)]

    def put(self, x, y, color):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = color

    def fill(self, x0, y0, x1, y1, color):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, color)

    def frame(self, x0, y0, x1, y1, color):
        for x in range(x0, x1 + 1):
            self.put(x, y0, color)
            self.put(x, y1, color)
        for y in range(y0, y1 + 1):
            self.put(x0, y, color)
            self.put(x1, y, color)

    def disc(self, cx, cy, r, color):
        for y in range(self.size):
            for x in range(self.size):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, color)

    def bar(self, x0, y0, x1, y1, half_width, color):
        """A thick segment: every pixel whose centre lies within half_width of it."""
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        for y in range(self.size):
            for x in range(self.size):
                px, py = x + 0.5, y + 0.5
                t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / length2))
                if math.hypot(px - (x0 + t * dx), py - (y0 + t * dy)) <= half_width:
                    self.put(x, y, color)

    def art(self, x0, y0, rows, colors):
        """Copies a small picture given as text; a space leaves the pixel as it is."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != " ":
                    self.put(x0 + dx, y0 + dy, colors[ch])

    def scaled(self, size):
        """The picture at another size: each pixel repeated when growing (the stitches stay sharp),
        each block of pixels averaged when shrinking."""
        out = Canvas(size)
        if size >= self.size:
            k = size // self.size
            for y in range(size):
                for x in range(size):
                    out.pixels[y][x] = self.pixels[y // k][x // k]
            return out
        k = self.size // size
        for y in range(size):
            for x in range(size):
                block = [self.pixels[y * k + dy][x * k + dx] for dy in range(k) for dx in range(k)]
                out.pixels[y][x] = tuple((sum(p[i] for p in block) + len(block) // 2) // len(block) for i in range(4))
        return out

    def png(self, path):
        raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in self.pixels)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)  # 8-bit RGBA
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", header))
            f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
            f.write(chunk(b"IEND", b""))


def blank_page():
    c = Canvas(16)
    c.fill(3, 1, 12, 14, WHITE)
    c.frame(3, 1, 12, 14, DARK)
    # Folded top-right corner.
    c.art(9, 1, ["kkkk", "kwk ", "kwwk", "kkkkk"], {"k": DARK, "w": LIGHT})
    for y in range(1, 4):
        for x in range(10 + (y - 1) + 1, 13):
            c.put(x, y, CLEAR)
    c.put(12, 4, DARK)
    return c


def spanner_with_t():
    c = Canvas(16)
    # Spanner: a handle from the bottom left to a ring with an open jaw at the top right.
    c.bar(2.5, 13.5, 10.5, 5.5, 1.9, DARK)
    c.bar(2.5, 13.5, 10.5, 5.5, 1.0, SILVER)
    c.disc(11.5, 4.5, 4.0, DARK)
    c.disc(11.5, 4.5, 3.0, SILVER)
    c.bar(13.5, 2.5, 16.0, 0.0, 1.6, CLEAR)
    c.bar(12.0, 4.0, 16.0, 0.0, 1.0, CLEAR)
    # The red letter T.
    c.fill(0, 0, 6, 1, RED)
    c.fill(2, 2, 4, 8, RED)
    return c


def printer():
    c = Canvas(16)
    c.fill(4, 1, 11, 6, WHITE)
    c.frame(4, 1, 11, 6, DARK)
    c.fill(1, 6, 14, 11, SILVER)
    c.frame(1, 6, 14, 11, DARK)
    c.fill(2, 7, 13, 7, WHITE)
    c.put(12, 9, LIME)
    c.fill(4, 10, 11, 14, WHITE)
    c.frame(4, 10, 11, 14, DARK)
    c.fill(5, 12, 10, 12, GREY)
    return c


def question_mark():
    c = Canvas(16)
    c.disc(8, 8, 8.0, DEEP_YELLOW)
    c.disc(8, 8, 7.0, YELLOW)
    c.art(5, 3, [
        " nnnn ",
        "nn  nn",
        "    nn",
        "   nn ",
        "  nn  ",
        "  nn  ",
        "      ",
        "  nn  ",
        "  nn  ",
    ], {"n": NAVY})
    return c


def door():
    c = Canvas(16)
    c.fill(3, 0, 12, 15, DARK)        # the frame
    c.fill(4, 1, 11, 15, BROWN)       # the leaf
    c.frame(5, 2, 10, 6, DEEP_BROWN)  # panels
    c.frame(5, 8, 10, 13, DEEP_BROWN)
    c.fill(9, 7, 10, 7, YELLOW)       # the handle
    c.fill(0, 15, 15, 15, GREY)       # the threshold
    return c


def spreadsheet():
    c = Canvas(16)
    c.fill(1, 1, 14, 14, WHITE)
    c.fill(1, 1, 14, 3, GREEN)
    c.fill(1, 1, 3, 14, GREEN)
    for x in (7, 11):
        c.fill(x, 4, x, 14, LIME)
    for y in (6, 9, 12):
        c.fill(4, y, 14, y, LIME)
    c.frame(1, 1, 14, 14, DEEP_GREEN)
    return c


def table_with_title():
    c = Canvas(16)
    c.fill(0, 1, 15, 14, WHITE)
    c.fill(0, 1, 15, 4, BLUE)
    c.fill(12, 2, 14, 3, WHITE)  # a close box on the title bar
    for x in (5, 10):
        c.fill(x, 5, x, 14, SILVER)
    for y in (7, 10):
        c.fill(0, y, 15, y, SILVER)
    c.frame(0, 1, 15, 14, NAVY)
    return c


def open_folder():
    c = Canvas(16)
    c.fill(1, 3, 6, 4, DEEP_YELLOW)    # the tab
    c.fill(1, 4, 13, 13, DEEP_YELLOW)  # the back of the folder
    c.fill(2, 5, 12, 12, YELLOW)
    # The front leaf, opened towards the viewer.
    for y in range(7, 14):
        shift = (13 - y) // 3
        c.fill(3 - shift + 1, y, 15 - shift, y, YELLOW)
        c.put(3 - shift, y, DEEP_BROWN)
        c.put(15 - shift, y, DEEP_BROWN)
    c.fill(2, 7, 15, 7, DEEP_BROWN)
    c.fill(1, 13, 13, 13, DEEP_BROWN)
    return c


def floppy_disk():
    c = Canvas(16)
    c.fill(1, 1, 14, 14, NAVY)
    c.put(14, 1, CLEAR)                # the cut corner
    c.fill(4, 1, 11, 6, WHITE)         # the label
    c.fill(5, 3, 10, 3, SILVER)
    c.fill(5, 5, 10, 5, SILVER)
    c.fill(4, 9, 11, 14, SILVER)       # the shutter
    c.fill(6, 10, 7, 13, DARK)
    return c


def pdf_page(content):
    """A page with a red band that says it goes to a PDF file, over `content` drawn on it."""
    c = Canvas(16)
    c.fill(2, 0, 13, 15, WHITE)
    c.frame(2, 0, 13, 15, DARK)
    content(c)
    c.fill(0, 10, 15, 15, RED)
    c.art(1, 11, [
        "ww  ww  www",
        "w w w w w  ",
        "ww  w w ww ",
        "w   ww  w  ",
    ], {"w": WHITE})
    return c


def pdf_chart():
    def grid(c):
        for x in (5, 8, 11):
            c.fill(x, 1, x, 9, SILVER)
        for y in (3, 6, 9):
            c.fill(3, y, 12, y, SILVER)
        c.put(4, 2, BLUE)
        c.put(7, 4, GREEN)
        c.put(10, 7, RED)
    return pdf_page(grid)


def pdf_symbols():
    def rows(c):
        for y, colour in ((2, BLUE), (5, GREEN), (8, RED)):
            c.fill(4, y, 5, y + 1, colour)
            c.fill(7, y, 11, y, GREY)
    return pdf_page(rows)


def application_icon():
    """A patch of cloth with a heart sewn in cross-stitches."""
    c = Canvas(32)
    c.fill(0, 0, 31, 31, (250, 244, 226, 255))
    c.frame(0, 0, 31, 31, (180, 160, 120, 255))
    heart = [
        "........",
        ".XX..XX.",
        "XXXXXXXX",
        "XXXXXXXX",
        ".XXXXXX.",
        "..XXXX..",
        "...XX...",
        "........",
    ]
    for row, line in enumerate(heart):
        for col, ch in enumerate(line):
            if ch != "X":
                continue
            x0, y0 = col * 4, row * 4 + 1
            colour = RED if (row + col) % 3 else (160, 0, 40, 255)
            for d in range(4):
                c.put(x0 + d, y0 + d, colour)
                c.put(x0 + 3 - d, y0 + d, colour)
    return c


def pencil():
    """A pencil drawn from the top right down to its point at the bottom left."""
    c = Canvas(16)
    c.bar(13.5, 2.5, 5.5, 10.5, 2.2, DEEP_YELLOW)
    c.bar(13.5, 2.5, 5.5, 10.5, 1.2, YELLOW)
    c.bar(14.5, 1.5, 13, 3, 1.8, RED)                 # the eraser end
    c.bar(5.5, 10.5, 2.5, 13.5, 1.6, (230, 200, 150, 255))  # the sharpened wood
    c.bar(3, 13, 1.5, 14.5, 0.9, BLACK)               # the lead
    return c


def paint_bucket():
    """A tipped bucket pouring a drop of paint."""
    c = Canvas(16)
    for y in range(4, 13):
        half = 3 + (y - 4) // 3
        c.fill(8 - half, y, 8 + half - 1, y, SILVER)
        c.put(8 - half, y, DARK)
        c.put(8 + half - 1, y, DARK)
    c.fill(5, 4, 10, 4, DARK)
    c.fill(4, 12, 11, 12, DARK)
    c.fill(6, 5, 9, 6, BLUE)                          # the paint inside
    c.bar(5, 4, 8, 0.5, 0.6, DARK)                    # the handle
    c.bar(8, 0.5, 11, 4, 0.6, DARK)
    c.disc(13, 10, 2.2, BLUE)                         # the drop
    c.fill(12, 5, 13, 8, BLUE)
    return c


def eyedropper():
    """A pipette: rubber bulb at the top right, glass tube to a drop at the bottom left."""
    c = Canvas(16)
    c.bar(12.5, 3.5, 4, 12, 1.6, DARK)
    c.bar(12.5, 3.5, 4, 12, 0.8, LIGHT)
    c.disc(13, 3, 2.6, RED)
    c.bar(4, 12, 2, 14, 0.8, DARK)
    c.disc(2, 14.5, 1.3, BLUE)
    return c


def selection():
    """A dashed frame over a few stitches."""
    c = Canvas(16)
    for x, y, colour in ((5, 5, RED), (8, 5, GREEN), (5, 8, BLUE), (8, 8, RED), (10, 10, GREEN)):
        c.fill(x, y, x + 1, y + 1, colour)
    for i in range(1, 15):
        colour = BLACK if (i // 2) % 2 == 0 else WHITE
        c.put(i, 1, colour)
        c.put(i, 14, colour)
        c.put(1, i, colour)
        c.put(14, i, colour)
    return c


def backstitch():
    """A line of backstitch over the grid, from corner to corner."""
    c = Canvas(16)
    c.fill(0, 0, 15, 15, WHITE)
    for v in (0, 5, 10, 15):
        c.fill(v, 0, v, 15, SILVER)
        c.fill(0, v, 15, v, SILVER)
    c.bar(0.5, 15.5, 10.5, 5.5, 1.0, DEEP_BROWN)
    c.bar(10.5, 5.5, 15.5, 0.5, 1.0, DEEP_BROWN)
    for x, y in ((0, 15), (10, 5), (15, 0)):
        c.fill(max(x - 1, 0), max(y - 1, 0), min(x + 1, 15), min(y + 1, 15), BLACK)
    return c


def crop():
    """Two crop marks: the corners of the part kept."""
    c = Canvas(16)
    c.fill(4, 4, 11, 11, LIGHT)
    c.fill(3, 0, 4, 12, DARK)
    c.fill(3, 11, 15, 12, DARK)
    c.fill(11, 3, 12, 15, BLUE)
    c.fill(0, 3, 12, 4, BLUE)
    return c


IMAGES = {
    "file_new.png": blank_page,
    "service_options.png": spanner_with_t,
    "file_print.png": printer,
    "help_about.png": question_mark,
    "file_exit.png": door,
    "service_excel.png": spreadsheet,
    "service_dmc.png": table_with_title,
    "file_open.png": open_folder,
    "file_save.png": floppy_disk,
    "file_save_pdf.png": pdf_chart,
    "file_save_symbols_pdf.png": pdf_symbols,
    "tool_pencil.png": pencil,
    "tool_fill.png": paint_bucket,
    "tool_eyedropper.png": eyedropper,
    "tool_selection.png": selection,
    "tool_backstitch.png": backstitch,
    "tool_crop.png": crop,
    "velmora.png": application_icon,
}

# The icon theme's sizes; the icon is drawn at 32 pixels and scaled by whole factors.
ICON_SIZES = (16, 32, 64, 128, 256)

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, draw in IMAGES.items():
        draw().png(os.path.join(OUT, name))
    icon = application_icon()
    for size in ICON_SIZES:
        folder = os.path.join(ICONS, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        icon.scaled(size).png(os.path.join(folder, APP_ID + ".png"))
