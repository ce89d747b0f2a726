#!/usr/bin/env python3
"""Composes the windows of a generated skin the way the player draws them, from
skin.xml and its images alone, into PNG previews.

    python3 preview.py SKINDIR OUTDIR

The frame is tiled from its nine pieces, the buttons show the sprite of the state
asked for, the sliders are composed from their tiles exactly as the slider control
does (overhang included), the spectrum and the playlist follow their controls'
drawing rules. Only text is approximated: widths are estimated, so an ellipsis may
fall a character early or late.
"""

import base64
import math
import os
import random
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape

PT = 96.0 / 72.0  # font points to pixels


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">II", head[16:24])


def rect(text):
    try:
        v = [int(x) for x in text.split(",")]
        return tuple(v) if len(v) == 4 else (0, 0, 0, 0)
    except (ValueError, AttributeError):
        return (0, 0, 0, 0)


def text_width(s, px):
    w = 0.0
    for ch in s:
        if ord(ch) > 0x2e80:
            w += px
        elif ch in "il.:|' ":
            w += px * 0.3
        elif ch.isdigit():
            w += px * 0.56
        else:
            w += px * 0.55
    return w


def ellipsize(s, px, room):
    if text_width(s, px) <= room:
        return s
    while s and text_width(s + "...", px) > room:
        s = s[:-1]
    return s + "..."


ANCHORS = {"": "LT", "RT": "RT", "LB": "LB", "RB": "RB", "LRCT": "T", "LRCB": "B", "TBCL": "L",
           "TBCR": "R", "C": ""}
EXTENDED = {"LRT": "LRT", "LRB": "LRB", "LTB": "LTB", "RTB": "RTB", "LRTB": "LRTB"}


def sides(code, extended):
    code = (code or "").upper()
    if code in ANCHORS:
        return ANCHORS[code]
    if extended and code in EXTENDED:
        return EXTENDED[code]
    return "LT"


def place(x, y, w, h, anchored, W0, H0, W, H):
    """The anchoring rule of the skinned windows, for a window resized from W0 x H0 to W x H."""
    def axis(p, s, near, far, L0, L1):
        if near and far:
            return p, s + (L1 - L0)
        if near:
            return p, s
        if far:
            return p + (L1 - L0), s
        return round((p + s / 2.0) * L1 / L0 - s / 2.0), s
    x, w = axis(x, w, "L" in anchored, "R" in anchored, W0, W)
    y, h = axis(y, h, "T" in anchored, "B" in anchored, H0, H)
    return x, y, w, h


class Canvas:
    """An SVG scene in which images are blitted from sprite rectangles."""

    def __init__(self, skindir):
        self.skindir = skindir
        self.images = {}
        self.defs = []
        self.body = []

    def image(self, name):
        if name not in self.images:
            path = os.path.join(self.skindir, name)
            w, h = png_size(path)
            iid = "img%d" % len(self.images)
            with open(path, "rb") as f:
                data = base64.b64encode(f.read()).decode()
            self.defs.append('<image id="%s" width="%d" height="%d" xlink:href="data:image/png;base64,%s"/>'
                             % (iid, w, h, data))
            self.images[name] = (iid, w, h)
        return self.images[name]

    def blit(self, name, sx, sy, w, h, dx, dy, opacity=1.0):
        if w <= 0 or h <= 0:
            return
        iid = self.image(name)[0]
        op = "" if opacity >= 1 else ' opacity="%.3f"' % opacity
        self.body.append('<svg x="%d" y="%d" width="%d" height="%d" viewBox="%d %d %d %d"%s>'
                         '<use xlink:href="#%s"/></svg>' % (dx, dy, w, h, sx, sy, w, h, op, iid))

    def raw(self, s):
        self.body.append(s)

    def text(self, x, y, s, px, color, anchor="start", weight="normal", family="WenQuanYi Micro Hei"):
        self.body.append('<text x="%.1f" y="%.1f" font-family="%s" font-size="%.2f" fill="%s" '
                         'text-anchor="%s" font-weight="%s">%s</text>'
                         % (x, y, family, px, color, anchor, weight, escape(s)))

    def save(self, path, w, h, background=None):
        bg = ""
        if background:
            bg = ('<defs><linearGradient id="desk" x1="0" y1="0" x2="1" y2="1"><stop offset="0" '
                  'stop-color="%s"/><stop offset="1" stop-color="%s"/></linearGradient></defs>'
                  '<rect width="%d" height="%d" fill="url(#desk)"/>' % (background[0], background[1], w, h))
        svg = ('<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
               'width="%d" height="%d"><defs>%s</defs>%s%s</svg>' % (w, h, "".join(self.defs), bg, "".join(self.body)))
        src = path + ".svg"
        with open(src, "w", encoding="utf-8") as f:
            f.write(svg)
        subprocess.run(["rsvg-convert", "-f", "png", "-o", path, src], check=True)
        os.remove(src)


# Sample content, so the previews show a player in use.
SONGS = [("晴天 - 周杰伦", 269), ("夜空中最亮的星 - 逃跑计划", 252), ("平凡之路 - 朴树", 301),
         ("成都 - 赵雷", 328), ("后来 - 刘若英", 341), ("稻香 - 周杰伦", 223), ("光年之外 - 邓紫棋", 235),
         ("小幸运 - 田馥甄", 265), ("起风了 - 买辣椒也用券", 325), ("南山南 - 马頔", 324),
         ("岁月神偷 - 金玟岐", 247), ("红豆 - 王菲", 254), ("董小姐 - 宋冬野", 291), ("演员 - 薛之谦", 261),
         ("Yesterday Once More - Carpenters", 236), ("十年 - 陈奕迅", 205), ("童话 - 光良", 246),
         ("匆匆那年 - 王菲", 240), ("传奇 - 王菲", 318), ("我的歌声里 - 曲婉婷", 268)]
LYRICS = ["故事的小黄花", "从出生那年就飘着", "童年的荡秋千", "随记忆一直晃到现在",
          "Re So So Si Do Si La", "So La Si Si Si Si La Si La So", "吹着前奏望着天空"]


class Window:
    def __init__(self, el, skindir):
        self.el = el
        self.skindir = skindir
        self.W0, self.H0 = int(el.get("w", 0)), int(el.get("h", 0))

    def compose(self, cv, ox, oy, W=None, H=None, states=None, wide=False):
        el = self.el
        W = W or self.W0
        H = H or self.H0
        states = states or {}
        p = {k: rect(el.get(k)) for k in ("tl", "tm", "tr", "bl", "bm", "br", "lm", "rm", "tc")}
        img = el.get("filename")
        cv.raw('<g transform="translate(%d %d)">' % (ox, oy))
        cv.raw('<clipPath id="clip%d_%d"><rect width="%d" height="%d"/></clipPath><g clip-path="url(#clip%d_%d)">'
               % (ox, oy, W, H, ox, oy))
        # the frame colour shows wherever no piece lands; the corner pieces' own transparency
        # must stay, so the rows they cover are left to them
        cv.raw('<rect x="0" y="%d" width="%d" height="%d" fill="%s"/>'
               % (p["tl"][3], W, H - p["tl"][3] - p["bl"][3], el.get("bgcolor")))

        def put(r, x, y):
            cv.blit(img, r[0], r[1], r[2], r[3], x, y)
        tl, tm, tr, tc = p["tl"], p["tm"], p["tr"], p["tc"]
        put(tl, 0, 0)
        if tc[2] <= 0:
            x = tl[2]
            while x <= W - tr[2]:
                put(tm, x, 0)
                x += tm[2]
        else:
            c = W // 2 - tc[2] // 2
            x = tl[2]
            while x <= c:
                put(tm, x, 0)
                x += tm[2]
            put(tc, c, 0)
            x = c + tc[2]
            while x <= W - tr[2]:
                put(tm, x, 0)
                x += tm[2]
        put(tr, W - tr[2], 0)
        y = tl[3]
        while y <= H - p["bl"][3]:
            put(p["lm"], 0, y)
            put(p["rm"], W - p["rm"][2], y)
            y += p["lm"][3]
        put(p["bl"], 0, H - p["bl"][3])
        x = p["bl"][2]
        while x <= W - p["br"][2]:
            put(p["bm"], x, H - p["bm"][3])
            x += p["bm"][2]
        put(p["br"], W - p["br"][2], H - p["br"][3])

        for c in el:
            if len(c.attrib) == 0:
                continue
            self.control(cv, c, W, H, states)
        cv.raw("</g></g>")

    def geom(self, c, W, H, extended, extra=""):
        x, y, w, h = (int(c.get(k, 0)) for k in ("x", "y", "w", "h"))
        s = sides(c.get("align"), extended) + extra
        return place(x, y, w, h, s, self.W0, self.H0, W, H)

    def control(self, cv, c, W, H, states):
        kind = c.tag.lower()
        cid = (c.get("id") or "").lower()
        st = states.get(cid, "N")
        if kind in ("button", "ckbutton"):
            x, y, w, h = self.geom(c, W, H, False)
            key = {"N": ("nx", "ny"), "P": ("px", "py"), "H": ("hx", "hy"),
                   "C": ("cx", "cy"), "CP": ("cpx", "cpy"), "CH": ("chx", "chy")}[st]
            cv.blit(c.get("filename"), int(c.get(key[0], 0)), int(c.get(key[1], 0)), w, h, x, y)
        elif kind == "label":
            x, y, w, h = self.geom(c, W, H, False)
            px = int(c.get("fsize")) * PT
            sample = {"timer": "01:36/04:29", "stack": "播放中", "pmode": "循环播放"}.get(cid, cid)
            if states.get("idle"):
                sample = {"timer": "00:00/00:00", "stack": ""}.get(cid, sample)
            if cid == "stack":  # the status label centres its word
                cv.text(x + w / 2.0, y + h / 2.0 + px * 0.36, sample, px, c.get("fcolor"), anchor="middle")
            else:
                cv.text(x, y + h / 2.0 + px * 0.36, sample, px, c.get("fcolor"))
        elif kind == "scrolltext":
            x, y, w, h = self.geom(c, W, H, False)
            px = int(c.get("fsize")) * PT
            cv.raw('<svg x="%d" y="%d" width="%d" height="%d">' % (x, y, w, h))
            cv.text(0, h / 2.0 + px * 0.36, states.get("title_text", "晴天 - 周杰伦"), px, c.get("fcolor"))
            cv.raw("</svg>")
        elif kind == "slider":
            x, y, w, h = self.geom(c, W, H, True, "LR" if c.get("kind", "").upper() == "H" else "TB")
            self.slider(cv, c, x, y, w, h, states.get(cid + "_value", 0.5), st)
        elif kind == "visual" and cid == "ost":
            x, y, w, h = self.geom(c, W, H, True)
            self.spectrum(cv, c, x, y, 0.0 if states.get("idle") else 1.0)
        elif kind == "visual" and cid == "minlrc":
            x, y, w, h = self.geom(c, W, H, True)
            self.lyrics(cv, c, x, y, w, h)
        elif kind == "list":
            x, y, w, h = self.geom(c, W, H, True)
            self.playlist(cv, c, x, y, w, h, states)
        elif kind == "panel":
            x, y, w, h = self.geom(c, W, H, True)
            cv.raw('<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (x, y, w, h, c.get("bcolor")))
            self.web_page(cv, x, y, w, h, c.get("bcolor"))
        elif kind == "text":
            x, y, w, h = self.geom(c, W, H, True)
            px = int(c.get("fontsize")) * PT
            cv.raw('<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (x, y, w, h, c.get("bgcolor")))
            cv.text(x + 1, y + h / 2.0 + px * 0.36, "输入歌曲名 歌手", px, c.get("fontcolor"))

    def slider(self, cv, c, x, y, w, h, frac, st):
        img = c.get("filename")
        sw = int(c.get("buttonw"))
        ta, tb = rect(c.get("tilea")), rect(c.get("tileb"))
        b = int(c.get("bordersize", 0))
        fill = c.get("style") != "1"
        lead, trail = tb, ta
        n = w
        P = round((w - sw) * frac)
        step = trail[2] - 2 * b
        cv.raw('<svg x="%d" y="%d" width="%d" height="%d">' % (x, y, w, h))

        def piece(r, frm, length, at):
            # the image clips what lies beyond its edge, as the bitmap does
            iw = cv.image(img)[1]
            length = min(length, iw - (r[0] + frm))
            cv.blit(img, r[0] + frm, r[1], length, r[3], at, 0)
        if b > 0:
            piece(trail, 0, b, 0)
            if fill:
                piece(lead, 0, P, 0)
        if step > 0:
            t, switched = b, False
            while t < n:
                if fill and t < P:
                    piece(lead, b, lead[2] - 2 * b, t)
                else:
                    if not switched and fill and P > b:
                        t = P
                    switched = True
                    piece(trail, b, trail[2] - 2 * b, t)
                t += step
        if fill:
            piece(trail, b, trail[2] - 2 * b, max(b, P))
        if b > 0:
            piece(trail, trail[2] - b, b, n - b)
            if fill and n - b < P:
                piece(lead, lead[2] - b, abs(P - n + b), n - b)
        key = {"N": ("normalx", "normaly"), "P": ("pressedx", "pressedy"), "H": ("highlightedx", "highlightedy")}[st]
        cv.blit(img, int(c.get(key[0])), int(c.get(key[1])), sw, int(c.get("buttonh")), P, 0)
        cv.raw("</svg>")

    def spectrum(self, cv, c, x, y, loud):
        img = c.get("filename")
        bg, line, peak = rect(c.get("fbg")), rect(c.get("fline")), rect(c.get("fpeak"))
        W, H = bg[2], bg[3]
        cv.raw('<svg x="%d" y="%d" width="%d" height="%d">' % (x, y, W, H))
        cv.blit(img, bg[0], bg[1], W, H, 0, 0)
        rnd = random.Random(7)
        for i in range(min(int(c.get("ttfs")), 128) + 1):
            level = 0.95 * math.exp(-i / 16.0) + 0.25 * math.exp(-((i - 14) / 5.0) ** 2)
            bar = min(H, int(H * loud * level * (0.55 + 0.45 * rnd.random())))
            pk = min(H, bar + rnd.choice([0, 2, 3, 5, 7])) if loud else 0
            if c.get("sp") not in ("0", "", None):
                cv.blit(img, peak[0], peak[1], peak[2], peak[3], i * (peak[2] + 1), H - pk)
                cv.blit(img, line[0], line[1] + H - bar, line[2], bar, i * (line[2] + 1), H - bar + 1)
            else:
                cv.blit(img, line[0], line[1] + H - bar, line[2], bar, i * (line[2] + 1), H - bar)
        cv.raw("</svg>")

    def lyrics(self, cv, c, x, y, w, h):
        px = int(c.get("fsize")) * PT
        lh = round(px * 1.3) + int(c.get("hz", 0))
        cv.raw('<svg x="%d" y="%d" width="%d" height="%d">' % (x, y, w, h))
        cv.raw('<rect width="%d" height="%d" fill="%s"/>' % (w, h, c.get("color")))
        cur = 3
        top = h // 2 - lh // 2 - cur * lh + int(lh * 0.35)
        for j, line in enumerate(LYRICS):
            cv.text(w / 2.0, top + j * lh + px, line, px, c.get("fccolor") if j == cur else c.get("fcolor"),
                    anchor="middle")
        cv.raw("</svg>")

    def playlist(self, cv, c, x, y, w, h, states):
        if states.get("empty_list"):
            # the panel shown instead of an empty list, with its two links centred
            px = 12
            cv.raw('<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (x, y, w, h, c.get("bcolor")))
            lw = text_width("> 打开本地音乐", px)
            cv.text(x + (w - lw) / 2.0, y + h / 2.0 - 6, "> 打开本地音乐", px, c.get("textcolor"))
            cv.text(x + (w - lw) / 2.0, y + h / 2.0 + 14, "> 随便听听", px, c.get("textcolor"))
            return
        px = int(c.get("fsize")) * PT
        ih = round(px * 1.34)
        rows = h // ih
        songs = SONGS * 2
        count = len(songs)
        sw = int(c.get("sw"))
        bar_visible = count * ih > h
        R = w - sw if bar_visible else w
        top, cur, sel = 2, 5, 8
        cv.raw('<svg x="%d" y="%d" width="%d" height="%d">' % (x, y, w, h))
        cv.raw('<rect width="%d" height="%d" fill="%s"/>' % (R, h, c.get("bcolor")))
        nw = text_width("%d.  " % count, px)
        lw = text_width("M00:00", px)
        for k in range(rows):
            i = top + k
            if i >= count:
                break
            ry = k * ih
            color = c.get("textcolor")
            if i == sel:
                cv.raw('<rect x="0" y="%d" width="%d" height="%d" fill="%s"/>' % (ry, R, ih, c.get("selectioncolor")))
                color = c.get("textscolor")
            if i == cur:
                color = c.get("textcurrcolor")
            base = ry + ih / 2.0 + px * 0.36
            cv.text(3, base, "%d." % (i + 1), px, color)
            right = R - lw - 3
            cv.text(nw, base, ellipsize(songs[i][0], px, right - nw), px, color)
            m, s = divmod(songs[i][1], 60)
            cv.text(right + lw, base, "%02d:%02d" % (m, s), px, color, anchor="end")
        if bar_visible:
            img = c.get("filename")
            ti = rect(c.get("ti"))
            ty = 0
            while ti[3] > 0 and ty < h:
                cv.blit(img, ti[0], ti[1], ti[2], ti[3], R, ty)
                ty += ti[3]
            sh = int(c.get("sh"))
            mx = count - rows
            thumb = round((h - sh) / mx * top) if mx > 0 else 0
            st = states.get("scroll", "N")
            key = {"N": ("nx", "ny"), "P": ("px", "py"), "H": ("hx", "hy")}[st]
            cv.blit(img, int(c.get(key[0])), int(c.get(key[1])), sw, sh, R, thumb,
                    190 / 255.0 if st == "P" else 1.0)
        cv.raw("</svg>")

    def web_page(self, cv, x, y, w, h, bcolor):
        """A stand-in for the library's web page, only so the preview is not an empty box."""
        dark = int(bcolor[1:3], 16) < 0x80
        fg = "#d7dde6" if dark else "#1f2933"
        dim = "#7d8794" if dark else "#6b7785"
        cv.raw('<svg x="%d" y="%d" width="%d" height="%d">' % (x, y, w, h))
        cv.text(20, 34, "推荐歌单", 16, fg, weight="bold")
        hues = [("#ff8a65", "#c2185b"), ("#4fc3f7", "#283593"), ("#aed581", "#00796b"), ("#ffd54f", "#e65100")]
        tw = (w - 40 - 3 * 14) // 4
        names = ["华语经典 · 百首金曲", "深夜电台 · 一个人听", "清晨通勤 · 元气满满", "周末咖啡馆"]
        for i, (a, b) in enumerate(hues):
            tx = 20 + i * (tw + 14)
            cv.raw('<defs><linearGradient id="cov%d" x1="0" y1="0" x2="1" y2="1"><stop offset="0" stop-color="%s"/>'
                   '<stop offset="1" stop-color="%s"/></linearGradient></defs>' % (i, a, b))
            cv.raw('<rect x="%d" y="50" width="%d" height="%d" rx="6" fill="url(#cov%d)"/>' % (tx, tw, tw, i))
            cv.text(tx, 50 + tw + 20, names[i], 12, fg)
        y0 = 50 + tw + 56
        cv.text(20, y0, "热门单曲", 16, fg, weight="bold")
        for k, (name, secs) in enumerate(SONGS[:8]):
            ry = y0 + 16 + k * 30
            if ry + 30 > h:
                break
            if k % 2 == 0:
                cv.raw('<rect x="12" y="%d" width="%d" height="30" rx="4" fill="%s" opacity="0.04"/>' % (ry, w - 24, fg))
            cv.text(24, ry + 19.5, "%02d" % (k + 1), 12, dim)
            cv.text(56, ry + 19.5, name, 12, fg)
            cv.text(w - 24, ry + 19.5, "%02d:%02d" % divmod(secs, 60), 12, dim, anchor="end")
        cv.raw("</svg>")


def desktop_lyrics(cv, el, ox, oy, W):
    px = int(el.get("fsize"))
    H = int(el.get("h"))
    cv.raw('<defs><linearGradient id="dl" gradientUnits="userSpaceOnUse" x1="0" y1="%d" x2="0" y2="%d" '
           'spreadMethod="reflect"><stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
           '</linearGradient></defs>' % (oy + 5 + px * 0.12, oy + 5 + px * 1.05, el.get("colorbegin"), el.get("colorend")))
    cv.raw('<g opacity="%.3f"><text x="%d" y="%.1f" font-family="%s" font-size="%d" font-weight="bold" '
           'text-anchor="middle" fill="url(#dl)" stroke="%s" stroke-width="3" paint-order="stroke" '
           'stroke-linejoin="round">%s</text></g>'
           % (int(el.get("alpha")) / 255.0, ox + W // 2, oy + 5 + px * 0.95, el.get("font"), px,
              el.get("bgcolor"), escape("从出生那年就飘着")))
    return H


def main():
    skindir, outdir = sys.argv[1], sys.argv[2]
    name = os.path.basename(os.path.normpath(skindir))
    os.makedirs(outdir, exist_ok=True)
    root = ET.parse(os.path.join(skindir, "skin.xml")).getroot()
    assert root.tag.lower() == "petrel.skin" and root.get("ver") == "3.0", "bad root"
    wins = {w.get("id").lower(): Window(w, skindir) for w in root if w.tag.lower() == "window"}
    desk = ("#3a4a5e", "#1c2430") if name != "Light" else ("#8fa6bd", "#d4dee8")
    playing = {"play": "C", "lrc": "C", "pgbmusic_value": 0.36, "pgbvolume_value": 0.65}

    # each window alone, at its design size, on a plain backdrop
    for wid, win in wins.items():
        cv = Canvas(skindir)
        win.compose(cv, 20, 20, states=playing)
        cv.save(os.path.join(outdir, "%s-%s.png" % (name, wid)), win.W0 + 40, win.H0 + 40, desk)

    # the main window with a pointer over some controls and a button held down
    cv = Canvas(skindir)
    m = wins["main"]
    m.compose(cv, 20, 20, states=dict(playing, next="H", share="H", menu="H", pgbmusic="H", lrc="CH",
                                      play="C", scroll="H"))
    m.compose(cv, m.W0 + 40, 20, states={"play": "CP", "previous": "P", "sound": "C", "close": "H",
                                         "share": "C", "lrc": "CP", "addfile": "P", "pgbvolume": "P",
                                         "pgbmusic_value": 0.0, "pgbvolume_value": 0.2, "scroll": "P"})
    cv.save(os.path.join(outdir, "%s-main-states.png" % name), 2 * m.W0 + 60, m.H0 + 40, desk)

    # the player as it first starts: nothing in the list, nothing playing
    cv = Canvas(skindir)
    m.compose(cv, 20, 20, states={"empty_list": True, "title_text": "维雀 分享音乐 分享快乐",
                                  "pgbmusic_value": 0.0, "pgbvolume_value": 0.65, "idle": True})
    cv.save(os.path.join(outdir, "%s-main-empty.png" % name), m.W0 + 40, m.H0 + 40, desk)

    # the main window resized: anchors, stretching tiles and the corners
    cv = Canvas(skindir)
    m.compose(cv, 20, 20, W=460, H=600, states=playing)
    cv.save(os.path.join(outdir, "%s-main-resized.png" % name), 500, 640, desk)

    # every button's sprite sheet at twice the size, on its window's panel colour
    cv = Canvas(skindir)
    y = 16
    width = 0
    cv.raw('<g transform="scale(2)">')
    for wid, win in wins.items():
        for c in win.el:
            if c.tag.lower() not in ("button", "ckbutton"):
                continue
            iid, iw, ih = cv.image(c.get("filename"))
            cv.raw('<rect x="4" y="%d" width="%d" height="%d" fill="%s"/>' % (y // 2 - 2, iw + 72, ih + 4,
                                                                             win.el.get("bgcolor")))
            cv.text(8, y // 2 + ih / 2.0 + 3, "%s/%s" % (wid, c.get("id")), 7, "#8a94a3")
            cv.blit(c.get("filename"), 0, 0, iw, ih, 72, y // 2)
            width = max(width, (iw + 84) * 2)
            y += (ih + 6) * 2
    cv.raw("</g>")
    cv.save(os.path.join(outdir, "%s-sprites.png" % name), width, y + 8, desk)

    # the three windows docked, the desktop lyrics below
    cv = Canvas(skindir)
    s, l = wins["share"], wins["lrc"]
    m.compose(cv, 30, 30, states=playing)
    s.compose(cv, 30 + m.W0, 30, H=m.H0)
    l.compose(cv, 30, 30 + m.H0, W=m.W0)
    dl = root.find("./window/visual[@id='desktoplrc']")
    W = 30 + m.W0 + s.W0 + 30
    y = 30 + m.H0 + l.H0 + 24
    h = desktop_lyrics(cv, dl, 0, y, W)
    cv.save(os.path.join(outdir, "%s-player.png" % name), W, y + h + 20, desk)


if __name__ == "__main__":
    main()
