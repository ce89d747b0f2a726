"""SVG for every image of a skin, from the layout tables and one palette.

Nothing here knows file names or skin.xml; generate.py renders what these
functions return and records where each sprite lies.
"""

from icons import ICONS
from palette import FONT, mix
import layout as L

SVG_HEAD = ('<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            'width="{w}" height="{h}" viewBox="0 0 {w} {h}">')

GLOW = ('<filter id="glow" x="-60%" y="-60%" width="220%" height="220%">'
        '<feGaussianBlur stdDeviation="{d}"/></filter>')


def svg(w, h, body, defs=""):
    return SVG_HEAD.format(w=w, h=h) + "<defs>" + defs + "</defs>" + body + "</svg>"


# ---------------------------------------------------------------- icons

def icon(name, cx, cy, scale, color, opacity=1.0, stroke_px=None, extra=""):
    """The icon centred on (cx, cy); strokes stay stroke_px wide whatever the scale."""
    if stroke_px is None:
        stroke_px = 1.75
    sw = stroke_px / scale
    s = ('fill="none" stroke="%s" stroke-width="%.3f" stroke-linecap="round" '
         'stroke-linejoin="round"' % (color, sw))
    f = 'fill="%s" stroke="none"' % color
    body = ICONS[name].replace("{S}", s).replace("{F}", f)
    ox, oy = cx - 10 * scale, cy - 10 * scale
    op = '' if opacity >= 1 else ' opacity="%.2f"' % opacity
    return '<g transform="translate(%.2f %.2f) scale(%.3f)"%s%s>%s</g>' % (ox, oy, scale, op, extra, body)


def logo(x, y, size, pal, bright=0.0, dy=0):
    """The player's mark: an accent tile holding a quaver."""
    top = mix(pal["accent_light"], "#ffffff", bright * 0.5)
    bottom = mix(pal["accent"], pal["accent_light"], bright)
    gid = "lg%d_%d_%d" % (x, y, int(bright * 10))
    s = size / 20.0
    defs = ('<linearGradient id="%s" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="%s"/>'
            '<stop offset="1" stop-color="%s"/></linearGradient>' % (gid, top, bottom))
    note = ('<path d="M10.6 13.6V5.2l4.2 1.6" fill="none" stroke="{c}" stroke-width="1.9" '
            'stroke-linecap="round" stroke-linejoin="round"/>'
            '<ellipse cx="8.3" cy="13.9" rx="2.5" ry="2.1" fill="{c}"/>').format(c=pal["on_accent"])
    body = ('<g transform="translate(%.2f %.2f) scale(%.3f)"><rect x="0.5" y="0.5" width="19" height="19" '
            'rx="5.5" fill="url(#%s)"/>%s</g>' % (x, y + dy, s, gid, note))
    return defs, body


# ---------------------------------------------------------------- buttons

STATES = ["N", "P", "H"]
CHECKED_STATES = ["C", "CP", "CH"]


def _cell_plain(c, st, pal, name):
    w, h = c["w"], c["h"]
    cx, cy = w / 2.0, h / 2.0
    dark = pal["dark"]
    acc, hov = pal["accent"], pal["hover"]
    out = []
    rr = min(6, h / 2.0 - 1)
    def bg(color, a):
        out.append('<rect x="1" y="1" width="%d" height="%d" rx="%.1f" fill="%s" opacity="%.3f"/>'
                   % (w - 2, h - 2, rr, color, a))
    if c.get("style") == "close" and st in ("H", "P"):
        red = "#e5484d" if st == "H" else "#c43c40"
        bg(red, 1.0)
        out.append(icon(name, cx, cy + (1 if st == "P" else 0), c["scale"], "#ffffff"))
        return "".join(out)
    if st == "N":
        out.append(icon(name, cx, cy, c["scale"], pal["text"], 0.8))
    elif st == "H":
        bg(hov, pal["hover_alpha"])
        out.append(icon(name, cx, cy, c["scale"], acc, 0.55, stroke_px=2.6, extra=' filter="url(#glow)"'))
        out.append(icon(name, cx, cy, c["scale"], pal["text_strong"] if dark else pal["text"]))
    elif st == "P":
        bg(hov, pal["press_alpha"])
        out.append(icon(name, cx, cy + 1, c["scale"], acc))
    elif st == "C":
        bg(acc, 0.14 if dark else 0.12)
        out.append(icon(name, cx, cy, c["scale"], acc))
    elif st == "CH":
        bg(acc, 0.22 if dark else 0.18)
        out.append(icon(name, cx, cy, c["scale"], acc, 0.6, stroke_px=2.6, extra=' filter="url(#glow)"'))
        out.append(icon(name, cx, cy, c["scale"], pal["accent_light"] if dark else pal["accent_deep"]))
    elif st == "CP":
        bg(acc, 0.30 if dark else 0.26)
        out.append(icon(name, cx, cy + 1, c["scale"], pal["accent_deep"] if not dark else acc))
    return "".join(out)


def _cell_play(c, st, pal, name):
    w, h = c["w"], c["h"]
    cx, cy = w / 2.0, h / 2.0
    r = 19.5
    dy = 1 if st in ("P", "CP") else 0
    out = []
    if st in ("H", "CH"):
        out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="%s" opacity="0.45" filter="url(#glow)"/>'
                   % (cx, cy, r + 1.5, pal["accent"]))
        top, bottom = pal["accent_light"], mix(pal["accent"], pal["accent_light"], 0.35)
    elif st in ("P", "CP"):
        top, bottom = pal["accent"], pal["accent_deep"]
    else:
        top, bottom = mix(pal["accent"], pal["accent_light"], 0.45), pal["accent"]
    gid = "pg_" + st
    out.append('<defs><linearGradient id="%s" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="%s"/>'
               '<stop offset="1" stop-color="%s"/></linearGradient></defs>' % (gid, top, bottom))
    out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="url(#%s)" stroke="%s" stroke-opacity="0.35"/>'
               % (cx, cy + dy, r, gid, pal["accent_deep"]))
    glyph = name if st in STATES else c["checked_icon"]
    dx = 0.8 if glyph == "play" else 0
    out.append(icon(glyph, cx + dx * 1.2, cy + dy, 1.2, pal["on_accent"]))
    return "".join(out)


def _cell_logo(c, st, pal):
    w, h = c["w"], c["h"]
    size = 18
    x, y = (w - size) / 2.0, (h - size) / 2.0
    out = []
    if st == "H":
        out.append('<rect x="%.1f" y="%.1f" width="%d" height="%d" rx="6" fill="%s" opacity="0.5" '
                   'filter="url(#glow)"/>' % (x, y, size, size, pal["accent"]))
    d, b = logo(x, y, size, pal, bright=0.6 if st == "H" else (0.0 if st == "N" else -0.0),
                dy=1 if st == "P" else 0)
    if st == "P":
        b = b.replace('fill="url(', 'opacity="0.85" fill="url(')
    out.append("<defs>" + d + "</defs>" + b)
    return "".join(out)


def button_sheet(c, pal):
    """Sprites side by side: normal, pressed, highlighted[, checked, checked+pressed, checked+highlighted]."""
    states = STATES + (CHECKED_STATES if c["kind"] == "ckbutton" else [])
    w, h = c["w"], c["h"]
    cells = []
    for i, st in enumerate(states):
        if c.get("style") == "play":
            inner = _cell_play(c, st, pal, c["icon"])
        elif c.get("style") == "logo":
            inner = _cell_logo(c, st, pal)
        else:
            name = c["icon"] if st in STATES else c.get("checked_icon", c["icon"])
            inner = _cell_plain(c, st, pal, name)
        cells.append('<clipPath id="cc%d"><rect x="0" y="0" width="%d" height="%d"/></clipPath>'
                     '<g transform="translate(%d 0)"><g clip-path="url(#cc%d)">%s</g></g>'
                     % (i, w, h, i * w, i, inner))
    positions = {st: (i * w, 0) for i, st in enumerate(states)}
    return svg(w * len(states), h, "".join(cells), GLOW.format(d=1.4)), positions


# ---------------------------------------------------------------- sliders

def slider_sheet(pal):
    """Row 0: TileA, the rest of the track; row 1: TileB, the played part; row 2: the thumb,
    normal, pressed, highlighted.

    Both tiles are whole tracks, caps included, as long as a bar is likely to get: the
    slider draws the first ThumbPos pixels of the played tile in one piece, so a short
    tile would let it run on into the thumbs beside it. A longer bar still works, since
    the middles repeat seamlessly. Track rows are whole pixels, so the rest of the track
    drawn over the played part's overhang hides it completely.
    """
    n, s = L.SLIDER_LEN, L.THUMB
    ty = (s - L.TRACK) // 2
    body = []
    body.append('<rect x="0" y="%d" width="%d" height="%d" rx="2" fill="%s"/>' % (ty, n, L.TRACK, pal["track"]))
    body.append('<rect x="0" y="%d" width="%d" height="%d" rx="2" fill="%s"/>'
                % (s + ty, n, L.TRACK, pal["accent"]))
    tw = L.THUMB_W
    cx, cy = tw / 2.0, s / 2.0
    thumbs = {}
    for i, st in enumerate(["N", "P", "H"]):
        x0, y0 = i * tw, 2 * s
        thumbs[st] = (x0, y0)
        g = []
        if st == "P":
            fill, rim, op = pal["accent"], pal["accent_deep"], 0.9
        elif st == "H":
            fill, rim, op = pal["thumb"], pal["accent"], 1.0
        else:
            fill, rim, op = pal["thumb"], pal["thumb_rim"], 0.55 if pal["dark"] else 0.8
        if st == "H":
            # the glow can only spread up and down: the cell is the disc's width
            g.append('<ellipse cx="%.1f" cy="%.1f" rx="6" ry="7.8" fill="%s" opacity="0.28"/>'
                     % (cx, cy, pal["accent"]))
        g.append('<circle cx="%.1f" cy="%.1f" r="5.5" fill="%s" stroke="%s" stroke-opacity="%.2f"/>'
                 % (cx, cy, fill, rim, op))
        if st == "H":
            g.append('<circle cx="%.1f" cy="%.1f" r="2" fill="%s"/>' % (cx, cy, pal["accent"]))
        body.append('<g transform="translate(%d %d)">%s</g>' % (x0, y0, "".join(g)))
    info = dict(tilea=(0, 0, n, s), tileb=(0, s, n, s), thumbs=thumbs)
    return svg(n, 3 * s, "".join(body)), info


def scrollbar_sheet(pal):
    """Track piece, then the thumb: normal, pressed, highlighted; opaque on the panel colour."""
    sw, th, tt = L.SCROLL_W, L.SCROLL_THUMB_H, L.SCROLL_TILE_H
    body = ['<rect width="%d" height="%d" fill="%s"/>' % (sw * 4, th, pal["panel"])]
    body.append('<rect x="2" y="0" width="%d" height="%d" fill="%s"/>' % (sw - 4, tt, pal["scroll_track"]))
    thumbs = {}
    for i, (st, col) in enumerate([("N", pal["scroll_thumb"]), ("P", pal["accent"]),
                                   ("H", pal["scroll_thumb_hot"])]):
        x0 = sw * (i + 1)
        thumbs[st] = (x0, 0)
        body.append('<rect x="%d" y="0" width="%d" height="%d" fill="%s"/>' % (x0 + 2, sw - 4, th, pal["scroll_track"]))
        body.append('<rect x="%d" y="1" width="%d" height="%d" rx="3" fill="%s"/>' % (x0 + 1, sw - 2, th - 2, col))
    info = dict(ti=(0, 0, sw, tt), thumbs=thumbs)
    return svg(sw * 4, th, "".join(body)), info


def spectrum_sheet(pal):
    """Background, bar (the full height: a bar of height h shows its bottom h rows) and peak."""
    w, h, bw = L.SPEC_W, L.SPEC_H, L.BAR_W
    body = ['<rect width="%d" height="%d" fill="%s"/>' % (w + 2 * bw, h, pal["screen"])]
    for y in range(h - 1, 0, -6):
        body.append('<rect x="0" y="%d" width="%d" height="1" fill="%s"/>' % (y, w, pal["screen_grid"]))
    body.append('<defs><linearGradient id="bar" x1="0" y1="0" x2="0" y2="1">'
                '<stop offset="0" stop-color="%s"/><stop offset="0.45" stop-color="%s"/>'
                '<stop offset="1" stop-color="%s"/></linearGradient></defs>'
                % (pal["accent2"], mix(pal["accent2"], pal["accent"], 0.5), pal["accent"]))
    body.append('<rect x="%d" y="0" width="%d" height="%d" fill="url(#bar)"/>' % (w, bw, h))
    body.append('<rect x="%d" y="0" width="%d" height="2" fill="%s"/>'
                % (w + bw, bw, mix(pal["screen"], pal["peak"], pal["peak_alpha"])))
    info = dict(fbg=(0, 0, w, h), fline=(w, 0, bw, h), fpeak=(w + bw, 0, bw, 2))
    return svg(w + 2 * bw, h, "".join(body)), info


# ---------------------------------------------------------------- frames

def frame(win, pal):
    """The whole window at its design size; generate.py cuts the nine pieces out of it."""
    W, H = win["w"], win["h"]
    cut = win["cut"]
    th = cut["th"]
    tb = win["title_h"]
    defs = [
        '<linearGradient id="body" gradientUnits="userSpaceOnUse" x1="0" y1="0" x2="0" y2="%d">'
        '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/></linearGradient>'
        % (th, pal["bg_top"], pal["bg_bottom"]),
        '<linearGradient id="title" gradientUnits="userSpaceOnUse" x1="0" y1="0" x2="0" y2="%d">'
        '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/></linearGradient>'
        % (tb, pal["title_top"], pal["title_bottom"]),
        '<linearGradient id="hi" gradientUnits="userSpaceOnUse" x1="0" y1="0" x2="0" y2="36">'
        '<stop offset="0" stop-color="%s" stop-opacity="1"/><stop offset="1" stop-color="%s" '
        'stop-opacity="0"/></linearGradient>' % (pal["edge_hi"], pal["edge_hi"]),
        '<clipPath id="win"><rect width="%d" height="%d" rx="8"/></clipPath>' % (W, H),
    ]
    b = ['<g clip-path="url(#win)">']
    b.append('<rect width="%d" height="%d" fill="%s"/>' % (W, H, pal["bg_bottom"]))
    b.append('<rect width="%d" height="%d" fill="url(#body)"/>' % (W, th))
    b.append('<rect width="%d" height="%d" fill="url(#title)"/>' % (W, tb))
    b.append('<rect y="%d" width="%d" height="1" fill="%s"/>' % (tb, W, pal["divider"]))
    b.append('<rect y="%d" width="%d" height="1" fill="%s" opacity="0.6"/>' % (tb + 1, W, pal["divider_hi"]))
    if "screen" in win:
        x, y, w, h = win["screen"]
        b.append('<rect x="%d" y="%d" width="%d" height="%d" rx="7" fill="%s"/>' % (x, y + 1, w, h, pal["screen_hi"]))
        b.append('<rect x="%.1f" y="%.1f" width="%d" height="%d" rx="6.5" fill="%s" stroke="%s"/>'
                 % (x + .5, y + .5, w - 1, h - 1, pal["screen"], pal["screen_edge"]))
    if "field" in win:
        x, y, w, h = win["field"]
        b.append('<rect x="%d" y="%d" width="%d" height="%d" rx="%.1f" fill="%s"/>'
                 % (x, y + 1, w, h, h / 2.0, pal["field_hi"]))
        b.append('<rect x="%.1f" y="%.1f" width="%d" height="%d" rx="%.1f" fill="%s" stroke="%s"/>'
                 % (x + .5, y + .5, w - 1, h - 1, (h - 1) / 2.0, pal["field"], pal["field_edge"]))
    x, y, w, h = win["card"]
    b.append('<rect x="%.1f" y="%.1f" width="%d" height="%d" rx="6" fill="%s" stroke="%s"/>'
             % (x + .5, y + .5, w - 1, h - 1, pal["panel"], pal["panel_edge"]))
    if pal["dark"]:
        b.append('<rect x="%d" y="%d" width="%d" height="1" fill="%s" opacity="0.7"/>'
                 % (x + 6, y + h, w - 12, pal["panel_hi"]))
    if "caption" in win:
        d, lg = logo(10, (tb - 16) // 2, 16, pal)
        defs.append(d)
        b.append(lg)
        b.append('<text x="33" y="%.1f" font-family="%s" font-size="12.5" fill="%s">%s</text>'
                 % (tb / 2.0 + 4.4, FONT, pal["text"], win["caption"]))
    b.append('</g>')
    b.append('<rect x=".5" y=".5" width="%d" height="%d" rx="7.5" fill="none" stroke="%s"/>'
             % (W - 1, H - 1, pal["edge_outer"]))
    b.append('<rect x="1.5" y="1.5" width="%d" height="%d" rx="6.5" fill="none" stroke="url(#hi)"/>'
             % (W - 3, H - 3))
    return svg(W, H, "".join(b), "".join(defs))


def pieces(win):
    """The nine frame rectangles (x, y, w, h) inside the frame image, keyed like skin.xml."""
    W, H = win["w"], win["h"]
    c = win["cut"]
    th, by, sw = c["th"], c["by"], c["side_w"]
    bh = H - by
    return {
        "tl": (0, 0, c["tl_w"], th),
        "tm": (c["tl_w"], 0, 4, th),
        "tr": (c["tr_x"], 0, W - c["tr_x"], th),
        "bl": (0, by, c["tl_w"], bh),
        "bm": (c["tl_w"], by, 4, bh),
        "br": (c["tr_x"], by, W - c["tr_x"], bh),
        "lm": (0, c["side_y"], sw, 4),
        "rm": (W - sw, c["side_y"], sw, 4),
        "tc": (0, 0, 0, 0),
    }


def resized(win, dw, dh):
    """The window's layout grown by (dw, dh) as the frame's anchoring grows it: the screen and
    the panels stretch, the search field keeps its distance to the right edge."""
    g = dict(win)
    g["w"], g["h"] = win["w"] + dw, win["h"] + dh
    if "screen" in g:
        x, y, w, h = g["screen"]
        g["screen"] = (x, y, w + dw, h)
    if "field" in g:
        x, y, w, h = g["field"]
        g["field"] = (x + dw, y, w, h)
    x, y, w, h = g["card"]
    g["card"] = (x, y, w + dw, h + dh)
    g["cut"] = dict(win["cut"], by=win["cut"]["by"] + dh)
    return g
