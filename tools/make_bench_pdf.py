#!/usr/bin/env python3
"""Writes a one-page PDF for the viewer benchmark.

  heavy (the default): hard to draw, a dense page of small text in two fonts
        (about 4,000 text runs) over a drawing of about 3,000 filled and
        stroked curves;
  text: an ordinary page of a book or report, a heading and 46 lines of
        11-point running text;
  scan: what a scanner makes, an A4 page that is one 2480 x 3508 RGB
        picture (300 dpi), a different one on every page.

With a page count, every page shows the same content (the find benchmark
reads the text of 1,000 such pages).

Usage: make_bench_pdf.py OUT.pdf [heavy|text|scan] [PAGES]
"""
import math
import sys
import zlib

from simple_pdf import pdf_bytes

out = sys.argv[1]
kind = sys.argv[2] if len(sys.argv) > 2 else "heavy"
pages = int(sys.argv[3]) if len(sys.argv) > 3 else 1
if kind not in ("heavy", "text", "scan"):
    sys.exit("usage: make_bench_pdf.py OUT.pdf [heavy|text|scan] [PAGES]")


def write_pdf(objects, kids):
    """Object 2 becomes the page tree of the pages numbered in `kids`."""
    objects[2] = b"<< /Type /Pages /Kids [" + b" ".join(b"%d 0 R" % k for k in kids) + b"] /Count %d >>" % len(kids)
    with open(out, "wb") as f:
        f.write(pdf_bytes(objects))


def write_scan():
    iw, ih = 2480, 3508
    row = bytes((x * 7 + c) & 0xFF for x in range(iw) for c in (0, 1, 2))
    objects = {1: b"<< /Type /Catalog /Pages 2 0 R >>"}
    kids = []
    for p in range(pages):
        image, content, page = 3 + 3 * p, 4 + 3 * p, 5 + 3 * p
        # Mostly a colour ramp, with a line of another shade every 64 rows.
        mark = bytes((b + 64 + 13 * p) & 0xFF for b in row)
        data = zlib.compress(b"".join(mark if r % 64 == 0 else row for r in range(ih)), 1)
        objects[image] = (b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB "
                          b"/BitsPerComponent 8 /Filter /FlateDecode /Length %d >>\nstream\n" % (iw, ih, len(data))
                          + data + b"\nendstream")
        ops = b"q 595 0 0 842 0 0 cm /Im0 Do Q"
        objects[content] = b"<< /Length %d >>\nstream\n" % len(ops) + ops + b"\nendstream"
        objects[page] = (b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /XObject << /Im0 %d 0 R "
                         b">> >> /Contents %d 0 R >>" % (image, content))
        kids.append(page)
    write_pdf(objects, kids)


if kind == "scan":
    write_scan()
    sys.exit(0)
w, h = 612, 792
ops = []
if kind == "text":
    words = ("the page order of a document can be changed by dragging pages in the panel while the "
             "view shows each page at the chosen zoom and the status bar tells where you are in it "
             "a saved file keeps its original bytes and adds the new order at its end").split()
    ops.append("BT /F2 18 Tf 72 720 Td (Chapter 3. Working with pages) Tj ET")
    ops.append("BT /F2 11 Tf 13.2 TL 72 690 Td")
    k = 0
    for line in range(46):
        text = []
        while sum(len(t) + 1 for t in text) < 92:
            text.append(words[k % len(words)])
            k += 1
        ops.append("(%s) '" % " ".join(text))
    ops.append("ET")
else:
    # The drawing: rings of Bezier petals in changing colours.
    for i in range(3000):
        cx = 40 + (i * 53) % (w - 80)
        cy = 40 + (i * 97) % (h - 80)
        r = 6 + (i % 23)
        a = (i * 0.37) % (2 * math.pi)
        x1, y1 = cx + r * math.cos(a), cy + r * math.sin(a)
        x2, y2 = cx + r * math.cos(a + 2.1), cy + r * math.sin(a + 2.1)
        ops.append(f"{(i % 7) / 7:.3f} {(i % 11) / 11:.3f} {(i % 13) / 13:.3f} rg "
                   f"0.3 w {cx:.2f} {cy:.2f} m {x1:.2f} {y1:.2f} {x2:.2f} {y2:.2f} {cx + 3:.2f} {cy - 2:.2f} c h B")
    # The text: 100 lines of 40 runs each.
    ops.append("0 0 0 rg")
    for line in range(100):
        y = h - 20 - line * 7.6
        ops.append(f"BT /F{1 + line % 2} 6 Tf 20 {y:.2f} Td")
        for run in range(40):
            ops.append(f"(w{line:02d}{run:02d}) Tj 0.6 0 Td")
        ops.append("ET")
content = ("\n".join(ops) + "\n").encode()

objects = {
    1: b"<< /Type /Catalog /Pages 2 0 R >>",
    4: b"<< /Length %d >>\nstream\n" % len(content) + content + b"endstream",
    5: b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    6: b"<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>",
}
kids = []
for i in range(pages):
    num = 3 if i == 0 else 6 + i
    objects[num] = (b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Resources << /Font << /F1 5 0 R "
                    b"/F2 6 0 R >> >> /Contents 4 0 R >>" % (w, h))
    kids.append(num)
write_pdf(objects, kids)
