"""The host of the throughput benchmark (bench/throughput.sh), run by telnetd for each terminal.

Usage: throughput_host.py STREAM RESULT
Waits until the terminal answers a device-attributes request (ESC [ c), sends the stream file,
asks again, and times from the first answer to the second: the second answer comes only after
the terminal has worked through everything before it. A terminal that does not answer is timed
to the point where the whole stream has left the telnet server and the terminal's socket holds no
unread byte. RESULT gets "bytes seconds method".
"""
import fcntl
import os
import select
import struct
import sys
import termios
import time
import tty

stream_path, result_path = sys.argv[1], sys.argv[2]
DA = b"\x1b[c"


def wait_reply(seconds):
    """True when a device-attributes reply (ESC [ ... c) arrives within the time."""
    seen = b""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        ready, _, _ = select.select([0], [], [], 0.05)
        if not ready:
            continue
        data = os.read(0, 4096)
        if not data:
            return False
        seen += data
        start = seen.find(b"\x1b[")
        if start >= 0 and b"c" in seen[start:]:
            return True
    return False


def socket_queues(port):
    """Bytes queued on the server side (to send) and the client side (unread) of the telnet
    connection, from the kernel's table of TCP sockets."""
    sent_pending = unread = 0
    with open("/proc/net/tcp") as f:
        next(f)
        for line in f:
            fields = line.split()
            local, remote, state = fields[1], fields[2], fields[3]
            tx, rx = (int(v, 16) for v in fields[4].split(":"))
            if state != "01":
                continue
            if int(local.split(":")[1], 16) == port:
                sent_pending += tx
            elif int(remote.split(":")[1], 16) == port:
                unread += rx
    return sent_pending, unread


def pty_output_pending():
    buf = fcntl.ioctl(1, termios.TIOCOUTQ, struct.pack("i", 0))
    return struct.unpack("i", buf)[0]


tty.setraw(0)
data = open(stream_path, "rb").read()
port = int(os.environ.get("VZ_BENCH_PORT", "0"))
answers = False
for _ in range(2):
    os.write(1, DA)
    if wait_reply(5):
        answers = True
        break
# A quiet moment, so that negotiation and the first paint are behind us.
time.sleep(0.5)
while select.select([0], [], [], 0)[0]:
    if not os.read(0, 4096):
        break

start = time.monotonic()
view = memoryview(data)
print(f"terminal answers: {answers}; sending {len(data)} bytes", file=sys.stderr)
while view:
    written = os.write(1, view[:65536])
    view = view[written:]
if answers:
    os.write(1, DA)
    method = "reply" if wait_reply(600) else "no reply"
else:
    # Bytes between the telnet server and the socket are not seen here, so the queues must stay
    # empty for half a second; the end is when they first became empty.
    method = "drain"
    deadline = time.monotonic() + 600
    empty_since = None
    while time.monotonic() < deadline:
        now = time.monotonic()
        if pty_output_pending() == 0 and socket_queues(port) == (0, 0):
            empty_since = empty_since or now
            if now - empty_since >= 0.5:
                break
        else:
            empty_since = None
        time.sleep(0.01)
    end = empty_since or time.monotonic()
elapsed = (end if not answers else time.monotonic()) - start
print(f"sent {len(data)} bytes in {elapsed:.3f} s ({method})", file=sys.stderr)
with open(result_path, "w") as f:
    f.write(f"{len(data)} {elapsed:.3f} {method}\n")
time.sleep(1)
