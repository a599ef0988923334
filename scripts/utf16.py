#!/usr/bin/env python3
"""utf16.py IN OUT: writes the text file IN as MSTS text: UTF-16LE behind FF FE, CR LF lines."""
import sys

text = open(sys.argv[1], encoding="utf-8").read().replace("\r\n", "\n").replace("\n", "\r\n")
with open(sys.argv[2], "wb") as out:
    out.write(b"\xff\xfe" + text.encode("utf-16-le"))
