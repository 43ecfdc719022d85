#!/usr/bin/env python3
"""Writes a small sample PDF of our own: a few pages of text and shapes.

Usage: make_sample_pdf.py OUT.pdf [PAGES]
"""
import sys

from simple_pdf import pdf_bytes

out = sys.argv[1]
pages = int(sys.argv[2]) if len(sys.argv) > 2 else 12

objects = {}
objects[1] = b"<< /Type /Catalog /Pages 2 0 R >>"
objects[3] = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"
kids = []
for i in range(pages):
    page_num, content_num = 4 + 2 * i, 5 + 2 * i
    landscape = (i % 5 == 4)
    w, h = (792, 612) if landscape else (612, 792)
    colour = ((i * 37) % 100) / 100.0
    text = (
        f"BT /F1 36 Tf 72 {h - 120} Td (Page {i + 1} of {pages}) Tj ET\n"
        f"BT /F1 14 Tf 72 {h - 160} Td (Folivex sample document. Page sizes vary: this one is {w} x {h} points.) Tj ET\n"
        f"BT /F1 12 Tf 72 {h - 190} Td (The quick brown fox jumps over the lazy dog.) Tj ET\n"
        f"{colour:.2f} 0.45 0.75 rg 72 72 {w - 144} 120 re f\n"
        f"0 0 0 RG 4 w 72 {h - 220} m {w - 72} {h - 220} l S\n"
    ).encode()
    objects[content_num] = b"<< /Length %d >>\nstream\n" % len(text) + text + b"endstream"
    objects[page_num] = (
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Resources << /Font << /F1 3 0 R >> >> /Contents %d 0 R >>"
        % (w, h, content_num))
    kids.append(b"%d 0 R" % page_num)
objects[2] = b"<< /Type /Pages /Kids [" + b" ".join(kids) + b"] /Count %d >>" % pages

with open(out, "wb") as f:
    f.write(pdf_bytes(objects))
