#!/usr/bin/env python3
"""Helpers of the printing GUI test, run on the Linux side.

  print_check.py small OUT.pdf
      writes a PDF of one 4 x 6 inch page with a coloured bar.
  print_check.py check PRINTED.ps SUMMARY.txt
      turns the printed PostScript into PDF with ghostscript and writes one
      line per printed page: "page W H IMGW IMGH RED", the page size in
      points (pdfinfo), the size of the picture on it in pixels (pdfimages)
      and the red value (0-255) of the sample document's bar on it, found as
      the pixels whose green and blue are the bar's (pdftoppm).
"""
import os
import re
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "tools"))


def small(out):
    from simple_pdf import pdf_bytes
    text = b"0.50 0.45 0.75 rg 36 36 216 72 re f\n"
    objects = {
        1: b"<< /Type /Catalog /Pages 2 0 R >>",
        2: b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        3: b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 288 432] /Contents 4 0 R >>",
        4: b"<< /Length %d >>\nstream\n" % len(text) + text + b"endstream",
    }
    with open(out, "wb") as f:
        f.write(pdf_bytes(objects))


def bar_red(ppm):
    data = open(ppm, "rb").read()
    parts = data.split(maxsplit=4)
    width, height = int(parts[1]), int(parts[2])
    pixels = parts[4][: width * height * 3]
    reds = [pixels[i] for i in range(0, len(pixels), 3)
            if abs(pixels[i + 1] - 115) <= 12 and abs(pixels[i + 2] - 191) <= 12]
    if not reds:
        return -1
    reds.sort()
    return reds[len(reds) // 2]


def check(ps, summary):
    pdf = ps + ".pdf"
    subprocess.run(["ps2pdf", ps, pdf], check=True)
    info = subprocess.run(["pdfinfo", "-f", "1", "-l", "9999", pdf], check=True, capture_output=True,
                          text=True).stdout
    sizes = [(float(m.group(2)), float(m.group(3)))
             for m in re.finditer(r"Page\s+(\d+) size:\s+([\d.]+) x ([\d.]+)", info)]
    listing = subprocess.run(["pdfimages", "-list", pdf], check=True, capture_output=True, text=True).stdout
    images = {}
    for line in listing.splitlines()[2:]:
        cols = line.split()
        if len(cols) > 4 and cols[2] == "image":
            images.setdefault(int(cols[0]), (int(cols[3]), int(cols[4])))
    lines = []
    for n, (w, h) in enumerate(sizes, start=1):
        base = "%s-p%d" % (pdf, n)
        subprocess.run(["pdftoppm", "-r", "20", "-f", str(n), "-l", str(n), "-singlefile", pdf, base],
                       check=True)
        iw, ih = images.get(n, (0, 0))
        lines.append("page %d %d %d %d %d\n" % (round(w), round(h), iw, ih, bar_red(base + ".ppm")))
    with open(summary + ".part", "w") as f:
        f.writelines(lines)
    os.replace(summary + ".part", summary)


if __name__ == "__main__":
    if sys.argv[1] == "small":
        small(sys.argv[2])
    else:
        check(sys.argv[2], sys.argv[3])
