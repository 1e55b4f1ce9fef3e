#!/usr/bin/env bash
# Time from adding a CWebBrowserUI to a shown 1050x680 window to its in-place
# activated "Shell Embedding" window (Wine's WebBrowser), median of 50 pages
# in one process: browser.create_ms.
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
[ -f "$BUILD_DIR/bin/bench_browser.exe" ] || cmake --build "$BUILD_DIR" --target bench_browser >/dev/null
"$WINE_RUN" "$BUILD_DIR/bin/bench_browser.exe" 50 | tr -d '\r'
