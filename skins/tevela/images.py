"""The images of the client's skin (tevela.exe): main window, tray menu,
settings and first-start dialogs, and the program icon. Drawn by
skins/skinpaint.py, which passes itself as sp."""


def _states(sp, w, h, draw, names):
    """One canvas per state name; draw(canvas, state) paints it."""
    out = {}
    for state, name in names.items():
        c = sp.Canvas(w, h)
        draw(c, state)
        out[name] = c
    return out


# ---------------------------------------------------------------------------
# Main window: title bar (on the brand colour)
# ---------------------------------------------------------------------------
def _title_button(sp, name, glyph):
    def draw(c, state):
        box = sp.rect(0, 0, 24, 24, 3)
        if state == "hot":
            c.fill(box, sp.CLOSE_RED if name == "CloseBtn" else sp.WHITE, 1.0 if name == "CloseBtn" else 0.22)
        elif state == "push":
            c.fill(box, "#B00E1C" if name == "CloseBtn" else "#000000", 1.0 if name == "CloseBtn" else 0.18)
        c.fill(glyph, sp.WHITE, 0.92 if state == "normal" else 1.0)
    return _states(sp, 24, 24, draw, {s: "MainWnd/%s_%s.png" % (name, s) for s in ("normal", "hot", "push")})


def _title_bar(sp):
    out = {}
    glyphs = {
        "settingbtn": sp.glyph_gear(12, 12, 14),
        "minbtn": sp.glyph_minimize(12, 12, 10, 1.6),
        "maxbtn": sp.glyph_maximize(12, 12, 10, 1.4),
        "restorebtn": sp.glyph_restore(12, 12, 11, 1.4),
        "CloseBtn": sp.glyph_close(12, 12, 9, 1.6),
    }
    for name, glyph in glyphs.items():
        out.update(_title_button(sp, name, glyph))

    # The logo: a play badge and the word mark, white on the brand colour.
    logo = sp.Canvas(94, 30)
    logo.fill(sp.circle(14, 15, 11), sp.WHITE)
    logo.fill(sp.polygon([(10.5, 9.5), (10.5, 20.5), (19.5, 15)]), sp.BRAND)
    logo.fill(sp.word("Yexo", 31, 6, 18, 3.0, 0.14), sp.WHITE)
    out["public/logo.png"] = logo
    return out


# ---------------------------------------------------------------------------
# Main window: navigation bar (on the light grey)
# ---------------------------------------------------------------------------
def _nav_button(sp, w, h, glyph, state):
    c = sp.Canvas(w, h)
    box = sp.rect(0.5, 0.5, w - 0.5, h - 0.5, 4)
    ink = sp.INK_SOFT
    if state == "hot":
        c.fill(box, sp.HOVER)
        ink = sp.BRAND
    elif state == "push":
        c.fill(box, sp.PRESS)
        ink = sp.BRAND_DARK
    elif state in ("disable_normal", "disable_hot"):
        ink = sp.INK_DISABLED
    c.fill(glyph, ink)
    return c


def _nav_bar(sp):
    out = {}
    arrows = {"goback": sp.glyph_arrow(15, 13, 12, 2.0, -1), "goforward": sp.glyph_arrow(15, 13, 12, 2.0, 1)}
    for name, glyph in arrows.items():
        for state in ("normal", "hot", "push", "disable_normal", "disable_hot"):
            out["MainWnd/%s_%s.png" % (name, state)] = _nav_button(sp, 30, 26, glyph, state)
    refresh = sp.glyph_refresh(15, 13, 14, 2.0)
    for state in ("normal", "hot", "push"):
        out["MainWnd/refresh_%s.png" % state] = _nav_button(sp, 30, 26, refresh, state)
    return out


# ---------------------------------------------------------------------------
# Main window: tab strip. Tabs overlap by 10 pixels, so their sides slant.
# ---------------------------------------------------------------------------
def _tab(sp, selected):
    w, h, slant, r = 194, 28, 9, 5
    c = sp.Canvas(w, h)
    # The bottom corners lie below the image, so only the top ones show rounded.
    body = sp.polygon([(0.5, h + 6), (slant + 0.5, 0.5), (w - slant - 0.5, 0.5), (w - 0.5, h + 6)])
    rounded = lambda x, y: body(x, y) - 0.0
    shape = sp.intersect(rounded, sp.rect(-1, -1, w + 1, h + 0.0))
    if selected:
        c.fill(shape, sp.WHITE)
        c.fill(sp.intersect(sp.outline(body, 1.0), sp.rect(-1, -1, w + 1, h)), sp.LINE)
    else:
        c.fill(shape, sp.vgradient(0, "#E9E9F0", h, sp.TAB_IDLE))
        c.fill(sp.intersect(sp.outline(body, 1.0), sp.rect(-1, -1, w + 1, h)), sp.LINE)
        # The strip's bottom line runs under a tab that is not selected.
        c.fill(sp.rect(0, h - 1, w, h), sp.LINE)
    return c


def _tab_strip(sp):
    out = {"MainWnd/tab_normal.png": _tab(sp, False), "MainWnd/tab_hot.png": _tab(sp, True)}
    close_n = sp.Canvas(15, 17)
    close_n.fill(sp.glyph_close(7.5, 8.5, 6, 1.4), sp.INK_MUTED)
    close_h = sp.Canvas(15, 17)
    close_h.fill(sp.circle(7.5, 8.5, 7), sp.BRAND)
    close_h.fill(sp.glyph_close(7.5, 8.5, 5.5, 1.5), sp.WHITE)
    out["MainWnd/tab_close_normal.png"] = close_n
    out["MainWnd/tab_close_hot.png"] = close_h
    home = sp.Canvas(16, 16)
    home.fill(sp.glyph_home(8, 8, 13), sp.BRAND)
    out["MainWnd/tab_home.png"] = home
    # The navigation bar, stretched across the window: its bottom line runs
    # where no tab covers it.
    bar = sp.Canvas(4, 50, sp.NAV_BG)
    bar.fill(sp.rect(0, 49, 4, 50), sp.LINE)
    out["MainWnd/navbar_bk.png"] = bar
    return out


# ---------------------------------------------------------------------------
# Scroll bars (10 pixels wide)
# ---------------------------------------------------------------------------
def _scroll_bars(sp):
    out = {}
    for name, direction in (("top", -1), ("bottom", 1)):
        c = sp.Canvas(10, 10)
        c.fill(sp.glyph_triangle(5, 5, 6, direction), sp.INK_MUTED)
        out["public/scrollbar_%s.png" % name] = c
    for name, colour in (("normal", "#C6C6D0"), ("hot", "#A6A6B3")):
        c = sp.Canvas(10, 30)
        c.fill(sp.rect(1.5, 0.5, 8.5, 29.5, 3.5), colour)
        out["public/scrollbar_%s.png" % name] = c
    bk = sp.Canvas(10, 30, "#F3F3F6")
    out["public/scrollbar_bk.png"] = bk
    return out


# ---------------------------------------------------------------------------
# Tray menu
# ---------------------------------------------------------------------------
def _tray_menu(sp):
    bk = sp.Canvas(130, 53, sp.WHITE)
    bk.fill(sp.outline(sp.rect(0, 0, 130, 53), 1.0), sp.LINE)
    hot = sp.Canvas(126, 24, sp.BRAND)
    return {"TrayMenuWnd/bk.png": bk, "TrayMenuWnd/hot.png": hot}


# ---------------------------------------------------------------------------
# Dialogs: close button, check and radio boxes, buttons (shared in public/)
# ---------------------------------------------------------------------------
def _dialog_parts(sp):
    out = {}
    close = sp.glyph_close(12, 12, 8, 1.6)

    def draw_close(c, state):
        if state == "hot":
            c.fill(sp.rect(0, 0, 24, 24, 3), sp.WHITE, 0.25)
        elif state == "push":
            c.fill(sp.rect(0, 0, 24, 24, 3), "#000000", 0.18)
        c.fill(close, sp.WHITE)
    out.update(_states(sp, 24, 24, draw_close, {s: "public/close_%s.png" % s for s in ("normal", "hot", "push")}))

    dot = sp.circle(8, 8, 6.5)

    def radio(state):
        c = sp.Canvas(16, 16)
        c.fill(dot, sp.WHITE)
        if state.startswith("checked"):
            c.stroke(dot, 1.4, sp.BRAND_LIGHT if state == "checked_hot" else sp.BRAND)
            c.fill(sp.circle(8, 8, 3.2), sp.BRAND_LIGHT if state == "checked_hot" else sp.BRAND)
        else:
            c.stroke(dot, 1.0, sp.BRAND if state == "hot" else "#B4B4C0")
        return c

    for state in ("normal", "hot", "checked", "checked_hot"):
        out["public/checkbox_%s.png" % state] = sp.check_box(state)
        out["public/radio_%s.png" % state] = radio(state)

    def button(primary, state):
        c = sp.Canvas(80, 30)
        shape = sp.rect(0.5, 0.5, 79.5, 29.5, 3)
        if primary:
            fill = {"normal": sp.BRAND, "hot": sp.BRAND_LIGHT, "push": sp.BRAND_DARK}[state]
            c.fill(shape, fill)
        else:
            fill = {"normal": sp.WHITE, "hot": "#F5F5F8", "push": "#E8E8EE"}[state]
            c.fill(shape, fill)
            c.stroke(shape, 1.0, sp.BRAND if state != "normal" else sp.LINE)
        return c

    for state in ("normal", "hot", "push"):
        out["public/btn_primary_%s.png" % state] = button(True, state)
        out["public/btn_normal_%s.png" % state] = button(False, state)
    return out


def images(sp):
    out = {}
    for part in (_title_bar, _nav_bar, _tab_strip, _scroll_bars, _tray_menu, _dialog_parts):
        out.update(part(sp))
    return out


# ---------------------------------------------------------------------------
# The program icon (window class, tray, shortcuts)
# ---------------------------------------------------------------------------
def _icon(sp, size):
    c = sp.Canvas(size, size)
    s = float(size)
    c.fill(sp.rect(s * 0.04, s * 0.04, s * 0.96, s * 0.96, s * 0.22),
           sp.vgradient(0, sp.BRAND_LIGHT, s, sp.BRAND_DARK))
    cx, cy = s * 0.53, s * 0.5
    c.fill(sp.polygon([(cx - s * 0.17, cy - s * 0.24), (cx - s * 0.17, cy + s * 0.24), (cx + s * 0.24, cy)]),
           sp.WHITE)
    return c


def icons(sp):
    return {"tevela.ico": [_icon(sp, n) for n in (16, 24, 32, 48, 256)]}
