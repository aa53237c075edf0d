#!/usr/bin/env python3
"""Draws Pindle's icons and writes them as 16-colour (4 bits per pixel) .ico files.

  product.ico  the program's icon, also the tray icon: a yellow note pad with ruled lines and a
               red push pin, 16, 20, 24, 32 and 48 pixels square (the tray's small size at
               100, 125 and 150 % and the window icon's)
  dialog.ico   the registered-memo editor's icon: a ruled white page with a pencil, 16x16
  pindle-<size>.png, pindle.svg
               the product icon for Linux desktops (hicolor theme): 16, 22, 24, 32 and 48
               pixels drawn for their size, 64 and 128 the 32-pixel image with every pixel
               doubled or quadrupled, and the SVG the 32-pixel drawing's shapes as vectors

Usage: scripts/make-icons.py [--check] [output directory]
The .ico files go to src/platform/win32/resources, the .png files to packaging/linux/icons, or
all to the given directory.  With --check nothing is written; the exit status says whether the
files there are what this script draws.
Pure Python 3, no extra modules.
"""

import os
import struct
import sys
import zlib

# The 16 colours of the standard Windows palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, MAROON, OLIVE, NAVY, SILVER, GREY, RED, YELLOW, BLUE, WHITE = 0, 1, 3, 4, 7, 8, 9, 11, 12, 15
CLEAR = None  # transparent: the AND mask shows the background


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[CLEAR] * size for _ in range(size)]

    def dot(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.dot(x, y0, colour)
            self.dot(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, colour)
            self.dot(x1, y, colour)

    def disc(self, cx, cy, radius, colour):
        """A filled circle around the centre of pixel (cx, cy); radius in pixels."""
        r = int(radius) + 1
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.dot(x, y, colour)


class SvgCanvas:
    """Takes the same shapes as Canvas, as SVG elements on a grid of size x size pixels."""

    def __init__(self, size):
        self.size = size
        self.shapes = []

    @staticmethod
    def colour(index):
        return "#%02x%02x%02x" % PALETTE[index]

    def fill(self, x0, y0, x1, y1, colour):
        self.shapes.append(
            '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>'
            % (x0, y0, x1 - x0 + 1, y1 - y0 + 1, self.colour(colour))
        )

    def dot(self, x, y, colour):
        self.fill(x, y, x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.shapes.append(
            '<rect x="%g" y="%g" width="%d" height="%d" fill="none" stroke="%s"/>'
            % (x0 + 0.5, y0 + 0.5, x1 - x0, y1 - y0, self.colour(colour))
        )

    def disc(self, cx, cy, radius, colour):
        self.shapes.append(
            '<circle cx="%g" cy="%g" r="%g" fill="%s"/>'
            % (cx + 0.5, cy + 0.5, radius + 0.5, self.colour(colour))
        )

    def svg(self):
        n = self.size
        return (
            '<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
            % (n, n, n, n)
            + "".join("  %s\n" % shape for shape in self.shapes)
            + "</svg>\n"
        ).encode("ascii")


def note_pad(size, c=None):
    """The product icon: a note pad with a navy binding, blue rules and a red push pin."""
    c = c or Canvas(size)
    small = size < 20
    if small:
        left, top, right, bottom = 1, 2, 12, 14
        rules = range(6, bottom - 1, 3)
        pin, radius, needle, binding = (10, 2), 2.3, 1, 2
    else:  # drawn for 32 pixels, scaled
        k = size / 32
        left, top, right, bottom = round(4 * k), round(5 * k), round(25 * k), round(29 * k)
        rules = range(round(13 * k), bottom - 1, max(3, round(4 * k)))
        pin, radius, needle, binding = (round(21 * k), round(5 * k)), 3.6 * k, round(3 * k), round(3 * k)
    c.fill(left + 2, top + 2, right + 2, bottom + 1, GREY)  # shadow
    c.fill(left, top, right, bottom, YELLOW)  # paper
    c.fill(left, top, right, top + binding, NAVY)  # binding
    c.frame(left, top, right, bottom, BLACK)
    for y in rules:
        c.fill(left + 2, y, right - 2, y, BLUE)
    px, py = pin
    c.fill(px, py + 1, px, py + 1 + needle + int(radius), SILVER)  # needle into the pad
    c.disc(px, py, radius, MAROON)  # the head, lit from the top left
    if not small:
        c.disc(px - 1, py - 1, radius - 1, RED)
        c.dot(px - 1, py - 2, WHITE)
    else:
        c.fill(px - 1, py - 1, px, py, RED)
        c.dot(px - 1, py - 1, WHITE)
    return c


def page_and_pencil():
    """The editor's icon: a ruled white page with a pencil across its corner."""
    c = Canvas(16)
    c.fill(1, 0, 11, 15, WHITE)
    c.frame(1, 0, 11, 15, GREY)
    for y, end in ((3, 9), (6, 9), (9, 6)):
        c.fill(3, y, end, y, BLUE)
    # The pencil runs from its rubber at the top right to its point at the bottom left.
    for i in range(8):
        x, y = 14 - i, 2 + i
        c.dot(x, y, BLACK)  # upper edge
        c.dot(x, y + 1, YELLOW)
        c.dot(x, y + 2, OLIVE)  # lower side, in shadow
        c.dot(x - 1, y + 2, BLACK)  # lower edge
    c.dot(15, 2, RED)
    c.dot(14, 3, RED)
    c.dot(15, 3, MAROON)
    c.dot(14, 4, MAROON)  # rubber
    c.dot(6, 11, SILVER)
    c.dot(5, 12, SILVER)  # sharpened wood
    c.dot(6, 12, SILVER)
    c.dot(4, 13, BLACK)  # point
    c.dot(5, 13, BLACK)
    return c


def bitmap(canvas):
    """The DIB an .ico holds for one image: header, palette, colour bits, AND mask."""
    n = canvas.size
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    colour_row = (n * 4 + 31) // 32 * 4
    mask_row = (n + 31) // 32 * 4
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(n)):  # bottom-up rows
        row = bytearray(colour_row)
        bits = bytearray(mask_row)
        for x in range(n):
            index = canvas.pixels[y][x]
            if index is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
                index = 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colour += row
        mask += bits
    return header + palette + bytes(colour) + bytes(mask)


def icon_file(canvases):
    images = [bitmap(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        n = canvas.size
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def scaled(canvas, factor):
    big = Canvas(canvas.size * factor)
    for y in range(big.size):
        for x in range(big.size):
            big.pixels[y][x] = canvas.pixels[y // factor][x // factor]
    return big


def png_file(canvas):
    """A palette PNG of the 16 colours, the transparent pixels as a 17th, fully clear entry."""

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    n = canvas.size
    clear = len(PALETTE)
    rows = b"".join(
        b"\0" + bytes(clear if p is CLEAR else p for p in canvas.pixels[y]) for y in range(n)
    )
    palette = b"".join(bytes(rgb) for rgb in PALETTE + [(0, 0, 0)])
    alpha = b"\xff" * len(PALETTE) + b"\0"
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 3, 0, 0, 0))
        + chunk(b"PLTE", palette)
        + chunk(b"tRNS", alpha)
        + chunk(b"IDAT", zlib.compress(rows, 9))
        + chunk(b"IEND", b"")
    )


def main(argv):
    check = "--check" in argv
    rest = [a for a in argv if a != "--check"]
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    resources = os.path.join(root, "src", "platform", "win32", "resources")
    icons = os.path.join(root, "packaging", "linux", "icons")
    if rest:
        resources = icons = rest[0]
    files = {
        os.path.join(resources, "product.ico"): icon_file([note_pad(n) for n in (16, 20, 24, 32, 48)]),
        os.path.join(resources, "dialog.ico"): icon_file([page_and_pencil()]),
    }
    for n in (16, 22, 24, 32, 48):
        files[os.path.join(icons, "pindle-%d.png" % n)] = png_file(note_pad(n))
    for factor in (2, 4):
        files[os.path.join(icons, "pindle-%d.png" % (32 * factor))] = png_file(scaled(note_pad(32), factor))
    files[os.path.join(icons, "pindle.svg")] = note_pad(32, SvgCanvas(32)).svg()
    stale = []
    for path, data in files.items():
        if check:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        stale.append(path)
            except OSError:
                stale.append(path)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
            print("wrote", path, len(data), "bytes")
    if stale:
        print("out of date (run scripts/make-icons.py):", " ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
