#!/usr/bin/env python3
"""Writes the program's icon (32x32 and 16x16, 4 bits per pixel, standard
16-colour palette).

usage: make_images.py OUTPUT_DIR
"""
import os
import struct
import sys

# The standard 16-colour palette, as (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, RED, LIME, WHITE, TEAL = 0, 4, 7, 8, 9, 10, 15, 6

def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def pixel_rows_4bpp(pixels):
    """Rows bottom-up, two pixels a byte, each row padded to 4 bytes."""
    out = b""
    for row in reversed(pixels):
        data = bytes((row[i] << 4) | row[i + 1] for i in range(0, len(row), 2))
        out += data + b"\0" * (-len(data) % 4)
    return out


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 16)


def icon_pixels(size):
    """A terminal screen with a green light on a teal tile."""
    s = size / 32.0
    pixels = [[TEAL] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            fx, fy = x / s, y / s
            if 3 <= fx < 29 and 5 <= fy < 23:
                pixels[y][x] = GREY if (fx < 4 or fx >= 28 or fy < 6 or fy >= 22) else BLACK
            if 12 <= fx < 20 and 23 <= fy < 26:
                pixels[y][x] = GREY
            if 8 <= fx < 24 and 26 <= fy < 28:
                pixels[y][x] = SILVER
            if (fx - 21.5) ** 2 + (fy - 14) ** 2 <= 16:
                pixels[y][x] = LIME
    # A prompt and a cursor line in the screen.
    for fx, fy in ((6, 9), (7, 10), (6, 11)):
        for y in range(int(fy * s), int((fy + 1) * s)):
            for x in range(int(fx * s), int((fx + 1) * s)):
                pixels[y][x] = WHITE
    for y in range(int(17 * s), int(18 * s)):
        for x in range(int(6 * s), int(14 * s)):
            pixels[y][x] = WHITE
    return pixels


def icon_image(size):
    pixels = icon_pixels(size)
    xor = pixel_rows_4bpp(pixels)
    mask_row = (size + 31) // 32 * 4
    mask = b"\0" * (mask_row * size)  # every pixel opaque
    return info_header(size, size * 2, len(xor) + len(mask)) + palette_bytes() + xor + mask


def icon_file(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    files = {"quorvex.ico": icon_file([32, 16])}
    for name, data in files.items():
        path = os.path.join(out_dir, name)
        with open(path + ".tmp", "wb") as f:
            f.write(data)
        os.replace(path + ".tmp", path)


if __name__ == "__main__":
    main()
