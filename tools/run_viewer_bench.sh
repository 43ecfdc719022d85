#!/usr/bin/env bash
# Builds the viewer benchmark, makes its documents and runs it under Wine:
#   1. open -> first page on screen against PDFium alone, for a light page
#      (tools/make_sample_pdf.py), an ordinary page of running text and a
#      page that is heavy to draw (tools/make_bench_pdf.py);
#   2. memory while a 2,000-page PDF is scrolled from top to bottom, and
#      while 20 scanned pages are;
#   3. open -> the page panel's thumbnails painted for 100-page PDFs (light
#      pages, pages of running text, pages heavy to draw) and for the 20
#      scanned pages, against PDFium alone rendering the same thumbnails and
#      doing the worker's jobs;
#   4. a 3,000-page PDF flung through with the page panel shown and hidden:
#      thumbnails rendered, and peak memory side by side.
#   5. find on 1,000 pages of running text: indexing against PDFium alone,
#      scrolling while it runs, typing a query.
# Usage: tools/run_viewer_bench.sh [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FV_BUILD_DIR:-$root/build/win-bench}
rounds=${1:-10}
FV_BUILD_DIR=$build "$root/tools/build.sh" -DFV_BENCH=ON -DFV_TESTS=OFF
data=$build/benchdata
mkdir -p "$data"
python3 "$root/tools/make_sample_pdf.py" "$data/light.pdf" 12
python3 "$root/tools/make_bench_pdf.py" "$data/text.pdf" text
python3 "$root/tools/make_bench_pdf.py" "$data/heavy.pdf" heavy
python3 "$root/tools/make_sample_pdf.py" "$data/pages2000.pdf" 2000
python3 "$root/tools/make_sample_pdf.py" "$data/pages100.pdf" 100
python3 "$root/tools/make_sample_pdf.py" "$data/pages3000.pdf" 3000
python3 "$root/tools/make_bench_pdf.py" "$data/text1000.pdf" text 1000
python3 "$root/tools/make_bench_pdf.py" "$data/text100.pdf" text 100
python3 "$root/tools/make_bench_pdf.py" "$data/heavy100.pdf" heavy 100
python3 "$root/tools/make_bench_pdf.py" "$data/scan20.pdf" scan 20
. "$root/tools/wine_env.sh"
fv_wine_up
cd "$build"
wine ./viewer_bench.exe open benchdata/light.pdf "$rounds"
wine ./viewer_bench.exe open benchdata/text.pdf "$rounds"
wine ./viewer_bench.exe open benchdata/heavy.pdf "$rounds"
wine ./viewer_bench.exe memory benchdata/pages2000.pdf
wine ./viewer_bench.exe memory benchdata/scan20.pdf
wine ./viewer_bench.exe panel benchdata/pages100.pdf "$rounds"
wine ./viewer_bench.exe panel benchdata/text100.pdf "$rounds"
wine ./viewer_bench.exe panel benchdata/heavy100.pdf "$rounds"
wine ./viewer_bench.exe panel benchdata/scan20.pdf "$rounds"
wine ./viewer_bench.exe fling benchdata/pages3000.pdf shown
wine ./viewer_bench.exe fling benchdata/pages3000.pdf hidden
wine ./viewer_bench.exe find benchdata/text1000.pdf
