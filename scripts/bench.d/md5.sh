#!/usr/bin/env bash
# MD5 throughput: WinUtil::MD5_File (Utils.dll, under Wine) against md5sum on the
# same 256 MB file, both with the file in the page cache.
# Needs BUILD_DIR and WINE_RUN (set by scripts/bench). Prints:
#   md5.mb_s: X MB/s   md5sum.mb_s: X MB/s   md5.ratio_vs_md5sum: X ratio
set -euo pipefail
: "${BUILD_DIR:?}" "${WINE_RUN:?}"
cmake --build "$BUILD_DIR" --target bench_md5 >/dev/null
exe="$BUILD_DIR/bin/bench_md5.exe"
work="$BUILD_DIR/bench-md5"
mkdir -p "$work"
file="$work/data-256m.bin"
if [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" != 268435456 ]; then
  head -c 268435456 /dev/urandom >"$file"
fi
cat "$file" >/dev/null   # warm the page cache for both

win_file="Z:${file//\//\\}"
out="$("$WINE_RUN" "$exe" "$win_file" 3 | tr -d '\r')"
ours_mbs="$(printf '%s\n' "$out" | sed -n 's/^md5\.mb_s: \([0-9.]*\) MB\/s$/\1/p')"
ours_digest="$(printf '%s\n' "$out" | sed -n 's/^digest: //p')"

best=""
for _ in 1 2 3; do
  t0=$(date +%s.%N)
  sum="$(md5sum "$file" | cut -d' ' -f1)"
  t1=$(date +%s.%N)
  mbs=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", 256 / (b - a) }')
  if [ -z "$best" ] || awk -v m="$mbs" -v b="$best" 'BEGIN { exit !(m > b) }'; then best="$mbs"; fi
done

if [ -z "$ours_mbs" ] || [ "$ours_digest" != "$sum" ]; then
  echo "md5.sh: bench_md5 failed or gave another digest ($ours_digest vs $sum)" >&2
  exit 1
fi
echo "md5.mb_s: $ours_mbs MB/s"
echo "md5sum.mb_s: $best MB/s"
awk -v a="$ours_mbs" -v b="$best" 'BEGIN { printf "md5.ratio_vs_md5sum: %.2f ratio\n", a / b }'
