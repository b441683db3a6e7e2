"""The test host behind the telnet server for the file-transfer run: lrzsz's sb and rx on the far
end of the program's connection, driven step by step by files the test creates in WORKDIR.

Usage (as the program telnetd runs): transfer_host.py WORKDIR

The host owns the terminal line (raw) and relays between it and each lrzsz program over a socket
pair, so that nothing lrzsz does to a terminal touches the line and the bytes after a transfer
(a command's reply) still reach the host. Each step waits for WORKDIR/go-NAME, runs, and writes
WORKDIR/done-NAME with the program's exit code; a reply line read after it goes to
WORKDIR/reply-NAME. A relay pauses once (WORKDIR/paused-NAME) after a third of the file, until
WORKDIR/resume-NAME, so that the test can photograph a transfer in progress.
"""
import os
import re
import select
import signal
import socket
import subprocess
import sys
import time
import tty

work = sys.argv[1]
files = os.path.join(work, "host")
with open(os.path.join(work, "host.pids"), "a") as f:
    f.write(f"{os.getpid()}\n")
tty.setraw(0)
os.write(1, b"TRANSFER HOST READY\r\n")
child = None


def stop(*_):
    if child and child.poll() is None:
        child.kill()
    sys.exit(0)


signal.signal(signal.SIGTERM, stop)


def path(name):
    return os.path.join(work, name)


def wait_for(name, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if os.path.exists(path(name)):
            return True
        # Whatever the terminal sends meanwhile is not for any program.
        if select.select([0], [], [], 0.02)[0] and not os.read(0, 4096):
            stop()
    return False


def note(name, text):
    with open(path(name + ".tmp"), "w") as f:
        f.write(text)
    os.rename(path(name + ".tmp"), path(name))


def relay(step, argv, pause_after):
    """Runs argv with a socket pair as its standard input and output, relayed to the line."""
    global child
    ours, theirs = socket.socketpair()
    with open(path(step + ".log"), "w") as log:
        child = subprocess.Popen(argv, cwd=files, stdin=theirs, stdout=theirs, stderr=log)
    theirs.close()
    moved = 0
    paused = False
    heard = bytearray()
    end = time.monotonic() + 60
    while time.monotonic() < end:
        if not paused and pause_after and moved >= pause_after:
            paused = True
            note("paused-" + step, "")
            wait_for("resume-" + step, 15)
        ready, _, _ = select.select([0, ours], [], [], 0.05)
        if 0 in ready:
            data = os.read(0, 65536)
            if not data:
                stop()
            moved += len(data)
            heard += data
            try:
                ours.sendall(data)
            except OSError:
                pass
        if ours in ready:
            data = ours.recv(65536)
            if not data:
                break
            moved += len(data)
            os.write(1, data)
    ours.close()
    try:
        code = child.wait(5)
    except subprocess.TimeoutExpired:
        child.kill()
        code = -1
    note("done-" + step, str(code))
    return heard


def read_reply(step, heard, seconds):
    """A command's reply: the line the terminal sends last, once the transfer is over. It may
    come while the relay still runs, so what the terminal sent during it counts too."""
    heard = bytearray(heard)
    end = time.monotonic() + seconds
    while time.monotonic() < end and not heard.rstrip(b"\n\0").endswith(b"\r"):
        if select.select([0], [], [], 0.05)[0]:
            data = os.read(0, 4096)
            if not data:
                break
            heard += data
    found = re.findall(rb"([\x20-\x7e]*)\r", bytes(heard))
    note("reply-" + step, found[-1].decode("latin-1") if found else "")


def host_command(text):
    """A command string for the terminal to run: DC1, the command, US."""
    os.write(1, b"\x11" + text.encode("latin-1") + b"\x1f")


for line in open(path("steps")):
    kind, step, arg, pause = line.rstrip("\n").split("\t")
    if not wait_for("go-" + step, 90):
        stop()
    if kind == "sb":  # the user starts the receive from the menu
        relay(step, ["sb", "-b", "-k", arg], int(pause))
    elif kind == "rx":  # the user starts the send from the menu
        relay(step, ["rx", "-b", "-c", arg], int(pause))
    elif kind == "sb/S":  # the host asks for a YMODEM receive and reads the reply
        host_command("YRECEIVE/S")
        read_reply(step, relay(step, ["sb", "-b", "-k", arg], 0), 10)
    elif kind == "rx/S":  # the host asks for the file named after the tab and reads the reply
        name, _, windows = arg.partition("|")
        host_command('XSEND/S "' + windows + '"')
        time.sleep(0.3)
        read_reply(step, relay(step, ["rx", "-b", "-c", name], 0), 10)

wait_for("hangup", 120)
os.write(1, b"BYE\r\n")
time.sleep(0.3)
