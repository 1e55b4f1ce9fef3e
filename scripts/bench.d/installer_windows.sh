#!/usr/bin/env bash
# The real Setup.exe and Uninst.exe windows (loopback builds) under Wine, next to
# the local statistics server: the installation from the default install
# button's click to the finish page, and the removal from the confirmation to
# the result message (medians of 5).
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cmake --build "$BUILD_DIR" --target bench_installer_windows >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$ROOT/tests/support_py/run_with_server.py" --wine-run "$WINE_RUN" --workdir "$work" \
  --timeout 600 --port 28412 -- "$BUILD_DIR/bin/bench_installer_windows.exe" 5 | tr -d '\r'
