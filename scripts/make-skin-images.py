#!/usr/bin/python3
"""Draws every image of the launcher's default skin into resources/.

Run with Debian's python3 (it has PIL):  /usr/bin/python3 scripts/make-skin-images.py
The output is deterministic, so re-running it reproduces the committed files.

Shapes are drawn at SS times the final size and scaled down, which gives
clean anti-aliased edges without a vector library.
"""
import math
import os
import random

from PIL import Image, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
THEME = os.path.join(ROOT, "resources", "themes", "default")
BASIC = os.path.join(THEME, "basic")
PUBLIC_BK = os.path.join(THEME, "public", "bk")

SS = 8  # supersampling factor

# Palette of the dark theme (matches the colours in global.xml).
BACK = (0x20, 0x23, 0x2A)
PANEL = (0x2C, 0x31, 0x3B)
PANEL_HI = (0x3A, 0x41, 0x4E)
ORANGE = (0xFC, 0xB7, 0x55)
ORANGE_DEEP = (0xE8, 0x8A, 0x1E)
GRAY = (0x8E, 0x99, 0xA6)
WHITE = (0xFF, 0xFF, 0xFF)
RED = (0xE0, 0x4B, 0x4B)

BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def rgba(c, a=255):
    return (c[0], c[1], c[2], a)


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def canvas(w, h, fill=(0, 0, 0, 0)):
    """A supersampled RGBA canvas and its drawing context."""
    img = Image.new("RGBA", (w * SS, h * SS), fill)
    return img, ImageDraw.Draw(img)


def finish(img, w, h):
    return img.resize((w, h), Image.LANCZOS)


def s(v):
    """Final-pixel coordinate to supersampled coordinate."""
    return int(round(v * SS))


def box(x0, y0, x1, y1):
    return [s(x0), s(y0), s(x1) - 1, s(y1) - 1]


def vertical_gradient(w, h, top, bottom):
    grad = Image.new("RGBA", (1, h))
    for y in range(h):
        t = y / max(1, h - 1)
        grad.putpixel((0, y), lerp(top, bottom, t))
    return grad.resize((w, h))


def masked(fill_img, mask):
    out = Image.new("RGBA", fill_img.size, (0, 0, 0, 0))
    out.paste(fill_img, (0, 0), mask)
    return out


def rounded_mask(w, h, inset, radius):
    mask = Image.new("L", (w * SS, h * SS), 0)
    ImageDraw.Draw(mask).rounded_rectangle(box(inset, inset, w - inset, h - inset),
                                           radius=s(radius), fill=255)
    return mask


def save(img, folder, name):
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    img.save(path, optimize=True)
    return path


# ---------------------------------------------------------------- window buttons

def round_button_base(size, hot, hot_color):
    img, d = canvas(size, size)
    if hot:
        d.ellipse(box(2, 2, size - 2, size - 2), fill=rgba(hot_color, 235))
    return img, d


def make_min(hot):
    img, d = round_button_base(30, hot, PANEL_HI)
    col = WHITE if hot else GRAY
    d.rounded_rectangle(box(9, 14, 21, 16.2), radius=s(1), fill=rgba(col))
    return finish(img, 30, 30)


def make_close(hot):
    img, d = round_button_base(30, hot, RED)
    col = WHITE if hot else GRAY
    width = s(2.2)
    d.line([s(10.5), s(10.5), s(19.5), s(19.5)], fill=rgba(col), width=width)
    d.line([s(19.5), s(10.5), s(10.5), s(19.5)], fill=rgba(col), width=width)
    return finish(img, 30, 30)


# ---------------------------------------------------------------- community links

def link_badge(glyph):
    """A 35 x 35 round badge with a white glyph."""
    n = 35
    img, d = canvas(n, n)
    grad = vertical_gradient(n * SS, n * SS, rgba(PANEL_HI), rgba(PANEL))
    disc = Image.new("L", (n * SS, n * SS), 0)
    ImageDraw.Draw(disc).ellipse(box(1, 1, n - 1, n - 1), fill=255)
    img.paste(grad, (0, 0), disc)
    d = ImageDraw.Draw(img)
    d.ellipse(box(1, 1, n - 1, n - 1), outline=rgba(ORANGE, 200), width=s(1.2))
    glyph(d)
    return finish(img, n, n)


def chat_glyph(d):
    # Speech bubble with three dots: the community chat group.
    d.rounded_rectangle(box(9, 10, 26, 22), radius=s(4), fill=rgba(WHITE))
    d.polygon([(s(12), s(21)), (s(12), s(26.5)), (s(17), s(21))], fill=rgba(WHITE))
    for cx in (13.5, 17.5, 21.5):
        d.ellipse(box(cx - 1.3, 14.7, cx + 1.3, 17.3), fill=rgba(PANEL))


def home_glyph(d):
    # House: the official home page.
    d.polygon([(s(17.5), s(8.5)), (s(27), s(17)), (s(8), s(17))], fill=rgba(WHITE))
    d.rectangle(box(11, 16, 24, 26), fill=rgba(WHITE))
    d.rounded_rectangle(box(15.5, 19.5, 19.5, 26), radius=s(1), fill=rgba(PANEL))


# ---------------------------------------------------------------- flags

def flag_badge(draw_flag):
    """A 33 x 33 round flag with a thin light ring."""
    n = 33
    flag = Image.new("RGBA", (n * SS, n * SS), (0, 0, 0, 0))
    draw_flag(flag, n)
    disc = Image.new("L", (n * SS, n * SS), 0)
    ImageDraw.Draw(disc).ellipse(box(1, 1, n - 1, n - 1), fill=255)
    img = Image.new("RGBA", (n * SS, n * SS), (0, 0, 0, 0))
    img.paste(flag, (0, 0), disc)
    d = ImageDraw.Draw(img)
    d.ellipse(box(1, 1, n - 1, n - 1), outline=(255, 255, 255, 210), width=s(1.3))
    return finish(img, n, n)


def union_flag(img, n):
    d = ImageDraw.Draw(img)
    blue, red, white = (0x01, 0x21, 0x69, 255), (0xC8, 0x10, 0x2E, 255), (255, 255, 255, 255)
    W = H = n * SS
    d.rectangle([0, 0, W, H], fill=blue)
    # Diagonals: white saltire, then the thinner red one.
    d.line([0, 0, W, H], fill=white, width=int(W * 0.20))
    d.line([W, 0, 0, H], fill=white, width=int(W * 0.20))
    d.line([0, 0, W, H], fill=red, width=int(W * 0.07))
    d.line([W, 0, 0, H], fill=red, width=int(W * 0.07))
    # Upright cross: white border, red centre.
    c = W // 2
    d.rectangle([c - int(W * 0.17), 0, c + int(W * 0.17), H], fill=white)
    d.rectangle([0, c - int(W * 0.17), W, c + int(W * 0.17)], fill=white)
    d.rectangle([c - int(W * 0.10), 0, c + int(W * 0.10), H], fill=red)
    d.rectangle([0, c - int(W * 0.10), W, c + int(W * 0.10)], fill=red)


def star_points(cx, cy, r, rotation):
    pts = []
    for i in range(10):
        rad = r if i % 2 == 0 else r * 0.382
        a = rotation + i * math.pi / 5 - math.pi / 2
        pts.append((cx + rad * math.cos(a), cy + rad * math.sin(a)))
    return pts


def china_flag(img, n):
    d = ImageDraw.Draw(img)
    W = n * SS
    d.rectangle([0, 0, W, W], fill=(0xDE, 0x29, 0x10, 255))
    yellow = (0xFF, 0xDE, 0x00, 255)
    u = W / 20.0  # grid unit of the canton, shifted so it sits well inside the circle
    big = (6.2 * u, 7.5 * u)
    d.polygon(star_points(big[0], big[1], 3.4 * u, 0), fill=yellow)
    for sx, sy in ((10.6, 4.0), (12.6, 6.3), (12.6, 9.3), (10.6, 11.5)):
        x, y = sx * u, sy * u
        rot = math.atan2(big[1] - y, big[0] - x) + math.pi / 2
        d.polygon(star_points(x, y, 1.15 * u, rot), fill=yellow)


# ---------------------------------------------------------------- card menu button (gear)

def gear(state):
    n = 27
    img, d = canvas(n, n)
    if state == "hover":
        d.ellipse(box(0.5, 0.5, n - 0.5, n - 0.5), fill=(255, 255, 255, 40))
        col = WHITE
    elif state == "press":
        d.ellipse(box(0.5, 0.5, n - 0.5, n - 0.5), fill=rgba(ORANGE, 60))
        col = ORANGE
    else:
        d.ellipse(box(0.5, 0.5, n - 0.5, n - 0.5), fill=(0, 0, 0, 70))
        col = (0xE6, 0xE9, 0xEE)
    cx = cy = n / 2.0
    teeth, r_out, r_in = 8, 9.6, 7.4
    pts = []
    for i in range(teeth * 4):
        a = i * 2 * math.pi / (teeth * 4)
        r = r_out if (i % 4) in (1, 2) else r_in
        pts.append((s(cx + r * math.cos(a)), s(cy + r * math.sin(a))))
    d.polygon(pts, fill=rgba(col))
    d.ellipse(box(cx - 6.6, cy - 6.6, cx + 6.6, cy + 6.6), fill=rgba(col))
    # Hole: punch through to transparent.
    hole = Image.new("L", img.size, 0)
    ImageDraw.Draw(hole).ellipse(box(cx - 3.0, cy - 3.0, cx + 3.0, cy + 3.0), fill=255)
    img.paste((0, 0, 0, 0), (0, 0), hole)
    if state != "normal":
        bg = (255, 255, 255, 40) if state == "hover" else rgba(ORANGE, 60)
        img.paste(bg, (0, 0), hole)
    return finish(img, n, n)


# ---------------------------------------------------------------- pill buttons

def pill(w, h, top, bottom, border, gloss):
    grad = vertical_gradient(w * SS, h * SS, top, bottom)
    img = masked(grad, rounded_mask(w, h, 0.5, h / 2.0 - 2))
    d = ImageDraw.Draw(img)
    if gloss:
        hl = Image.new("RGBA", img.size, (0, 0, 0, 0))
        ImageDraw.Draw(hl).rounded_rectangle(box(3, 1.5, w - 3, h / 2.0), radius=s(h / 2.0 - 4),
                                             fill=(255, 255, 255, gloss))
        img = Image.alpha_composite(img, hl)
        d = ImageDraw.Draw(img)
    d.rounded_rectangle(box(0.5, 0.5, w - 0.5, h - 0.5), radius=s(h / 2.0 - 2),
                        outline=border, width=s(1))
    return finish(img, w, h)


def start_normal():
    return pill(80, 31, rgba(ORANGE), rgba(ORANGE_DEEP), rgba((0xB8, 0x6A, 0x12)), 45)


def start_hot():
    return pill(80, 31, rgba((0xFF, 0xCF, 0x7F)), rgba((0xF5, 0x9E, 0x2E)),
                rgba((0xFF, 0xE2, 0xAE)), 70)


def menu_entry(variant):
    w, h = 81, 31
    if variant == 0:
        top, bottom, border = (0x3C, 0x43, 0x50, 245), (0x2E, 0x33, 0x3D, 245), (0x55, 0x5E, 0x6D, 255)
    else:
        top, bottom, border = (0x4A, 0x52, 0x61, 245), (0x38, 0x3F, 0x4B, 245), rgba(ORANGE)
    grad = vertical_gradient(w * SS, h * SS, top, bottom)
    img = masked(grad, rounded_mask(w, h, 0.5, 5))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle(box(0.5, 0.5, w - 0.5, h - 0.5), radius=s(5), outline=border, width=s(1))
    # A small accent mark on the left edge makes the entries read as a menu.
    d.rounded_rectangle(box(4, 10, 6, 21), radius=s(1), fill=rgba(ORANGE, 220))
    return finish(img, w, h)


# ---------------------------------------------------------------- progress bar

def progress_track():
    w, h = 353, 4
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, w - 1, h - 1], fill=(0xFF, 0xFF, 0xFF, 45))
    d.line([0, 0, w - 1, 0], fill=(0, 0, 0, 70))
    return img


def progress_fill():
    w, h = 353, 4
    img = Image.new("RGBA", (w, h))
    left, right = (0xF5, 0x8A, 0x1F), (0xFF, 0xD2, 0x6E)
    for x in range(w):
        c = lerp(left, right, x / (w - 1))
        for y in range(h):
            shade = (1.12, 1.0, 0.92, 0.82)[y]
            img.putpixel((x, y), tuple(min(255, int(v * shade)) for v in c) + (255,))
    return img


# ---------------------------------------------------------------- default card icon

def card_icon():
    w, h = 31, 35
    img, d = canvas(w, h)
    # Shield outline filled with an orange gradient.
    shield = [(15.5, 1), (29.5, 5.5), (29.5, 17), (15.5, 34), (1.5, 17), (1.5, 5.5)]
    mask = Image.new("L", img.size, 0)
    ImageDraw.Draw(mask).polygon([(s(x), s(y)) for x, y in shield], fill=255)
    grad = vertical_gradient(w * SS, h * SS, rgba((0xFF, 0xCB, 0x74)), rgba(ORANGE_DEEP))
    img.paste(grad, (0, 0), mask)
    d = ImageDraw.Draw(img)
    d.line([(s(x), s(y)) for x, y in shield + [shield[0]]], fill=(255, 255, 255, 150), width=s(1))
    # Play triangle: "a game".
    d.polygon([(s(12), s(10.5)), (s(12), s(23.5)), (s(22), s(17))], fill=rgba(BACK))
    return finish(img, w, h)


# ---------------------------------------------------------------- logo

def logo():
    w, h = 155, 45
    img, d = canvas(w, h)
    # Emblem: a rounded hexagon with a play mark.
    cx, cy, r = 21, 22.5, 18
    hexagon = [(s(cx + r * math.cos(math.pi / 6 + i * math.pi / 3)),
                s(cy + r * math.sin(math.pi / 6 + i * math.pi / 3))) for i in range(6)]
    mask = Image.new("L", img.size, 0)
    ImageDraw.Draw(mask).polygon(hexagon, fill=255)
    mask = mask.filter(ImageFilter.GaussianBlur(SS * 0.6)).point(lambda v: 255 if v > 127 else 0)
    grad = vertical_gradient(w * SS, h * SS, rgba((0xFF, 0xD0, 0x80)), rgba(ORANGE_DEEP))
    img.paste(grad, (0, 0), mask)
    d = ImageDraw.Draw(img)
    d.polygon([(s(16.5), s(14)), (s(16.5), s(31)), (s(30), s(22.5))], fill=rgba(BACK))
    # Word mark.
    try:
        big = ImageFont.truetype(BOLD_FONT, s(17))
        small = ImageFont.truetype(BOLD_FONT, s(7.2))
        d.text((s(46), s(5.5)), "GAMEHUB", font=big, fill=rgba(WHITE))
        d.text((s(47), s(27)), "L A U N C H E R", font=small, fill=rgba(ORANGE))
    except OSError:
        d.rounded_rectangle(box(46, 9, 150, 25), radius=s(3), fill=rgba(WHITE))
        d.rounded_rectangle(box(46, 29, 120, 35), radius=s(2), fill=rgba(ORANGE))
    return finish(img, w, h)


# ---------------------------------------------------------------- loading animation

def loading_frames():
    """96 frames of a comet-tail spinner with a soft pulsing label; loops seamlessly."""
    w, h, frames = 360, 240, 96
    turns = 4  # one turn every 24 frames
    cx, cy, radius = w / 2.0, 100.0, 38.0
    try:
        font = ImageFont.truetype(BOLD_FONT, s(13))
    except OSError:
        font = None
    result = []
    for f in range(frames):
        img, d = canvas(w, h, rgba(BACK))
        # Faint track ring.
        d.ellipse(box(cx - radius, cy - radius, cx + radius, cy + radius),
                  outline=rgba(PANEL_HI), width=s(5))
        head = 2 * math.pi * turns * f / frames
        segments = 150
        tail = math.radians(270)
        for i in range(segments):
            t = i / (segments - 1)  # 0 at tail end, 1 at head
            a = head - tail * (1 - t)
            col = lerp(PANEL_HI, ORANGE, t ** 1.6)
            thickness = 2.0 + 3.5 * t
            x, y = cx + radius * math.cos(a), cy + radius * math.sin(a)
            d.ellipse(box(x - thickness, y - thickness, x + thickness, y + thickness), fill=rgba(col))
        # Label: brightness breathes twice per loop.
        glow = 0.55 + 0.45 * (0.5 + 0.5 * math.cos(2 * math.pi * 2 * f / frames))
        label_col = lerp(BACK, WHITE, glow)
        if font is not None:
            text = "LOADING"
            tw = d.textlength(text, font=font) + s(3) * (len(text) - 1)
            x = s(cx) - tw / 2
            for ch in text:
                d.text((x, s(170)), ch, font=font, fill=rgba(label_col))
                x += d.textlength(ch, font=font) + s(3)
        # Three dots below the label advance one step every 16 frames.
        step = (f // 16) % 3
        for i in range(3):
            col = ORANGE if i == step else PANEL_HI
            dx = cx + (i - 1) * 12
            d.ellipse(box(dx - 2.5, 200 - 2.5, dx + 2.5, 200 + 2.5), fill=rgba(col))
        result.append(finish(img, w, h).convert("RGB"))
    return result


def save_gif(frames, folder, name, delay_hundredths):
    os.makedirs(folder, exist_ok=True)
    # One shared palette keeps the colours steady from frame to frame.
    strip = Image.new("RGB", (frames[0].width, frames[0].height * 4))
    for i, k in enumerate((0, 8, 16, 40)):
        strip.paste(frames[k % len(frames)], (0, frames[0].height * i))
    palette = strip.quantize(colors=128, method=Image.MEDIANCUT)
    quantised = [fr.quantize(palette=palette, dither=Image.NONE) for fr in frames]
    path = os.path.join(folder, name)
    quantised[0].save(path, save_all=True, append_images=quantised[1:],
                      duration=delay_hundredths * 10, loop=0, optimize=False, disposal=1)
    return path


# ---------------------------------------------------------------- card background

def card_background():
    """1920 x 1024 night landscape: gradient sky, stars, layered hills."""
    w, h = 1920, 1024
    rnd = random.Random(20261208)
    img = vertical_gradient(w, h, (0x1B, 0x24, 0x3F, 255), (0x5A, 0x3A, 0x5E, 255)).convert("RGB")
    # Warm glow near the horizon.
    glow = Image.new("L", (w, h), 0)
    ImageDraw.Draw(glow).ellipse([w * 0.25, h * 0.45, w * 0.75, h * 1.05], fill=150)
    glow = glow.filter(ImageFilter.GaussianBlur(140))
    img.paste(Image.new("RGB", (w, h), (0xF5, 0x9A, 0x4A)), (0, 0), glow)
    d = ImageDraw.Draw(img)
    for _ in range(420):
        x, y = rnd.randrange(w), rnd.randrange(int(h * 0.6))
        b = rnd.randint(120, 255)
        r = rnd.choice((1, 1, 1, 2))
        d.ellipse([x, y, x + r, y + r], fill=(b, b, min(255, b + 20)))
    # Moon, inside the band a 150-pixel-high card shows of the picture.
    d.ellipse([1480, 290, 1590, 400], fill=(0xF4, 0xEB, 0xD6))
    d.ellipse([1505, 280, 1615, 390], fill=lerp((0x1B, 0x24, 0x3F), (0x5A, 0x3A, 0x5E), 0.31))
    layers = [
        (0.55, (0x3B, 0x2C, 0x4C), 110, 0.0021),
        (0.66, (0x2A, 0x22, 0x3B), 90, 0.0033),
        (0.78, (0x1B, 0x17, 0x29), 70, 0.0047),
        (0.90, (0x10, 0x0E, 0x18), 45, 0.0070),
    ]
    for base, col, amp, freq in layers:
        phase = rnd.uniform(0, 6.28)
        pts = [(0, h)]
        for x in range(0, w + 8, 8):
            y = base * h - amp * (0.6 * math.sin(x * freq + phase)
                                 + 0.3 * math.sin(x * freq * 2.7 + phase * 1.7)
                                 + 0.1 * math.sin(x * freq * 7.1 + phase * 0.3))
            pts.append((x, y))
        pts.append((w, h))
        d.polygon(pts, fill=col)
    return img


# ---------------------------------------------------------------- window shadow and mask

def window_shadow():
    """68 x 68 nine-grid source: 30-pixel soft border around an empty middle."""
    n, corner = 68, 30
    big = Image.new("L", (n * 4, n * 4), 0)
    inset = corner - 12
    ImageDraw.Draw(big).rounded_rectangle([inset * 4, inset * 4 + 6, (n - inset) * 4, (n - inset) * 4 + 6],
                                          radius=20, fill=150)
    big = big.filter(ImageFilter.GaussianBlur(4 * 7))
    alpha = big.resize((n, n), Image.LANCZOS)
    # The window covers the middle; keep it empty so nothing bleeds through.
    ImageDraw.Draw(alpha).rectangle([corner, corner, n - corner - 1, n - corner - 1], fill=0)
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    img.putalpha(alpha)
    return img


def image_mask():
    w, h = 500, 130
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    for y in range(h):
        a = int(210 * (y / (h - 1)) ** 1.5)
        ImageDraw.Draw(img).line([0, y, w - 1, y], fill=rgba(BACK, a))
    return img


def main():
    save(make_min(False), BASIC, "hide_off.png")
    save(make_min(True), BASIC, "hide_on.png")
    save(make_close(False), BASIC, "close_off.png")
    save(make_close(True), BASIC, "close_on.png")
    save(link_badge(chat_glyph), BASIC, "qq.png")
    save(link_badge(home_glyph), BASIC, "zy.png")
    save(flag_badge(union_flag), BASIC, "en.png")
    save(flag_badge(china_flag), BASIC, "zh.png")
    save(gear("normal"), BASIC, "settings.png")
    save(gear("hover"), BASIC, "settings_hover.png")
    save(gear("press"), BASIC, "setting_press.png")
    save(start_normal(), BASIC, "btn_update1.png")
    save(start_hot(), BASIC, "btn_update.png")
    save(menu_entry(0), BASIC, "btn_normal.png")
    save(menu_entry(1), BASIC, "btn_normal1.png")
    save(progress_track(), BASIC, "progress_bar1.png")
    save(progress_fill(), BASIC, "progress_bar2.png")
    save(card_icon(), BASIC, "Vector-12.png")
    save(logo(), BASIC, "Logo.png")
    save(card_background(), BASIC, "card_bg.png")
    save_gif(loading_frames(), BASIC, "loading.gif", 3)
    save(window_shadow(), PUBLIC_BK, "bk_shadow.png")
    save(image_mask(), PUBLIC_BK, "bg_image_mask.png")


if __name__ == "__main__":
    main()
