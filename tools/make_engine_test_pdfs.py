#!/usr/bin/env python3
"""Writes the small PDFs the engine tests open into tests/engine/data/.

Usage: make_engine_test_pdfs.py [OUT_DIR]

Every file is written by this script except password.pdf, which qpdf makes by
encrypting text_image.pdf (AES-256, user password "geheim-ü", owner password
"owner-pw"), and gs_sample.pdf, which Ghostscript's ps2pdf makes from a short
PostScript program (embedded font subsets, compressed streams). The output is the same on every run, except for the random file
key inside password.pdf and the dates and identifiers Ghostscript writes.
"""
import os
import subprocess
import sys
import zlib

from simple_pdf import pdf_bytes

out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'engine', 'data')
os.makedirs(out_dir, exist_ok=True)


def stream(body, extra=b""):
    return b"<< /Length %d %s>>\nstream\n" % (len(body), extra) + body + b"\nendstream"


def write(name, data):
    with open(os.path.join(out_dir, name), 'wb') as f:
        f.write(data)


def pdf_string(text):
    """A PDF text string: UTF-16BE with a byte-order mark when not ASCII."""
    if all(32 <= ord(c) < 127 for c in text) and '(' not in text and ')' not in text and '\\' not in text:
        return b"(" + text.encode('ascii') + b")"
    return b"<FEFF" + text.encode('utf-16-be').hex().upper().encode() + b">"


def pages_tree(objects, first_page_num, sizes, contents, resources=b"<< /Font << /F1 3 0 R >> >>",
               annots=None):
    """Adds page objects first_page_num, first_page_num+1, ... with given sizes and content object numbers."""
    kids = []
    for i, ((w, h), content) in enumerate(zip(sizes, contents)):
        num = first_page_num + i
        extra = b""
        if annots and i in annots:
            extra = b" /Annots [" + b" ".join(b"%d 0 R" % a for a in annots[i]) + b"]"
        objects[num] = (b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %s %s] /Resources %s /Contents %d 0 R%s >>"
                        % (fmt(w), fmt(h), resources, content, extra))
        kids.append(b"%d 0 R" % num)
    objects[2] = b"<< /Type /Pages /Kids [" + b" ".join(kids) + b"] /Count %d >>" % len(kids)


def fmt(v):
    if float(v).is_integer():
        return b"%d" % int(v)
    return (b"%.4f" % v).rstrip(b"0")


HELVETICA = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"

# --- text_image.pdf: text, a 2x2 picture (red, green / blue, yellow) and a blue band; 3 pages.
objs = {1: b"<< /Type /Catalog /Pages 2 0 R >>", 3: HELVETICA}
image = bytes([255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0])
objs[4] = stream(zlib.compress(image),
                 b"/Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceRGB "
                 b"/BitsPerComponent 8 /Filter /FlateDecode ")
page1 = (b"BT /F1 36 Tf 72 700 Td (Folivex engine test) Tj ET\n"
         b"q 200 0 0 200 72 400 cm /Im1 Do Q\n"
         b"0 0 1 rg 72 72 468 100 re f\n")
page2 = b"BT /F1 24 Tf 72 500 Td (Second page, landscape) Tj ET\n"
page3 = b"BT /F1 24 Tf 72 700 Td (Third page) Tj ET\n"
objs[5], objs[6], objs[7] = stream(page1), stream(page2), stream(page3)
pages_tree(objs, 10, [(612, 792), (792, 612), (612, 792)], [5, 6, 7],
           resources=b"<< /Font << /F1 3 0 R >> /XObject << /Im1 4 0 R >> >>")
write('text_image.pdf', pdf_bytes(objs))

# --- zero_pages.pdf: a page tree without pages.
write('zero_pages.pdf', pdf_bytes({1: b"<< /Type /Catalog /Pages 2 0 R >>",
                                   2: b"<< /Type /Pages /Kids [] /Count 0 >>"}))

# --- tiny_page.pdf: one page half a point wide.
objs = {1: b"<< /Type /Catalog /Pages 2 0 R >>", 3: HELVETICA, 5: stream(b"")}
pages_tree(objs, 10, [(0.5, 792)], [5])
write('tiny_page.pdf', pdf_bytes(objs))

# --- huge_page.pdf: one page far larger than any real page.
objs = {1: b"<< /Type /Catalog /Pages 2 0 R >>", 3: HELVETICA, 5: stream(b"")}
pages_tree(objs, 10, [(1000000, 300)], [5])
write('huge_page.pdf', pdf_bytes(objs))

# --- text_oddities.pdf: codes whose Unicode is U+1F600 and 0, through a ToUnicode map.
cmap = b"""/CIDInit /ProcSet findresource begin
12 dict begin
begincmap
/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def
/CMapName /Adobe-Identity-UCS def
/CMapType 2 def
1 begincodespacerange
<00> <FF>
endcodespacerange
3 beginbfchar
<41> <0041>
<42> <D83DDE00>
<43> <0000>
endbfchar
endcmap
CMapName currentdict /CMap defineresource pop
end
end
"""
objs = {1: b"<< /Type /Catalog /Pages 2 0 R >>",
        3: b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /ToUnicode 4 0 R >>",
        4: stream(cmap),
        5: stream(b"BT /F1 24 Tf 72 700 Td (ABC) Tj ET\n")}
pages_tree(objs, 10, [(612, 792)], [5])
write('text_oddities.pdf', pdf_bytes(objs))

# --- links.pdf: page 1 holds a web link written in 20 pieces and four link
# annotations (GoTo action to page 3, URI action, Launch action, direct
# destination to page 2); pages 2 and 3 are plain.
url = "https://www.example.com/folivex/twenty-pieces"
pieces = [url[i * len(url) // 20:(i + 1) * len(url) // 20] for i in range(20)]
assert len(pieces) == 20 and all(pieces)
shown = b"".join(b"(" + p.encode() + b") Tj " for p in pieces)
page1 = b"BT /F1 12 Tf 72 600 Td (Visit ) Tj " + shown + b"( today) Tj ET\n"
objs = {1: b"<< /Type /Catalog /Pages 2 0 R >>", 3: HELVETICA,
        5: stream(page1), 6: stream(b"BT /F1 24 Tf 72 700 Td (Page two) Tj ET\n"),
        7: stream(b"BT /F1 24 Tf 72 700 Td (Page three) Tj ET\n")}
objs[20] = b"<< /Type /Annot /Subtype /Link /Rect [72 100 172 130] /Border [0 0 0] /A << /S /GoTo /D [12 0 R /Fit] >> >>"
objs[21] = b"<< /Type /Annot /Subtype /Link /Rect [200 100 300 130] /Border [0 0 0] /A << /S /URI /URI (https://example.org/uri?x=1) >> >>"
objs[22] = b"<< /Type /Annot /Subtype /Link /Rect [320 100 420 130] /Border [0 0 0] /A << /S /Launch /F (calc.exe) >> >>"
objs[23] = b"<< /Type /Annot /Subtype /Link /Rect [440 100 540 130] /Border [0 0 0] /Dest [11 0 R /XYZ 0 792 0] >>"
pages_tree(objs, 10, [(612, 792)] * 3, [5, 6, 7], annots={0: [20, 21, 22, 23]})
write('links.pdf', pdf_bytes(objs))

# --- bookmarks.pdf: a chain 30 levels deep ("Level 0".."Level 29"), then at
# the top level a bookmark without title holding "Child A" and "Child B", a
# title with a tab and a line break, a 700-character title and a bookmark
# whose GoTo action leads to page 3.
objs = {3: HELVETICA, 5: stream(b"BT /F1 24 Tf 72 700 Td (One) Tj ET\n"),
        6: stream(b"BT /F1 24 Tf 72 700 Td (Two) Tj ET\n"), 7: stream(b"BT /F1 24 Tf 72 700 Td (Three) Tj ET\n")}
pages_tree(objs, 10, [(612, 792)] * 3, [5, 6, 7])
page_obj = [10, 11, 12]
next_num = [100]


def new_num():
    next_num[0] += 1
    return next_num[0]


def item(title, parent, dest_page=None, action_page=None):
    return {'num': new_num(), 'title': title, 'parent': parent, 'kids': [],
            'dest': dest_page, 'action': action_page}


outlines_num = 50
top = []
chain_parent = outlines_num
chain = []
for level in range(30):
    it = item("Level %d" % level, chain_parent, dest_page=level % 3)
    (top if level == 0 else chain[-1]['kids']).append(it)
    chain.append(it)
    chain_parent = it['num']
untitled = item("", outlines_num)
untitled['kids'] = [item("Child A", untitled['num'], dest_page=1), item("Child B", untitled['num'], dest_page=2)]
top += [untitled, item("Tab\there\nnewline", outlines_num, dest_page=0),
        item("L" + "o" * 698 + "ng", outlines_num, dest_page=1),
        item("By action", outlines_num, action_page=2)]


def emit(items):
    for i, it in enumerate(items):
        d = b"<< /Title " + pdf_string(it['title']) + b" /Parent %d 0 R" % it['parent']
        if i > 0:
            d += b" /Prev %d 0 R" % items[i - 1]['num']
        if i + 1 < len(items):
            d += b" /Next %d 0 R" % items[i + 1]['num']
        if it['kids']:
            d += b" /First %d 0 R /Last %d 0 R /Count %d" % (it['kids'][0]['num'], it['kids'][-1]['num'],
                                                            len(it['kids']))
        if it['dest'] is not None:
            d += b" /Dest [%d 0 R /Fit]" % page_obj[it['dest']]
        if it['action'] is not None:
            d += b" /A << /S /GoTo /D [%d 0 R /Fit] >>" % page_obj[it['action']]
        objs[it['num']] = d + b" >>"
        emit(it['kids'])


emit(top)
objs[outlines_num] = (b"<< /Type /Outlines /First %d 0 R /Last %d 0 R /Count %d >>"
                      % (top[0]['num'], top[-1]['num'], len(top)))
objs[1] = b"<< /Type /Catalog /Pages 2 0 R /Outlines %d 0 R /PageMode /UseOutlines >>" % outlines_num
write('bookmarks.pdf', pdf_bytes(objs))

# --- password.pdf: text_image.pdf encrypted by qpdf.
subprocess.run(['qpdf', '--static-id', '--static-aes-iv', '--encrypt', 'geheim-\u00fc', 'owner-pw', '256', '--',
                os.path.join(out_dir, 'text_image.pdf'), os.path.join(out_dir, 'password.pdf')], check=True)
# --- gs_sample.pdf: two pages from Ghostscript.
SAMPLE_PS = b"""%!PS
<< /PageSize [595 842] >> setpagedevice
/Times-Roman findfont 28 scalefont setfont
72 760 moveto (Made by Ghostscript) show
/Courier findfont 14 scalefont setfont
72 730 moveto (Page one of two, with circles below.) show
0 1 9 { /i exch def
  i 10 div 0.2 1 i 10 div sub setrgbcolor
  newpath 120 i 40 mul add 500 30 0 360 arc fill
} for
0.1 0.5 0.1 setrgbcolor 6 setlinewidth
newpath 72 300 moveto 520 420 lineto stroke
showpage
/Helvetica-Bold findfont 40 scalefont setfont
72 700 moveto (Second page) show
showpage
"""
subprocess.run(['ps2pdf', '-dPDFSETTINGS=/prepress', '-', os.path.join(out_dir, 'gs_sample.pdf')],
               input=SAMPLE_PS, check=True)
print("wrote the engine test PDFs into", os.path.normpath(out_dir))
