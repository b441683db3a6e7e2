#!/usr/bin/env python3
"""Generates the program's string table from resources/strings/*.txt.

Usage: gen_strings.py OUTDIR SOURCE...
Each line of a source is `ID<TAB>TEXT`; blank lines and lines starting with
'#' are skipped. TEXT may use the escapes \\n, \\r, \\t, \\\\ and \\xHH (a
Latin-1 byte) and \\uHHHH. Outputs, in the given folder:
  strings.rc         a STRINGTABLE for windres (UTF-8, code page 65001)
  message_table.inc  `{id, u"..."},` rows sorted by id for the portable lookup
"""
import os
import re
import sys

ESC = re.compile(r'\\(n|r|t|\\|x[0-9A-Fa-f]{2}|u[0-9A-Fa-f]{4})')


def unescape(s):
    def rep(m):
        e = m.group(1)
        return {'n': '\n', 'r': '\r', 't': '\t', '\\': '\\'}.get(e) or chr(int(e[1:], 16))
    return ESC.sub(rep, s)


def c_escape(text):
    out = []
    for ch in text:
        o = ord(ch)
        if ch == '"' or ch == '\\':
            out.append('\\' + ch)
        elif 32 <= o < 127:
            out.append(ch)
        else:
            # Octal escapes stop after three digits; UCNs cannot name C0/C1 controls.
            out.append('\\%03o' % o if o < 0xA0 else '\\u%04x' % o if o < 0x10000 else '\\U%08x' % o)
    return ''.join(out)


def rc_escape(text):
    out = []
    for ch in text:
        o = ord(ch)
        if ch == '"':
            out.append('""')
        elif ch == '\\':
            out.append('\\\\')
        elif o < 32 or o == 127:
            out.append('\\x%04x' % o)
        else:
            out.append(ch)
    return ''.join(out)


def main():
    outdir = sys.argv[1]
    entries = {}
    for src in sorted(sys.argv[2:]):
        read_source(src, entries)
    write_outputs(outdir, entries)


def read_source(src, entries):
    with open(src, encoding='utf-8') as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip('\n')
            if not line.strip() or line.startswith('#'):
                continue
            if '\t' not in line:
                sys.exit('%s:%d: expected ID<TAB>TEXT' % (src, n))
            ident, text = line.split('\t', 1)
            ident = int(ident)
            if not 0 <= ident <= 65535:
                sys.exit('%s:%d: id out of range' % (src, n))
            text = unescape(text)
            # The same id may stand in two files only with the same text.
            if ident in entries and entries[ident] != text:
                sys.exit('%s:%d: id %d has another text elsewhere' % (src, n, ident))
            entries[ident] = text


def write_outputs(outdir, entries):
    os.makedirs(outdir, exist_ok=True)
    rows = sorted(entries.items())
    inc = ''.join('{%d, u"%s"},\n' % (i, c_escape(t)) for i, t in rows)
    rc = '#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n' + ''.join(
        '  %d, L"%s"\n' % (i, rc_escape(t)) for i, t in rows if t) + 'END\n'
    for name, data in (('message_table.inc', inc), ('strings.rc', rc)):
        path = os.path.join(outdir, name)
        old = open(path, encoding='utf-8').read() if os.path.exists(path) else None
        if old != data:
            with open(path, 'w', encoding='utf-8') as f:
                f.write(data)


if __name__ == '__main__':
    main()
