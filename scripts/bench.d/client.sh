#!/usr/bin/env bash
# The client under Wine, next to a local server at its loopback port:
#   client.first_paint_ms  process start to the first painted main window, the
#                          home page navigating to the local server (median of 10)
#   client.empty_process_ms  an empty program's start and end, for scale (median of 10)
#   client.start_ratio     client.first_paint_ms / client.empty_process_ms
#   client.tab_open_ms     opening and painting a new browser tab (median of 50)
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
cmake --build "$BUILD_DIR" --target bench_client tevela_loopback update Utils >/dev/null
port="$(sed -n 's/^TEVELA_LOOPBACK_PORT:INTERNAL=//p' "$BUILD_DIR/CMakeCache.txt")"
for mode in "first_paint 10" "tab_open 50"; do
  python3 "$here/tests/support_py/run_with_server.py" --wine-run "$WINE_RUN" \
    --workdir "$BUILD_DIR/test-output/bench_client" --port "${port:-28411}" \
    -- "$BUILD_DIR/bin/bench_client.exe" $mode | tr -d '\r' | grep -E '^client\.'
done
