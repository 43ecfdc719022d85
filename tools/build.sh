#!/usr/bin/env bash
# Builds the Windows program (and its tests) with mingw-w64 into build/win.
# Usage: tools/build.sh [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
dll=$("$root/tools/fetch_pdfium.sh")
build=${FV_BUILD_DIR:-$root/build/win}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DFV_PDFIUM_DLL="$dll" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
