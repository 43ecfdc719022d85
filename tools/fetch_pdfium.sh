#!/usr/bin/env bash
# Fetches the PDFium engine for Windows x64 from the pypdfium2 wheel on PyPI,
# checks it against pinned checksums and caches it outside the repository.
# Prints the path of the cached pdfium.dll.
set -euo pipefail
PYPDFIUM2_VERSION=5.15.2
WHEEL_SHA256=74d1bace34fb01c660d0b64344d5a4b7d276942b7c6623c88ab59ea21c5acfbd
DLL_SHA256=42d87f68957d745ce9377dfb1d8d63691e19082a7ec29ff421d22779d3142b29

cache=${FOLIVEX_CACHE:-$HOME/.cache/folivex}/pdfium-$PYPDFIUM2_VERSION
dll=$cache/pdfium.dll
if [ -f "$dll" ] && [ -f "$cache/version.json" ] && echo "$DLL_SHA256  $dll" | sha256sum -c --status; then
  echo "$dll"; exit 0
fi
mkdir -p "$cache"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 -m pip download --quiet --no-deps --only-binary=:all: --platform win_amd64 \
  -d "$tmp" "pypdfium2==$PYPDFIUM2_VERSION" >&2
whl=$(ls "$tmp"/pypdfium2-*.whl)
echo "$WHEEL_SHA256  $whl" | sha256sum -c --status || { echo "fetch_pdfium: wheel checksum mismatch" >&2; exit 1; }
python3 - "$whl" "$tmp/x" <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
for name in ('pypdfium2_raw/pdfium.dll', 'pypdfium2_raw/version.json'):
    z.extract(name, sys.argv[2])
PY
echo "$DLL_SHA256  $tmp/x/pypdfium2_raw/pdfium.dll" | sha256sum -c --status || { echo "fetch_pdfium: DLL checksum mismatch" >&2; exit 1; }
cp "$tmp/x/pypdfium2_raw/version.json" "$cache/version.json"
cp "$tmp/x/pypdfium2_raw/pdfium.dll" "$dll.tmp" && mv "$dll.tmp" "$dll"
echo "$dll"
