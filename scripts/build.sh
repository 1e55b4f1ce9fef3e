#!/usr/bin/env bash
# Installs what is missing and builds every program: the 32-bit deliverables in
# build/i686, and, on a machine that cannot run 32-bit programs, the same code for
# x86_64 in build/x86_64 so that it can run under 64-bit Wine.
set -euo pipefail
. "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/deps.sh"
configure_and_build i686
arch="$(runnable_arch)"
if [ "$arch" != i686 ]; then configure_and_build "$arch"; fi
echo "build: 32-bit programs in build/i686/bin; runnable here: build/$arch/bin"
