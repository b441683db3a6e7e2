"""The scripted host of the command session: draws a marker bar, keeps every byte it receives and
answers the lines the program's macro sends.

Usage (as the program telnetd runs): command_host.py WORKDIR
  ask   -> after a second, the prompt "CODE?" (the macro waits for it); a line that arrives
           before the prompt went out is noted in WORKDIR/early
  size  -> a host command string asking for the screen mode (FS SCREENMODE/S US), then a marker
           bar at row 30, columns 81 to 90 (cells only a screen of 90 columns and 30 rows has)
WORKDIR/received gets the bytes; the file WORKDIR/hangup ends it.
"""
import os
import select
import sys
import time
import tty

work = sys.argv[1]
with open(os.path.join(work, "host.pids"), "a") as f:
    f.write(f"{os.getpid()}\n")

CSI = b"\x1b["
BAR = CSI + b"7m" + b" " * 10 + CSI + b"0m"
tty.setraw(0)
# A bar of ten reverse cells at the start of row 1 gives the cell size before any command.
os.write(1, CSI + b"2J" + CSI + b"1;1H" + BAR + b"\r\nHOST READY\r\n")

hangup = os.path.join(work, "hangup")
prompt_due = None
prompted = False
line = b""
deadline = time.monotonic() + 150
with open(os.path.join(work, "received"), "ab", buffering=0) as rec:
    while time.monotonic() < deadline and not os.path.exists(hangup):
        if prompt_due is not None and time.monotonic() >= prompt_due:
            os.write(1, b"\r\nCODE?")
            prompt_due, prompted = None, True
        ready, _, _ = select.select([0], [], [], 0.05)
        if not ready:
            continue
        data = os.read(0, 4096)
        if not data:
            break
        rec.write(data)
        for b in data:
            if b != 0x0D:
                line += bytes([b])
                continue
            if line == b"ask":
                prompt_due = time.monotonic() + 1.0
            elif line == b"1234" and not prompted:
                open(os.path.join(work, "early"), "w").close()
            elif line == b"size":
                os.write(1, b"\r\n\x1cSCREENMODE/S\x1f")
                os.write(1, CSI + b"30;81H" + BAR)
            line = b""
