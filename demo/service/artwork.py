"""Generated artwork of the demo site: the launcher logo, game icons and card
backgrounds. Everything is drawn from fixed seeds, so the PNG files are the
same on every run.

Small images are drawn at SS times their size and scaled down, which gives
clean edges without a vector library.
"""
import math
import os
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SS = 4

LATIN_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
LATIN = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
CJK = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# Colour themes of the games: (sky top, sky bottom, accent, glow).
THEMES = {
    "space": ((8, 10, 32), (46, 20, 72), (120, 170, 255), (220, 120, 255)),
    "mountains": ((32, 84, 96), (206, 226, 214), (30, 58, 62), (255, 236, 190)),
    "ice": ((22, 60, 110), (190, 232, 248), (230, 248, 255), (140, 220, 255)),
    "lava": ((24, 6, 6), (110, 22, 8), (255, 140, 30), (255, 210, 90)),
    "gears": ((26, 30, 36), (78, 86, 96), (176, 184, 194), (252, 183, 85)),
    "ocean": ((4, 18, 48), (20, 96, 140), (120, 220, 230), (240, 240, 210)),
}


def font(size, text="", bold=True):
    """A TrueType font that can draw `text`: the CJK face for Chinese, else
    DejaVu (falling back to the CJK face, which has Latin letters too)."""
    wants_cjk = any(ord(c) > 0x2E80 for c in text)
    for path in ([CJK] if wants_cjk else [LATIN_BOLD if bold else LATIN, CJK]):
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    raise RuntimeError("no usable font: install fonts-dejavu-core or fonts-wqy-microhei")


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def vertical_gradient(w, h, top, bottom):
    img = Image.new("RGB", (w, h))
    draw = ImageDraw.Draw(img)
    for y in range(h):
        draw.line([(0, y), (w, y)], fill=lerp(top, bottom, y / max(1, h - 1)))
    return img


def glow(img, centre, radius, colour, strength=1.0):
    """Adds a soft radial light (additive) around `centre`."""
    w, h = img.size
    # Pillow's radial gradient reaches 181 at the middle of each edge; fade to
    # nothing there, so the light has no square border.
    mask = Image.radial_gradient("L").resize((radius * 2, radius * 2), Image.BILINEAR)
    mask = mask.point(lambda v: int(max(0.0, 1.0 - v / 181.0) ** 2 * 255 * strength))
    layer = Image.new("RGB", (w, h), (0, 0, 0))
    spot = Image.new("RGB", (radius * 2, radius * 2), colour)
    layer.paste(spot, (centre[0] - radius, centre[1] - radius), mask)
    return ImageChops.add(img, layer)


def titled(img, title, subtitle, accent):
    """Draws the game title at the right with a shadow, inside the middle band
    that a launcher card shows of the picture."""
    w, h = img.size
    big = font(64, title)
    small = font(22, subtitle, bold=False)
    draw = ImageDraw.Draw(img)
    tw = draw.textlength(title, font=big)
    x, y = w - tw - 40, int(h * 0.40)
    shadow = Image.new("L", img.size, 0)
    ImageDraw.Draw(shadow).text((x + 3, y + 4), title, font=big, fill=200)
    shadow = shadow.filter(ImageFilter.GaussianBlur(6))
    img.paste((0, 0, 0), (0, 0), shadow)
    draw = ImageDraw.Draw(img)
    draw.text((x, y), title, font=big, fill=(255, 255, 255))
    sw = draw.textlength(subtitle, font=small)
    draw.text((w - sw - 44, y + 78), subtitle, font=small, fill=accent)
    return img


def scene_space(img, rng, theme):
    w, h = img.size
    img = glow(img, (int(w * 0.3), int(h * 0.4)), 260, (90, 30, 120), 0.8)
    img = glow(img, (int(w * 0.6), int(h * 0.2)), 200, (20, 60, 140), 0.7)
    draw = ImageDraw.Draw(img)
    for _ in range(420):
        x, y, r = rng.randrange(w), rng.randrange(h), rng.choice((0, 0, 0, 1, 1, 2))
        v = rng.randrange(150, 256)
        draw.ellipse([x - r, y - r, x + r, y + r], fill=(v, v, min(255, v + 30)))
    cx, cy, r = int(w * 0.72), int(h * 0.38), 120
    planet = vertical_gradient(2 * r, 2 * r, (230, 140, 90), (90, 30, 70))
    mask = Image.new("L", (2 * r, 2 * r), 0)
    ImageDraw.Draw(mask).ellipse([0, 0, 2 * r - 1, 2 * r - 1], fill=255)
    for band in range(6):
        y0 = int(2 * r * (band + 0.5) / 6)
        ImageDraw.Draw(planet).line([(0, y0), (2 * r, y0 + 18)], fill=(250, 190, 130), width=5)
    img.paste(planet.filter(ImageFilter.GaussianBlur(2)), (cx - r, cy - r), mask)
    draw = ImageDraw.Draw(img)
    draw.ellipse([cx - r - 70, cy - 26, cx + r + 70, cy + 26], outline=theme[2], width=5)
    return img


def ridge(rng, w, base, amplitude, roughness):
    points, y = [], base
    for x in range(0, w + 20, 20):
        y += rng.uniform(-roughness, roughness)
        y = min(base + amplitude, max(base - amplitude, y))
        points.append((x, y))
    return points


def scene_mountains(img, rng, theme):
    w, h = img.size
    img = glow(img, (int(w * 0.75), int(h * 0.3)), 160, theme[3], 0.9)
    draw = ImageDraw.Draw(img)
    draw.ellipse([int(w * 0.75) - 45, int(h * 0.3) - 45, int(w * 0.75) + 45, int(h * 0.3) + 45], fill=(255, 246, 220))
    for layer in range(5):
        t = layer / 4
        colour = lerp((150, 186, 176), theme[2], t)
        points = ridge(rng, w, h * (0.45 + 0.11 * layer), 50, 35)
        draw.polygon(points + [(w, h), (0, h)], fill=colour)
        mist = Image.new("L", img.size, 0)
        ImageDraw.Draw(mist).rectangle([0, int(h * (0.5 + 0.11 * layer)), w, h], fill=40)
        img.paste((230, 240, 236), (0, 0), mist.filter(ImageFilter.GaussianBlur(20)))
        draw = ImageDraw.Draw(img)
    return img


def scene_ice(img, rng, theme):
    w, h = img.size
    draw = ImageDraw.Draw(img)
    for _ in range(14):
        cx, cy, r = rng.randrange(w), rng.randrange(h), rng.randrange(30, 90)
        for k in range(6):
            a = math.pi * k / 3 + 0.2
            end = (cx + r * math.cos(a), cy + r * math.sin(a))
            draw.line([(cx, cy), end], fill=theme[2], width=3)
            for f in (0.45, 0.7):
                mx, my = cx + r * f * math.cos(a), cy + r * f * math.sin(a)
                for s in (-0.6, 0.6):
                    draw.line([(mx, my), (mx + r * 0.25 * math.cos(a + s), my + r * 0.25 * math.sin(a + s))],
                              fill=theme[2], width=2)
    for _ in range(300):
        x, y, r = rng.randrange(w), rng.randrange(h), rng.choice((1, 1, 2, 3))
        draw.ellipse([x - r, y - r, x + r, y + r], fill=(255, 255, 255))
    draw.polygon([(0, h), (0, h * 0.8), (w * 0.3, h * 0.7), (w * 0.6, h * 0.85), (w, h * 0.75), (w, h)],
                 fill=(236, 248, 255))
    return img.filter(ImageFilter.SMOOTH)


def scene_lava(img, rng, theme):
    w, h = img.size
    draw = ImageDraw.Draw(img)
    for band in range(7):
        phase, base = rng.uniform(0, 6.28), h * (0.45 + band * 0.08)
        points = [(x, base + 18 * math.sin(x / 70.0 + phase)) for x in range(0, w + 10, 10)]
        draw.polygon(points + [(w, h), (0, h)], fill=lerp((150, 30, 10), theme[2], band / 6))
    img = img.filter(ImageFilter.GaussianBlur(3))
    draw = ImageDraw.Draw(img)
    for _ in range(160):
        x, y, r = rng.randrange(w), rng.randrange(int(h * 0.6)), rng.choice((1, 2, 2, 3))
        draw.ellipse([x - r, y - r, x + r, y + r], fill=theme[3])
    return glow(img, (w // 2, h), 300, (120, 40, 0), 0.8)


def gear(draw, cx, cy, r, teeth, colour, hole):
    points = []
    for i in range(teeth * 4):
        a = 2 * math.pi * i / (teeth * 4)
        radius = r if (i % 4) in (1, 2) else r * 0.82
        points.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    draw.polygon(points, fill=colour)
    draw.ellipse([cx - r * 0.3, cy - r * 0.3, cx + r * 0.3, cy + r * 0.3], fill=hole)


def scene_gears(img, rng, theme):
    w, h = img.size
    draw = ImageDraw.Draw(img)
    for x in range(-h, w, 40):
        draw.line([(x, h), (x + h, 0)], fill=(40, 44, 52), width=12)
    for _ in range(9):
        r = rng.randrange(40, 120)
        shade = rng.randrange(90, 170)
        gear(draw, rng.randrange(w), rng.randrange(h), r, rng.randrange(8, 16), (shade, shade + 6, shade + 14),
             (30, 34, 40))
    for x in range(20, w, 60):
        draw.ellipse([x - 4, 16, x + 4, 24], fill=theme[2])
        draw.ellipse([x - 4, h - 24, x + 4, h - 16], fill=theme[2])
    return glow(img, (int(w * 0.2), int(h * 0.8)), 220, (120, 70, 10), 0.6)


def scene_ocean(img, rng, theme):
    w, h = img.size
    img = glow(img, (int(w * 0.25), int(h * 0.25)), 150, (120, 120, 90), 0.8)
    draw = ImageDraw.Draw(img)
    draw.ellipse([int(w * 0.25) - 40, int(h * 0.25) - 40, int(w * 0.25) + 40, int(h * 0.25) + 40], fill=theme[3])
    for row in range(12):
        y0 = h * 0.5 + row * 20
        phase = rng.uniform(0, 6.28)
        points = [(x, y0 + 6 * math.sin(x / 40.0 + phase)) for x in range(0, w + 8, 8)]
        draw.line(points, fill=lerp(theme[2], (10, 40, 80), row / 11), width=3)
    return img


SCENES = {
    "space": scene_space,
    "mountains": scene_mountains,
    "ice": scene_ice,
    "lava": scene_lava,
    "gears": scene_gears,
    "ocean": scene_ocean,
}


def background(theme_name, title, subtitle, seed, size=(880, 500)):
    theme = THEMES[theme_name]
    rng = random.Random(seed)
    img = vertical_gradient(size[0], size[1], theme[0], theme[1])
    img = SCENES[theme_name](img, rng, theme)
    return titled(img, title, subtitle, theme[3])


def icon(theme_name, glyph, size=(31, 35)):
    """A shield-shaped badge in the theme's colours with one glyph on it."""
    theme = THEMES[theme_name]
    w, h = size[0] * SS, size[1] * SS
    shield = [(w * 0.5, 0), (w, h * 0.14), (w * 0.94, h * 0.62), (w * 0.5, h), (w * 0.06, h * 0.62), (0, h * 0.14)]
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).polygon(shield, fill=255)
    fill = vertical_gradient(w, h, lerp(theme[3], (255, 255, 255), 0.3), theme[1])
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    img.paste(fill, (0, 0), mask)
    draw = ImageDraw.Draw(img)
    draw.polygon(shield, outline=(255, 255, 255, 230), width=SS * 2)
    face = font(int(h * 0.5), glyph)
    gw = draw.textlength(glyph, font=face)
    draw.text(((w - gw) / 2, h * 0.18), glyph, font=face, fill=(255, 255, 255, 255))
    return img.resize(size, Image.LANCZOS)


def logo(size=(155, 45)):
    """The launcher logo: a hexagonal emblem and the brand name."""
    w, h = size[0] * SS, size[1] * SS
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    r = h * 0.46
    cx, cy = r + SS, h / 2
    hexagon = [(cx + r * math.cos(math.pi / 3 * k + math.pi / 6), cy + r * math.sin(math.pi / 3 * k + math.pi / 6))
               for k in range(6)]
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).polygon(hexagon, fill=255)
    img.paste(vertical_gradient(w, h, (252, 183, 85), (232, 90, 30)), (0, 0), mask)
    draw = ImageDraw.Draw(img)
    inner = [(cx + r * 0.45 * math.cos(math.pi / 3 * k), cy + r * 0.45 * math.sin(math.pi / 3 * k)) for k in range(6)]
    draw.polygon(inner, fill=(32, 35, 42, 255))
    name, tag = font(int(h * 0.52), "NOVA"), font(int(h * 0.24), "GAMES", bold=False)
    draw.text((cx + r + 6 * SS, h * 0.06), "NOVA", font=name, fill=(255, 255, 255, 255))
    draw.text((cx + r + 7 * SS, h * 0.64), "G A M E S", font=tag, fill=(252, 183, 85, 255))
    return img.resize(size, Image.LANCZOS)
