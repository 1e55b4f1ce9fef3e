#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
. "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/build.sh"
arch="$(runnable_arch)"
dir="$ROOT/build/$arch"
rc=0
ctest --test-dir "$dir" -j "$(nproc)" --output-on-failure --timeout 600 || rc=$?
"$dir/wine-run" --stop || true
exit $rc
