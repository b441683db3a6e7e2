#!/bin/sh
# The test host for the automatic ZMODEM receive, as the program telnetd runs (with the work
# folder as its argument): once the test says go, it prints a line, sends host/report.bin with sz
# and asks for a line back, which it keeps in WORK/typed.
work=$1
echo $$ >>"$work/host.pids"
i=0
while [ ! -e "$work/go" ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done
printf 'before the transfer\r\n'
# sz's output is paced to about 1 MB/s, so that the transfer lasts long enough for a picture.
cd "$work/host" && sz -q report.bin | /usr/bin/python3 -c '
import os, time
start, sent = time.monotonic(), 0
while True:
    chunk = os.read(0, 16384)
    if not chunk:
        break
    os.write(1, chunk)
    sent += len(chunk)
    time.sleep(max(0.0, start + sent / 1e6 - time.monotonic()))
'
printf 'after the transfer, type: '
read -r line
printf '%s\n' "$line" >"$work/typed"
printf '\r\nthe host read: %s\r\n' "$line"
sleep 30
