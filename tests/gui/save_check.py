#!/usr/bin/env python3
"""Checks a PDF that Folivex saved, with independent tools (qpdf, poppler).

Usage: save_check.py SAVED EXPECTED_PAGES ORIGINAL|- SUMMARY

EXPECTED_PAGES lists, comma-separated, the number K of the "Folivex page K"
text each page must show, in order. With ORIGINAL, the saved file must
start with the original's bytes (an appended update). SUMMARY receives
"ok" or what was wrong.
"""
import os
import re
import subprocess
import sys

saved, expected, original, summary = sys.argv[1:5]
want = [int(k) for k in expected.split(",")]
problems = []
check = subprocess.run(["qpdf", "--check", saved], capture_output=True, text=True)
if check.returncode != 0:
    problems.append("qpdf --check: " + (check.stdout + check.stderr).strip()[-400:])
info = subprocess.run(["pdfinfo", saved], capture_output=True, text=True).stdout
count = re.search(r"^Pages:\s+(\d+)", info, re.M)
if not count or int(count.group(1)) != len(want):
    problems.append("page count %s, want %d" % (count.group(1) if count else "?", len(want)))
else:
    got = []
    for k in range(1, len(want) + 1):
        text = subprocess.run(["pdftotext", "-f", str(k), "-l", str(k), saved, "-"],
                              capture_output=True, text=True).stdout
        m = re.search(r"Folivex page (\d+)", text)
        got.append(int(m.group(1)) if m else -1)
    if got != want:
        problems.append("pages %s, want %s" % (got, want))
if original != "-":
    with open(original, "rb") as f:
        head = f.read()
    with open(saved, "rb") as f:
        if f.read(len(head)) != head:
            problems.append("the original bytes are not a prefix of the saved file")
with open(summary + ".part", "w") as f:
    f.write("ok" if not problems else "; ".join(problems))
os.replace(summary + ".part", summary)
