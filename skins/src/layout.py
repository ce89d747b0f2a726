"""Where everything sits: window sizes, the cuts of each frame into its nine
pieces, and every control's rectangle, anchor and icon.

The art (art.py), skin.xml (generate.py) and the previews (preview.py) all read
these tables, so a control moved here moves everywhere at once.
"""

# Sizes of the button kinds (w, h) and the scale of their 20 px icon.
TITLE_BTN = (26, 22, 0.8)
TOOL_BTN = (28, 26, 0.9)
LIST_BTN = (30, 28, 0.9)
SKIP_BTN = (32, 32, 1.0)
MUTE_BTN = (28, 28, 0.9)
PLAY_BTN = (48, 48, 1.0)

# Sliders: the thumb (a 12 px disc, as wide as its cell so the played part meets it without
# a gap), the slider's height, track thickness, cap length and the length of the track tiles.
THUMB_W = 12
THUMB = 16
TRACK = 4
CAP = 3
SLIDER_LEN = 640

# Scroll bar of the playlist.
SCROLL_W = 8
SCROLL_THUMB_H = 40
SCROLL_TILE_H = 8

# Spectrum: bar width, gap 1, number of bars (ttfs + 1), height.
BAR_W = 3
BARS = 33
SPEC_H = 40
SPEC_W = BARS * (BAR_W + 1) - 1

FADE = 5  # button cross-fade steps of 20 ms


def _btn(kind, cid, x, y, size, icon, hint, align=None, **extra):
    w, h, scale = size
    d = dict(kind=kind, id=cid, x=x, y=y, w=w, h=h, icon=icon, scale=scale, hint=hint)
    if align:
        d["align"] = align
    d.update(extra)
    return d


def main_window():
    W, H = 360, 480
    spec_x = W - 10 - 10 - SPEC_W
    controls = [
        _btn("button", "menu", 6, 3, TITLE_BTN, "logo", "主菜单", style="logo"),
        dict(kind="scrolltext", id="title", x=36, y=4, w=W - 36 - 64, h=20, fsize=10),
        _btn("button", "min", W - 60, 3, TITLE_BTN, "min", "最小化", "RT"),
        _btn("button", "close", W - 32, 3, TITLE_BTN, "close", "关闭", "RT", style="close"),
        dict(kind="label", id="timer", x=22, y=42, w=150, h=28, fsize=15, color="text"),
        # the play mode's names are all four characters; the status word is drawn centred,
        # so it gets a box of its own after the mode, where no left edge shows the centring
        dict(kind="label", id="pmode", x=22, y=72, w=56, h=18, fsize=9, color="dim"),
        dict(kind="label", id="stack", x=80, y=72, w=64, h=18, fsize=9, color="accent"),
        dict(kind="visual", id="ost", x=spec_x, y=45, w=SPEC_W, h=SPEC_H, align="RT"),
        dict(kind="slider", id="pgbmusic", x=12, y=101, w=W - 24, h=THUMB, align="LRT"),
        _btn("button", "previous", 16, 130, SKIP_BTN, "prev", "上一首"),
        _btn("ckbutton", "play", 54, 122, PLAY_BTN, "play", "播放/暂停", style="play",
             checked_icon="pause"),
        _btn("button", "next", 106, 130, SKIP_BTN, "next", "下一首"),
        _btn("ckbutton", "sound", 200, 132, MUTE_BTN, "sound", "静音", checked_icon="mute",
             checked_tint="dim"),
        dict(kind="slider", id="pgbvolume", x=230, y=138, w=W - 230 - 14, h=THUMB, align="LRT"),
        dict(kind="list", id="playlist", x=10, y=182, w=W - 20, h=252, align="LRTB"),
        _btn("button", "addfile", 12, 444, LIST_BTN, "add", "添加歌曲", "LB"),
        _btn("button", "delfile", 46, 444, LIST_BTN, "trash", "删除", "LB"),
        _btn("button", "listm", 80, 444, LIST_BTN, "sort", "排序", "LB"),
        _btn("button", "pmode", 114, 444, LIST_BTN, "repeat", "播放模式", "LB"),
        _btn("button", "rndlist", W - 114, 444, LIST_BTN, "radio", "随便听听", "RB"),
        _btn("ckbutton", "share", W - 80, 444, LIST_BTN, "library", "乐库", "RB"),
        _btn("ckbutton", "lrc", W - 46, 444, LIST_BTN, "lyrics", "歌词", "RB"),
    ]
    return dict(
        id="main", w=W, h=H, minw=360, minh=360, maxw=0, maxh=0,
        # cuts: left piece width, right piece start, top height, bottom start, side widths, side row
        cut=dict(tl_w=176, tr_x=180, th=190, by=428, side_w=10, side_y=200),
        title_h=28,
        screen=(10, 34, W - 20, 62),
        card=(8, 180, W - 16, 256),
        controls=controls,
    )


def share_window():
    W, H = 640, 480
    controls = [
        _btn("button", "min", W - 88, 3, TITLE_BTN, "min", "最小化", "RT"),
        _btn("button", "max", W - 60, 3, TITLE_BTN, "max", "最大化", "RT"),
        _btn("button", "close", W - 32, 3, TITLE_BTN, "close", "关闭", "RT", style="close"),
        _btn("button", "back", 10, 35, TOOL_BTN, "back", "后退"),
        _btn("button", "forward", 40, 35, TOOL_BTN, "forward", "前进"),
        _btn("button", "refresh", 70, 35, TOOL_BTN, "refresh", "刷新"),
        dict(kind="text", id="sinput", x=W - 316, y=39, w=186, h=18, align="RT", fsize=9),
        _btn("button", "search", W - 124, 35, TOOL_BTN, "search", "搜索", "RT"),
        _btn("button", "revious", W - 84, 35, TOOL_BTN, "chev_left", "上一页", "RT"),
        _btn("button", "next", W - 54, 35, TOOL_BTN, "chev_right", "下一页", "RT"),
        dict(kind="panel", id="tabvsv", x=8, y=70, w=W - 16, h=H - 78, align="LRTB"),
    ]
    return dict(
        id="share", w=W, h=H, minw=480, minh=320, maxw=0, maxh=0,
        cut=dict(tl_w=200, tr_x=W - 340, th=78, by=H - 16, side_w=8, side_y=100),
        title_h=28, caption="维雀 - 分享平台",
        field=(W - 328, 35, 236, 26),
        card=(6, 68, W - 12, H - 74),
        controls=controls,
    )


def lrc_window():
    W, H = 360, 160
    controls = [
        _btn("button", "b5", 64, 3, TITLE_BTN, "rewind", "后退0.5秒"),
        _btn("button", "f5", 92, 3, TITLE_BTN, "forward5", "前进0.5秒"),
        _btn("button", "slrc", 120, 3, TITLE_BTN, "search", "搜索歌词"),
        _btn("button", "dlrc", W - 60, 3, TITLE_BTN, "desktop", "桌面歌词", "RT"),
        _btn("button", "close", W - 32, 3, TITLE_BTN, "close", "关闭", "RT", style="close"),
        dict(kind="visual", id="minlrc", x=10, y=34, w=W - 20, h=H - 44, align="LRTB"),
    ]
    return dict(
        id="lrc", w=W, h=H, minw=260, minh=100, maxw=0, maxh=0,
        cut=dict(tl_w=176, tr_x=180, th=42, by=H - 16, side_w=10, side_y=60),
        title_h=28, caption="歌词",
        card=(8, 32, W - 16, H - 40),
        controls=controls,
    )


WINDOWS = [main_window(), share_window(), lrc_window()]

DESKTOP_LRC = dict(fsize=40, h=72)
