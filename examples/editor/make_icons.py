#!/usr/bin/python3
"""Draws the editor's tool bar icons (New, Open, Save, Find) as one strip of
16 x 16 icons: examples/editor/toolbar.png. The top-left pixel is the
transparent colour (magenta), as icon strips expect. Needs python3-pil."""
from pathlib import Path

from PIL import Image, ImageDraw

SIZE = 16
CLEAR = (255, 0, 255)
INK = (40, 40, 48)
PAPER = (250, 250, 250)


def new_page(d, x):
    d.polygon([(x + 3, 1), (x + 10, 1), (x + 13, 4), (x + 13, 14), (x + 3, 14)], fill=PAPER, outline=INK)
    d.line([(x + 10, 1), (x + 10, 4), (x + 13, 4)], fill=INK)
    for y in (6, 8, 10, 12):
        d.line([(x + 5, y), (x + 11, y)], fill=(120, 150, 200))


def folder(d, x):
    d.polygon([(x + 1, 3), (x + 6, 3), (x + 7, 5), (x + 14, 5), (x + 14, 13), (x + 1, 13)],
              fill=(236, 196, 80), outline=(150, 110, 20))
    d.polygon([(x + 3, 7), (x + 15, 7), (x + 13, 13), (x + 1, 13)], fill=(250, 218, 110), outline=(150, 110, 20))


def floppy(d, x):
    d.rectangle([x + 1, 1, x + 14, 14], fill=(60, 90, 170), outline=INK)
    d.rectangle([x + 4, 1, x + 11, 6], fill=(220, 220, 228), outline=INK)
    d.rectangle([x + 8, 2, x + 9, 5], fill=INK)
    d.rectangle([x + 3, 9, x + 12, 14], fill=PAPER, outline=INK)


def magnifier(d, x):
    d.ellipse([x + 1, 1, x + 10, 10], fill=(200, 230, 250), outline=INK, width=2)
    d.line([(x + 9, 9), (x + 14, 14)], fill=INK, width=3)


def main():
    drawings = [new_page, folder, floppy, magnifier]
    strip = Image.new("RGB", (SIZE * len(drawings), SIZE), CLEAR)
    d = ImageDraw.Draw(strip)
    for i, draw in enumerate(drawings):
        draw(d, i * SIZE)
    assert strip.getpixel((0, 0)) == CLEAR
    strip.save(Path(__file__).with_name("toolbar.png"))


if __name__ == "__main__":
    main()
