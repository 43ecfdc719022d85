#!/usr/bin/env python3
"""Writes the PDF the find, selection and link tests open: six US Letter
pages of text in Helvetica, a link to page 5 and a web link on page 1, and
an outline of four bookmarks.

Usage: make_find_pdf.py OUT.pdf

Every line is one text object, so each page's text is its lines joined by
line breaks. The pages 2 to 4 hold one line each, for selections over three
pages. The word "alpha" appears 1, 0, 2, 0, 0 and 1 times on the pages.
"""
import sys

from simple_pdf import pdf_bytes

out = sys.argv[1]

WEB_URL = b"https://example.com/Folivex/Link-Check"
PAGES = [
    [(36, 700, b"Find test: alpha first"),
     (14, 650, b"Go to page five"),
     (14, 600, b"Open the example site")],
    [(24, 700, b"Second page holds one line")],
    [(24, 700, b"Third page alpha and alpha again")],
    [(24, 700, b"Fourth page ends here")],
    [(24, 700, b"Fifth page: the link target")],
    [(24, 700, b"Sixth page alpha last")],
]

objects = {}
objects[1] = b"<< /Type /Catalog /Pages 2 0 R /Outlines 40 0 R /PageMode /UseOutlines >>"
objects[3] = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"
page_nums = [4 + 2 * i for i in range(len(PAGES))]
kids = []
for i, lines in enumerate(PAGES):
    page_num, content_num = page_nums[i], 5 + 2 * i
    body = b"".join(b"BT /F1 %d Tf 72 %d Td (%s) Tj ET\n" % (size, y, text) for size, y, text in lines)
    objects[content_num] = b"<< /Length %d >>\nstream\n" % len(body) + body + b"endstream"
    annots = b""
    if i == 0:
        annots = b" /Annots [30 0 R 31 0 R]"
    objects[page_num] = (
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
        b"/Contents %d 0 R%s >>" % (content_num, annots))
    kids.append(b"%d 0 R" % page_num)
objects[2] = b"<< /Type /Pages /Kids [" + b" ".join(kids) + b"] /Count %d >>" % len(PAGES)

# Links on page 1: "Go to page five" (14 pt at y 650) and "Open the example site" (y 600).
objects[30] = (b"<< /Type /Annot /Subtype /Link /Rect [70 645 200 666] /Border [0 0 0] "
               b"/Dest [%d 0 R /XYZ 0 792 0] >>" % page_nums[4])
objects[31] = (b"<< /Type /Annot /Subtype /Link /Rect [70 595 230 616] /Border [0 0 0] "
               b"/A << /S /URI /URI (%s) >> >>" % WEB_URL)

# Outline: Chapter One (p1), Chapter Two (p3) with Section 2.1 (p4), Appendix (p6).
objects[40] = b"<< /Type /Outlines /First 41 0 R /Last 44 0 R /Count 4 >>"
def dest(i):
    return b"/Dest [%d 0 R /XYZ 0 792 0]" % page_nums[i]
objects[41] = b"<< /Title (Chapter One) /Parent 40 0 R /Next 42 0 R %s >>" % dest(0)
objects[42] = (b"<< /Title (Chapter Two) /Parent 40 0 R /Prev 41 0 R /Next 44 0 R /First 43 0 R /Last 43 0 R "
               b"/Count 1 %s >>" % dest(2))
objects[43] = b"<< /Title (Section 2.1) /Parent 42 0 R %s >>" % dest(3)
objects[44] = b"<< /Title (Appendix) /Parent 40 0 R /Prev 42 0 R %s >>" % dest(5)

with open(out, "wb") as f:
    f.write(pdf_bytes(objects))
