#!/usr/bin/env python3
"""Checks a generated skin against what the player's skin loader and controls expect.

    python3 check.py SKINDIR [SKINDIR ...]

Exits non-zero and names every fault: a missing window or control id, a sprite that
lies outside its image, an image that cannot be read, a malformed colour, controls that
overlap or leave their window, a frame that is not opaque away from its corners, and a
frame whose nine pieces do not tile back into the art drawn at another size.
"""

import copy
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import art
import layout as L
import preview as P
from palette import PALETTES

REQUIRED = {
    "main": {
        "button": {"previous", "next", "menu", "min", "rndlist", "addfile", "delfile", "listm", "pmode", "close"},
        "ckbutton": {"play", "sound", "share", "lrc"},
        "label": {"timer", "pmode", "stack"},
        "scrolltext": {"title"},
        "slider": {"pgbmusic", "pgbvolume"},
        "list": {"playlist"},
        "visual": {"ost", "desktoplrc"},
    },
    "share": {
        "button": {"back", "forward", "refresh", "min", "max", "close", "search", "revious", "next"},
        "panel": {"tabvsv"},
        "text": {"sinput"},
    },
    "lrc": {
        "button": {"dlrc", "close", "b5", "f5", "slrc"},
        "visual": {"minlrc"},
    },
}
COLOUR_KEYS = {"bgcolor", "bcolor", "fcolor", "fccolor", "color", "selectioncolor", "textcolor",
               "textcurrcolor", "textscolor", "colorbegin", "colorend", "fontcolor"}
COLOUR = re.compile(r"^#?[0-9a-fA-F]{6}$")


def frame_opaque_inside(path, w, h, r=8):
    """The smallest alpha away from the four r x r corners (1.0 = opaque)."""
    regions = ["%dx%d+%d+0" % (w - 2 * r, h, r), "%dx%d+0+%d" % (w, h - 2 * r, r)]
    return min(float(subprocess.run(["convert", path, "-crop", g, "+repage", "-alpha", "extract",
                                     "-format", "%[fx:minima]", "info:"],
                                    capture_output=True, text=True, check=True).stdout) for g in regions)


def check(skindir):
    faults = []
    name = os.path.basename(os.path.normpath(skindir))
    root = ET.parse(os.path.join(skindir, "skin.xml")).getroot()
    if root.tag.lower() != "petrel.skin" or root.get("ver") != "3.0":
        return ["root must be petrel.skin with ver 3.0"]
    sizes = {}

    def image(fn):
        if fn not in sizes:
            path = os.path.join(skindir, fn or "")
            if not fn or not os.path.isfile(path):
                faults.append("image %r is missing" % fn)
                sizes[fn] = (0, 0)
            else:
                sizes[fn] = P.png_size(path)
        return sizes[fn]

    def inside(what, fn, r):
        iw, ih = image(fn)
        x, y, w, h = r
        if w <= 0 or h <= 0 or x < 0 or y < 0 or x + w > iw or y + h > ih:
            faults.append("%s: sprite %s lies outside %s (%dx%d)" % (what, r, fn, iw, ih))

    seen_windows = set()
    for win in root:
        wid = win.get("id", "").lower()
        if win.tag.lower() != "window" or wid in seen_windows:
            faults.append("unexpected element %s id %s at the top" % (win.tag, wid))
            continue
        seen_windows.add(wid)
        W, H = int(win.get("w")), int(win.get("h"))
        for k, v in win.attrib.items():
            if k in COLOUR_KEYS and not COLOUR.match(v):
                faults.append("%s: colour %s=%r" % (wid, k, v))
        fn = win.get("filename")
        for k in ("tl", "tm", "tr", "bl", "bm", "br", "lm", "rm"):
            inside("%s.%s" % (wid, k), fn, P.rect(win.get(k)))
        tl, tr, bl = P.rect(win.get("tl")), P.rect(win.get("tr")), P.rect(win.get("bl"))
        if not (tl[3] == tr[3] and tl[3] + bl[3] <= int(win.get("minh"))):
            faults.append("%s: top pieces differ in height or leave no side rows at the minimum height" % wid)
        if frame_opaque_inside(os.path.join(skindir, fn), W, H) < 1.0:
            faults.append("%s: the frame is not opaque away from its corners" % wid)
        found = {}
        boxes = []
        for c in win:
            kind, cid = c.tag.lower(), c.get("id", "").lower()
            found.setdefault(kind, set()).add(cid)
            for k, v in c.attrib.items():
                if k in COLOUR_KEYS and not COLOUR.match(v):
                    faults.append("%s/%s: colour %s=%r" % (wid, cid, k, v))
            if cid == "desktoplrc":
                continue
            x, y, w, h = (int(c.get(k, 0)) for k in ("x", "y", "w", "h"))
            if x < 0 or y < 0 or x + w > W or y + h > H or w <= 0 or h <= 0:
                faults.append("%s/%s: bounds %s leave the window" % (wid, cid, (x, y, w, h)))
            boxes.append((cid, x, y, w, h))
            what = "%s/%s" % (wid, cid)
            if kind in ("button", "ckbutton"):
                keys = [("nx", "ny"), ("px", "py"), ("hx", "hy")]
                if kind == "ckbutton":
                    keys += [("cx", "cy"), ("cpx", "cpy"), ("chx", "chy")]
                for kx, ky in keys:
                    inside(what, c.get("filename"), (int(c.get(kx)), int(c.get(ky)), w, h))
            elif kind == "slider":
                fn2 = c.get("filename")
                bw, bh = int(c.get("buttonw")), int(c.get("buttonh"))
                for kx, ky in (("normalx", "normaly"), ("pressedx", "pressedy"), ("highlightedx", "highlightedy")):
                    inside(what, fn2, (int(c.get(kx)), int(c.get(ky)), bw, bh))
                for k in ("tilea", "tileb"):
                    t = P.rect(c.get(k))
                    inside(what, fn2, t)
                    if t[3] != h:
                        faults.append("%s: %s is not as tall as the slider" % (what, k))
                if bh != h:
                    faults.append("%s: the thumb is not as tall as the slider" % what)
                if c.get("kind", "").upper() != "H":
                    faults.append("%s: not horizontal" % what)
            elif kind == "list":
                fn2 = c.get("filename")
                sw, sh = int(c.get("sw")), int(c.get("sh"))
                for kx, ky in (("nx", "ny"), ("px", "py"), ("hx", "hy")):
                    inside(what, fn2, (int(c.get(kx)), int(c.get(ky)), sw, sh))
                inside(what, fn2, P.rect(c.get("ti")))
            elif kind == "visual" and cid == "ost":
                fn2 = c.get("filename")
                bg, line, peak = (P.rect(c.get(k)) for k in ("fbg", "fline", "fpeak"))
                for r in (bg, line, peak):
                    inside(what, fn2, r)
                if (bg[2], bg[3]) != (w, h) or line[3] != h or line[2] != peak[2]:
                    faults.append("%s: background, bar and peak pieces do not fit the control" % what)
                if (int(c.get("ttfs")) + 1) * (line[2] + 1) - 1 > w:
                    faults.append("%s: the bars run past the background" % what)
        for kind, ids in REQUIRED.get(wid, {}).items():
            missing = ids - found.get(kind, set())
            if missing:
                faults.append("%s: no %s for %s" % (wid, kind, ", ".join(sorted(missing))))
        for i, a in enumerate(boxes):
            for b in boxes[i + 1:]:
                if a[1] < b[1] + b[3] and b[1] < a[1] + a[3] and a[2] < b[2] + b[4] and b[2] < a[2] + a[4]:
                    faults.append("%s: %s and %s overlap" % (wid, a[0], b[0]))
    if seen_windows != set(REQUIRED):
        faults.append("windows %s, expected %s" % (sorted(seen_windows), sorted(REQUIRED)))
    if name in PALETTES:
        faults += check_tiling(skindir, root, name)
        faults += check_art_at_2x(skindir, sizes, root)
    return faults


def check_art_at_2x(skindir, sizes, root):
    """Every image of a bundled skin has its @2x art: exactly twice the size, the same picture
    (reduced by half it matches the 100 % image), and a frame opaque away from its corners."""
    faults = []
    frames = {win.get("filename"): (int(win.get("w")), int(win.get("h"))) for win in root}
    for fn, (w, h) in sorted(sizes.items()):
        if not fn:
            continue
        base, ext = os.path.splitext(fn)
        fn2 = "%s@2x%s" % (base, ext)
        path2 = os.path.join(skindir, fn2)
        if not os.path.isfile(path2):
            faults.append("image %s has no %s" % (fn, fn2))
            continue
        if P.png_size(path2) != (2 * w, 2 * h):
            faults.append("%s is %s, not twice %s" % (fn2, P.png_size(path2), (w, h)))
            continue
        with tempfile.TemporaryDirectory() as tmp:
            half = os.path.join(tmp, "half.png")
            subprocess.run(["convert", path2, "-filter", "box", "-resize", "50%", half], check=True)
            r = subprocess.run(["compare", "-metric", "RMSE", os.path.join(skindir, fn), half, "null:"],
                               capture_output=True, text=True)
        rmse = float(r.stderr.split("(")[1].split(")")[0]) if "(" in r.stderr else 1.0
        if rmse > 0.06:
            faults.append("%s reduced by half is not %s (RMSE %.3f)" % (fn2, fn, rmse))
        if fn in frames:
            fw, fh = frames[fn]
            if frame_opaque_inside(path2, 2 * fw, 2 * fh, r=16) < 1.0:
                faults.append("%s: the frame is not opaque away from its corners" % fn2)
    return faults


def check_tiling(skindir, root, name):
    """Composes each frame from its pieces at the design size and at a larger one, and
    compares it with the art drawn directly at that size."""
    faults = []
    with tempfile.TemporaryDirectory() as tmp:
        for wel in root:
            win = next(w for w in L.WINDOWS if w["id"] == wel.get("id"))
            for dw, dh in ((0, 0), (53, 71)):
                W, H = win["w"] + dw, win["h"] + dh
                bare = copy.deepcopy(wel)
                for c in list(bare):
                    bare.remove(c)
                cv = P.Canvas(skindir)
                P.Window(bare, skindir).compose(cv, 0, 0, W=W, H=H)
                a = os.path.join(tmp, "a.png")
                cv.save(a, W, H)
                grown = art.resized(win, dw, dh)
                b = os.path.join(tmp, "b.png")
                with open(b + ".svg", "w", encoding="utf-8") as f:
                    f.write(art.frame(grown, PALETTES[name]))
                subprocess.run(["rsvg-convert", "-o", b, b + ".svg"], check=True)
                subprocess.run(["convert", b, "-channel", "A", "-fx", "a>=0.5?1:a", "+channel", b], check=True)
                r = subprocess.run(["compare", "-metric", "AE", "-fuzz", "1%", a, b, "null:"],
                                   capture_output=True, text=True)
                if r.stderr.strip() != "0":
                    faults.append("%s frame at %dx%d: %s pixels differ from the art drawn at that size"
                                  % (win["id"], W, H, r.stderr.strip()))
    return faults


if __name__ == "__main__":
    bad = 0
    for d in sys.argv[1:]:
        faults = check(d)
        for f in faults:
            print("%s: %s" % (d, f))
        bad += len(faults)
        if not faults:
            print("%s: ok" % d)
    sys.exit(1 if bad else 0)
