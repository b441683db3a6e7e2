"""Checks the command session's screenshots.

Usage: command_probe.py FIRST.ppm [LAST.ppm]   (FIRST alone: only whether its bar is there yet)
FIRST shows the host's ten-cell bar at row 1, column 1 on the starting screen; LAST the screen
after the commands: a ten-cell bar the host drew at row 30, column 81 (where an 80 x 24 screen has
no cells) and the host's prompt in the yellow on blue that SETCOLOR 1EH chose. Exit status 0 when all hold.
"""
import sys


def load_ppm(path):
    data = open(path, "rb").read()
    fields, i = [], 0
    while len(fields) < 4:
        while data[i:i + 1].isspace():
            i += 1
        j = i
        while not data[j:j + 1].isspace():
            j += 1
        fields.append(data[i:j])
        i = j
    return int(fields[1]), int(fields[2]), data[i + 1:]


class Image:
    def __init__(self, path):
        self.w, self.h, self.px = load_ppm(path)

    def get(self, x, y):
        o = (y * self.w + x) * 3
        return self.px[o], self.px[o + 1], self.px[o + 2]

    def bars(self):
        """Reverse-video bars: runs of one colour other than black at least 40 pixels wide,
        grouped over consecutive scanlines with the same start and length; (left, top, width,
        height) each."""
        found = {}
        for y in range(self.h):
            x = 0
            while x < self.w:
                colour = self.get(x, y)
                if colour == (0, 0, 0):
                    x += 1
                    continue
                start = x
                while x < self.w and self.get(x, y) == colour:
                    x += 1
                # Ten cells, never half the window (the menu bar's white).
                if 40 <= x - start <= self.w // 2:
                    key = (start, x - start)
                    top, last = found.get(key, (y, y - 1))
                    if last == y - 1:
                        found[key] = (top, y)
        return [(left, top, width, last - top + 1) for (left, width), (top, last) in found.items()
                if last - top + 1 >= 6]


def main():
    first = Image(sys.argv[1])
    start = [b for b in first.bars() if b[0] < 40]
    if not start:
        print("no bar at row 1, column 1 on the first screen")
        return 1
    x0, y0, w, h = start[0]
    print(f"start: text area at {x0},{y0}; cell {w / 10:.1f} x {h}")
    if len(sys.argv) < 3:
        return 0
    last = Image(sys.argv[2])
    ok = True
    marks = sorted(last.bars(), key=lambda b: -b[0])
    if not marks:
        print("no bar on the last screen")
        return 1
    x, y, w2, h2 = marks[0]
    cw = w2 / 10
    col = (x - x0) / cw + 1
    row = (y - y0) / h2 + 1
    print(f"mark: cell {cw:.1f} x {h2}, at column {col:.1f}, row {row:.1f}")
    if abs(col - 81) > 1 or abs(row - 30) > 1:
        print("the host's bar is not at row 30, column 81: the screen did not grow")
        ok = False
    blue = sum(1 for yy in range(last.h) for xx in range(last.w)
               if (lambda p: p[2] > 100 and p[0] < 80 and p[1] < 80)(last.get(xx, yy)))
    print(f"blue pixels: {blue} (5 cells hold {int(5 * cw * h2)})")
    if blue < 2 * cw * h2:
        print("no text in the colours SETCOLOR chose")
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
