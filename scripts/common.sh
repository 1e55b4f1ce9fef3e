# Shared by the build, run and test scripts.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The architecture whose programs this machine can run under Wine: i686 where the
# kernel executes 32-bit programs (wine32), otherwise x86_64 (wine64).
runnable_arch() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
}

# configure_and_build ARCH [TARGET...]
configure_and_build() {
  local arch="$1"; shift
  local dir="$ROOT/build/$arch"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch-mingw.cmake" >/dev/null
  fi
  if [ $# -gt 0 ]; then
    cmake --build "$dir" --target "$@"
  else
    cmake --build "$dir"
  fi
}
