#!/usr/bin/env bash
# The installer's unpacking of the real payload (Setup.exe's archive) under Wine
# against "7zz x" of the same archive on this machine, in the same run, and a
# whole installation by the install worker into an empty folder (medians).
#   env: BUILD_DIR (the build folder), WINE_RUN (the Wine wrapper)
set -euo pipefail
BUILD_DIR="${BUILD_DIR:?BUILD_DIR not set}"
WINE_RUN="${WINE_RUN:-$BUILD_DIR/wine-run}"
cmake --build "$BUILD_DIR" --target bench_setup Setup >/dev/null
archive="$BUILD_DIR/install/Setup/payload/payload.7z"
runs=9
to_win() { local p="$1"; p="${p//\//\\}"; printf 'Z:%s' "$p"; }

out="$("$WINE_RUN" "$BUILD_DIR/bin/bench_setup.exe" "$(to_win "$BUILD_DIR/bin/Setup.exe")" "$runs" | tr -d '\r')"
printf '%s\n' "$out" | grep -v '^setup.unpacked_bytes'
bytes="$(printf '%s\n' "$out" | sed -n 's/^setup.unpacked_bytes: \([0-9]*\) bytes$/\1/p')"
setup_mb_s="$(printf '%s\n' "$out" | sed -n 's/^setup.unpack_mb_s: \([0-9.]*\) MB\/s$/\1/p')"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
times=()
for i in $(seq 1 "$runs"); do
  rm -rf "$tmp/x"
  start=$(date +%s%N)
  7zz x -y -bd -o"$tmp/x" "$archive" >/dev/null
  end=$(date +%s%N)
  times+=($(( end - start )))
done
median_ns="$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")"
python3 - "$bytes" "$median_ns" "$setup_mb_s" <<'PY'
import sys
size, ns, setup = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
sevenzip = size / 1e6 / (ns / 1e9)
print("7zz.unpack_mb_s: %.1f MB/s" % sevenzip)
print("setup.unpack_ratio_vs_7zz: %.2f x" % (setup / sevenzip))
PY
