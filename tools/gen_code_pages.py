#!/usr/bin/env python3
"""Generates the built-in single-byte code page tables from glibc's iconv.

Usage: gen_code_pages.py OUTPUT.cpp

Each byte of each page is converted on its own with iconv (through ctypes, so
the tables are those of the C library on the machine that runs this). Windows
defines a few bytes that iconv leaves undefined or maps differently; those are
listed below as the system's own assignments, so that the built-in tables give
what the Win32 conversion gives (tests/win32/code_pages_test.cpp checks that
under Wine, tests/console/code_pages_test.cpp checks the rest against iconv).

The output is committed; the build does not run this tool.
"""
import ctypes
import ctypes.util
import sys

# (code page, iconv name, glyph row): the glyph row is what the system's
# "glyph characters" conversion shows for the control positions.
PAGES = [
    (437, "CP437", "dos"), (737, "CP737", "dos"), (775, "CP775", "dos"),
    (850, "CP850", "dos"), (852, "CP852", "dos"), (855, "CP855", "dos"),
    (857, "CP857", "dos"), (860, "CP860", "dos"), (861, "CP861", "dos"),
    (862, "CP862", "dos"), (863, "CP863", "dos"), (864, "CP864", "del"),
    (865, "CP865", "dos"), (866, "CP866", "dos"), (869, "CP869", "dos"),
    (874, "CP874", "dos"),
    (1250, "CP1250", None), (1251, "CP1251", None), (1252, "CP1252", None),
    (1253, "CP1253", None), (1254, "CP1254", None), (1255, "CP1255", None),
    (1256, "CP1256", None), (1257, "CP1257", None), (1258, "CP1258", None),
    (28591, "ISO-8859-1", None), (28592, "ISO-8859-2", None),
    (28594, "ISO-8859-4", None), (28595, "ISO-8859-5", None),
    (28599, "ISO-8859-9", None), (28603, "ISO-8859-13", None),
    (28605, "ISO-8859-15", None),
]

# Bytes iconv leaves undefined outside 0x80..0x9F: the system gives each a
# private-use character of its own. (Undefined bytes 0x80..0x9F become the C1
# control of the same value.)
PRIVATE_USE = {
    857: {0xD5: 0xF8BB, 0xE7: 0xF8BC, 0xF2: 0xF8BD},
    864: {0xA6: 0xF8BE, 0xA7: 0xF8BF, 0xFF: 0xF8C0},
    874: {0xDB: 0xF8C1, 0xDC: 0xF8C2, 0xDD: 0xF8C3, 0xDE: 0xF8C4,
          0xFC: 0xF8C5, 0xFD: 0xF8C6, 0xFE: 0xF8C7, 0xFF: 0xF8C8},
    1253: {0xAA: 0xF8F9, 0xD2: 0xF8FA, 0xFF: 0xF8FB},
    1255: {0xD9: 0xF88D, 0xDA: 0xF88E, 0xDB: 0xF88F, 0xDC: 0xF890,
           0xDD: 0xF891, 0xDE: 0xF892, 0xDF: 0xF893, 0xFB: 0xF894,
           0xFC: 0xF895, 0xFF: 0xF896},
    1257: {0xA1: 0xF8FC, 0xA5: 0xF8FD},
}

# Bytes where the system's table differs from iconv's.
SYSTEM_DIFFERS = {
    864: {0x25: 0x0025},  # iconv: U+066A ARABIC PERCENT SIGN
    1255: {0xCA: 0x05BA},  # iconv: undefined (HEBREW POINT HOLAM HASER FOR VAV)
}

# The glyphs of the IBM PC character set for 0x01..0x1F; 0x7F shows a house.
DOS_GLYPHS = [
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
]
DOS_GLYPH_DEL = 0x2302

libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
libc.iconv_open.restype = ctypes.c_void_p
libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
libc.iconv.restype = ctypes.c_size_t
libc.iconv.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p),
                       ctypes.POINTER(ctypes.c_size_t),
                       ctypes.POINTER(ctypes.c_char_p),
                       ctypes.POINTER(ctypes.c_size_t)]
libc.iconv_close.argtypes = [ctypes.c_void_p]
FAILED = ctypes.c_size_t(-1).value


def iconv_byte(name, b):
    """The UTF-16 units iconv gives for the byte alone, or None."""
    cd = libc.iconv_open(b"UTF-16LE", name.encode())
    if cd is None or cd == ctypes.c_void_p(-1).value:
        sys.exit("iconv has no converter for " + name)
    try:
        src = ctypes.create_string_buffer(bytes([b]), 1)
        inp = ctypes.c_char_p(ctypes.addressof(src))
        inl = ctypes.c_size_t(1)
        dst = ctypes.create_string_buffer(16)
        outp = ctypes.c_char_p(ctypes.addressof(dst))
        outl = ctypes.c_size_t(16)
        r = libc.iconv(cd, ctypes.byref(inp), ctypes.byref(inl),
                       ctypes.byref(outp), ctypes.byref(outl))
        # A stateful converter (CP1258) holds a base letter back until flushed.
        libc.iconv(cd, None, None, ctypes.byref(outp), ctypes.byref(outl))
    finally:
        libc.iconv_close(cd)
    n = 16 - outl.value
    if r == FAILED and n == 0:
        return None
    data = dst.raw[:n]
    return [int.from_bytes(data[i:i + 2], "little") for i in range(0, n, 2)]


def page_table(number, name):
    table = []
    for b in range(256):
        units = iconv_byte(name, b)
        if number in SYSTEM_DIFFERS and b in SYSTEM_DIFFERS[number]:
            table.append(SYSTEM_DIFFERS[number][b])
        elif units is None:
            if 0x80 <= b <= 0x9F:
                table.append(b)
            elif b in PRIVATE_USE.get(number, {}):
                table.append(PRIVATE_USE[number][b])
            else:
                sys.exit("%s: byte %02X undefined and not listed" % (name, b))
        elif len(units) != 1:
            sys.exit("%s: byte %02X gives %d units" % (name, b, len(units)))
        else:
            table.append(units[0])
    if len(set(table)) != 256:
        sys.exit("%s: two bytes give the same character" % name)
    return table


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    rows = []
    for number, name, glyphs in PAGES:
        table = page_table(number, name)
        kind = {"dos": "GlyphRow::Dos", "del": "GlyphRow::DelOnly", None: "GlyphRow::None"}[glyphs]
        lines = []
        for i in range(0, 256, 8):
            lines.append("      " + ", ".join("0x%04X" % c for c in table[i:i + 8]) + ",")
        rows.append("    {%d, %s, {{\n%s\n    }}}," % (number, kind, "\n".join(lines)))
    glyph_lines = []
    for i in range(0, 32, 8):
        glyph_lines.append("    " + ", ".join("0x%04X" % c for c in DOS_GLYPHS[i:i + 8]) + ",")
    with open(sys.argv[1], "w", encoding="utf-8", newline="\n") as out:
        out.write("// Generated by tools/gen_code_pages.py from glibc's iconv tables and the\n")
        out.write("// system's own assignments listed there. Do not edit; run the tool again.\n")
        out.write("// clang-format off\n")
        out.write('#include "console/code_page_tables.h"\n\n')
        out.write("namespace console {\n\n")
        out.write("const std::array<char16_t, 32> kDosGlyphs = {{\n%s\n}};\n" % "\n".join(glyph_lines))
        out.write("const char16_t kDosGlyphDel = 0x%04X;\n\n" % DOS_GLYPH_DEL)
        out.write("namespace {\n\n")
        out.write("constexpr CodePageTable kTables[] = {\n")
        out.write("\n".join(rows))
        out.write("\n};\n\n}  // namespace\n\n")
        out.write("std::span<const CodePageTable> BuiltinCodePageTables() { return kTables; }\n\n")
        out.write("}  // namespace console\n")


if __name__ == "__main__":
    main()
