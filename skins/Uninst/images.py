"""The images of the uninstaller's skin (Uninst.exe): the installers' shared
title-bar buttons, logo, dialog symbols, buttons and progress bar
(skins/installer_parts.py), the close button as it shows while the removal
runs, and the program icon. Drawn by skins/skinpaint.py, which passes itself
as sp."""

import installer_parts


def _close_disabled(sp):
    """The title bar's close button while it cannot be used: a faint glyph."""
    c = sp.Canvas(24, 24)
    c.fill(sp.glyph_close(12, 12, 9, 1.6), sp.WHITE, 0.4)
    return c


def images(sp):
    out = installer_parts.images(sp)
    out["Uninst/close_disable.png"] = _close_disabled(sp)
    return out


def icons(sp):
    return {"Uninst.ico": [installer_parts.program_icon(sp, size, "uninstall") for size in (16, 32, 48)]}
