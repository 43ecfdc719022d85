#!/usr/bin/env bash
# Installs what building and testing Folivex needs on Debian 12, when missing.
set -euo pipefail
packages=(
  cmake ninja-build python3 python3-pip googletest zlib1g-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine fonts-liberation2 xvfb xauth x11-utils imagemagick
  clang libclang-rt-14-dev llvm
  qpdf ghostscript poppler-utils librsvg2-bin python3-aiosmtpd
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
