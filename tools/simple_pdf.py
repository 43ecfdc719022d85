"""The classic-file writer the PDF-making scripts share: objects in number
order, one cross-reference table, the trailer."""


def pdf_bytes(objects, root=1):
    """objects: {number: bytes}. Numbers left out become free entries."""
    data = bytearray(b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n")
    offsets = {}
    for num in sorted(objects):
        offsets[num] = len(data)
        data += b"%d 0 obj\n" % num + objects[num] + b"\nendobj\n"
    size = max(objects) + 1
    xref = len(data)
    data += b"xref\n0 %d\n0000000000 65535 f \n" % size
    for num in range(1, size):
        if num in offsets:
            data += b"%010d 00000 n \n" % offsets[num]
        else:
            data += b"0000000000 00000 f \n"
    data += b"trailer\n<< /Size %d /Root %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (size, root, xref)
    return bytes(data)
