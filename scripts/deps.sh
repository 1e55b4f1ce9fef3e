#!/usr/bin/env bash
# Fetches the third-party sources the build compiles (Debian source packages)
# into third_party/ (git-ignored). Safe to run concurrently and repeatedly.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DEST="$ROOT/third_party"
mkdir -p "$DEST"
exec 9>"$DEST/.lock"
flock 9

fetch() { # fetch <source-package> <folder-name> <probe-file-inside>
  local pkg="$1" name="$2" probe="$3"
  if [ -f "$DEST/$name/$probe" ]; then return 0; fi
  local tmp; tmp="$(mktemp -d "$DEST/.fetch.XXXXXX")"
  ( cd "$tmp" && apt-get source -q "$pkg" >/dev/null 2>"$tmp/.err" ) || {
    cat "$tmp/.err" >&2; rm -rf "$tmp"
    echo "deps.sh: apt-get source $pkg failed (is a deb-src entry present? run scripts/setup.sh)" >&2
    exit 1; }
  local dir; dir="$(find "$tmp" -mindepth 1 -maxdepth 1 -type d | head -n1)"
  rm -rf "$DEST/$name"
  mv "$dir" "$DEST/$name"
  rm -rf "$tmp"
  [ -f "$DEST/$name/$probe" ] || { echo "deps.sh: $pkg lacks $probe" >&2; exit 1; }
}

fetch libjsoncpp-dev jsoncpp src/lib_json/json_reader.cpp
fetch zlib zlib contrib/minizip/unzip.c
fetch 7zip 7zip C/7zDec.c
if [ "${WITH_BENCH_DEPS:-0}" = 1 ]; then
  fetch pugixml pugixml src/pugixml.cpp
fi
