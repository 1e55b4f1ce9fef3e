"""The images of the installer's skin (Setup.exe): the shared installer parts
(skins/installer_parts.py, in "common/") and the installer's own: the large
install button, the folder button, the check box and the finish badge; and the
program icon. Drawn by skins/skinpaint.py, which passes itself as sp."""

import installer_parts


def _big_buttons(sp):
    out = {}
    for state in installer_parts.BUTTON_STATES:
        out["setup/install_%s.png" % state] = installer_parts.button(sp, True, state, 200, 56, 6)
    return out


def _folder_glyph(sp, cx, cy, s):
    """A folder: its tab and body."""
    h = s / 2.0
    tab = sp.rect(cx - h, cy - h * 0.7, cx - h * 0.1, cy - h * 0.2, 1.2)
    body = sp.rect(cx - h, cy - h * 0.45, cx + h, cy + h * 0.75, 1.5)
    return sp.union(tab, body)


def _browse_buttons(sp):
    out = {}
    for state in installer_parts.STATES:
        c = installer_parts.button(sp, False, state, 28, 28, 3)
        ink = {"normal": sp.INK_SOFT, "hot": sp.BRAND, "push": sp.BRAND_DARK}[state]
        c.fill(_folder_glyph(sp, 14, 14.5, 15), ink)
        out["setup/browse_%s.png" % state] = c
    return out


def _check_boxes(sp):
    return {"setup/checkbox_%s.png" % state: sp.check_box(state)
            for state in ("normal", "hot", "checked", "checked_hot")}


def _finish_badge(sp):
    c = sp.Canvas(44, 44)
    c.fill(sp.circle(22, 22, 20), sp.vgradient(0, "#2FC27A", 44, "#1FA463"))
    c.fill(sp.glyph_check(22, 23, 20, 3.4), sp.WHITE)
    return c


def images(sp):
    out = installer_parts.images(sp)
    out.update(_big_buttons(sp))
    out.update(_browse_buttons(sp))
    out.update(_check_boxes(sp))
    out["setup/finish.png"] = _finish_badge(sp)
    return out


def icons(sp):
    return {"Setup.ico": [installer_parts.program_icon(sp, n, "install") for n in (16, 24, 32, 48, 256)]}
