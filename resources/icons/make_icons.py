#!/usr/bin/env python3
"""Draws the five 16x16 tree images of the configuration view (icon210.png .. icon214.png).

Run it in this folder after changing a drawing; the PNG files are committed."""
import struct
import zlib

W = H = 16
CLEAR = (0, 0, 0, 0)


def canvas():
    return [[CLEAR] * W for _ in range(H)]


def rect(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def frame(img, x0, y0, x1, y1, colour):
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = colour
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = colour


def write_png(name, img):
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in img)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(name, "wb") as f:
        f.write(png)


DARK = (40, 40, 40, 255)
BLUE = (40, 90, 170, 255)
LIGHT_BLUE = (150, 190, 235, 255)
GREEN = (60, 170, 60, 255)
YELLOW = (235, 190, 60, 255)
PALE_YELLOW = (250, 225, 130, 255)
BROWN = (150, 110, 30, 255)
WHITE = (255, 255, 255, 255)
GREY = (150, 150, 150, 255)

# 210: the converter, a box with a line socket and two status lights.
img = canvas()
rect(img, 1, 4, 14, 12, LIGHT_BLUE)
frame(img, 1, 4, 14, 12, BLUE)
rect(img, 3, 7, 6, 10, DARK)
img[9][4] = img[9][5] = YELLOW
img[6][11] = img[6][12] = GREEN
img[9][11] = img[9][12] = YELLOW
rect(img, 7, 1, 8, 3, DARK)
write_png("icon210.png", img)

# 211: a closed folder.
img = canvas()
rect(img, 1, 3, 6, 4, YELLOW)
rect(img, 1, 5, 14, 13, YELLOW)
frame(img, 1, 5, 14, 13, BROWN)
for x in range(1, 7):
    img[3][x] = BROWN
img[4][1] = BROWN
img[4][6] = BROWN
write_png("icon211.png", img)

# 212: an open folder.
img = canvas()
rect(img, 1, 3, 6, 4, YELLOW)
rect(img, 1, 5, 12, 13, YELLOW)
frame(img, 1, 5, 12, 13, BROWN)
for y in range(8, 14):
    off = (13 - y) // 2
    for x in range(3 + off, 16 - (y - 8) // 3 - 1):
        img[y][x] = PALE_YELLOW
for x in range(3, 15):
    img[8][x] = BROWN
for x in range(1, 7):
    img[3][x] = BROWN
write_png("icon212.png", img)


def page(lines):
    img = canvas()
    rect(img, 3, 1, 12, 14, WHITE)
    frame(img, 3, 1, 12, 14, GREY)
    img[1][11] = img[1][12] = img[2][12] = CLEAR
    img[2][11] = GREY
    img[3][12] = GREY
    for y in (4, 6, 8, 10, 12):
        for x in range(5, 11):
            img[y][x] = lines
    return img


# 213: a page; 214: the same page shown as selected.
write_png("icon213.png", page(GREY))
img = page(BLUE)
rect(img, 12, 9, 14, 14, CLEAR)
for i in range(5):
    img[13 - i][10 + i] = DARK
img[14][9] = YELLOW
write_png("icon214.png", img)
