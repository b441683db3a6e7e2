"""Finds the solid runs a command drew on a screenshot of the terminal window.

Usage: run_probe.py SHOT.ppm
Prints, longest first, up to four "RUN <length> <y> <r,g,b>" lines: horizontal runs of one colour
other than the window's background, each block of rows once, so that text glyphs (short runs)
never reach the top.
"""
import os
import sys
from collections import Counter

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pixel_probe import Image  # noqa: E402


def main():
    img = Image(sys.argv[1])
    background = Counter(img.get(x, y) for y in range(0, img.h, 7)
                         for x in range(0, img.w, 5)).most_common(1)[0][0]
    # A block of rows gives the same run in each row: it is kept once, with its first row, when
    # it is at least four rows high (a cell's height, not an underline).
    blocks = {}  # (x, length, colour) -> [first y, rows]
    for y in range(img.h):
        start, colour = 0, img.get(0, y)
        for x in range(1, img.w + 1):
            c = img.get(x, y) if x < img.w else None
            if c != colour:
                # Runs reaching the right edge are the frame's or the menu bar's.
                if colour != background and x < img.w:
                    blocks.setdefault((start, x - start, colour), [y, 0])[1] += 1
                start, colour = x, c
    runs = sorted(((length, y, colour) for (_, length, colour), (y, rows) in blocks.items()
                   if rows >= 4), reverse=True)
    for length, y, colour in runs[:4]:
        print("RUN", length, y, ",".join(map(str, colour)))


main()
