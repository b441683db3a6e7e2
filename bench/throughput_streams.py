"""The streams of the throughput benchmark (bench/throughput.sh), made from fixed seeds so that
every terminal gets the same bytes.

Usage: throughput_streams.py NAME MEGABYTES PATH
  mixed   plain lines, SGR colours and cursor movement
  plain   plain lines of words
  cursor  cursor moves to random places, text and erases, as full-screen programs redraw
  utf8    lines of Latin, Greek and Cyrillic text and box drawing, as UTF-8
  region  lines scrolled inside a scroll region (rows 5 to 20), the region reset now and then
"""
import random
import sys

name, total, path = sys.argv[1], int(float(sys.argv[2]) * 1000000), sys.argv[3]
rnd = random.Random(2026)
WORDS = ("the quick brown fox jumps over lazy dog terminal host screen cursor colour line "
         "scroll region attribute keyboard telnet stream bytes window paint").split()
UTF8_WORDS = ("naïve café über façade señor smörgåsbord "
              "αλφάβητο ελληνικά γράμματα λέξη "
              "кириллица русский текст слово строка "
              "┌──┐ │░▒│ └──┘ ├─┼─┤ ═══ ║").split()


def words(n, table=WORDS):
    return " ".join(rnd.choice(table) for _ in range(n))


def mixed(out):
    kind = rnd.random()
    if kind < 0.6:
        out += words(rnd.randint(3, 12)).encode() + b"\r\n"
    elif kind < 0.85:
        for _ in range(rnd.randint(2, 6)):
            fg, bg = rnd.randint(30, 37), rnd.randint(40, 47)
            bold = b"1;" if rnd.random() < 0.3 else b""
            out += b"\x1b[" + bold + b"%d;%dm" % (fg, bg) + rnd.choice(WORDS).encode() + b"\x1b[0m "
        out += b"\r\n"
    else:
        out += b"\x1b[%d;%dH" % (rnd.randint(1, 24), rnd.randint(1, 60))
        out += words(rnd.randint(1, 4)).encode()
        out += rnd.choice([b"\x1b[K", b"\x1b[A", b"\x1b[2C", b"", b"\x1b[24;1H\r\n"])


def plain(out):
    out += words(rnd.randint(3, 12)).encode() + b"\r\n"


def cursor(out):
    kind = rnd.random()
    out += b"\x1b[%d;%dH" % (rnd.randint(1, 24), rnd.randint(1, 70))
    if kind < 0.75:
        out += words(rnd.randint(1, 6)).encode() + b"\x1b[K"
    elif kind < 0.9:
        out += b"\x1b[K"
    elif kind < 0.97:
        out += words(rnd.randint(1, 3)).encode() + rnd.choice([b"\x1b[1K", b"\x1b[2K", b"\x1b[5X"])
    else:
        out += b"\x1b[J"


def utf8(out):
    out += words(rnd.randint(3, 9), UTF8_WORDS).encode() + b"\r\n"


region_lines = [0]


def region(out):
    if region_lines[0] == 0:
        out += b"\x1b[5;20r\x1b[20;1H"
    out += words(rnd.randint(3, 12)).encode() + b"\r\n"
    region_lines[0] += 1
    if region_lines[0] == 400:
        out += b"\x1b[r\x1b[24;1H"
        region_lines[0] = 0


make = {"mixed": mixed, "plain": plain, "cursor": cursor, "utf8": utf8, "region": region}[name]
out = bytearray()
while len(out) < total:
    make(out)
# A stream cut inside a UTF-8 sequence or a control sequence would leave the terminals in
# different states, so it ends at the last line or sequence start that fits.
cut = total
while 0 < cut < len(out) and (out[cut] & 0xC0) == 0x80:
    cut -= 1
last_esc = out.rfind(b"\x1b", 0, cut)
if last_esc >= 0 and last_esc > cut - 16:
    cut = last_esc
data = bytes(out[:cut]) + (b"\x1b[r" if name == "region" else b"")
open(path, "wb").write(data)
