#!/usr/bin/env bash
# Time from CUIBuilder::Create to the first completed paint of a 1050x680
# skinned window (about 350 controls, skin zip in the resources), median of
# 15 runs in one process: builder.first_paint_ms.
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
[ -f "$BUILD_DIR/bin/bench_builder.exe" ] || cmake --build "$BUILD_DIR" --target bench_builder >/dev/null
"$WINE_RUN" "$BUILD_DIR/bin/bench_builder.exe" 15 | tr -d '\r'
