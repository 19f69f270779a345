#!/usr/bin/python3
"""Writes the small images the image tests decode and draw (run with /usr/bin/python3, needs PIL)."""
import os
from PIL import Image

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")
os.makedirs(here, exist_ok=True)

FRAME_COLOURS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)]


def gif(name, durations_ms, transparency=None, loop=0):
    frames = []
    for index, _ in enumerate(durations_ms):
        frame = Image.new("RGB", (8, 6), FRAME_COLOURS[index % len(FRAME_COLOURS)])
        frames.append(frame.convert("P", palette=Image.ADAPTIVE, colors=4))
    extra = {}
    if transparency is not None:
        extra["transparency"] = transparency
    frames[0].save(os.path.join(here, name), save_all=len(frames) > 1, append_images=frames[1:],
                   duration=durations_ms if len(frames) > 1 else durations_ms[0], loop=loop, disposal=1, optimize=False, **extra)


# Delays are stored in hundredths of a second.
gif("delay2.gif", [20, 20, 20])
gif("delay4.gif", [40, 40, 40])
gif("delay0.gif", [0, 0, 0])
gif("mixed.gif", [40, 40, 20, 0])
gif("still.gif", [100])
gif("transparent.gif", [100], transparency=0)

translucent = Image.new("RGBA", (4, 4), (10, 20, 30, 255))
translucent.putpixel((1, 2), (10, 20, 30, 128))
translucent.save(os.path.join(here, "translucent.png"))
Image.new("RGBA", (4, 4), (10, 20, 30, 255)).save(os.path.join(here, "opaque_rgba.png"))
Image.new("RGB", (5, 3), (200, 100, 50)).save(os.path.join(here, "rgb.png"))

# Nine-grid: a 6 x 6 image with 2-pixel borders, each region its own colour.
grid = Image.new("RGB", (6, 6))
regions = {
    (0, 0): (255, 0, 0), (1, 0): (0, 255, 0), (2, 0): (0, 0, 255),
    (0, 1): (255, 255, 0), (1, 1): (255, 255, 255), (2, 1): (0, 255, 255),
    (0, 2): (255, 0, 255), (1, 2): (128, 128, 128), (2, 2): (0, 0, 0),
}
for y in range(6):
    for x in range(6):
        grid.putpixel((x, y), regions[(x // 2, y // 2)])
grid.save(os.path.join(here, "grid.png"))

Image.new("RGB", (4, 4), (255, 0, 0)).save(os.path.join(here, "red.png"))
Image.new("RGB", (4, 4), (0, 255, 0)).save(os.path.join(here, "green.png"))
