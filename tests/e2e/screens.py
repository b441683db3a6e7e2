"""Known screens for the end to end tests: the bytes a host sends for each terminal type, the
pixel probes that check what the window shows, and the bytes the host expects for typed keys.

Colours follow the program's default settings record: the palette in IBM order, colour map
entry 0 white on black, and attribute mode 0, in which a coloured background is drawn from the
bright half of the palette (index + 8).
"""

ESC = "\x1b"
CSI = ESC + "["

BLACK = (0, 0, 0)
GREY = (128, 128, 128)
BRIGHT_BLUE = (0, 0, 255)
BRIGHT_GREEN = (0, 255, 0)
BRIGHT_CYAN = (0, 255, 255)
BRIGHT_RED = (255, 0, 0)
BRIGHT_MAGENTA = (255, 0, 255)
YELLOW = (255, 255, 0)
WHITE = (255, 255, 255)
DARK_BLUE = (0, 0, 128)
DARK_GREEN = (0, 128, 0)
DARK_CYAN = (0, 128, 128)
DARK_RED = (128, 0, 0)
DARK_MAGENTA = (128, 0, 128)
LIGHT_GREY = (192, 192, 192)


def cup(row, col):
    return f"{CSI}{row};{col}H"


def wyse_at(row, col):
    # ESC = row col, each biased by 31 so that row 1 is the blank.
    return f"{ESC}={chr(row + 31)}{chr(col + 31)}"


# A probe is (row, col, what, value):
#   "bg"   the cell's background colour (corner pixels of the cell)
#   "fg"   some pixel of the cell has this colour
#   "ink"  True: the cell shows something other than its background; False: it is blank
#   "line" a line-drawing glyph: a string naming the strokes present among
#          "l" (left arm), "r" (right arm), "u" (upper arm), "d" (lower arm); the others must be
#          absent


def vt220_screen(term):
    s = CSI + "0m" + CSI + "H" + CSI + "2J"
    # Grid markers: ten magenta cells at the left and right ends of row 2.
    s += cup(2, 1) + CSI + "45m" + " " * 10 + CSI + "0m"
    s += cup(2, 71) + CSI + "45m" + " " * 10 + CSI + "0m"
    s += cup(1, 1) + f"VT220 test screen, TERM={term}"
    # Cursor addressing.
    s += cup(5, 20) + "ADDR"
    # Colours: entry 0 is bright white, so a plain foreground keeps the bright bit.
    s += cup(7, 1) + CSI + "0;31m" + "RRRR"
    s += cup(7, 10) + CSI + "0;42m" + "    "
    s += cup(7, 20) + CSI + "0;32;44m" + "GGGG"
    s += cup(7, 30) + CSI + "0;7m" + "VVVV" + CSI + "0m"
    # Line drawing from the DEC special graphics set.
    s += ESC + "(0"
    s += cup(10, 1) + "lqqk" + cup(11, 1) + "x  x" + cup(12, 1) + "mqqj"
    s += ESC + "(B"
    # A scroll region of rows 15 to 18, framed by reverse rows 14 and 19; two line feeds at its
    # bottom move its lines up by two and leave the frame alone.
    s += cup(14, 1) + CSI + "0;7m" + "TOP " + CSI + "0m"
    s += cup(19, 1) + CSI + "0;7m" + "OUT " + CSI + "0m"
    s += CSI + "15;18r"
    s += cup(15, 1) + CSI + "0;46m" + "S1S1" + CSI + "0m"
    s += cup(16, 1) + CSI + "0;43m" + "S2S2" + CSI + "0m"
    s += cup(17, 1) + CSI + "0;41m" + "S3S3" + CSI + "0m"
    s += cup(18, 1) + CSI + "0;42m" + "S4S4" + CSI + "0m"
    s += cup(18, 1) + "\n\n"
    s += CSI + "r"
    s += cup(22, 1) + "type here> "
    return s.encode("latin-1")


VT220_PROBES = [
    (5, 19, "ink", False), (5, 20, "ink", True), (5, 23, "ink", True), (5, 24, "ink", False),
    (7, 1, "fg", BRIGHT_RED), (7, 1, "bg", BLACK), (7, 4, "fg", BRIGHT_RED),
    (7, 10, "bg", BRIGHT_GREEN), (7, 13, "bg", BRIGHT_GREEN), (7, 14, "bg", BLACK),
    (7, 20, "bg", BRIGHT_BLUE), (7, 20, "fg", BRIGHT_GREEN),
    (7, 30, "bg", WHITE), (7, 30, "fg", GREY), (7, 34, "bg", BLACK),
    (10, 1, "line", "rd"), (10, 2, "line", "lr"), (10, 4, "line", "ld"),
    (11, 1, "line", "ud"), (11, 2, "ink", False), (11, 4, "line", "ud"),
    (12, 1, "line", "ur"), (12, 3, "line", "lr"), (12, 4, "line", "lu"),
    (14, 1, "bg", WHITE), (19, 1, "bg", WHITE),
    (15, 1, "bg", BRIGHT_RED), (16, 1, "bg", BRIGHT_GREEN),
    (17, 1, "bg", BLACK), (17, 1, "ink", False), (18, 1, "bg", BLACK), (18, 1, "ink", False),
]

# Typed on the keyboard, in order: the text ab1, Enter, the four arrows, F1 to F4.
VT220_KEYS = ["type:ab1", "Return", "Up", "Down", "Right", "Left", "F1", "F2", "F3", "F4"]
# Cursor keys in normal mode (ESC [ x), F1-F4 as ESC O P..S; Enter is CR (the telnet server
# takes the NUL that follows it on the wire).
VT220_EXPECTED = (b"ab1\r" + b"\x1b[A\x1b[B\x1b[C\x1b[D" + b"\x1bOP\x1bOQ\x1bOR\x1bOS")


def wyse60_screen(term):
    gon, goff = ESC + "H\x02", ESC + "H\x03"
    s = ESC + "+" + ESC + "G0"
    # Grid markers: ten reverse cells at the left and right ends of row 2.
    s += wyse_at(2, 1) + ESC + "G4" + " " * 10 + ESC + "G0"
    s += wyse_at(2, 71) + ESC + "G4" + " " * 10 + ESC + "G0"
    s += wyse_at(1, 1) + f"WYSE60 test screen, TERM={term}"
    # Both forms of cursor addressing.
    s += wyse_at(5, 20) + "ADDR"
    s += ESC + "a6R30C" + "COLS"
    # Attributes: reverse, underline (bright blue in the default colour map), blank.
    s += wyse_at(7, 1) + ESC + "G4" + "VVVV" + ESC + "G0"
    s += wyse_at(7, 10) + ESC + "G8" + "UUUU" + ESC + "G0"
    s += wyse_at(7, 20) + ESC + "G1" + "XXXX" + ESC + "G0"
    s += wyse_at(7, 30) + "NNNN"
    # Line drawing through the graphics set: 2 : 3 / 6 6 / 1 : 5 is a box.
    s += wyse_at(10, 1) + gon + "2::3" + goff
    s += wyse_at(11, 1) + gon + "6  6" + goff
    s += wyse_at(12, 1) + gon + "1::5" + goff
    s += wyse_at(22, 1) + "type here> "
    return s.encode("latin-1")


WYSE60_PROBES = [
    (5, 19, "ink", False), (5, 20, "ink", True), (5, 23, "ink", True), (5, 24, "ink", False),
    (6, 29, "ink", False), (6, 30, "ink", True), (6, 33, "ink", True), (6, 34, "ink", False),
    (7, 1, "bg", WHITE), (7, 1, "fg", GREY), (7, 4, "bg", WHITE), (7, 5, "bg", BLACK),
    (7, 10, "fg", BRIGHT_BLUE), (7, 10, "bg", BLACK),
    (7, 20, "ink", False), (7, 23, "ink", False),
    (7, 30, "ink", True), (7, 30, "fg", WHITE),
    # The box drawn through the graphics set.
    (10, 1, "line", "rd"), (10, 2, "line", "lr"), (10, 4, "line", "ld"),
    (11, 1, "line", "ud"), (11, 2, "ink", False), (11, 4, "line", "ud"),
    (12, 1, "line", "ur"), (12, 3, "line", "lr"), (12, 4, "line", "lu"),
]

# The Wyse 60 family sends control bytes for the cursor keys and Home and has no strings of its
# own for F2 and F4 (F4 is the unlock key), so those two send nothing.
WYSE60_KEYS = ["type:ab1", "Return", "Up", "Down", "Right", "Left", "F2", "F4", "Home"]
WYSE60_EXPECTED = b"ab1\r" + b"\x0b\x0a\x0c\x08" + b"\x1e"



def vt220_scroll(term):
    """Thirty lines from the top of a cleared screen: the last six scroll the whole screen up,
    so line 7 (green) ends on row 1 and line 30 (magenta, no line end) on row 24."""
    s = CSI + "0m" + CSI + "H" + CSI + "2J"
    for i in range(1, 31):
        colour = {7: CSI + "42m", 30: CSI + "45m"}.get(i, "")
        s += colour + f"line {i:02d}" + CSI + "0m" + ("\r\n" if i < 30 else "")
    return s.encode("latin-1")


# The second screenshot, after the whole screen scrolled.
VT220_SCROLL_PROBES = [
    (1, 1, "bg", BRIGHT_GREEN), (7, 1, "bg", BLACK), (23, 1, "ink", True),
    (24, 1, "bg", BRIGHT_MAGENTA),
]

def linux_screen(term):
    """The Linux console's colours: after the soft reset the type's own colour map (grey on
    black) and attribute mode 3 (eight background colours, none bright) hold, whatever the
    settings file said."""
    s = ESC + "!p" + CSI + "0m" + CSI + "H" + CSI + "2J"
    s += cup(2, 1) + CSI + "45m" + " " * 10 + CSI + "0m"
    s += cup(2, 71) + CSI + "45m" + " " * 10 + CSI + "0m"
    s += cup(1, 1) + f"LINUX test screen, TERM={term}"
    s += cup(5, 20) + "ADDR"
    # A background alone keeps the grey foreground; bold alone brightens it.
    s += cup(7, 1) + CSI + "44m" + "BBBB" + CSI + "0m"
    s += cup(7, 10) + CSI + "1m" + "WWWW" + CSI + "0m"
    s += cup(7, 20) + CSI + "31;42m" + "RRRR" + CSI + "0m"
    s += cup(7, 30) + "NNNN"
    # The repeat writes the last character again: a cyan blank five more times, an X nine.
    s += cup(9, 1) + CSI + "46m" + " " + CSI + "5b" + CSI + "0m"
    s += cup(10, 1) + "X" + CSI + "9b"
    s += cup(22, 1) + "type here> "
    return s.encode("latin-1")


# The OEM face of these types may let a glyph's last pixel column reach into the next cell.
LINUX_PROBES = [
    (5, 19, "ink", False), (5, 20, "ink", True), (5, 23, "ink", True), (5, 25, "ink", False),
    (7, 1, "bg", DARK_BLUE), (7, 1, "fg", LIGHT_GREY), (7, 4, "bg", DARK_BLUE),
    (7, 5, "bg", BLACK),
    (7, 10, "bg", BLACK), (7, 10, "fg", WHITE),
    (7, 20, "bg", DARK_GREEN), (7, 20, "fg", DARK_RED),
    (7, 30, "bg", BLACK), (7, 30, "fg", LIGHT_GREY),
    (9, 1, "bg", DARK_CYAN), (9, 6, "bg", DARK_CYAN), (9, 7, "bg", BLACK),
    (10, 1, "ink", True), (10, 5, "ink", True), (10, 10, "ink", True), (10, 11, "ink", False),
]

def vttest_markers():
    """The grid markers on a cleared screen before vttest takes the line over, and a status
    line text from the host (the host takes the status line, then sends its text)."""
    s = CSI + "0m" + CSI + "H" + CSI + "2J"
    s += cup(2, 1) + CSI + "45m" + " " * 10 + CSI + "0m"
    s += cup(2, 71) + CSI + "45m" + " " * 10 + CSI + "0m"
    s += CSI + "2$~" + CSI + "1$}" + "Host status text" + CSI + "0$}"
    return s.encode("latin-1")


# The host's status text on the status row, in the status line's reverse colours.
VTTEST_STATUS_PROBES = [
    (25, 1, "bg", WHITE), (25, 1, "fg", GREY), (25, 16, "ink", True), (25, 17, "ink", False),
    (25, 80, "bg", WHITE), (24, 1, "bg", BLACK),
]


SCREENS = {
    "vt220": (vt220_screen, VT220_PROBES, BRIGHT_MAGENTA, VT220_KEYS, VT220_EXPECTED),
    "wyse60": (wyse60_screen, WYSE60_PROBES, WHITE, WYSE60_KEYS, WYSE60_EXPECTED),
    # The Linux console sends the VT220 family's key strings.
    "linux": (linux_screen, LINUX_PROBES, DARK_MAGENTA, VT220_KEYS, VT220_EXPECTED),
    # Only the markers: vttest paints the rest (vttest_session.sh).
    "vttest": (None, VTTEST_STATUS_PROBES, BRIGHT_MAGENTA, [], b""),
}
LATER_PROBES = {"vt220-scroll": VT220_SCROLL_PROBES}


def ink(row, col, present=True):
    return (row, col, "ink", present)


def vttest_border(columns):
    """vttest's first screen: a border of * and + around the edge and a frame of E's in the
    middle with one free cell inside it. At 132 columns nothing of the 80-column screen may stay
    (its right border at columns 79 and 80, its frame from column 11)."""
    left = (columns - 60) // 2 + 1
    probes = [ink(1, 1), ink(1, columns // 2), ink(1, columns), ink(24, 1), ink(24, columns),
              ink(2, 2), ink(2, columns - 1), ink(12, 1), ink(12, 2), ink(12, columns - 1),
              ink(12, columns), ink(5, 3, False), ink(5, columns - 2, False),
              ink(9, left), ink(9, left + 59), ink(16, left), ink(16, left + 59),
              ink(10, left), ink(10, left + 1, False), ink(10, left + 58, False),
              ink(10, left + 59)]
    if columns == 132:
        probes += [ink(5, 79, False), ink(5, 80, False), ink(10, 11, False), ink(9, 20, False),
                   ink(20, 100, False)]
    return probes


def vttest_autowrap(columns):
    """The autowrap screen: I to Z down the left margin, i to z down the right, nothing between
    (at 132 columns nothing where the 80-column screen had its right margin)."""
    probes = []
    for row in (3, 11, 20):
        probes += [ink(row, 1), ink(row, 2, False), ink(row, columns - 1, False), ink(row, columns)]
        if columns == 132:
            probes.append(ink(row, 80, False))
    return probes


LATER_PROBES.update({
    # The main menu: its title from column 10, the prompt on row 21.
    "vttest-menu": [ink(3, 9, False), ink(3, 10), ink(21, 11), ink(12, 60, False)],
    "vttest-border80": vttest_border(80),
    "vttest-border132": vttest_border(132),
    "vttest-autowrap80": vttest_autowrap(80),
    "vttest-autowrap132": vttest_autowrap(132),
})
SCROLL_SCREENS = {"vt220": vt220_scroll}
