"""Checks a screenshot of the terminal window against the probes of a known screen.

Usage: pixel_probe.py SCREEN SHOT.ppm
The cell grid is measured from the screen's two marker runs (ten cells at each end of row 2), so
nothing depends on the font or the window's frame. Prints the grid and every failed probe; exit
status 0 when all probes hold, 1 when one fails, 2 when the markers are not found.
"""
import sys
import os

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import screens  # noqa: E402


def load_ppm(path):
    data = open(path, "rb").read()
    fields, i = [], 0
    while len(fields) < 4:
        while data[i:i + 1].isspace():
            i += 1
        if data[i:i + 1] == b"#":
            while data[i:i + 1] != b"\n":
                i += 1
            continue
        j = i
        while not data[j:j + 1].isspace():
            j += 1
        fields.append(data[i:j])
        i = j
    if fields[0] != b"P6" or fields[3] != b"255":
        raise SystemExit("not an 8-bit binary PPM")
    return int(fields[1]), int(fields[2]), data[i + 1:]


class Image:
    def __init__(self, path):
        self.w, self.h, self.px = load_ppm(path)

    def get(self, x, y):
        o = (y * self.w + x) * 3
        return tuple(self.px[o:o + 3])

    def runs(self, y, colour):
        out, start = [], None
        for x in range(self.w + 1):
            hit = x < self.w and self.get(x, y) == colour
            if hit and start is None:
                start = x
            elif not hit and start is not None:
                out.append((start, x - start))
                start = None
        return out


def find_grid(img, colour):
    """Left edge, top edge, cell width and cell height from the two marker runs of row 2: in
    every pixel row of that row the marker colour forms exactly two runs of equal length L,
    the second starting 70 cells (7 L) after the first."""
    rows = []
    for y in range(img.h):
        r = img.runs(y, colour)
        if len(r) == 2 and r[0][1] == r[1][1] and r[0][1] >= 20 and r[1][0] - r[0][0] == 7 * r[0][1]:
            if rows and (y != rows[-1][0] + 1 or r[0] != rows[-1][1]):
                break
            rows.append((y, r[0]))
        elif rows:
            break
    if not rows:
        return None
    x0, length = rows[0][1]
    cw, ch = length / 10.0, len(rows)
    return x0, rows[0][0] - ch, cw, ch


def cell_pixels(img, grid, row, col):
    x0, y0, cw, ch = grid
    left, top = x0 + (col - 1) * cw, y0 + (row - 1) * ch
    return [(x, y) for y in range(int(top), int(top + ch)) for x in range(int(left), int(left + cw))]


def check(img, grid, probe):
    row, col, what, want = probe
    x0, y0, cw, ch = grid
    left, top = int(x0 + (col - 1) * cw), int(y0 + (row - 1) * ch)
    right, bottom = int(x0 + col * cw) - 1, int(y0 + row * ch) - 1
    corners = [img.get(left, top), img.get(right, top), img.get(left, bottom), img.get(right, bottom)]
    bg = max(set(corners), key=corners.count)
    pixels = cell_pixels(img, grid, row, col)
    if what == "bg":
        return bg == want, f"background {bg}"
    if what == "fg":
        found = sum(1 for p in pixels if img.get(*p) == want)
        return found > 0, f"{found} pixels of {want}"
    ink = [p for p in pixels if img.get(*p) != bg]
    if what == "ink":
        return (len(ink) > 0) == want, f"{len(ink)} ink pixels"
    # Line drawing: an arm is present when ink crosses the band around the cell's middle near
    # that edge (the outer fifth of the cell); absent arms must show no ink there.
    mx, my = (left + right) / 2.0, (top + bottom) / 2.0
    bandx, bandy = max(1.0, cw / 5.0), max(1.0, ch / 5.0)
    arms = {
        "l": lambda x, y: x - left < cw / 5.0 and abs(y - my) <= bandy,
        "r": lambda x, y: right - x < cw / 5.0 and abs(y - my) <= bandy,
        "u": lambda x, y: y - top < ch / 5.0 and abs(x - mx) <= bandx,
        "d": lambda x, y: bottom - y < ch / 5.0 and abs(x - mx) <= bandx,
    }
    seen = "".join(a for a, inside in arms.items() if any(inside(x, y) for x, y in ink))
    return sorted(seen) == sorted(want), f"arms '{seen}'"


def check_all(name, img, grid, probes):
    """Checks every probe, prints those that fail and a count; gives the number failed."""
    failed = 0
    for probe in probes:
        ok, seen = check(img, grid, probe)
        if not ok:
            failed += 1
            print(f"  row {probe[0]} col {probe[1]}: expected {probe[2]} {probe[3]!r}, saw {seen}")
    print(f"{name}: {len(probes) - failed} of {len(probes)} pixel probes hold")
    return failed


def main():
    name, shot = sys.argv[1], sys.argv[2]
    img = Image(shot)
    if len(sys.argv) > 3:
        # A later screenshot of the same window: the grid measured from the first one.
        grid = tuple(float(v) for v in sys.argv[3].split(","))
        return 1 if check_all(name, img, grid, screens.LATER_PROBES[name]) else 0
    _, probes, marker, _, _ = screens.SCREENS[name]
    grid = find_grid(img, marker)
    if grid is None:
        print(f"{name}: the grid markers (colour {marker}) are not in the screenshot")
        return 2
    print(f"{name}: cells {grid[2]:.1f} x {grid[3]} pixels, origin ({grid[0]}, {grid[1]})")
    print(f"grid {grid[0]},{grid[1]},{grid[2]},{grid[3]}")
    failed = check_all(name, img, grid, probes)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
