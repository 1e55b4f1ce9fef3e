#!/usr/bin/env bash
# Markup parser throughput: CUIMarkup against pugixml, both under Wine in one
# run, on the skins' XML files (skins/**/*.xml, if any, and the test fixtures'
# skins) and a generated 1 MB layout.
# Needs BUILD_DIR and WINE_RUN (set by scripts/bench) and pugixml
# (WITH_BENCH_DEPS=1 scripts/deps.sh, then a fresh cmake run). Prints, for
# a new parser object per load on both sides (what the dialog builder does):
#   markup.mb_s: X MB/s   pugixml.mb_s: X MB/s   markup.ratio_vs_pugixml: X ratio
# and for one parser object reused for every load on both sides:
#   markup.reused_mb_s: X MB/s   pugixml.reused_mb_s: X MB/s
#   markup.reused_ratio_vs_pugixml: X ratio
set -euo pipefail
: "${BUILD_DIR:?}" "${WINE_RUN:?}"
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
if ! cmake --build "$BUILD_DIR" --target bench_markup >/dev/null; then
  echo "markup.sh: bench_markup did not build (is third_party/pugixml fetched and cmake re-run?)" >&2
  exit 1
fi
args=()
# The product's skins and the test fixtures' skins (made by the build).
for skins in "$ROOT/skins" "$(cd "$BUILD_DIR" && pwd)/fixtures/skins"; do
  if [ -d "$skins" ]; then args+=("Z:${skins//\//\\}"); fi
done
"$WINE_RUN" "$BUILD_DIR/bin/bench_markup.exe" "${args[@]}" | tr -d '\r'
