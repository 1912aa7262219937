#!/usr/bin/env python3
"""Draws the brand pictures and glyphs as 16-colour BMP files.

Run from this folder; the build embeds every .bmp here into the program.
The pictures are plain shapes so that they stay small and need no fonts.
"""
import math
import struct

PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


class Image:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def ring(self, cx, cy, r, width, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r - width <= d <= r:
                    self.put(x, y, c)

    def thick_line(self, x0, y0, x1, y1, width, c):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            self.disc(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, c)

    def save(self, path):
        row_bytes = ((self.w + 1) // 2 + 3) & ~3
        pixels = bytearray()
        for y in range(self.h - 1, -1, -1):
            row = self.px[y]
            line = bytearray()
            for x in range(0, self.w, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < self.w else 0
                line.append((hi << 4) | lo)
            line.extend(b"\0" * (row_bytes - len(line)))
            pixels.extend(line)
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
        offset = 14 + 40 + len(palette)
        header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
        with open(path, "wb") as f:
            f.write(header + info + palette + pixels)


def answer_bubbles(img, x0, y0, colour, marked):
    # Three rows of answer bubbles, one marked per row.
    for row in range(3):
        for col in range(5):
            cx, cy = x0 + col * 14, y0 + row * 16
            if col == marked[row]:
                img.disc(cx, cy, 5, colour)
            else:
                img.ring(cx, cy, 5, 1.5, colour)


def ombrix_logo():
    img = Image(160, 96, WHITE)
    img.ring(44, 48, 36, 11, NAVY)
    img.disc(44, 48, 9, BLUE)
    answer_bubbles(img, 94, 32, NAVY, [1, 3, 0])
    img.rect(88, 80, 156, 84, NAVY)
    img.save("OmbrixLogo.bmp")


def veltrane_logo():
    img = Image(160, 96, WHITE)
    img.thick_line(12, 14, 44, 82, 14, GREEN)
    img.thick_line(44, 82, 76, 14, 14, GREEN)
    img.disc(44, 30, 7, LIME)
    answer_bubbles(img, 94, 32, GREEN, [2, 0, 4])
    img.rect(88, 80, 156, 84, GREEN)
    img.save("VeltraneLogo.bmp")


def about_glyph(path, colour):
    # Olive is the transparent colour (the bottom-left pixel).
    img = Image(16, 16, OLIVE)
    img.disc(8, 8, 7.5, colour)
    img.rect(7, 3, 9, 5, WHITE)
    img.rect(7, 6, 9, 13, WHITE)
    img.save(path)


def scan_picture(path, colour, sheets):
    """A scanner with sheets going in: the Scan Master page shows one key
    sheet, the Scan Tests page a stack of students' sheets."""
    img = Image(160, 120, WHITE)
    # Sheets, fanned above the feed slot, each with rows of bubbles.
    for k in range(sheets):
        x0, y0 = 46 + 8 * k, 6 + 6 * k
        img.rect(x0, y0, x0 + 60, y0 + 64, GRAY)
        img.rect(x0 + 1, y0 + 1, x0 + 59, y0 + 63, WHITE)
        img.rect(x0 + 6, y0 + 6, x0 + 22, y0 + 9, colour)
        for row in range(6):
            for col in range(5):
                cx, cy = x0 + 10 + 10 * col, y0 + 18 + 7 * row
                img.ring(cx, cy, 3, 1, SILVER)
                if (row * 2 + col + k) % 5 == 0:
                    img.disc(cx, cy, 2.5, BLACK)
    # The scanner's body, its slot and its lamp.
    img.rect(20, 72, 140, 110, colour)
    img.rect(36, 78, 124, 82, BLACK)
    img.rect(24, 104, 136, 108, SILVER)
    img.disc(128, 95, 4, LIME)
    img.save(path)


if __name__ == "__main__":
    scan_picture("ScanMaster.bmp", NAVY, 1)
    scan_picture("ScanTests.bmp", TEAL, 3)
    ombrix_logo()
    veltrane_logo()
    about_glyph("OmbrixAbout.bmp", NAVY)
    about_glyph("VeltraneAbout.bmp", GREEN)
