#!/usr/bin/env python3
"""Draws the program's icon, app.ico: one 32 x 32 image in the 16 standard colours.

A blue book with white page edges and, on its cover, a triangle of survey stations joined by
observation lines. Run it again after changing the drawing: python3 app/make_icon.py
"""
import os
import struct

SIZE = 32
# The 16 colours of the standard palette, as (red, green, blue).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
NAVY, SILVER, GRAY, RED, YELLOW, BLUE, WHITE = 4, 7, 8, 9, 11, 12, 15
TRANSPARENT = None


def draw():
    pixels = [[TRANSPARENT] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                pixels[y][x] = colour

    def line(x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        error = dx + dy
        while True:
            pixels[y0][x0] = colour
            if (x0, y0) == (x1, y1):
                return
            doubled = 2 * error
            if doubled >= dy:
                error += dy
                x0 += sx
            if doubled <= dx:
                error += dx
                y0 += sy

    fill(8, 5, 28, 29, GRAY)     # the pages' outline, behind the cover
    fill(8, 5, 27, 28, WHITE)    # the pages
    for y in range(7, 28, 3):
        line(26, y, 27, y, SILVER)
    fill(3, 2, 25, 27, NAVY)     # the cover's outline
    fill(4, 3, 24, 26, BLUE)     # the cover
    fill(4, 3, 6, 26, NAVY)      # the spine
    stations = [(15, 7), (21, 21), (10, 20)]
    for (x0, y0), (x1, y1) in zip(stations, stations[1:] + stations[:1]):
        line(x0, y0, x1, y1, YELLOW)
    for x, y in stations:
        fill(x - 1, y - 1, x + 1, y + 1, RED)
        pixels[y][x] = WHITE
    return pixels


def icon_bytes(pixels):
    header = struct.pack('<HHH', 0, 1, 1)
    bitmap = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 4, 0, 0, 0, 0, 16, 0)
    bitmap += b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    colours, mask = b'', b''
    for row in reversed(pixels):  # bottom-up
        indices = [0 if p is None else p for p in row]
        colours += bytes((indices[i] << 4) | indices[i + 1] for i in range(0, SIZE, 2))
        bits = ''.join('1' if p is None else '0' for p in row)
        mask += int(bits, 2).to_bytes(SIZE // 8, 'big')
    image = bitmap + colours + mask
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return header + entry + image


if __name__ == '__main__':
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'app.ico')
    with open(target, 'wb') as out:
        out.write(icon_bytes(draw()))
