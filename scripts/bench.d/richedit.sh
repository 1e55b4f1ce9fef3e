#!/usr/bin/env bash
# A rich edit 150 pixels wide in a horizontal layout with 64 KB of text in
# lines: attaching the layout to a window, and the first layout and paint
# after it (medians of 5 windows): richedit.attach_64k_ms,
# richedit.first_paint_64k_ms.
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
[ -f "$BUILD_DIR/bin/bench_richedit.exe" ] || cmake --build "$BUILD_DIR" --target bench_richedit >/dev/null
"$WINE_RUN" "$BUILD_DIR/bin/bench_richedit.exe" 5 | tr -d '\r'
