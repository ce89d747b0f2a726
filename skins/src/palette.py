"""The two palettes of the bundled skins: every colour the art and skin.xml use.

Both skins are drawn by the same code; only this table differs. Roles, not
places: a colour used by two controls is one entry here.
"""

PALETTES = {
    "Default": {
        "dark": True,
        # window body: vertical gradient of the upper part, flat below it
        "bg_top": "#1b1f26",
        "bg_bottom": "#14171c",
        # the title strip sits a shade above the body
        "title_top": "#222730",
        "title_bottom": "#1b1f26",
        # panels: the playlist, the lyric view, the library's content
        "panel": "#1e232b",
        "panel_edge": "#0d1013",
        "panel_hi": "#262c36",
        # the recessed information screen (time, status, spectrum)
        "screen": "#111419",
        "screen_edge": "#0a0c0f",
        "screen_hi": "#272e38",
        "screen_grid": "#161a20",
        # frame
        "edge_outer": "#0c0e11",
        "edge_hi": "#2c333d",
        "divider": "#0e1114",
        "divider_hi": "#252b34",
        # text
        "text": "#d7dde6",
        "text_strong": "#ffffff",
        "dim": "#7d8794",
        "lyric": "#9aa4b1",
        # accents
        "accent": "#3ddc84",
        "accent_light": "#8ff0b9",
        "accent_deep": "#23a862",
        "accent2": "#36c5f0",
        "on_accent": "#0f1a14",
        "selection": "#2e3a4b",
        # controls
        "hover": "#ffffff",
        "hover_alpha": 0.07,
        "press_alpha": 0.11,
        "track": "#2b323c",
        "thumb": "#eef2f6",
        "thumb_rim": "#0b0d10",
        "scroll_track": "#222832",
        "scroll_thumb": "#3a4350",
        "scroll_thumb_hot": "#56616f",
        "field": "#111419",
        "field_edge": "#0a0c0f",
        "field_hi": "#2a313b",
        "peak": "#ffffff",
        "peak_alpha": 0.8,
        # desktop lyrics: light to deep accent, dark outline
        "dlrc_begin": "#c9fbdd",
        "dlrc_end": "#21b767",
        "dlrc_outline": "#06150d",
        "dlrc_alpha": 245,
        # backdrop of the previews only
        "preview_desk": ("#3a4a5e", "#1c2430"),
    },
    "Light": {
        "dark": False,
        "bg_top": "#f5f7fa",
        "bg_bottom": "#eceff3",
        "title_top": "#ffffff",
        "title_bottom": "#f3f5f8",
        "panel": "#ffffff",
        "panel_edge": "#d3d9e1",
        "panel_hi": "#ffffff",
        "screen": "#ffffff",
        "screen_edge": "#d3d9e1",
        "screen_hi": "#ffffff",
        "screen_grid": "#f2f5f8",
        "edge_outer": "#c9d0d9",
        "edge_hi": "#ffffff",
        "divider": "#dfe4ea",
        "divider_hi": "#ffffff",
        "text": "#1f2933",
        "text_strong": "#0b1118",
        "dim": "#6b7785",
        "lyric": "#5d6977",
        "accent": "#17a35a",
        "accent_light": "#4fd08d",
        "accent_deep": "#0f7a42",
        "accent2": "#1d8fe0",
        "on_accent": "#ffffff",
        "selection": "#d6e4f5",
        "hover": "#1f2933",
        "hover_alpha": 0.06,
        "press_alpha": 0.10,
        "track": "#d5dbe3",
        "thumb": "#ffffff",
        "thumb_rim": "#8a96a5",
        "scroll_track": "#f1f3f6",
        "scroll_thumb": "#c3cad4",
        "scroll_thumb_hot": "#a3adba",
        "field": "#ffffff",
        "field_edge": "#cfd6df",
        "field_hi": "#ffffff",
        "peak": "#1f2933",
        "peak_alpha": 0.55,
        "dlrc_begin": "#7ee0aa",
        "dlrc_end": "#0b7a3f",
        "dlrc_outline": "#0b2417",
        "dlrc_alpha": 245,
        "preview_desk": ("#9fb4c8", "#dde6ee"),
    },
}

FONT = "WenQuanYi Micro Hei"


def mix(a, b, t):
    """Colour a blended toward b by t (0..1), as #rrggbb."""
    pa = [int(a[i:i + 2], 16) for i in (1, 3, 5)]
    pb = [int(b[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join("%02x" % round(x + (y - x) * t) for x, y in zip(pa, pb))
