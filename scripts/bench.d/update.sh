#!/usr/bin/env bash
# Time of a first launch of update.exe that fetches and verifies 200 changed
# files from a local HTTP server (median of 3 runs).
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
for f in update.exe Utils.dll dummy_tevela.exe; do
  [ -f "$BUILD_DIR/bin/$f" ] || cmake --build "$BUILD_DIR" --target update dummy_tevela >/dev/null
done
exec python3 "$here/tests/update/e2e.py" --wine-run "$WINE_RUN" --bin "$BUILD_DIR/bin" \
  --server "$here/tests/support_py/httpserver.py" --bench 200 --bench-runs 3
