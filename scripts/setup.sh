#!/usr/bin/env bash
# Installs every Debian package the build, the run and the tests need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PKGS=(
  cmake ninja-build python3 dpkg-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  libz-mingw-w64-dev libstb-dev googletest
  wine wine32:i386 wine64 xvfb xauth fonts-wine fonts-wqy-zenhei
  7zip
)

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

need_src=0
if ! grep -rqs "deb-src" /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null &&
   ! grep -rqs "^Types:.*deb-src" /etc/apt/sources.list.d/ 2>/dev/null; then
  need_src=1
fi

if [ ${#missing[@]} -eq 0 ] && [ $need_src -eq 0 ]; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
if [ $need_src -eq 1 ]; then
  codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
  $SUDO tee /etc/apt/sources.list.d/tevela-src.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: ${codename} ${codename}-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi
$SUDO apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
