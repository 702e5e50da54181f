#!/usr/bin/env python3
"""Draws the program's icons, cursors and bitmaps and writes them as .ico,
.cur and .bmp files for the resource scripts.

    make_art.py <output directory>

Everything is drawn here from simple shapes on 16 x 16 cells (icons are drawn
from scalable outlines), so the pictures have one source and no binary files
are kept in the tree.  Standard library only.

Image strips (one 16 x 16 cell per image, left to right):
  toolbar.bmp          viewer toolbar, one cell per command of toolbar 121
  browser_toolbar.bmp  browser toolbar, one cell per command of toolbar 124
  menu_images.bmp      images the menu painter draws beside menu items
  tab_images.bmp       the six tabs of the browser's list area
The toolbar strips sit on button-face grey (192,192,192), which the toolbar
control maps to the system colour; the other two on pure blue (0,0,255), the
image lists' transparent colour.  No drawing uses either colour itself.

Also: the product icons, one icon per picture type (type_<name>.ico), the
four 64 x 64 thumbnail frames (thumb_frame0.bmp to thumb_frame3.bmp) and the
two hand cursors and the magnifier over a selection.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Colours.  Kept apart from the two background colours above.
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
PALE = (224, 224, 224)
SHADE = (96, 96, 96)
BLUE = (24, 72, 200)
NAVY = (0, 0, 128)
SKY = (150, 200, 255)
NIGHT = (16, 24, 88)
GREEN = (0, 144, 0)
LEAF = (96, 200, 64)
DARK_GREEN = (0, 96, 0)
RED = (208, 32, 32)
DARK_RED = (128, 0, 0)
YELLOW = (255, 216, 0)
FOLDER = (240, 200, 72)
FOLDER_DARK = (176, 128, 16)
BROWN = (128, 72, 24)
LENS = (200, 232, 255)
MOON = (255, 250, 200)

FACE = (192, 192, 192)       # toolbar background, mapped to COLOR_BTNFACE
MASK_BLUE = (0, 0, 255)      # image-list transparent colour

CELL = 16


class Canvas:
    """A grid of colours; None is transparent."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[None] * width for _ in range(height)]
        self.ox = 0                      # origin of the cell being drawn
        self.oy = 0

    def cell(self, index):
        self.ox = index * CELL
        self.oy = 0
        return self

    def px(self, x, y, c):
        x += self.ox
        y += self.oy
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.px(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.px(x, y0, c)
            self.px(x, y1, c)
        for y in range(y0, y1 + 1):
            self.px(x0, y, c)
            self.px(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            self.px(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def shape(self, inside, c, x0=0, y0=0, x1=CELL - 1, y1=CELL - 1):
        """Fills every pixel of the box whose centre satisfies inside(x, y)."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if inside(x + 0.5, y + 0.5):
                    self.px(x, y, c)

    def disc(self, cx, cy, r, c):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c)

    def ring(self, cx, cy, r_in, r_out, c, gap=None):
        """A ring; gap = (from, to) angles in degrees (0 = right, 90 = up)
        that are left open."""
        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if not r_in * r_in <= d <= r_out * r_out:
                return False
            if gap:
                a = math.degrees(math.atan2(cy - y, x - cx)) % 360
                if gap[0] <= a <= gap[1]:
                    return False
            return True
        self.shape(inside, c)

    def polygon(self, points, c, outline=None):
        self.shape(lambda x, y: inside_polygon(points, x, y), c)
        if outline:
            n = len(points)
            for i in range(n):
                (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
                self.line(int(ax), int(ay), int(bx), int(by), outline)

    def art(self, rows, colours, x0=0, y0=0):
        for y, row in enumerate(rows):
            for x, ch in enumerate(row):
                if ch in colours:
                    self.px(x0 + x, y0 + y, colours[ch])


def inside_polygon(points, x, y):
    result = False
    n = len(points)
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        if (ay > y) != (by > y):
            if x < ax + (y - ay) * (bx - ax) / (by - ay):
                result = not result
    return result


# ---------------------------------------------------------------------------
# 16 x 16 glyphs.  Each draws into the current cell of a canvas.

def arrow(c, direction, fill, outline, box=(1, 3, 14, 12)):
    """A bold arrow filling box (x0, y0, x1, y1) pointing left or right."""
    x0, y0, x1, y1 = box
    mid = (y0 + y1 + 1) / 2
    head = x0 + (x1 - x0 + 1) / 2
    stem0, stem1 = y0 + (y1 - y0 + 1) / 4, y1 + 1 - (y1 - y0 + 1) / 4
    pts = [(x0, mid), (head, y0), (head, stem0), (x1 + 1, stem0),
           (x1 + 1, stem1), (head, stem1), (head, y1 + 1)]
    if direction == 'right':
        pts = [(x0 + x1 + 1 - px, py) for px, py in pts]
    c.polygon(pts, fill)
    c.polygon(pts, fill, outline)


def vertical_arrow(c, direction, fill, outline, box):
    x0, y0, x1, y1 = box
    mid = (x0 + x1 + 1) / 2
    head = y0 + (y1 - y0 + 1) / 2
    stem0, stem1 = x0 + (x1 - x0 + 1) / 4, x1 + 1 - (x1 - x0 + 1) / 4
    pts = [(mid, y0), (x1 + 1, head), (stem1, head), (stem1, y1 + 1),
           (stem0, y1 + 1), (stem0, head), (x0, head)]
    if direction == 'down':
        pts = [(px, y0 + y1 + 1 - py) for px, py in pts]
    c.polygon(pts, fill, outline)


def page(c, x0=3, y0=1, x1=12, y1=14, lines=True):
    """A sheet with its top right corner folded down."""
    c.rect(x0, y0, x1 - 4, y1, WHITE)
    c.rect(x1 - 3, y0 + 4, x1, y1, WHITE)
    c.line(x0, y0, x1 - 4, y0, BLACK)
    c.line(x0, y0, x0, y1, BLACK)
    c.line(x0, y1, x1, y1, BLACK)
    c.line(x1, y0 + 4, x1, y1, BLACK)
    c.line(x1 - 4, y0, x1, y0 + 4, BLACK)
    c.rect(x1 - 4, y0 + 1, x1 - 4, y0 + 4, BLACK)
    c.rect(x1 - 4, y0 + 4, x1 - 1, y0 + 4, BLACK)
    for i in range(1, 4):
        c.rect(x1 - 3, y0 + i, x1 - 4 + i, y0 + i, PALE)
    if lines:
        for y in range(y0 + 5, y1 - 1, 2):
            c.line(x0 + 2, y, x1 - 2, y, GREY)


def landscape(c, x0, y0, x1, y1, night=False):
    """A framed picture: sky, sun and two hills."""
    c.rect(x0, y0, x1, y1, NIGHT if night else SKY)
    w, h = x1 - x0, y1 - y0
    c.shape(lambda x, y: (x - (x0 + w * 0.72)) ** 2 + (y - (y0 + h * 0.3)) ** 2
            <= (h * 0.18 + 0.6) ** 2, MOON if night else YELLOW, x0, y0, x1, y1)
    c.polygon([(x0 + 1, y1), (x0 + w * 0.35, y0 + h * 0.45),
               (x0 + w * 0.75, y1)], DARK_GREEN)
    c.polygon([(x0 + w * 0.4, y1), (x0 + w * 0.7, y0 + h * 0.6),
               (x1, y0 + h * 0.8), (x1, y1)], LEAF)
    c.frame(x0, y0, x1, y1, BLACK)


def picture(c):
    landscape(c, 1, 3, 14, 12)


def folder(c, x0=1, y0=3, x1=14, y1=13, open_=True):
    c.rect(x0, y0 + 1, x0 + 5, y0 + 2, FOLDER_DARK)   # tab
    c.rect(x0, y0 + 2, x1, y1, FOLDER_DARK)           # back
    c.frame(x0, y0 + 2, x1, y1, BLACK)
    c.line(x0, y0 + 1, x0 + 5, y0 + 1, BLACK)
    c.line(x0 + 6, y0 + 2, x0 + 6, y0 + 2, BLACK)
    if open_:
        pts = [(x0 + 3, y0 + 5), (x1 + 1, y0 + 5), (x1 - 1, y1 + 1), (x0, y1 + 1)]
    else:
        pts = [(x0, y0 + 4), (x1 + 1, y0 + 4), (x1 + 1, y1 + 1), (x0, y1 + 1)]
    c.polygon(pts, FOLDER)
    c.polygon(pts, FOLDER, BLACK)


def magnifier(c, sign):
    c.disc(6, 6, 4.6, LENS)
    c.ring(6, 6, 3.6, 5.4, BLACK)
    for i in range(4):
        c.rect(9 + i, 10 + i, 10 + i, 11 + i, BROWN)
        c.px(11 + i, 10 + i, BROWN)
    c.rect(13, 14, 14, 14, BROWN)
    if sign in ('-', '+'):
        c.line(4, 6, 8, 6, BLACK)
    if sign == '+':
        c.line(6, 4, 6, 8, BLACK)


def g_browse(c):
    folder(c)
    c.rect(6, 9, 8, 11, SKY)
    c.rect(10, 9, 12, 11, LEAF)


def g_prev_page(c):
    page(c, 5, 1, 14, 14)
    arrow(c, 'left', BLUE, NAVY, (0, 8, 7, 15))


def g_next_page(c):
    page(c, 1, 1, 10, 14)
    arrow(c, 'right', BLUE, NAVY, (8, 8, 15, 15))


def g_play(c):
    c.polygon([(4, 2), (13, 8), (4, 14)], GREEN, DARK_GREEN)


def g_stop(c):
    c.rect(3, 3, 12, 12, RED)
    c.frame(3, 3, 12, 12, DARK_RED)


def g_prev_picture(c):
    arrow(c, 'left', BLUE, NAVY)


def g_next_picture(c):
    arrow(c, 'right', BLUE, NAVY)


def g_first(c):
    arrow(c, 'left', BLUE, NAVY, (4, 3, 14, 12))
    c.rect(1, 3, 2, 12, NAVY)


def g_last(c):
    arrow(c, 'right', BLUE, NAVY, (1, 3, 11, 12))
    c.rect(13, 3, 14, 12, NAVY)


def g_sequence(c):
    for off in (0, 2, 4):
        c.rect(1 + off, 1 + off, 10 + off, 8 + off, WHITE)
        c.frame(1 + off, 1 + off, 10 + off, 8 + off, BLACK)
    landscape(c, 5, 5, 14, 12)
    c.polygon([(10, 11), (15, 13.5), (10, 16)], GREEN, DARK_GREEN)


def g_reload(c):
    c.ring(8, 8.5, 3.2, 6.2, GREEN, gap=(5, 80))
    c.polygon([(8.5, -0.5), (8.5, 8.5), (13, 4)], GREEN)


def g_zoom_out(c):
    magnifier(c, '-')


def g_zoom_normal(c):
    magnifier(c, '')


def g_zoom_in(c):
    magnifier(c, '+')


def g_about(c):
    c.disc(8, 8, 7.2, BLUE)
    c.ring(8, 8, 6.4, 7.4, NAVY)
    c.rect(7, 3, 8, 4, WHITE)
    c.rect(7, 6, 8, 12, WHITE)
    c.px(6, 6, WHITE)
    c.rect(6, 12, 9, 12, WHITE)


def g_open(c):
    folder(c)
    vertical_arrow(c, 'up', GREEN, DARK_GREEN, (8, 0, 14, 7))


def g_save(c):
    c.rect(1, 1, 14, 14, NAVY)
    c.rect(4, 1, 11, 6, WHITE)
    c.rect(9, 2, 10, 5, NAVY)
    c.rect(3, 9, 12, 14, PALE)
    c.frame(1, 1, 14, 14, BLACK)
    c.line(4, 11, 11, 11, GREY)


def g_print(c):
    c.rect(4, 1, 11, 6, WHITE)
    c.frame(4, 1, 11, 6, BLACK)
    c.rect(1, 6, 14, 11, PALE)
    c.frame(1, 6, 14, 11, BLACK)
    c.px(12, 8, GREEN)
    c.rect(4, 10, 11, 14, WHITE)
    c.frame(4, 10, 11, 14, BLACK)
    c.line(6, 12, 9, 12, GREY)


def g_exit(c):
    c.rect(2, 1, 9, 14, BROWN)
    c.frame(2, 1, 9, 14, BLACK)
    c.px(7, 8, YELLOW)
    arrow(c, 'right', RED, DARK_RED, (8, 5, 15, 11))


def g_full_screen(c):
    c.rect(1, 2, 14, 13, SKY)
    c.frame(1, 2, 14, 13, BLACK)
    for x, y, dx, dy in ((3, 4, 1, 1), (12, 4, -1, 1), (3, 11, 1, -1), (12, 11, -1, -1)):
        c.line(x, y, x + 3 * dx, y + 3 * dy, NAVY)
        c.line(x, y, x + 2 * dx, y, NAVY)
        c.line(x, y, x, y + 2 * dy, NAVY)


def g_clipboard(c):
    c.rect(2, 2, 13, 15, BROWN)
    c.frame(2, 2, 13, 15, BLACK)
    c.rect(4, 4, 11, 13, WHITE)
    c.rect(5, 1, 10, 3, GREY)
    c.frame(5, 1, 10, 3, BLACK)
    for y in (6, 8, 10):
        c.line(5, y, 10, y, GREY)


def g_wallpaper(c):
    c.rect(1, 1, 14, 11, SHADE)
    landscape(c, 2, 2, 13, 10)
    c.frame(1, 1, 14, 11, BLACK)
    c.rect(6, 12, 9, 12, SHADE)
    c.rect(4, 13, 11, 14, SHADE)
    c.frame(4, 13, 11, 14, BLACK)


def g_flip(c):
    c.line(1, 8, 14, 8, GREY)
    c.polygon([(3, 7), (8, 1), (13, 7)], BLUE, NAVY)
    c.polygon([(3, 9), (8, 15), (13, 9)], SKY, NAVY)


def g_mirror(c):
    c.line(8, 1, 8, 14, GREY)
    c.polygon([(7, 3), (1, 8), (7, 13)], BLUE, NAVY)
    c.polygon([(9, 3), (15, 8), (9, 13)], SKY, NAVY)


def g_rotate(c, clockwise):
    c.ring(8, 9, 3.2, 6.2, BLUE, gap=(45, 95))
    head = [(7.5, -0.5), (7.5, 8.5), (12, 4)]
    if not clockwise:
        head = [(16 - x, y) for x, y in head]
    c.polygon(head, BLUE)


def g_rotate_left(c):
    g_rotate(c, False)


def g_rotate_right(c):
    g_rotate(c, True)


def g_find(c):
    page(c, 1, 1, 10, 13)
    c.disc(10, 9, 3.4, LENS)
    c.ring(10, 9, 2.6, 4.2, BLACK)
    c.line(13, 12, 15, 14, BROWN)
    c.line(12, 12, 14, 14, BROWN)


def g_delete(c):
    for i in range(-1, 2):
        c.line(3 + i, 3, 12 + i, 12, RED)
        c.line(12 + i, 3, 3 + i, 12, RED)
    c.line(4, 3, 12, 11, DARK_RED)


def g_rename(c):
    c.rect(0, 4, 15, 11, WHITE)
    c.frame(0, 4, 15, 11, BLACK)
    c.art(["#  ### ",
           "#  #  #",
           "## ### ",
           "# ##  #",
           "### ## "], {'#': BLUE}, 2, 5)
    c.line(11, 2, 11, 13, BLACK)
    c.line(10, 2, 12, 2, BLACK)
    c.line(10, 13, 12, 13, BLACK)


def g_settings(c):
    c.rect(1, 1, 14, 14, WHITE)
    c.frame(1, 1, 14, 14, BLACK)
    for y, knob in ((4, 9), (8, 5), (12, 10)):
        c.line(3, y, 12, y, GREY)
        c.rect(knob - 1, y - 1, knob + 1, y + 1, BLUE)
        c.frame(knob - 1, y - 1, knob + 1, y + 1, NAVY)


def g_parent(c):
    folder(c, 1, 5, 14, 15, open_=False)
    vertical_arrow(c, 'up', GREEN, DARK_GREEN, (8, 0, 15, 9))


def g_back(c):
    arrow(c, 'left', GREEN, DARK_GREEN)


def g_forward(c):
    arrow(c, 'right', GREEN, DARK_GREEN)


def small_icon(c, x, y, colour, size=3):
    c.rect(x, y, x + size - 1, y + size - 1, colour)
    if size >= 4:
        c.line(x + 1, y + size, x + size, y + size, SHADE)
        c.line(x + size, y + 1, x + size, y + size, SHADE)


def g_thumbnails(c):
    for y in (1, 9):
        for x in (1, 9):
            landscape(c, x, y, x + 5, y + 5)


def g_large_icons(c):
    landscape(c, 3, 1, 12, 10)
    c.line(2, 13, 13, 13, BLACK)
    c.line(4, 15, 11, 15, GREY)


def g_small_icons(c):
    for y in (2, 9):
        for x in (0, 8):
            small_icon(c, x, y, BLUE if x == 0 else GREEN, 4)
            c.line(x + 5, y + 2, x + 7, y + 2, BLACK)


def g_list(c):
    for y in (1, 5, 9, 13):
        small_icon(c, 1, y, BLUE if y % 8 == 1 else GREEN)
        c.line(5, y + 1, 14, y + 1, BLACK)


def g_details(c):
    c.rect(0, 1, 15, 14, WHITE)
    c.rect(0, 1, 15, 3, PALE)
    c.frame(0, 1, 15, 14, BLACK)
    c.line(0, 3, 15, 3, BLACK)
    c.line(7, 1, 7, 14, GREY)
    c.line(11, 1, 11, 14, GREY)
    for y in (5, 8, 11):
        small_icon(c, 2, y - 1, BLUE, 2)
        c.line(5, y, 6, y, BLACK)
        c.line(9, y, 10, y, GREY)
        c.line(13, y, 14, y, GREY)


def g_preview(c):
    c.rect(0, 1, 15, 14, WHITE)
    c.frame(0, 1, 15, 14, BLACK)
    c.line(5, 1, 5, 14, BLACK)
    c.line(5, 8, 15, 8, BLACK)
    landscape(c, 7, 2, 14, 7)
    for y in (3, 5, 7, 9, 11):
        c.line(1, y, 4, y, GREY)
    for y in (10, 12):
        c.line(7, y, 13, y, GREY)


def g_globe(c):
    c.disc(8, 8, 7, SKY)
    c.polygon([(3, 4), (7, 3), (8, 7), (5, 10), (3, 8)], LEAF)
    c.polygon([(9, 9), (13, 8), (12, 13), (9, 13)], LEAF)
    c.ring(8, 8, 6.2, 7.4, NAVY)
    c.line(8, 1, 8, 14, NAVY)
    c.line(1, 8, 14, 8, NAVY)


# ---------------------------------------------------------------------------
# The strips.  The order is the order of the resources that use them.

VIEWER_TOOLBAR = [g_browse, g_prev_page, g_next_page, g_play, g_stop,
                  g_prev_picture, g_next_picture, g_sequence, g_reload,
                  g_zoom_out, g_zoom_normal, g_zoom_in, g_about]

BROWSER_TOOLBAR = [g_back, g_forward, g_parent, picture, g_thumbnails,
                   g_large_icons, g_small_icons, g_list, g_details, g_preview,
                   g_delete, g_settings, g_about]

# Menu images: the index of each is named in resource_ids.h (MENU_IMAGE_*).
MENU_IMAGES = [g_open, g_save, g_print, g_exit, g_browse, g_first,
               g_prev_picture, g_next_picture, g_last, g_prev_page,
               g_next_page, g_play, g_stop, g_sequence, g_reload, g_zoom_in,
               g_zoom_normal, g_zoom_out, g_full_screen, g_clipboard,
               g_wallpaper, g_flip, g_mirror, g_rotate_left, g_rotate_right,
               g_about, g_find, g_delete, g_rename, g_settings, g_parent,
               g_back, g_forward, g_thumbnails, g_large_icons, g_small_icons,
               g_list, g_details, g_preview, picture]

TAB_IMAGES = [g_thumbnails, g_large_icons, g_small_icons, g_list, g_details,
              g_globe]


def strip(glyphs, background):
    c = Canvas(CELL * len(glyphs), CELL)
    for i, glyph in enumerate(glyphs):
        glyph(c.cell(i))
    return c, background


# ---------------------------------------------------------------------------
# Icons: the product logo, a framed landscape, drawn from outlines at any size.

def logo(size, night=False):
    c = Canvas(size, size)
    s = size / 32.0

    def box(x0, y0, x1, y1, colour):
        c.shape(lambda x, y: x0 * s <= x <= x1 * s and y0 * s <= y <= y1 * s,
                colour, 0, 0, size - 1, size - 1)

    box(1, 3, 31, 29, BROWN)                  # frame
    box(3, 5, 29, 27, NIGHT if night else SKY)
    if night:
        c.shape(lambda x, y: (x / s - 22) ** 2 + (y / s - 11) ** 2 <= 25
                and (x / s - 24.5) ** 2 + (y / s - 9.5) ** 2 > 20,
                MOON, 0, 0, size - 1, size - 1)
        for sx, sy in ((7, 9), (13, 7), (17, 13), (27, 17)):
            box(sx, sy, sx + 1.2, sy + 1.2, WHITE)
    else:
        c.shape(lambda x, y: (x / s - 22) ** 2 + (y / s - 11) ** 2 <= 20,
                YELLOW, 0, 0, size - 1, size - 1)
    hill = [(3 * s, 27 * s), (12 * s, 13 * s), (21 * s, 27 * s)]
    c.shape(lambda x, y: inside_polygon(hill, x, y), GREEN if not night else DARK_GREEN,
            0, 0, size - 1, size - 1)
    hill2 = [(13 * s, 27 * s), (21 * s, 18 * s), (29 * s, 22 * s), (29 * s, 27 * s)]
    c.shape(lambda x, y: inside_polygon(hill2, x, y), LEAF if not night else GREEN,
            0, 0, size - 1, size - 1)
    # frame edges
    c.shape(lambda x, y: (1 * s <= x <= 31 * s and 3 * s <= y <= 29 * s) and not
            (1.9 * s <= x <= 30.1 * s and 3.9 * s <= y <= 28.1 * s) or
            (3 * s <= x <= 29 * s and 5 * s <= y <= 27 * s) and not
            (3.9 * s <= x <= 28.1 * s and 5.9 * s <= y <= 26.1 * s),
            BLACK, 0, 0, size - 1, size - 1)
    return c


# ---------------------------------------------------------------------------
# Cursors: an open hand over a picture larger than the view, a closed hand
# while dragging it.

OPEN_HAND = [
    "       ##       ",
    "   ## #..###    ",
    "  #..##..#..#   ",
    "  #..##..#..# # ",
    "   #..#..#..##.#",
    "   #..#..#..#..#",
    " ## #.......#..#",
    "#..##..........#",
    "#...#.........# ",
    " #............# ",
    "  #...........# ",
    "  #..........#  ",
    "   #.........#  ",
    "    #........#  ",
    "     #......#   ",
    "     #......#   ",
]

CLOSED_HAND = [
    "                ",
    "                ",
    "                ",
    "    ## ## ##    ",
    "   #..#..#..##  ",
    "   #.........#.#",
    "    #..........#",
    "   ##..........#",
    "  #.#..........#",
    "  #............#",
    "   #...........#",
    "   #..........# ",
    "    #.........# ",
    "     #........# ",
    "      #......#  ",
    "      #......#  ",
]

HAND_HOTSPOT = (8, 8)

# Over a selection a click zooms to it: a magnifier with a plus, the hot spot
# in the middle of its glass.
ZOOM_SELECTION = [
    "   #####        ",
    "  #.....#       ",
    " #.......#      ",
    "#....#....#     ",
    "#....#....#     ",
    "#..#####..#     ",
    "#....#....#     ",
    "#....#....#     ",
    " #.......#      ",
    "  #.....###     ",
    "   #####.#.#    ",
    "         #..#   ",
    "          #..#  ",
    "           #..# ",
    "            #.# ",
    "             #  ",
]

ZOOM_SELECTION_HOTSPOT = (5, 5)


# ---------------------------------------------------------------------------
# Picture-type icons: a sheet with a small landscape and a coloured band that
# carries the format's short name, 32 x 32 and 16 x 16.  The order is the
# order of the icon groups after the logo (resource_ids.h, IDI_TYPE_*): the
# shell names a type's icon by its index among the program's icon groups.

# Letters of the band, '#' set, on a grid 5 rows high.
LETTERS = {
    'A': [".#.", "#.#", "###", "#.#", "#.#"],
    'B': ["##.", "#.#", "##.", "#.#", "##."],
    'C': [".##", "#..", "#..", "#..", ".##"],
    'D': ["##.", "#.#", "#.#", "#.#", "##."],
    'E': ["###", "#..", "##.", "#..", "###"],
    'F': ["###", "#..", "##.", "#..", "#.."],
    'G': [".##", "#..", "#.#", "#.#", ".##"],
    'H': ["#.#", "#.#", "###", "#.#", "#.#"],
    'I': ["#", "#", "#", "#", "#"],
    'J': ["..#", "..#", "..#", "#.#", ".#."],
    'K': ["#.#", "#.#", "##.", "#.#", "#.#"],
    'L': ["#..", "#..", "#..", "#..", "###"],
    'M': ["#...#", "##.##", "#.#.#", "#...#", "#...#"],
    'N': ["#..#", "##.#", "#.##", "#..#", "#..#"],
    'O': [".#.", "#.#", "#.#", "#.#", ".#."],
    'P': ["##.", "#.#", "##.", "#..", "#.."],
    'R': ["##.", "#.#", "##.", "#.#", "#.#"],
    'S': [".##", "#..", ".#.", "..#", "##."],
    'T': ["###", ".#.", ".#.", ".#.", ".#."],
    'U': ["#.#", "#.#", "#.#", "#.#", "###"],
    'V': ["#.#", "#.#", "#.#", "#.#", ".#."],
    'W': ["#...#", "#...#", "#.#.#", "##.##", "#...#"],
    'X': ["#.#", "#.#", ".#.", "#.#", "#.#"],
    'Y': ["#.#", "#.#", ".#.", ".#.", ".#."],
}

# (short name, band colour).  The first twelve bands have the browser's
# default label colours of their types.
TYPE_ICONS = [
    ("BMP", (0, 255, 255)), ("GIF", (128, 255, 0)), ("ICON", (255, 255, 0)),
    ("JPEG", (255, 0, 128)), ("PCD", (255, 0, 255)), ("PCX", (200, 120, 0)),
    ("PICT", (128, 255, 0)), ("PNG", (255, 0, 128)), ("PSD", (255, 255, 0)),
    ("TGA", (64, 128, 128)), ("TIFF", (0, 128, 255)), ("WMF", (128, 255, 128)),
    ("YUV", (160, 64, 200)), ("AVS", (64, 64, 160)), ("FITS", (24, 24, 64)),
    ("AVI", (255, 0, 255)), ("JBIG", (80, 80, 80)), ("XWD", (0, 120, 120)),
    ("CMYK", (0, 168, 200)), ("EMF", (64, 176, 64)), ("PNM", (150, 100, 60)),
    ("RLE", (200, 40, 40)), ("MIFF", (120, 0, 160)), ("MTV", (220, 140, 0)),
    ("RGB", (220, 30, 60)), ("SGI", (40, 90, 200)), ("SUN", (240, 170, 0)),
    ("TIM", (0, 150, 100)), ("VIFF", (100, 60, 140)), ("XBM", (40, 40, 40)),
    ("XPM", (90, 90, 150)), ("GRAY", (144, 144, 144)),
]


def text_width(text, scale):
    return sum(len(LETTERS[ch][0]) * scale for ch in text) + (len(text) - 1) * max(1, scale // 2)


def letter(c, text, x, y, scale, colour):
    for ch in text:
        rows = LETTERS[ch]
        for ry, row in enumerate(rows):
            for rx, bit in enumerate(row):
                if bit == '#':
                    c.rect(x + rx * scale, y + ry * scale,
                           x + rx * scale + scale - 1, y + ry * scale + scale - 1, colour)
        x += len(rows[0]) * scale + max(1, scale // 2)


def ink_for(band):
    r, g, b = band
    return BLACK if r * 299 + g * 587 + b * 114 > 140000 else WHITE


def darker(colour):
    return tuple(v * 3 // 5 for v in colour)


def type_icon(size, name=None, band=None):
    c = Canvas(size, size)
    if size >= 32:
        page(c, 5, 1, 26, 30, lines=False)
        landscape(c, 8, 6, 20, 15) if name else landscape(c, 8, 8, 23, 24)
        if name:
            scale = 2 if text_width(name, 2) <= 31 else 1
            c.rect(0, 17, 31, 28, band)
            c.frame(0, 17, 31, 28, darker(band))
            w = text_width(name, scale)
            letter(c, name, (32 - w + 1) // 2, 23 - 5 * scale // 2, scale, ink_for(band))
    else:
        page(c, 3, 0, 12, 15, lines=False)
        landscape(c, 5, 3, 10, 7) if name else landscape(c, 4, 5, 11, 12)
        if name:
            c.rect(0, 8, 15, 14, band)
            c.frame(0, 8, 15, 14, darker(band))
            w = text_width(name, 1)
            if w > 15:   # too wide for the band: keep the first three letters
                name = name[:3]
                w = text_width(name, 1)
            letter(c, name, (16 - w + 1) // 2, 9, 1, ink_for(band))
    return c


def picture_folder(size):
    """A folder with a picture sticking out of it (the icon before the type
    icons; it keeps their indices)."""
    c = Canvas(size, size)
    s = size // 16
    big = Canvas(16, 16)
    folder(big, 1, 3, 14, 14, open_=False)
    landscape(big, 4, 2, 11, 8)
    big.polygon([(1, 8), (15, 8), (15, 15), (1, 15)], FOLDER, BLACK)
    for y in range(size):
        for x in range(size):
            c.pixels[y][x] = big.pixels[y // s][x // s]
    return c


# ---------------------------------------------------------------------------
# Thumbnail frames: four 64 x 64 pictures that the browser stretches behind
# every thumbnail; the inside is left light so the thumbnail stands out.

FRAME_SIZE = 64


def thumb_frame(style):
    c = Canvas(FRAME_SIZE, FRAME_SIZE)
    n = FRAME_SIZE - 1
    if style == 0:      # raised grey panel
        c.rect(0, 0, n, n, (200, 200, 200))
        c.line(0, 0, n, 0, WHITE)
        c.line(0, 0, 0, n, WHITE)
        c.line(0, n, n, n, SHADE)
        c.line(n, 0, n, n, SHADE)
        c.rect(5, 5, n - 5, n - 5, (248, 248, 248))
        c.line(5, 5, n - 5, 5, GREY)
        c.line(5, 5, 5, n - 5, GREY)
    elif style == 1:    # wooden frame
        wood = [(150, 90, 40), (170, 105, 50), (135, 80, 35)]
        for y in range(FRAME_SIZE):
            for x in range(FRAME_SIZE):
                c.px(x, y, wood[(x * 3 + y * 7 + (x * y) // 5) % 3])
        c.rect(7, 7, n - 7, n - 7, (255, 248, 232))
        c.frame(0, 0, n, n, BROWN)
        c.frame(6, 6, n - 6, n - 6, (90, 50, 20))
    elif style == 2:    # blue mat with a rounded window
        c.rect(0, 0, n, n, (40, 80, 170))
        c.shape(lambda x, y: abs(x - 32) < 26 and abs(y - 32) < 26 and
                (max(abs(x - 32) - 20, 0) ** 2 + max(abs(y - 32) - 20, 0) ** 2) < 36,
                WHITE, 0, 0, n, n)
        c.frame(0, 0, n, n, NAVY)
    else:               # gold frame with corner studs
        gold, light, dark = (212, 170, 40), (250, 220, 110), (140, 100, 10)
        c.rect(0, 0, n, n, gold)
        for i in range(3):
            c.frame(i, i, n - i, n - i, light if i == 1 else dark)
        c.frame(6, 6, n - 6, n - 6, dark)
        c.rect(7, 7, n - 7, n - 7, (255, 252, 240))
        for x, y in ((3, 3), (n - 3, 3), (3, n - 3), (n - 3, n - 3)):
            c.disc(x + 0.5, y + 0.5, 2.2, light)
    return c


# ---------------------------------------------------------------------------
# File writers.

def palette_of(canvases, extra):
    colours = list(extra)
    for c in canvases:
        for row in c.pixels:
            for p in row:
                if p is not None and p not in colours:
                    colours.append(p)
    if len(colours) > 256:
        raise SystemExit("make_art: more than 256 colours")
    return colours + [(0, 0, 0)] * (256 - len(colours))


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def row_bytes(values, bits):
    """Packs pixel values of one row at 1 or 8 bits each, padded to 4 bytes."""
    if bits == 8:
        data = bytes(values)
    else:
        data = bytearray()
        for i in range(0, len(values), 8):
            byte = 0
            for j, v in enumerate(values[i:i + 8]):
                byte |= (v & 1) << (7 - j)
            data.append(byte)
        data = bytes(data)
    return data + b"\0" * (-len(data) % 4)


def info_header(width, height, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                       image_size, 2835, 2835, colours, 0)


def write_bmp(path, canvas, background):
    palette = palette_of([canvas], [background])
    index = {c: i for i, c in reversed(list(enumerate(palette)))}
    rows = [row_bytes([index[p if p is not None else background] for p in row], 8)
            for row in reversed(canvas.pixels)]
    pixels = b"".join(rows)
    header_size = 14 + 40 + 256 * 4
    data = (info_header(canvas.width, canvas.height, 8, len(pixels), 256)
            + palette_bytes(palette) + pixels)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(data), 0, 0, header_size))
        f.write(data)


def icon_image(canvas):
    """One 8-bit icon image: header (double height), palette, XOR and AND."""
    palette = palette_of([canvas], [BLACK])
    index = {c: i for i, c in reversed(list(enumerate(palette)))}
    xor = b"".join(row_bytes([index[p] if p is not None else 0 for p in row], 8)
                   for row in reversed(canvas.pixels))
    mask = b"".join(row_bytes([1 if p is None else 0 for p in row], 1)
                    for row in reversed(canvas.pixels))
    return (info_header(canvas.width, canvas.height * 2, 8, len(xor) + len(mask), 256)
            + palette_bytes(palette) + xor + mask)


def cursor_image(rows, size=32):
    """One monochrome cursor image from ASCII art: '#' black, '.' white,
    anything else transparent."""
    grid = [row.ljust(size)[:size] for row in rows] + [" " * size] * (size - len(rows))
    xor = b"".join(row_bytes([1 if ch == '.' else 0 for ch in row], 1)
                   for row in reversed(grid))
    mask = b"".join(row_bytes([0 if ch in '#.' else 1 for ch in row], 1)
                    for row in reversed(grid))
    return (info_header(size, size * 2, 1, len(xor) + len(mask), 2)
            + struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0) + xor + mask)


def write_icon_file(path, kind, images):
    """kind 1 = icon, 2 = cursor; images = [(width, height, colours, a, b, data)]
    where a, b are planes and bit count (icons) or the hot spot (cursors)."""
    offset = 6 + 16 * len(images)
    head = struct.pack("<HHH", 0, kind, len(images))
    entries, blobs = b"", b""
    for width, height, colours, a, b, data in images:
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, colours, 0,
                               a, b, len(data), offset + len(blobs))
        blobs += data
    with open(path, "wb") as f:
        f.write(head + entries + blobs)


def write_icon(path, canvases):
    write_icon_file(path, 1, [(c.width, c.height, 0, 1, 8, icon_image(c))
                              for c in canvases])


def write_cursor(path, rows, hotspot):
    write_icon_file(path, 2, [(32, 32, 2, hotspot[0], hotspot[1], cursor_image(rows))])


# ---------------------------------------------------------------------------

def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: make_art.py <output directory>")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    def at(name):
        return os.path.join(out, name)

    write_bmp(at("toolbar.bmp"), *strip(VIEWER_TOOLBAR, FACE))
    write_bmp(at("browser_toolbar.bmp"), *strip(BROWSER_TOOLBAR, FACE))
    write_bmp(at("menu_images.bmp"), *strip(MENU_IMAGES, MASK_BLUE))
    write_bmp(at("tab_images.bmp"), *strip(TAB_IMAGES, MASK_BLUE))

    write_icon(at("class.ico"), [logo(32), logo(16)])
    write_icon(at("class_small.ico"), [logo(16)])
    write_icon(at("blink_night.ico"), [logo(32, night=True), logo(16, night=True)])
    write_icon(at("blink_day.ico"), [logo(32), logo(16)])
    write_icon(at("logo.ico"), [logo(48), logo(32)])

    write_icon(at("picture_folder.ico"), [picture_folder(32), picture_folder(16)])
    write_icon(at("type_none.ico"), [type_icon(32), type_icon(16)])
    for name, band in TYPE_ICONS:
        write_icon(at("type_%s.ico" % name.lower()),
                   [type_icon(32, name, band), type_icon(16, name, band)])
    for i in range(4):
        c = thumb_frame(i)
        write_bmp(at("thumb_frame%d.bmp" % i), c, c.pixels[0][0])

    write_cursor(at("hand_open.cur"), OPEN_HAND, HAND_HOTSPOT)
    write_cursor(at("hand_closed.cur"), CLOSED_HAND, HAND_HOTSPOT)
    write_cursor(at("zoom_selection.cur"), ZOOM_SELECTION, ZOOM_SELECTION_HOTSPOT)


if __name__ == "__main__":
    main()
