"""The line-icon set: every icon on a 20 px grid, drawn with round caps and joins.

Each icon is SVG markup in which {S} stands for the stroke attributes and {F} for
the fill attributes of the icon colour; art.py fills them in per state and
scales the 20 px grid to the button. Strokes keep 1.75 px at any scale.
"""

ICONS = {
    # window
    "min": '<path {S} d="M5 10.5h10"/>',
    "max": '<rect {S} x="5" y="5" width="10" height="10" rx="1.8"/>',
    "close": '<path {S} d="M5.5 5.5l9 9M14.5 5.5l-9 9"/>',
    "menu": '<path {S} d="M4 6h12M4 10h12M4 14h12"/>',
    # transport
    "prev": '<path {S} d="M5.5 5v10"/><path {S} d="M15 5.6v8.8a.6.6 0 0 1-.95.5L8.3 10.5a.6.6 0 0 1 0-1'
            'L14.05 5.1a.6.6 0 0 1 .95.5z"/>',
    "next": '<path {S} d="M14.5 5v10"/><path {S} d="M5 5.6v8.8a.6.6 0 0 0 .95.5l5.75-4.4a.6.6 0 0 0 0-1'
            'L5.95 5.1a.6.6 0 0 0-.95.5z"/>',
    "play": '<path {F} d="M7 4.6v10.8c0 .8.85 1.3 1.55.9l9.1-5.4a1.05 1.05 0 0 0 0-1.8'
            'l-9.1-5.4C7.85 3.3 7 3.8 7 4.6z"/>',
    "pause": '<rect {F} x="5.2" y="4" width="3.4" height="12" rx="1.2"/>'
             '<rect {F} x="11.4" y="4" width="3.4" height="12" rx="1.2"/>',
    "sound": '<path {S} d="M3.5 8v4h3l4 3.5v-11l-4 3.5z"/><path {S} d="M13.5 7.8a3.2 3.2 0 0 1 0 4.4"/>'
             '<path {S} d="M15.6 5.6a6.3 6.3 0 0 1 0 8.8"/>',
    "mute": '<path {S} d="M3.5 8v4h3l4 3.5v-11l-4 3.5z"/><path {S} d="M13.5 8l4 4M17.5 8l-4 4"/>',
    # list
    "add": '<path {S} d="M10 4.5v11M4.5 10h11"/>',
    "trash": '<path {S} d="M4 6h12M8 6V4.5h4V6M5.6 6l.8 10h7.2l.8-10M8.6 9v4.2M11.4 9v4.2"/>',
    "sort": '<path {S} d="M3.5 5.5h8M3.5 10h6M3.5 14.5h4M15 4.5v11M12.5 13l2.5 2.5 2.5-2.5"/>',
    "repeat": '<path {S} d="M4 10V8.6A2.6 2.6 0 0 1 6.6 6H16M13.5 3.5L16 6l-2.5 2.5"/>'
              '<path {S} d="M16 10v1.4A2.6 2.6 0 0 1 13.4 14H4M6.5 16.5L4 14l2.5-2.5"/>',
    "radio": '<circle {F} cx="10" cy="10" r="1.7"/><path {S} d="M6.8 13.2a4.5 4.5 0 0 1 0-6.4'
             'M13.2 6.8a4.5 4.5 0 0 1 0 6.4M4.4 15.6a7.9 7.9 0 0 1 0-11.2M15.6 4.4a7.9 7.9 0 0 1 0 11.2"/>',
    "library": '<path {S} d="M4.5 4v12M8.5 4v12M12 4.8l4 10.8"/>',
    "lyrics": '<path {S} d="M3.5 5.5h9M3.5 9.5h9M3.5 13.5h5"/><path {S} d="M15 14.6V7.5l2.5 1"/>'
              '<circle {F} cx="13.6" cy="14.8" r="1.9"/>',
    # library toolbar
    "back": '<path {S} d="M16 10H4.5M9 5.5L4.5 10 9 14.5"/>',
    "forward": '<path {S} d="M4 10h11.5M11 5.5l4.5 4.5-4.5 4.5"/>',
    "refresh": '<path {S} d="M15.5 10a5.5 5.5 0 1 1-1.7-4M14.5 3.2v3.3h-3.3"/>',
    "search": '<circle {S} cx="8.8" cy="8.8" r="5"/><path {S} d="M12.6 12.6L16.5 16.5"/>',
    "chev_left": '<path {S} d="M12 5l-5 5 5 5"/>',
    "chev_right": '<path {S} d="M8 5l5 5-5 5"/>',
    # lyric window
    "rewind": '<path {S} d="M10 5l-5 5 5 5M15.5 5l-5 5 5 5"/>',
    "forward5": '<path {S} d="M10 5l5 5-5 5M4.5 5l5 5-5 5"/>',
    "desktop": '<rect {S} x="3" y="4" width="14" height="9.5" rx="1.8"/><path {S} d="M7 16.5h6M10 13.5v3"/>'
               '<path {S} d="M6.5 8.8h7"/>',
}
