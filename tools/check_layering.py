#!/usr/bin/env python3
"""Fails (status 1) on an include from one folder of src/ into another that
the layering below does not allow, and prints each one.

A folder's win32/ side may include what its portable side may, the portable
side itself, and the win32/ sides of those. The settings record is a base
that every folder may include. Only the composition root (app) may include
every folder, and only the program entry (app/win32) may include app.
"""
import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

# Which folders each folder may include, lowest layer first.
ALLOWED = {
    "console": set(),
    "connections": {"console"},
    "ftp": {"console"},
    "printing": {"console"},
    "transfer": {"console"},
    "ui": {"console", "commands", "transfer"},
    "commands": {"console", "connections", "ftp", "transfer", "ui"},
    "emulation": {"console", "connections", "commands", "ui", "printing", "transfer", "ftp"},
}

# Headers every folder may include.
BASE = {"commands/settings_record.h", "commands/settings_fields.h", "commands/gset_code.h"}

# Includes still to move behind a port: file, then the folder it reaches.
STILL_TO_MOVE = {
    ("console/terminal_window.cpp", "commands"),
    ("console/terminal_window.cpp", "connections"),
    ("console/learn_mode.cpp", "commands"),
    ("console/learn_mode.cpp", "connections"),
    ("console/win32/terminal_window_win32.cpp", "connections"),
    ("console/win32/terminal_window_win32.cpp", "ui"),
    ("console/win32/paint_win32.cpp", "connections"),
    ("console/win32/key_input_win32.cpp", "connections"),
    ("console/win32/install_services.cpp", "ui"),
    ("console/win32/win32_string_source.cpp", "ui"),
}


def folder_of(path):
    """The subsystem of a path relative to src/, and whether it is a win32 side."""
    parts = path.split("/")
    if len(parts) < 2:
        return None, False
    return parts[0], "win32" in parts[1:-1]


def allowed(source, target):
    src_sub, _ = folder_of(source)
    dst_sub, _ = folder_of(target)
    if src_sub is None or dst_sub is None or src_sub == dst_sub:
        return True
    if target in BASE:
        return True
    if src_sub == "app":
        return True
    if dst_sub == "app":
        return False
    if (source, dst_sub) in STILL_TO_MOVE:
        return True
    return dst_sub in ALLOWED.get(src_sub, set())


def violations(src):
    found = []
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h", ".inc")):
                continue
            full = os.path.join(folder, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            with open(full, encoding="utf-8", errors="replace") as f:
                lines = f.read().splitlines()
            for number, line in enumerate(lines, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(1)
                if not os.path.exists(os.path.join(src, target)):
                    continue  # a file beside the includer, or a generated one
                if not allowed(rel, target):
                    found.append(f"src/{rel}:{number}: {folder_of(rel)[0]} may not include {target}")
    return sorted(found)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--src", default=os.path.join(os.path.dirname(__file__), "..", "src"))
    args = parser.parse_args()
    found = violations(os.path.normpath(args.src))
    for v in found:
        print(v)
    if found:
        print(f"{len(found)} include(s) against the layering (tools/check_layering.py)")
        return 1
    print("layering: every include is allowed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
