#!/usr/bin/python3
"""Draws Velmora's skin bitmaps and the application icon.

Every image is painted at SS times its final size and reduced with a
Lanczos filter, so edges and captions come out smooth.  Images with an
alpha channel are kept as two separate planes while painting -- a colour
plane that is always filled edge to edge ("bled" past the shape) and a
coverage plane -- and both planes are reduced separately.  That keeps the
colour of half-transparent edge pixels right, so the bitmaps can be
premultiplied by the loader without dark fringes.

Nothing here depends on time or randomness: running the script again
gives byte-identical files.

Output:  png/<resource id>.png   and   velmora.ico (icon resource 128)
"""

import io
import math
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, "png")
ICON_PATH = os.path.join(HERE, "velmora.ico")
FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

SS = 4  # supersampling factor

# ---------------------------------------------------------------- palette
TITLE = (11, 20, 36)          # title bar of the main window, prompt strip
BODY_TOP = (19, 35, 60)       # main window body, gradient top
BODY_BOTTOM = (11, 22, 40)    # main window body, gradient bottom
HAIRLINE = (32, 51, 82)       # separators and frames
PANEL = (20, 36, 63)          # notice panel on the main window
CARD = (28, 41, 61)           # dialog card body
CARD_LINE = (40, 56, 80)      # line under the prompt strip
TRACK = (46, 62, 88)          # spinner track
ACCENT = (47, 124, 246)       # primary blue
ACCENT_HI = (76, 145, 255)    # primary, hover
ACCENT_LO = (30, 95, 204)     # primary, pressed
NEUTRAL = (74, 86, 106)       # secondary buttons
NEUTRAL_HI = (92, 105, 127)
NEUTRAL_LO = (57, 67, 84)
DISABLED = (55, 64, 79)       # disabled start button
TEXT = (255, 255, 255)
TEXT_SOFT = (200, 212, 228)   # step labels
TEXT_MUTED = (150, 166, 190)  # subtitle
TEXT_DISABLED = (122, 133, 150)
GLYPH = (232, 238, 246)       # close / minimise glyphs, normal
GLYPH_DIM = (90, 102, 120)    # close / minimise glyphs, disabled
RED = (224, 70, 78)           # close, hover
RED_LO = (178, 49, 58)        # close, pressed
SHADOW = (3, 7, 15)           # colour of every drop shadow
EDIT_GROUND = (238, 242, 247)  # under the agreement box (covered at run time)


# ---------------------------------------------------------------- helpers
def font(px, index=0):
    return ImageFont.truetype(FONT_PATH, int(round(px * SS)), index=index)


def s(v):
    """Final-size units to supersampled pixels."""
    return int(round(v * SS))


def sbox(box):
    return [s(v) for v in box]


def lighten(c, f):
    return tuple(int(round(v + (255 - v) * f)) for v in c)


def darken(c, f):
    return tuple(int(round(v * (1.0 - f))) for v in c)


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def vgradient(size, top, bottom):
    """RGB image of the given (supersampled) size, top colour to bottom."""
    w, h = size
    col = Image.new("RGB", (1, h))
    col.putdata([mix(top, bottom, y / max(1, h - 1)) for y in range(h)])
    return col.resize((w, h), Image.NEAREST)


def blank_mask(size, value=0):
    return Image.new("L", size, value)


def rrect_mask(size, box, radius, value=255):
    m = blank_mask(size)
    ImageDraw.Draw(m).rounded_rectangle(sbox(box), radius=s(radius), fill=value)
    return m


def scale_mask(m, f):
    return m.point(lambda v: int(round(v * f)))


def shift(m, dx, dy):
    """Moves a mask by whole supersampled pixels, filling with zero."""
    out = blank_mask(m.size)
    out.paste(m, (dx, dy))
    return out


def over_alpha(a, b):
    """Coverage of b painted over a:  a + b - a*b."""
    return ImageChops.subtract(ImageChops.add(a, b), ImageChops.multiply(a, b))


def paint(rgb, colour, mask):
    """Paints a flat colour through a coverage mask onto an RGB plane."""
    rgb.paste(Image.new("RGB", rgb.size, colour), (0, 0), mask)


def reduce_plane(im, size):
    return im.resize(size, Image.LANCZOS)


def finish_rgb(rgb):
    w, h = rgb.size
    return reduce_plane(rgb, (w // SS, h // SS))


def finish_rgba(rgb, alpha):
    w, h = rgb.size
    size = (w // SS, h // SS)
    c = reduce_plane(rgb, size)
    # Lanczos rings a little around hard steps; clamp the near-empty and
    # near-full ends so corners are really clear and bodies really solid.
    a = reduce_plane(alpha, size).point(
        lambda v: 0 if v <= 2 else (255 if v >= 253 else v))
    out = c.convert("RGBA")
    out.putalpha(a)
    return out


def ink_box(text, fnt, stroke=0):
    probe = ImageDraw.Draw(Image.new("L", (1, 1)))
    return probe.textbbox((0, 0), text, font=fnt, stroke_width=stroke)


def draw_text_centred(draw, cx, cy, text, fnt, fill, stroke=0):
    """Centres the ink of the text on (cx, cy), supersampled pixels."""
    l, t, r, b = ink_box(text, fnt, stroke)
    x = int(round(cx - (l + r) / 2.0))
    y = int(round(cy - (t + b) / 2.0))
    draw.text((x, y), text, font=fnt, fill=fill,
              stroke_width=stroke, stroke_fill=fill)


def draw_text_left(draw, x, cy, text, fnt, fill, stroke=0):
    """Left edge of the ink at x, ink centred vertically on cy."""
    l, t, r, b = ink_box(text, fnt, stroke)
    draw.text((int(round(x - l)), int(round(cy - (t + b) / 2.0))), text,
              font=fnt, fill=fill, stroke_width=stroke, stroke_fill=fill)


def text_width(text, fnt, stroke=0):
    l, t, r, b = ink_box(text, fnt, stroke)
    return r - l


def save_png(im, rid, mode):
    assert im.mode == mode, (rid, im.mode, mode)
    im.save(os.path.join(OUT_DIR, "%d.png" % rid), format="PNG",
            compress_level=9)


# ---------------------------------------------------------------- shield
def _bezier(p0, p1, p2, p3, n):
    pts = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] +
                    3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] +
                    3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


def shield_outline():
    """Shield in unit coordinates, clockwise from the top point."""
    right = []
    right += _bezier((0.50, 0.04), (0.62, 0.12), (0.74, 0.15),
                     (0.88, 0.16), 24)
    right += _bezier((0.88, 0.16), (0.88, 0.30), (0.88, 0.42),
                     (0.88, 0.50), 8)[1:]
    right += _bezier((0.88, 0.50), (0.88, 0.74), (0.70, 0.88),
                     (0.50, 0.97), 32)[1:]
    left = [(1.0 - x, y) for (x, y) in reversed(right[:-1])]
    return right + left[:-1]


def draw_shield(rgb, alpha, box, tick_width):
    """Blue shield with a white tick, fitted into box (supersampled px)."""
    x0, y0, x1, y1 = box
    w, h = x1 - x0, y1 - y0
    pts = [(x0 + x * w, y0 + y * h) for (x, y) in shield_outline()]
    m = blank_mask(rgb.size)
    ImageDraw.Draw(m).polygon(pts, fill=255)
    grad = vgradient((rgb.size[0], h), lighten(ACCENT, 0.22),
                     darken(ACCENT, 0.18))
    layer = rgb.copy()
    layer.paste(grad, (0, y0))
    rgb.paste(layer, (0, 0), m)
    if alpha is not None:
        alpha.paste(over_alpha(alpha, m))
    tick = [(x0 + 0.31 * w, y0 + 0.52 * h), (x0 + 0.45 * w, y0 + 0.66 * h),
            (x0 + 0.71 * w, y0 + 0.38 * h)]
    tm = blank_mask(rgb.size)
    td = ImageDraw.Draw(tm)
    td.line(tick, fill=255, width=int(round(tick_width)), joint="curve")
    r = tick_width / 2.0
    for (px, py) in (tick[0], tick[-1]):
        td.ellipse([px - r, py - r, px + r, py + r], fill=255)
    paint(rgb, TEXT, tm)


# ---------------------------------------------------------------- icon
def icon_frame(size):
    n = size * SS
    rgb = Image.new("RGB", (n, n), TITLE)
    alpha = blank_mask((n, n))
    if size >= 32:
        # Navy tile with the shield on it.
        tile = blank_mask((n, n))
        inset = n * 0.03
        ImageDraw.Draw(tile).rounded_rectangle(
            [inset, inset, n - inset - 1, n - inset - 1],
            radius=n * 0.22, fill=255)
        rgb.paste(vgradient((n, n), (30, 58, 104), (10, 22, 42)), (0, 0))
        # faint rim so the tile holds its edge on dark desktops
        rim = ImageChops.subtract(tile, ImageChops.multiply(
            tile, shift(tile, 0, max(1, n // 64))))
        paint(rgb, lighten((30, 58, 104), 0.35), scale_mask(rim, 0.55))
        alpha = tile
        pad = n * 0.17
        draw_shield(rgb, None, (int(pad), int(pad * 0.92),
                                int(n - pad), int(n - pad * 0.92)),
                    tick_width=n * 0.085)
    else:
        # At the smallest sizes the shield alone reads better.
        rgb.paste(Image.new("RGB", (n, n), ACCENT))
        pad = n * 0.04
        draw_shield(rgb, alpha, (int(pad), int(pad), int(n - pad),
                                 int(n - pad)),
                    tick_width=n * (0.15 if size <= 16 else 0.125))
    return finish_rgba(rgb, alpha)


def _dib_entry(im):
    """32-bit DIB icon image: header, BGRA rows bottom-up, AND mask."""
    w, h = im.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0,
                         0, 0, 0, 0)
    px = im.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
    stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if px[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def write_icon(path, sizes):
    images = []
    for size in sizes:
        im = icon_frame(size)
        if size >= 256:
            buf = io.BytesIO()
            im.save(buf, format="PNG", compress_level=9)
            data = buf.getvalue()
        else:
            data = _dib_entry(im)
        images.append((size, data))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(bytes(out))


# ---------------------------------------------------------------- buttons
BUTTON_LOOKS = {
    # state: (base change, caption offset)
    "normal": (0.0, 0),
    "hover": (0.14, 0),
    "pressed": (-0.16, 1),
}


def button(size, base, caption, state, text_px, radius, caption_colour=TEXT,
           flat=False, bold=0):
    w, h = size
    W, H = s(w), s(h)
    change, dy = BUTTON_LOOKS[state]
    if change > 0:
        c = lighten(base, change)
    elif change < 0:
        c = darken(base, -change)
    else:
        c = base
    if flat:
        top, bottom = c, c
    elif state == "pressed":
        top, bottom = darken(c, 0.05), lighten(c, 0.02)
    else:
        top, bottom = lighten(c, 0.10), darken(c, 0.07)
    rgb = vgradient((W, H), top, bottom)
    alpha = rrect_mask((W, H), (0, 0, w - 0.01, h - 0.01), radius)
    if state != "pressed" and not flat:
        # one-pixel sheen along the upper edge
        sheen = ImageChops.subtract(alpha, shift(alpha, 0, SS))
        paint(rgb, TEXT, scale_mask(sheen, 0.22))
    else:
        # pressed: a faint inner shade along the top instead
        shade = ImageChops.subtract(alpha, shift(alpha, 0, SS * 2))
        paint(rgb, darken(c, 0.35), scale_mask(shade, 0.45))
    d = ImageDraw.Draw(rgb)
    draw_text_centred(d, W / 2.0, H / 2.0 + s(dy), caption, font(text_px),
                      caption_colour, stroke=bold)
    return finish_rgba(rgb, alpha)


def dialog_buttons():
    sets = [
        ((138, 139, 140), "取消", NEUTRAL),
        ((144, 145, 146), "否", NEUTRAL),
        ((147, 148, 149), "确定", ACCENT),
        ((150, 151, 152), "是", ACCENT),
    ]
    for ids, caption, base in sets:
        for rid, state in zip(ids, ("normal", "hover", "pressed")):
            im = button((118, 34), base, caption, state, text_px=15.5,
                        radius=6)
            save_png(im, rid, "RGBA")


def start_buttons():
    for rid, state in zip((162, 163, 164), ("normal", "hover", "pressed")):
        im = button((158, 44), ACCENT, "开始修复", state, text_px=19,
                    radius=8, bold=2)
        save_png(im, rid, "RGBA")
    im = button((158, 44), DISABLED, "开始修复", "normal", text_px=19,
                radius=8, caption_colour=TEXT_DISABLED, flat=True, bold=2)
    save_png(im, 165, "RGBA")


def spare_squares():
    for rid, c in zip((141, 142, 143), (NEUTRAL, NEUTRAL_HI, NEUTRAL_LO)):
        W = s(12)
        rgb = Image.new("RGB", (W, W), darken(c, 0.25))
        ImageDraw.Draw(rgb).rectangle([SS, SS, W - SS - 1, W - SS - 1],
                                      fill=c)
        save_png(finish_rgb(rgb), rid, "RGB")


# ---------------------------------------------------------------- check box
def check_strip():
    W, H = s(48), s(16)
    rgb = Image.new("RGB", (W, H), TEXT)
    alpha = blank_mask((W, H))
    for cell in range(3):
        ox = 16 * cell
        outer = rrect_mask((W, H), (ox + 1.5, 1.5, ox + 14.5, 14.5), 3.5)
        inner = rrect_mask((W, H), (ox + 3.0, 3.0, ox + 13.0, 13.0), 2.2)
        ring = ImageChops.subtract(outer, inner)
        if cell == 0:
            # empty: white ring with a breath of white inside
            alpha.paste(over_alpha(alpha, ring))
            alpha.paste(over_alpha(alpha, scale_mask(inner, 0.10)))
            continue
        # checked / mixed: solid white box, accent mark
        alpha.paste(over_alpha(alpha, outer))
        mark = blank_mask((W, H))
        md = ImageDraw.Draw(mark)
        if cell == 1:
            pts = [(s(ox + 4.4), s(8.2)), (s(ox + 6.9), s(10.7)),
                   (s(ox + 11.6), s(5.4))]
            md.line(pts, fill=255, width=s(2.0), joint="curve")
            r = s(1.0)
            for (px, py) in (pts[0], pts[-1]):
                md.ellipse([px - r, py - r, px + r, py + r], fill=255)
        else:
            md.rounded_rectangle(sbox((ox + 4.5, 7.0, ox + 11.5, 9.0)),
                                 radius=s(1.0), fill=255)
        paint(rgb, ACCENT, mark)
    save_png(finish_rgba(rgb, alpha), 153, "RGBA")


# ---------------------------------------------------------------- caption buttons
def cross_mask(W):
    m = blank_mask((W, W))
    d = ImageDraw.Draw(m)
    a, b = s(3.6), s(9.4)
    width = s(1.55)
    d.line([(a, a), (b, b)], fill=255, width=width)
    d.line([(b, a), (a, b)], fill=255, width=width)
    r = width / 2.0
    for (px, py) in ((a, a), (b, b), (b, a), (a, b)):
        d.ellipse([px - r, py - r, px + r, py + r], fill=255)
    return m


def bar_mask(W):
    m = blank_mask((W, W))
    ImageDraw.Draw(m).rounded_rectangle(sbox((3.0, 6.0, 10.0, 7.6)),
                                        radius=s(0.5), fill=255)
    return m


def caption_buttons():
    W = s(13)
    ground = rrect_mask((W, W), (0, 0, 12.99, 12.99), 2.5)

    # close, normal: light cross on nothing
    rgb = Image.new("RGB", (W, W), GLYPH)
    save_png(finish_rgba(rgb, cross_mask(W)), 154, "RGBA")

    # close hover / pressed / disabled are opaque: they carry the title
    # bar colour in their corners so they sit on the bar seamlessly.
    for rid, g, glyph in ((155, RED, TEXT), (156, RED_LO, (242, 222, 224)),
                          (157, None, GLYPH_DIM)):
        rgb = Image.new("RGB", (W, W), TITLE)
        if g is not None:
            paint(rgb, g, ground)
        paint(rgb, glyph, cross_mask(W))
        save_png(finish_rgb(rgb), rid, "RGB")

    # minimise: bar on nothing; hover and pressed get a faint veil
    looks = ((158, GLYPH, 0.0), (159, TEXT, 0.16), (160, (196, 206, 220), 0.08),
             (161, GLYPH_DIM, 0.0))
    for rid, glyph, veil in looks:
        rgb = Image.new("RGB", (W, W), TEXT)
        alpha = scale_mask(ground, veil) if veil else blank_mask((W, W))
        bar = bar_mask(W)
        paint(rgb, glyph, bar)
        alpha = over_alpha(alpha, bar)
        save_png(finish_rgba(rgb, alpha), rid, "RGBA")


# ---------------------------------------------------------------- dialogs
CARD_SIZE = (438, 251)
CARD_AT = (19, 14)
SHADOW_SIZE = (476, 289)
CARD_RADIUS = 15
STRIP_H = 34


def prompt_card():
    """Opaque prompt card, drawn as a full rectangle (supersampled RGB).

    The window clips it to a rounded region, so the corners are simply
    left in the strip / body colour."""
    w, h = CARD_SIZE
    W, H = s(w), s(h)
    rgb = Image.new("RGB", (W, H), CARD)
    d = ImageDraw.Draw(rgb)
    d.rectangle([0, 0, W - 1, s(STRIP_H) - 1], fill=TITLE)
    d.rectangle([0, s(STRIP_H), W - 1, s(STRIP_H + 1) - 1], fill=CARD_LINE)
    # accent tick and title, on the same line as the close button
    cy = s(18.5)
    d.rounded_rectangle(sbox((16, 12, 19, 25)), radius=s(1.5), fill=ACCENT)
    draw_text_left(d, s(26), cy, "提示", font(15), TEXT)
    return rgb


def wait_card():
    w, h = CARD_SIZE
    W, H = s(w), s(h)
    rgb = Image.new("RGB", (W, H), CARD)
    d = ImageDraw.Draw(rgb)
    # spinner: track ring plus an arc that fades in towards its head.
    # Card coordinates: image centre (238, 90) minus the card offset.
    cx, cy = s(238 - CARD_AT[0]), s(90 - CARD_AT[1])
    r, width = s(19), s(4)
    ring = [cx - r, cy - r, cx + r, cy + r]
    d.ellipse(ring, outline=TRACK, width=width)
    start, sweep, steps = -90.0, 290.0, 96
    for i in range(steps):
        t = (i + 1) / steps
        col = mix(TRACK, ACCENT, t ** 1.1)
        a0 = start + sweep * i / steps
        a1 = start + sweep * (i + 1) / steps + 0.6
        d.arc(ring, a0, a1, fill=col, width=width)
    head = math.radians(start + sweep)
    hx = cx + (r - width / 2.0) * math.cos(head)
    hy = cy + (r - width / 2.0) * math.sin(head)
    hr = width / 2.0
    d.ellipse([hx - hr, hy - hr, hx + hr, hy + hr], fill=ACCENT)
    return rgb


def extend_edges(im, size, at):
    """Places im on a canvas of the given size and repeats its outermost
    rows and columns into the margin, so anti-aliased borders only ever
    blend with the image's own edge colour."""
    w, h = size
    iw, ih = im.size
    ox, oy = at
    out = Image.new(im.mode, size)
    out.paste(im, at)
    if ox > 0:
        out.paste(im.crop((0, 0, 1, ih)).resize((ox, ih)), (0, oy))
    if ox + iw < w:
        out.paste(im.crop((iw - 1, 0, iw, ih)).resize((w - ox - iw, ih)),
                  (ox + iw, oy))
    if oy > 0:
        out.paste(out.crop((0, oy, w, oy + 1)).resize((w, oy)), (0, 0))
    if oy + ih < h:
        out.paste(out.crop((0, oy + ih - 1, w, oy + ih)).resize(
            (w, h - oy - ih)), (0, oy + ih))
    return out


def card_with_shadow(card_rgb):
    """Places a supersampled card on a soft, transparent drop shadow."""
    w, h = SHADOW_SIZE
    cw, ch = CARD_SIZE
    ox, oy = CARD_AT
    # card shape, reduced to final size
    big = rrect_mask((s(w), s(h)), (ox, oy, ox + cw - 0.01, oy + ch - 0.01),
                     CARD_RADIUS)
    card_a = reduce_plane(big, (w, h)).point(
        lambda v: 0 if v <= 2 else (255 if v >= 253 else v))
    card_c = extend_edges(reduce_plane(card_rgb, CARD_SIZE), (w, h), CARD_AT)
    card = card_c.convert("RGBA")
    card.putalpha(card_a)

    # shadow: blurred card shape, a little lower than the card
    sm = blank_mask((w, h))
    ImageDraw.Draw(sm).rounded_rectangle(
        [ox + 1, oy + 4, ox + cw - 2, oy + ch + 2], radius=CARD_RADIUS,
        fill=255)
    sm = sm.filter(ImageFilter.GaussianBlur(6.5))
    sm = scale_mask(sm, 0.62)
    shadow = Image.new("RGBA", (w, h), SHADOW + (0,))
    shadow.putalpha(sm)

    out = Image.alpha_composite(shadow, card)
    # wherever nothing is left, keep the shadow colour rather than black
    empty = out.getchannel("A").point(lambda v: 255 if v == 0 else 0)
    base = Image.new("RGBA", (w, h), SHADOW + (0,))
    out.paste(base, (0, 0), empty)
    return out


def dialogs():
    card = prompt_card()
    save_png(finish_rgb(card), 169, "RGB")
    save_png(card_with_shadow(card), 136, "RGBA")
    save_png(card_with_shadow(wait_card()), 135, "RGBA")


# ---------------------------------------------------------------- main window
def main_background():
    w, h = 800, 500
    W, H = s(w), s(h)
    bar_h = 50
    rgb = Image.new("RGB", (W, H), TITLE)
    rgb.paste(vgradient((W, H - s(bar_h)), BODY_TOP, BODY_BOTTOM),
              (0, s(bar_h)))
    d = ImageDraw.Draw(rgb)
    d.rectangle([0, s(bar_h), W - 1, s(bar_h + 1) - 1], fill=HAIRLINE)

    # a very soft glow of the accent low in the window, behind the button
    glow = blank_mask((w, h))
    ImageDraw.Draw(glow).ellipse([180, 360, 620, 560], fill=255)
    glow = glow.filter(ImageFilter.GaussianBlur(60))
    glow = scale_mask(glow, 0.10).resize((W, H), Image.BILINEAR)
    glow.paste(0, (0, 0, W, s(bar_h + 1)))
    paint(rgb, ACCENT, glow)

    # title: logo, product name, subtitle (all left of the version text)
    draw_shield(rgb, None, (s(20), s(13), s(44), s(37)),
                tick_width=s(24) * 0.125)
    cy = s(25)
    name_font = font(21)
    draw_text_left(d, s(54), cy, "Velmora", name_font, TEXT, stroke=1)
    x = s(54) + text_width("Velmora", name_font, 1) + s(12)
    d.rectangle([x, s(18), x + s(1) - 1, s(32)], fill=HAIRLINE)
    draw_text_left(d, x + s(12), cy + s(0.5), "显卡蓝屏修复工具", font(14),
                   TEXT_MUTED)

    # agreement box: soft shadow and a thin frame round (50,60)-(750,270)
    box = (50, 60, 750, 270)
    sh = blank_mask((w, h))
    ImageDraw.Draw(sh).rectangle([box[0] + 2, box[1] + 4, box[2] - 3,
                                  box[3] + 2], fill=255)
    sh = scale_mask(sh.filter(ImageFilter.GaussianBlur(6)), 0.55)
    paint(rgb, SHADOW, sh.resize((W, H), Image.BILINEAR))
    d.rectangle(sbox((box[0] - 1, box[1] - 1, box[2] + 1, box[3] + 1)),
                fill=HAIRLINE)
    d.rectangle([s(box[0]), s(box[1]), s(box[2]) - 1, s(box[3]) - 1],
                fill=EDIT_GROUND)

    # notice panel with the three steps of a repair
    panel = (50, 312, 750, 410)
    pm = rrect_mask((W, H), panel, 10)
    inner = rrect_mask((W, H), (panel[0] + 1, panel[1] + 1, panel[2] - 1,
                                panel[3] - 1), 9)
    paint(rgb, HAIRLINE, pm)
    paint(rgb, PANEL, inner)
    steps = ("识别机型", "禁用设备", "重启生效")
    centres = (167, 400, 633)
    ny, ly, r = 346, 381, 14
    num_font, label_font = font(15), font(14)
    for i, (label, cx) in enumerate(zip(steps, centres)):
        d.ellipse(sbox((cx - r, ny - r, cx + r, ny + r)), fill=ACCENT)
        draw_text_centred(d, s(cx), s(ny), str(i + 1), num_font, TEXT,
                          stroke=1)
        draw_text_centred(d, s(cx), s(ly), label, label_font, TEXT_SOFT)
        if i + 1 < len(centres):
            # connector: a line with a small chevron, between the circles
            x0, x1 = cx + r + 22, centres[i + 1] - r - 22
            lw = s(1.5)
            d.line([(s(x0), s(ny)), (s(x1 - 2), s(ny))], fill=(58, 86, 130),
                   width=lw)
            d.line([(s(x1 - 6), s(ny - 5)), (s(x1), s(ny)),
                    (s(x1 - 6), s(ny + 5))], fill=(58, 86, 130), width=lw,
                   joint="curve")

    # start button (321,427)-(479,471): a soft shadow under it
    bs = blank_mask((w, h))
    ImageDraw.Draw(bs).rounded_rectangle([323, 431, 477, 474], radius=8,
                                         fill=255)
    bs = scale_mask(bs.filter(ImageFilter.GaussianBlur(5)), 0.45)
    paint(rgb, SHADOW, bs.resize((W, H), Image.BILINEAR))

    out = finish_rgb(rgb).convert("RGBA")
    save_png(out, 134, "RGBA")


# ---------------------------------------------------------------- entry
def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    main_background()
    dialogs()
    dialog_buttons()
    start_buttons()
    spare_squares()
    check_strip()
    caption_buttons()
    write_icon(ICON_PATH, (16, 24, 32, 48, 64, 256))


if __name__ == "__main__":
    main()
