#!/usr/bin/env bash
# A list of 10,000 text rows in a 1050x680 window: building it from code and
# laying it out once (median of 5 builds), and one wheel step with the repaint
# it causes (median of 100): list.build_10k_ms, list.scroll_frame_ms.
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
[ -f "$BUILD_DIR/bin/bench_list.exe" ] || cmake --build "$BUILD_DIR" --target bench_list >/dev/null
"$WINE_RUN" "$BUILD_DIR/bin/bench_list.exe" 5 | tr -d '\r'
