#!/usr/bin/env python3
"""Draws the installer's pictures into the folder given as the argument:
spin01.ico to spin11.ico (the copy dialog's turning disc, one twelfth of a
turn apart) and banner.bmp (the picture of the full-screen window and the
setup dialog).  Plain Python, no libraries: the files have one source."""
import math
import os
import struct
import sys

SIZE = 32


def ico(path, pixel):
    """A 32 x 32 icon of 32-bit pixels; pixel(x, y) -> (r, g, b, a)."""
    rows = []
    for y in range(SIZE - 1, -1, -1):
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            rows.append(struct.pack('<BBBB', b, g, r, a))
    xor = b''.join(rows)
    mask_row = (SIZE + 31) // 32 * 4
    mask = b''
    for y in range(SIZE - 1, -1, -1):
        bits = 0
        for x in range(SIZE):
            if pixel(x, y)[3] == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack('>I', bits)[:mask_row]
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, 1))
        f.write(struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 22))
        f.write(image)


def spinner(frame):
    def pixel(x, y):
        dx, dy = x - 15.5, y - 15.5
        d = math.hypot(dx, dy)
        if d > 14.5:
            return (0, 0, 0, 0)
        if d > 13:
            return (16, 16, 96, 255)
        angle = (math.degrees(math.atan2(dy, dx)) + 360) % 360
        lit = (angle - frame * 30) % 360 < 90
        return (255, 210, 40, 255) if lit else (40, 80, 200, 255)
    return pixel


def bmp(path, width, height, pixel):
    stride = (width * 3 + 3) // 4 * 4
    data = b''
    for y in range(height - 1, -1, -1):
        row = b''.join(struct.pack('<BBB', *reversed(pixel(x, y))) for x in range(width))
        data += row + b'\0' * (stride - width * 3)
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54))
        f.write(struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0))
        f.write(data)


def banner(x, y):
    # A night sky over hills with a framed picture in the middle.
    sky = (0, 0, 64 + y // 2)
    hill = 90 + int(12 * math.sin(x / 23.0))
    if 110 <= x < 210 and 20 <= y < 84:
        if x < 114 or x >= 206 or y < 24 or y >= 80:
            return (230, 230, 230)
        return (255, 200, 60) if (x - 160) ** 2 + (y - 44) ** 2 < 120 else (60, 120, 200)
    if y > hill:
        return (20, 100 + (y - hill), 40)
    return sky


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for frame in range(11):
        ico(os.path.join(out, 'spin%02d.ico' % (frame + 1)), spinner(frame))
    bmp(os.path.join(out, 'banner.bmp'), 320, 120, banner)


if __name__ == '__main__':
    main()
