#!/usr/bin/env python3
"""A telnet host's shell for the program's key test: it draws a banner, then
keeps every byte it receives in the log named on the command line and
answers each read with a count on row 10. A lone "T" asks for a stream of
text instead."""
import os
import sys
import tty

log_path = sys.argv[1]
STREAM_LINE = b"line %06d the quick brown fox jumps over the lazy dog 0123456789\r\n"
tty.setraw(0)
# The banner: text on row 1, a reverse-video bar of 20 cells on row 5.
os.write(1, b"HOST READY\r\n\x1b[5;1H\x1b[7m" + b" " * 20 + b"\x1b[0m\r\n")
total = 0
with open(log_path, "ab", buffering=0) as log:
    while True:
        data = os.read(0, 256)
        if not data:
            break
        if data == b"T":
            # A stream of about 200 KB, then a clear screen with a bar of 40 cells on row 12.
            os.write(1, b"".join(STREAM_LINE % i for i in range(3000)))
            os.write(1, b"\x1b[2J\x1b[12;1H\x1b[7m" + b" " * 40 + b"\x1b[0m")
            continue
        log.write(data)
        total += len(data)
        os.write(1, b"\x1b[10;1HGOT %d\r\n" % total)
