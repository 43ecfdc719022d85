#!/usr/bin/env python3
"""Makes the program's pictures in resources/icons/:

  ribbon_sprite.png  the ribbon's icons: 41 squares of 64 x 64 in one strip
                     (2624 x 64, RGBA), in the order of the ribbon's table
  folivex.ico        the program icon: a PDF page, seven PNG images of
                     16, 24, 32, 48, 64, 128 and 256 px
  folivex-<n>.png    the same images one by one, for looking at

The ribbon icons are drawn from Microsoft's Fluent System Icons (npm package
@fluentui/svg-icons, MIT licence, notice in LICENSE-fluentui-svg-icons.txt):
each one is the "regular" outline in a colour, on top of the "filled" shape
in a light tint of the same colour. The program icon is our own drawing.

The results are committed, so the build needs neither npm nor this script.
Run it by hand after changing a picture:

  mkdir -p /tmp/icons && (cd /tmp/icons && npm install @fluentui/svg-icons)
  tools/make_icons.py /tmp/icons/node_modules/@fluentui/svg-icons/icons

Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
"""

import os
import re
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources", "icons")
SPRITE_SIZE = 64

# Colour pairs (outline, tint).
BLUE = ("#0F6CBD", "#D6E8FA")
SLATE = ("#3A4A5C", "#DCE3EA")
TEAL = ("#0B7A75", "#D3F0EE")
GREEN = ("#107C41", "#D6EFDF")
PURPLE = ("#5B4BB7", "#E4E0F7")
RED = ("#C42B1C", "#FBE1DE")
AMBER = ("#B85E00", "#FCE9D2")

# Index -> (icon name, colours, tinted). The index is the sprite position
# the ribbon's table refers to. Outline-only icons (arrows) are not tinted.
ICONS = [
    ("folder_open", AMBER, True),                  # 0 Open, Show in Folder
    ("print", SLATE, True),                        # 1 Print
    ("document_dismiss", SLATE, True),             # 2 Close
    ("arrow_previous", BLUE, False),               # 3 First
    ("chevron_left", BLUE, False),                 # 4 Previous
    ("chevron_right", BLUE, False),                # 5 Next
    ("arrow_next", BLUE, False),                   # 6 Last
    ("document_page_number", BLUE, True),          # 7 Go to Page
    ("zoom_out", TEAL, True),                      # 8 Zoom Out
    ("zoom_in", TEAL, True),                       # 9 Zoom In
    ("ratio_one_to_one", TEAL, True),              # 10 Actual Size
    ("auto_fit_width", TEAL, False),               # 11 Fit Width
    ("document_fit", TEAL, True),                  # 12 Fit Page
    ("arrow_counterclockwise", BLUE, False),       # 13 Rotate Left
    ("arrow_clockwise", BLUE, False),              # 14 Rotate Right
    ("send", GREEN, True),                         # 15 Send
    ("mail", GREEN, True),                         # 16 Email
    ("chat_multiple", GREEN, True),                # 17 Messenger
    ("chat", GREEN, True),                         # 18 WhatsApp
    ("phone_chat", GREEN, True),                   # 19 Text Message
    ("link", GREEN, False),                        # 20 Copy Link
    ("share", GREEN, True),                        # 21 (spare)
    ("book_question_mark", PURPLE, True),          # 22 How to Use
    ("arrow_sync_circle", BLUE, True),             # 23 Check for Updates, update bar
    ("globe_arrow_forward", BLUE, True),           # 24 Download Page
    ("notepad", PURPLE, True),                     # 25 Release Notes
    ("info", BLUE, True),                          # 26 About
    ("wrench", SLATE, True),                       # 27 Email Server, Diagnostic Report
    ("people_team", GREEN, True),                  # 28 Teams
    ("save", BLUE, True),                          # 29 Save
    ("save_edit", BLUE, True),                     # 30 Save As
    ("panel_right", SLATE, True),                  # 31 Page Panel
    ("arrow_up", BLUE, False),                     # 32 Move Up
    ("arrow_down", BLUE, False),                   # 33 Move Down
    ("arrow_upload", BLUE, False),                 # 34 Move to Front
    ("arrow_download", BLUE, False),               # 35 Move to Back
    ("arrow_undo", BLUE, False),                   # 36 Undo
    ("search", TEAL, True),                        # 37 Find
    ("delete", RED, True),                         # 38 Delete Page
    ("window_new", SLATE, True),                   # 39 Second PDF
    ("book_open_globe", PURPLE, True),             # 40 User Guide
]
assert len(ICONS) == 41

# Design sizes tried in order: the ribbon shows these at 32 px.
SIZES = [32, 28, 24, 20]


def run(*args):
    subprocess.run(args, check=True)


def svg_body(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    m = re.search(r"<svg[^>]*>(.*)</svg>", text, re.S)
    if not m:
        sys.exit(f"not an svg: {path}")
    return m.group(1)


def pick(src, name, tinted):
    for size in SIZES:
        regular = os.path.join(src, f"{name}_{size}_regular.svg")
        filled = os.path.join(src, f"{name}_{size}_filled.svg")
        if os.path.exists(regular) and (not tinted or os.path.exists(filled)):
            return size, regular, filled if tinted else None
    sys.exit(f"no usable size of {name}")


def ribbon_icon(src, name, colours, tinted, out_png):
    size, regular, filled = pick(src, name, tinted)
    outline, tint = colours
    layers = ""
    if filled:
        layers += f'<g fill="{tint}">{svg_body(filled)}</g>'
    layers += f'<g fill="{outline}">{svg_body(regular)}</g>'
    svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{SPRITE_SIZE}" height="{SPRITE_SIZE}" '
           f'viewBox="0 0 {size} {size}">{layers}</svg>')
    svg_path = out_png[:-4] + ".svg"
    with open(svg_path, "w", encoding="utf-8") as f:
        f.write(svg)
    run("rsvg-convert", "-w", str(SPRITE_SIZE), "-h", str(SPRITE_SIZE), svg_path, "-o", out_png)


# ---- The program icon: a white page with a folded corner and a red "PDF"
# label across it, drawn on the pixel grid of each size so it stays crisp.

GLYPHS = {  # 3 x 5 letters
    "P": ["###", "#.#", "###", "#..", "#.."],
    "D": ["##.", "#.#", "#.#", "#.#", "##."],
    "F": ["###", "#..", "##.", "#..", "#.."],
}


def rect(x, y, w, h, colour):
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{colour}"/>'


def page_shape(s, left, right, top, bottom, fold, line):
    """The page outline with its folded corner, as SVG elements."""
    ink, paper, fold_fill = "#4A4F57", "#FFFFFF", "#D5DAE0"
    outer = f"{left},{top} {right - fold},{top} {right},{top + fold} {right},{bottom} {left},{bottom}"
    inner = (f"{left + line},{top + line} {right - fold},{top + line} {right - line},{top + fold} "
             f"{right - line},{bottom - line} {left + line},{bottom - line}")
    corner = f"{right - fold},{top} {right - fold},{top + fold} {right},{top + fold}"
    corner_in = (f"{right - fold + line},{top + line * 2} {right - fold + line},{top + fold - line} "
                 f"{right - line * 2},{top + fold - line}")
    return [f'<polygon points="{outer}" fill="{ink}"/>', f'<polygon points="{inner}" fill="{paper}"/>',
            f'<polygon points="{corner}" fill="{ink}"/>', f'<polygon points="{corner_in}" fill="{fold_fill}"/>']


BAND, LETTERS, TEXT_LINE = "#C8102E", "#FFFFFF", "#AEB5BE"


def small_page_icon(s):
    """16 to 32 px: every edge on the pixel grid, "PDF" in a 3 x 5 pixel font."""
    u = max(1, s // 16)
    line = max(1, s // 24)
    left, right = 2 * u + s // 32, s - 3 * u
    top, bottom = 0, s
    fold = max(4, round(s * 0.28))
    parts = page_shape(s, left, right, top, bottom, fold, line)
    if s >= 32:
        for i in range(2):
            width = right - left - 4 * u - (fold if i == 0 else 0) // 2
            parts.append(rect(left + 2 * u, top + fold + u + i * 2 * u, width, u, TEXT_LINE))
    text_w, pad = 11 * u, u
    band_h = 5 * u + 2 * pad
    band_left = max(0, left - 2 * u)
    band_right = max(band_left + text_w + 2 * pad, right - u)
    band_top = bottom - band_h - (2 * u if s >= 24 else u)
    parts.append(rect(band_left, band_top, band_right - band_left, band_h, BAND))
    x0 = band_left + (band_right - band_left - text_w) // 2
    y0 = band_top + pad
    for i, ch in enumerate("PDF"):
        for row, bits in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(bits):
                if bit == "#":
                    parts.append(rect(x0 + (i * 4 + col) * u, y0 + row * u, u, u, LETTERS))
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{s}" height="{s}" viewBox="0 0 {s} {s}" '
            f'shape-rendering="crispEdges">{"".join(parts)}</svg>')


def large_page_icon(s):
    """48 px and up: text lines on the page and a bold "PDF" in a font."""
    line = max(2, round(s / 32))
    left, right = round(s * 0.17), round(s * 0.83)
    top, bottom = round(s * 0.03), round(s * 0.97)
    fold = round(s * 0.22)
    parts = page_shape(s, left, right, top, bottom, fold, line)
    bar = max(2, round(s / 32))
    gap = round(s * 0.075)
    y = top + fold + round(s * 0.04)
    band_top = round(s * 0.55)
    band_h = round(s * 0.25)
    i = 0
    while y + bar <= band_top - gap // 2:
        x = left + round(s * 0.09)
        width = right - x - round(s * 0.09) - (round(s * 0.12) if i % 3 == 2 else 0)
        parts.append(rect(x, y, width, bar, TEXT_LINE))
        y += gap
        i += 1
    band_left = round(s * 0.07)
    band_right = right - round(s * 0.06)
    parts.append(f'<rect x="{band_left}" y="{band_top}" width="{band_right - band_left}" height="{band_h}" '
                 f'rx="{max(1, s // 64)}" fill="{BAND}"/>')
    size = round(band_h * 0.78)
    cx = (band_left + band_right) / 2
    base = band_top + band_h / 2 + size * 0.36
    parts.append(f'<text x="{cx}" y="{base:.1f}" font-family="DejaVu Sans" font-weight="bold" '
                 f'font-size="{size}" text-anchor="middle" fill="{LETTERS}">PDF</text>')
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{s}" height="{s}" viewBox="0 0 {s} {s}">'
            f'{"".join(parts)}</svg>')


def page_icon_svg(s):
    return small_page_icon(s) if s <= 32 else large_page_icon(s)


def write_ico(pngs, path):
    """An icon file whose every image is stored as PNG."""
    header = struct.pack("<HHH", 0, 1, len(pngs))
    entries, blobs = b"", b""
    offset = 6 + 16 * len(pngs)
    for size, data in pngs:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    with open(path, "wb") as f:
        f.write(header + entries + blobs)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    src = sys.argv[1]
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        pngs = []
        for i, (name, colours, tinted) in enumerate(ICONS):
            png = os.path.join(tmp, f"icon{i:02d}.png")
            ribbon_icon(src, name, colours, tinted, png)
            pngs.append(png)
        sprite = os.path.join(OUT, "ribbon_sprite.png")
        run("convert", *pngs, "-background", "none", "+append", "-strip", "-define", "png:color-type=6",
            "PNG32:" + sprite)

        images = []
        for s in (16, 24, 32, 48, 64, 128, 256):
            svg = os.path.join(tmp, f"folivex-{s}.svg")
            with open(svg, "w", encoding="utf-8") as f:
                f.write(page_icon_svg(s))
            png = os.path.join(OUT, f"folivex-{s}.png")
            run("rsvg-convert", "-w", str(s), "-h", str(s), svg, "-o", os.path.join(tmp, "p.png"))
            run("convert", os.path.join(tmp, "p.png"), "-strip", "-define", "png:color-type=6", "PNG32:" + png)
            with open(png, "rb") as f:
                images.append((s, f.read()))
        write_ico(images, os.path.join(OUT, "folivex.ico"))
    out = subprocess.run(["identify", "-format", "%w x %h", sprite], capture_output=True, text=True, check=True)
    print("ribbon_sprite.png:", out.stdout.strip())


if __name__ == "__main__":
    main()
