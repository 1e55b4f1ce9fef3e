"""Drawing shared by the installer's and the uninstaller's skins (Setup.exe and
Uninst.exe): both windows have the brand-pink 40-pixel title bar, the same
dialogs, buttons and progress bar. Imported by skins/Setup/images.py and
skins/Uninst/images.py (skinpaint.py puts this folder on the module path):

    import installer_parts

    def images(sp):
        out = installer_parts.images(sp)     # every shared image, in "common/"
        ...

The shared images, by entry name (states: normal, hot, push; buttons also
disable):

    common/min_<state>.png, common/close_<state>.png   24 x 24 title-bar buttons,
                                                       white glyphs for #FF007D
    common/logo.png                                   94 x 30, white on the title bar
    common/warning.png, common/question.png           48 x 48 dialog symbols
    common/btn_primary_<state>.png                    80 x 30 pink buttons,
    common/btn_normal_<state>.png                     80 x 30 white ones; stretch
                                                       them with corner='4,4,4,4'
    common/progress_bk.png, common/progress_fore.png  300 x 40 bar (a 12-pixel
                                                       track in the middle), for
                                                       isstretchfore="false"

program_icon(sp, size, mark) draws the programs' icon (mark "install" or
"uninstall") for images.py's icons().
"""

WARN = "#FFA51F"          # the warning sign
WARN_DARK = "#F08A00"
QUESTION = "#3D8BF2"      # the question sign
QUESTION_DARK = "#2A6FD6"
TRACK = "#E4E4EA"         # the progress bar's empty track
TRACK_LINE = "#D3D3DC"

STATES = ("normal", "hot", "push")
BUTTON_STATES = ("normal", "hot", "push", "disable")


def _title_button(sp, glyph, close, state):
    c = sp.Canvas(24, 24)
    box = sp.rect(0, 0, 24, 24, 3)
    if state == "hot":
        if close:
            c.fill(box, sp.CLOSE_RED)
        else:
            c.fill(box, sp.WHITE, 0.22)
    elif state == "push":
        if close:
            c.fill(box, "#B00E1C")
        else:
            c.fill(box, "#000000", 0.18)
    c.fill(glyph, sp.WHITE, 0.92 if state == "normal" else 1.0)
    return c


def title_buttons(sp):
    out = {}
    glyphs = {"min": (sp.glyph_minimize(12, 12, 10, 1.6), False), "close": (sp.glyph_close(12, 12, 9, 1.6), True)}
    for name, (glyph, close) in glyphs.items():
        for state in STATES:
            out["common/%s_%s.png" % (name, state)] = _title_button(sp, glyph, close, state)
    return out


def logo(sp):
    """The product's badge and word mark, white, for the pink title bar."""
    c = sp.Canvas(94, 30)
    c.fill(sp.circle(14, 15, 11), sp.WHITE)
    c.fill(sp.polygon([(10.5, 9.5), (10.5, 20.5), (19.5, 15)]), sp.BRAND)
    c.fill(sp.word("Yexo", 31, 6, 18, 3.0, 0.14), sp.WHITE)
    return c


def warning(sp, size=48):
    """A rounded warning triangle with an exclamation mark."""
    c = sp.Canvas(size, size)
    s = float(size)
    tri = sp.polygon([(s * 0.5, s * 0.08), (s * 0.96, s * 0.88), (s * 0.04, s * 0.88)])
    rounded = lambda x, y: tri(x, y) - s * 0.05
    c.fill(rounded, sp.vgradient(0, WARN, s, WARN_DARK))
    c.fill(sp.segment(s * 0.5, s * 0.34, s * 0.5, s * 0.62, s * 0.1), sp.WHITE)
    c.fill(sp.circle(s * 0.5, s * 0.76, s * 0.055), sp.WHITE)
    return c


def question(sp, size=48):
    """A round question sign."""
    c = sp.Canvas(size, size)
    s = float(size)
    c.fill(sp.circle(s / 2, s / 2, s * 0.46), sp.vgradient(0, QUESTION, s, QUESTION_DARK))
    w = s * 0.1
    hook = sp.arc(s * 0.5, s * 0.38, s * 0.14, 180, 90, w)
    stem = sp.segment(s * 0.5, s * 0.52, s * 0.5, s * 0.6, w)
    c.fill(sp.union(hook, stem), sp.WHITE)
    c.fill(sp.circle(s * 0.5, s * 0.74, s * 0.058), sp.WHITE)
    return c


def button(sp, primary, state, w=80, h=30, r=4):
    c = sp.Canvas(w, h)
    shape = sp.rect(0.5, 0.5, w - 0.5, h - 0.5, r)
    if primary:
        fill = {"normal": sp.BRAND, "hot": sp.BRAND_LIGHT, "push": sp.BRAND_DARK, "disable": "#F2A9CC"}[state]
        c.fill(shape, fill)
    else:
        fill = {"normal": sp.WHITE, "hot": "#FFF3F9", "push": "#FCE1EE", "disable": "#F4F4F6"}[state]
        c.fill(shape, fill)
        edge = {"normal": sp.LINE, "hot": sp.BRAND, "push": sp.BRAND_DARK, "disable": sp.LINE_SOFT}[state]
        c.stroke(shape, 1.0, edge)
    return c


def buttons(sp):
    out = {}
    for state in BUTTON_STATES:
        out["common/btn_primary_%s.png" % state] = button(sp, True, state)
        out["common/btn_normal_%s.png" % state] = button(sp, False, state)
    return out


def progress(sp, w=300, h=40, track=12):
    top = (h - track) / 2.0
    bar = sp.rect(0.5, top, w - 0.5, top + track, track / 2.0)
    bk = sp.Canvas(w, h)
    bk.fill(bar, TRACK)
    bk.stroke(bar, 1.0, TRACK_LINE)
    fore = sp.Canvas(w, h)
    fore.fill(bar, lambda x, y: sp.mix(sp.BRAND_LIGHT, sp.BRAND, x / float(w)))
    # A soft highlight along the top of the filled part.
    fore.fill(sp.rect(track / 2.0, top + 2, w - track / 2.0, top + 4.5, 1.2), sp.WHITE, 0.28)
    return {"common/progress_bk.png": bk, "common/progress_fore.png": fore}


def images(sp):
    out = {}
    out.update(title_buttons(sp))
    out["common/logo.png"] = logo(sp)
    out["common/warning.png"] = warning(sp)
    out["common/question.png"] = question(sp)
    out.update(buttons(sp))
    out.update(progress(sp))
    return out


def program_icon(sp, size, mark):
    """The pink rounded square of the product with a play sign, and a badge: a
    down arrow for "install", a cross for "uninstall"."""
    c = sp.Canvas(size, size)
    s = float(size)
    c.fill(sp.rect(s * 0.04, s * 0.04, s * 0.96, s * 0.96, s * 0.22),
           sp.vgradient(0, sp.BRAND_LIGHT, s, sp.BRAND_DARK))
    cx, cy = s * 0.45, s * 0.45
    c.fill(sp.polygon([(cx - s * 0.15, cy - s * 0.21), (cx - s * 0.15, cy + s * 0.21), (cx + s * 0.21, cy)]),
           sp.WHITE)
    bx, by, br = s * 0.72, s * 0.72, s * 0.22
    c.fill(sp.circle(bx, by, br + max(1.0, s * 0.03)), sp.BRAND_DARK)
    c.fill(sp.circle(bx, by, br), sp.WHITE)
    w = max(1.2, s * 0.06)
    if mark == "install":
        glyph = sp.union(sp.segment(bx, by - br * 0.55, bx, by + br * 0.5, w),
                         sp.polyline([(bx - br * 0.45, by + br * 0.05), (bx, by + br * 0.5),
                                      (bx + br * 0.45, by + br * 0.05)], w))
    else:
        glyph = sp.glyph_close(bx, by, br * 0.9, w)
    c.fill(glyph, sp.BRAND)
    return c
