#!/usr/bin/env bash
# Layout and paint of a 2,000-control window (1050x680), medians of 20 runs:
# engine.layout_ms, engine.paint_ms, engine.layout_paint_ms.
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
[ -f "$BUILD_DIR/bin/bench_engine.exe" ] || cmake --build "$BUILD_DIR" --target bench_engine >/dev/null
"$WINE_RUN" "$BUILD_DIR/bin/bench_engine.exe" 20 | tr -d '\r'
