"""The test host behind the telnet server: sends the known screen of one terminal type, then
records every byte it receives until the test asks it to hang up.

Usage (as the program telnetd runs): screen_host.py SCREEN WORKDIR
WORKDIR/term gets the TERM the telnet server set from the client's terminal type, WORKDIR/received
the bytes typed, WORKDIR/connections one line per connection; the file WORKDIR/hangup ends it.
"""
import os
import select
import sys
import time
import tty

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import screens  # noqa: E402

name, work = sys.argv[1], sys.argv[2]
term = os.environ.get("TERM", "")
with open(os.path.join(work, "connections"), "a") as f:
    f.write(term + "\n")
with open(os.path.join(work, "host.pids"), "a") as f:
    f.write(f"{os.getpid()}\n")
with open(os.path.join(work, "term"), "w") as f:
    f.write(term)

# Raw: the typed bytes reach us as the telnet server hands them over, and ours go out unchanged.
tty.setraw(0)
os.write(1, screens.SCREENS[name][0](term))
hangup = os.path.join(work, "hangup")
scroll = os.path.join(work, "scroll")
scrolled = False
deadline = time.monotonic() + 150
with open(os.path.join(work, "received"), "ab", buffering=0) as rec:
    while time.monotonic() < deadline and not os.path.exists(hangup):
        if not scrolled and name in screens.SCROLL_SCREENS and os.path.exists(scroll):
            os.write(1, screens.SCROLL_SCREENS[name](term))
            scrolled = True
        ready, _, _ = select.select([0], [], [], 0.05)
        if ready:
            data = os.read(0, 4096)
            if not data:
                break
            rec.write(data)
