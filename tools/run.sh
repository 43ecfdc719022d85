#!/usr/bin/env bash
# Builds Folivex and starts it under Wine, on the given PDF or on a sample
# PDF made by tools/make_sample_pdf.py. Usage: tools/run.sh [file.pdf]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
FV_TESTS_FLAG=${FV_TESTS_FLAG:--DFV_TESTS=OFF}
FV_BUILD_DIR=${FV_BUILD_DIR:-$root/build/run} "$root/tools/build.sh" "$FV_TESTS_FLAG"
build=${FV_BUILD_DIR:-$root/build/run}
pdf=${1:-}
if [ -z "$pdf" ]; then
  pdf=$build/sample.pdf
  python3 "$root/tools/make_sample_pdf.py" "$pdf"
fi
. "$root/tools/wine_env.sh"
fv_wine_up
echo "Folivex is running on display $DISPLAY (close its window to stop)." >&2
exec wine "$build/Folivex.exe" "$(winepath -w "$pdf" 2>/dev/null || echo "$pdf")"
