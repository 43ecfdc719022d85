#!/usr/bin/env python3
"""Writes the PDFs that the page-order round-trip test and the fuzzers start from.

Usage: make_page_order_pdfs.py OUTDIR [--pages N]

Every page shows the text "Folivex page K" (K = its place in file order,
from 1), so that a text extractor can tell the pages apart. The page tree
mixes pages directly under the root with pages under intermediate nodes that
carry /Resources, /Rotate, /MediaBox and /CropBox for their pages to inherit.

Files written:
  tree.pdf         classic cross-reference table
  incremental.pdf  tree.pdf plus two incremental updates (a page's content
                   redefined, an object freed, a page's /Rotate changed)
  hybrid.pdf       classic table with /XRefStm; pages in an object stream
  xrefstream.pdf   cross-reference stream with PNG Up rows; pages, nodes and
                   the catalog in object streams
"""
import os
import sys
import zlib


def page_tree(count):
    """Returns (objects, root number) for `count` pages; numbers from 2."""
    objects = {}
    font = 3
    objects[font] = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"
    objects[4] = b"<< /Font << /F1 3 0 R >> >>"  # shared resources
    next_number = [10]

    def new_number():
        n = next_number[0]
        next_number[0] += 1
        return n

    pages_in_order = []

    def make_page(parent, own):
        k = len(pages_in_order) + 1
        content = new_number()
        page = new_number()
        text = b"BT /F1 24 Tf 72 500 Td (Folivex page %d) Tj ET\n" % k
        data = zlib.compress(text)
        objects[content] = b"<< /Length %d /Filter /FlateDecode >>\nstream\n" % len(data) + data + b"\nendstream"
        objects[page] = b"<< /Type /Page /Parent %d 0 R /Contents %d 0 R%s >>" % (parent, content, own)
        pages_in_order.append(page)
        return page

    root = 2
    kids = []
    i = 0
    group = 0
    while i < count:
        kind = group % 4
        group += 1
        if kind == 0:
            # pages directly under the root, with their own attributes
            for _ in range(min(3, count - i)):
                kids.append(make_page(root, b" /Resources 4 0 R /MediaBox [0 0 612 792]"))
                i += 1
        elif kind == 1:
            # an intermediate node with inherited resources and rotation
            node = new_number()
            sub = []
            for _ in range(min(4, count - i)):
                sub.append(make_page(node, b""))
                i += 1
            objects[node] = (b"<< /Type /Pages /Parent 2 0 R /Kids [%s] /Count %d /Resources 4 0 R /Rotate 90 >>"
                             % (b" ".join(b"%d 0 R" % p for p in sub), len(sub)))
            kids.append(node)
        elif kind == 2:
            # two levels: the outer node gives /Resources, the inner one a
            # smaller /MediaBox and a /CropBox; one page overrides /Rotate
            outer = new_number()
            inner = new_number()
            inner_kids = []
            for j in range(min(3, count - i)):
                inner_kids.append(make_page(inner, b" /Rotate 180" if j == 1 else b""))
                i += 1
            objects[inner] = (b"<< /Type /Pages /Parent %d 0 R /Kids [%s] /Count %d /MediaBox [0 0 400 600] "
                              b"/CropBox [10 10 390 590] >>"
                              % (outer, b" ".join(b"%d 0 R" % p for p in inner_kids), len(inner_kids)))
            outer_kids = [inner]
            if i < count:
                outer_kids.append(make_page(outer, b" /MediaBox [0 0 500 500]"))
                i += 1
            total = len(inner_kids) + len(outer_kids) - 1
            objects[outer] = (b"<< /Type /Pages /Parent 2 0 R /Kids [%s] /Count %d /Resources 4 0 R >>"
                              % (b" ".join(b"%d 0 R" % p for p in outer_kids), total))
            kids.append(outer)
        else:
            # a node without attributes of its own
            node = new_number()
            sub = []
            for _ in range(min(2, count - i)):
                sub.append(make_page(node, b" /Resources 4 0 R"))
                i += 1
            objects[node] = (b"<< /Type /Pages /Parent 2 0 R /Kids [%s] /Count %d >>"
                             % (b" ".join(b"%d 0 R" % p for p in sub), len(sub)))
            kids.append(node)
    # The root's own /MediaBox stays on the root.
    objects[root] = (b"<< /Type /Pages /Kids [%s] /Count %d /MediaBox [0 0 612 792] >>"
                     % (b" ".join(b"%d 0 R" % k for k in kids), count))
    objects[1] = b"<< /Type /Catalog /Pages 2 0 R >>"
    objects[5] = b"<< /Producer (Folivex test generator) >>"
    return objects, pages_in_order


HEADER = b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n"
TRAILER_ID = b"/ID [<0123456789ABCDEF0123456789ABCDEF> <0123456789ABCDEF0123456789ABCDEF>]"


def write_objects(data, objects, numbers):
    offsets = {}
    for n in numbers:
        offsets[n] = len(data)
        data += b"%d 0 obj\n" % n + objects[n] + b"\nendobj\n"
    return offsets


def classic_table(data, entries, trailer):
    """entries: {number: (offset, gen, 'n'|'f')}; returns the table offset."""
    at = len(data)
    data += b"xref\n"
    numbers = sorted(entries)
    i = 0
    while i < len(numbers):
        j = i
        while j + 1 < len(numbers) and numbers[j + 1] == numbers[j] + 1:
            j += 1
        data += b"%d %d\n" % (numbers[i], j - i + 1)
        for n in numbers[i:j + 1]:
            off, gen, kind = entries[n]
            data += b"%010d %05d %s \n" % (off, gen, kind)
        i = j + 1
    data += b"trailer\n" + trailer + b"\n"
    return at


def finish(data, xref):
    data += b"startxref\n%d\n%%%%EOF\n" % xref
    return bytes(data)


def make_tree(count):
    objects, _ = page_tree(count)
    data = bytearray(HEADER)
    offsets = write_objects(data, objects, sorted(objects))
    size = max(objects) + 1
    entries = {0: (0, 65535, b"f")}
    for n in range(1, size):
        entries[n] = (offsets[n], 0, b"n") if n in offsets else (0, 0, b"f")
    xref = classic_table(data, entries, b"<< /Size %d /Root 1 0 R /Info 5 0 R %s >>" % (size, TRAILER_ID))
    return finish(data, xref), objects


def make_incremental(count):
    base, objects = make_tree(count)
    data = bytearray(base)
    first = int(base[base.rindex(b"startxref") + 10:].split()[0])
    size = max(objects) + 1
    # Update 1: page 2's content is redefined (same text, new object), the
    # producer dictionary is freed.
    page2 = None
    for n, body in objects.items():
        if body.startswith(b"<< /Type /Page ") and b"/Contents" in body:
            content = int(body.split(b"/Contents ")[1].split()[0])
            text = zlib.decompress(objects[content].split(b"stream\n", 1)[1].rsplit(b"\nendstream", 1)[0])
            if text.find(b"(Folivex page 2)") >= 0:
                page2 = content
    assert page2 is not None
    text = b"BT /F1 30 Tf 72 400 Td (Folivex page 2) Tj ET\n"
    off = len(data)
    data += b"\n%d 0 obj\n<< /Length %d >>\nstream\n" % (page2, len(text)) + text + b"\nendstream\nendobj\n"
    off += 1
    xref1 = classic_table(data, {page2: (off, 0, b"n"), 5: (0, 1, b"f")},
                          b"<< /Size %d /Root 1 0 R %s /Prev %d >>" % (size, TRAILER_ID, first))
    data += b"startxref\n%d\n%%%%EOF\n" % xref1
    # Update 2: the first page turns upside down.
    first_page = min(n for n, b in objects.items() if b.startswith(b"<< /Type /Page "))
    body = objects[first_page].replace(b" >>", b" /Rotate 180 >>")
    off = len(data)
    data += b"%d 0 obj\n" % first_page + body + b"\nendobj\n"
    xref2 = classic_table(data, {first_page: (off, 0, b"n")},
                          b"<< /Size %d /Root 1 0 R %s /Prev %d >>" % (size, TRAILER_ID, xref1))
    return finish(data, xref2)


def object_stream(objects, numbers):
    header = b""
    body = b""
    for n in numbers:
        header += b"%d %d " % (n, len(body))
        body += objects[n] + b"\n"
    data = zlib.compress(header + body)
    return (b"<< /Type /ObjStm /N %d /First %d /Length %d /Filter /FlateDecode >>\nstream\n"
            % (len(numbers), len(header), len(data)) + data + b"\nendstream")


def xref_stream_object(entries, size, extra, widths=(1, 4, 2), predictor=True):
    """entries: {number: (type, f2, f3)}; returns the stream object body."""
    numbers = sorted(entries)
    rows = b""
    index = []
    i = 0
    while i < len(numbers):
        j = i
        while j + 1 < len(numbers) and numbers[j + 1] == numbers[j] + 1:
            j += 1
        index += [numbers[i], j - i + 1]
        i = j + 1
    width = sum(widths)
    previous = bytes(width)
    for n in numbers:
        row = b"".join(v.to_bytes(w, "big") for v, w in zip(entries[n], widths))
        if predictor:
            rows += b"\x02" + bytes((a - b) & 0xFF for a, b in zip(row, previous))
            previous = row
        else:
            rows += row
    data = zlib.compress(rows)
    parms = b" /DecodeParms << /Columns %d /Predictor 12 >>" % width if predictor else b""
    return (b"<< /Type /XRef /Size %d /Index [%s] /W [%s] /Filter /FlateDecode%s /Length %d%s >>\nstream\n"
            % (size, b" ".join(b"%d" % v for v in index), b" ".join(b"%d" % w for w in widths), parms,
               len(data), extra) + data + b"\nendstream")


def split_objects(objects):
    """Page and node dictionaries (and the catalog) go into object streams."""
    compressible = sorted(n for n, b in objects.items() if not b.endswith(b"endstream"))
    return compressible, sorted(n for n in objects if n not in compressible)


def make_hybrid(count):
    objects, _ = page_tree(count)
    compressible, plain = split_objects(objects)
    in_stream = [n for n in compressible if n not in (1, 5)]
    plain = sorted(set(plain) | {1, 5})
    data = bytearray(HEADER)
    offsets = write_objects(data, objects, plain)
    size = max(objects) + 3
    stm = size - 2
    xs = size - 1
    offsets[stm] = len(data)
    data += b"%d 0 obj\n" % stm + object_stream(objects, in_stream) + b"\nendobj\n"
    entries = {n: (2, stm, i) for i, n in enumerate(in_stream)}
    xs_offset = len(data)
    entries[xs] = (1, xs_offset, 0)
    data += b"%d 0 obj\n" % xs + xref_stream_object(entries, size, b"") + b"\nendobj\n"
    table = {0: (0, 65535, b"f")}
    for n in plain + [stm]:
        table[n] = (offsets[n], 0, b"n")
    xref = classic_table(data, table, b"<< /Size %d /Root 1 0 R /Info 5 0 R /XRefStm %d >>" % (size, xs_offset))
    return finish(data, xref)


def make_xref_stream(count):
    objects, _ = page_tree(count)
    compressible, plain = split_objects(objects)
    data = bytearray(b"%PDF-1.5\n%\xe2\xe3\xcf\xd3\n")
    offsets = write_objects(data, objects, plain)
    size = max(objects) + 1
    entries = {0: (0, 0, 65535)}
    for n in plain:
        entries[n] = (1, offsets[n], 0)
    # Several object streams of up to 7 objects each.
    for start in range(0, len(compressible), 7):
        chunk = compressible[start:start + 7]
        stm = size
        size += 1
        entries[stm] = (1, len(data), 0)
        data += b"%d 0 obj\n" % stm + object_stream(objects, chunk) + b"\nendobj\n"
        for i, n in enumerate(chunk):
            entries[n] = (2, stm, i)
    xs = size
    size += 1
    entries[xs] = (1, len(data), 0)
    xref = len(data)
    data += (b"%d 0 obj\n" % xs
             + xref_stream_object(entries, size, b" /Root 1 0 R /Info 5 0 R " + TRAILER_ID) + b"\nendobj\n")
    return finish(data, xref)


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    out = args[0]
    count = 30
    if "--pages" in args:
        count = int(args[args.index("--pages") + 1])
    os.makedirs(out, exist_ok=True)
    files = {
        "tree.pdf": make_tree(count)[0],
        "incremental.pdf": make_incremental(count),
        "hybrid.pdf": make_hybrid(count),
        "xrefstream.pdf": make_xref_stream(count),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
