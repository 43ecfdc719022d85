#!/bin/sh
# Writes the documents the opening tests use into OUT_DIR:
#   encrypted.pdf  a sample document protected with the user password "user"
#                  (owner password "owner", AES-256), made by qpdf;
#   not_a_pdf.pdf  a text file with a PDF name.
# Usage: make_open_test_pdfs.sh PYTHON OUT_DIR
set -eu
python=$1
out=$2
here=$(dirname "$0")
mkdir -p "$out"
"$python" "$here/make_sample_pdf.py" "$out/plain-for-encryption.pdf" 3
qpdf --encrypt user owner 256 -- "$out/plain-for-encryption.pdf" "$out/encrypted.pdf"
rm -f "$out/plain-for-encryption.pdf"
printf 'This is a plain text file, not a PDF.\r\n' > "$out/not_a_pdf.pdf"
