#!/usr/bin/python3
"""Draws the launcher program's icon into Launcher/exe/Launcher.ico.

Run with Debian's python3 (it has PIL):  /usr/bin/python3 scripts/make-launcher-icon.py
The output is deterministic, so re-running it reproduces the committed file.

A rounded tile in the skin's background colour with an orange play mark;
drawn at 8 times 256 pixels and scaled down for each size of the icon.
"""
import os

from PIL import Image, ImageDraw

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
OUT = os.path.join(ROOT, "Launcher", "exe", "Launcher.ico")

SS = 8
SIZE = 256
BACK = (0x20, 0x23, 0x2A, 255)
RIM = (0x3A, 0x41, 0x4E, 255)
ORANGE = (0xFC, 0xB7, 0x55, 255)
ORANGE_DEEP = (0xE8, 0x8A, 0x1E, 255)
SIZES = [16, 24, 32, 48, 64, 128, 256]


def master():
    big = SIZE * SS
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    inset = 8 * SS
    draw.rounded_rectangle((inset, inset, big - inset, big - inset), radius=56 * SS, fill=RIM)
    edge = inset + 10 * SS
    draw.rounded_rectangle((edge, edge, big - edge, big - edge), radius=46 * SS, fill=BACK)
    # The play mark, with a deeper shade on its lower half for depth.
    left, top, right, bottom = 98 * SS, 70 * SS, 194 * SS, 186 * SS
    middle = (top + bottom) // 2
    draw.polygon([(left, top), (right, middle), (left, bottom)], fill=ORANGE)
    draw.polygon([(left, middle), (right, middle), (left, bottom)], fill=ORANGE_DEEP)
    return image


def main():
    image = master().resize((SIZE, SIZE), Image.LANCZOS)
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    image.save(OUT, format="ICO", sizes=[(s, s) for s in SIZES])
    print("wrote", OUT)


if __name__ == "__main__":
    main()
