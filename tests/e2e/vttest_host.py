"""The test host for vttest behind the telnet server: paints the grid markers of the known VT220
screen so that the test can measure the cell grid, waits until the test has, then becomes vttest.

Usage (as the program telnetd runs): vttest_host.py WORKDIR
WORKDIR/host.pids gets its id; the file WORKDIR/go starts vttest.
"""
import os
import sys
import termios
import time
import tty

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import screens  # noqa: E402

work = sys.argv[1]
with open(os.path.join(work, "host.pids"), "a") as f:
    f.write(f"{os.getpid()}\n")
saved = termios.tcgetattr(0)
tty.setraw(0)
os.write(1, screens.vttest_markers())
go = os.path.join(work, "go")
deadline = time.monotonic() + 60
while not os.path.exists(go) and time.monotonic() < deadline:
    time.sleep(0.05)
termios.tcsetattr(0, termios.TCSANOW, saved)
os.execv("/usr/bin/vttest", ["vttest", "24x80.132"])
