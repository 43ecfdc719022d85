#!/usr/bin/env python3
"""Writes a big PDF for the saving tests and benchmark.

Usage: make_big_pdf.py OUT.pdf MEGABYTES

Every page draws its own gray image of 160 x 160 random bytes (so nothing
compresses) and shows the text "Folivex page K". Pages hang under
intermediate nodes of 10 that give them their /MediaBox. Classic table.
"""
import os
import sys

out, megabytes = sys.argv[1], float(sys.argv[2])
side = 160
pages = max(2, int(megabytes * 1e6 / (side * side + 400)))
fanout = 10
nodes = (pages + fanout - 1) // fanout
first_page = 4 + nodes
offsets = {}
with open(out, "wb") as f:
    def put(data):
        f.write(data)

    def begin(number):
        offsets[number] = f.tell()
        put(b"%d 0 obj\n" % number)

    put(b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n")
    begin(1)
    put(b"<< /Type /Catalog /Pages 2 0 R >>\nendobj\n")
    begin(2)
    kids = b"".join(b" %d 0 R" % (4 + i) for i in range(nodes))
    put(b"<< /Type /Pages /Count %d /Kids [%s ] >>\nendobj\n" % (pages, kids))
    begin(3)
    put(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>\nendobj\n")
    for i in range(nodes):
        begin(4 + i)
        sub = [first_page + 3 * p for p in range(i * fanout, min(pages, (i + 1) * fanout))]
        put(b"<< /Type /Pages /Parent 2 0 R /MediaBox [0 0 612 792] /Count %d /Kids [%s ] >>\nendobj\n"
            % (len(sub), b"".join(b" %d 0 R" % n for n in sub)))
    for p in range(pages):
        page = first_page + 3 * p
        begin(page)
        put(b"<< /Type /Page /Parent %d 0 R /Contents %d 0 R /Resources << /Font << /F1 3 0 R >> "
            b"/XObject << /Im %d 0 R >> >> >>\nendobj\n" % (4 + p // fanout, page + 1, page + 2))
        content = b"q 200 0 0 200 72 300 cm /Im Do Q BT /F1 24 Tf 72 600 Td (Folivex page %d) Tj ET\n" % (p + 1)
        begin(page + 1)
        put(b"<< /Length %d >>\nstream\n%s\nendstream\nendobj\n" % (len(content), content))
        image = os.urandom(side * side)
        begin(page + 2)
        put(b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceGray "
            b"/BitsPerComponent 8 /Length %d >>\nstream\n" % (side, side, len(image)))
        put(image)
        put(b"\nendstream\nendobj\n")
    size = first_page + 3 * pages
    xref = f.tell()
    put(b"xref\n0 %d\n0000000000 65535 f \n" % size)
    for n in range(1, size):
        put(b"%010d 00000 n \n" % offsets[n])
    put(b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (size, xref))
