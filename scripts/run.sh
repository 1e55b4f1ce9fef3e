#!/usr/bin/env bash
# Installs what is missing, builds every program, installs the product with Setup.exe
# into the build's Wine prefix and starts the client.
set -euo pipefail
. "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/build.sh"
arch="$(runnable_arch)"
dir="$ROOT/build/$arch"
if [ ! -f "$dir/bin/Setup.exe" ]; then
  echo "run: the installer is not part of the build yet; built programs:"
  ls "$dir/bin"
  exit 0
fi
"$dir/wine-run" "$dir/bin/Setup.exe" setup_silence run_now
