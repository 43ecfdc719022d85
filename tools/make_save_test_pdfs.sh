#!/bin/sh
# The PDFs the saving tests rearrange, each page showing "Folivex page K":
# the page-order generator's kinds (classic table, incremental updates,
# hybrid with object streams, cross-reference stream), a linearized one made
# by qpdf, and a bigger one (about 24 MB) for the interrupted-save test.
# Usage: make_save_test_pdfs.sh PYTHON OUTDIR
set -e
python=$1
out=$2
tools=$(dirname "$0")
mkdir -p "$out"
"$python" "$tools/make_page_order_pdfs.py" "$out" --pages 14
qpdf --linearize "$out/tree.pdf" "$out/linearized.pdf"
"$python" "$tools/make_big_pdf.py" "$out/big.pdf" 24
