#!/usr/bin/env bash
# Times of real update.exe first launches, files served by a local HTTP server:
#   update.first_launch_200_ms  fetches and verifies 200 changed files (median of 3 runs)
#   update.manifest_20k_ms      goes through a 20,000-entry manifest of which nothing
#                               differs: every entry read, every installed file digested,
#                               nothing fetched (median of 3 runs)
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
for f in update.exe Utils.dll dummy_tevela.exe bench_md5.exe bench_timed.exe; do
  [ -f "$BUILD_DIR/bin/$f" ] || cmake --build "$BUILD_DIR" --target update dummy_tevela bench_md5 bench_timed >/dev/null
done
python3 "$here/tests/update/e2e.py" --wine-run "$WINE_RUN" --bin "$BUILD_DIR/bin" \
  --server "$here/tests/support_py/httpserver.py" --bench 200 --bench-runs 3
python3 "$here/utils/bench/bench_update_manifest.py" --wine-run "$WINE_RUN" --bin "$BUILD_DIR/bin" \
  --server "$here/tests/support_py/httpserver.py" --entries 20000 --runs 3
