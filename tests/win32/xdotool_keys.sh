#!/usr/bin/env bash
# Real keyboard input under Xvfb: xdotool types into the key probe (tests/win32/key_probe) running
# under Wine, and the key queue entries the probe read are compared with the expected ones.
# Usage: xdotool_keys.sh PATH/TO/vz_key_probe.exe
set -euo pipefail
probe="$1"
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
title="VZ key probe $$"
xvfb_pid=
probe_pid=

cleanup() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A display of our own: the keys must reach only the probe.
for n in $(seq 150 199); do
  [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
  Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  export DISPLAY=:$n
  break
done
[ -n "$xvfb_pid" ] || { echo "no free X display"; exit 1; }

"$root/scripts/wine-run" "$probe" "Z:$work/keys.txt" "$title" >"$work/wine.log" 2>&1 &
probe_pid=$!

# The first Wine program on a display can take a while before its window exists.
wid=
for _ in $(seq 600); do
  wid="$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1 || true)"
  [ -n "$wid" ] && break
  kill -0 "$probe_pid" 2>/dev/null || { echo "the probe ended before its window appeared"; cat "$work/wine.log"; exit 1; }
  sleep 0.1
done
[ -n "$wid" ] || { echo "the probe window did not appear"; cat "$work/wine.log"; exit 1; }

# No window manager: give the window the focus ourselves and click into it, until the probe
# reports that it has the keyboard.
focused=
for _ in $(seq 40); do
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool mousemove --window "$wid" 60 60 click 1 2>/dev/null || true
  sleep 0.5
  if grep -q '^focus' "$work/keys.txt" 2>/dev/null; then focused=1; break; fi
done
[ -n "$focused" ] || { echo "the probe window never got the focus"; cat "$work/wine.log"; exit 1; }
xdotool type --delay 80 'ab1'
xdotool key --delay 80 F1 F10 Up Down Left Right Home End Prior Next Insert Delete Return \
  shift+F1 shift+Up ctrl+Right ctrl+F5 ctrl+End alt+a alt+z alt+F2 alt+Home BackSpace Escape

for _ in $(seq 300); do
  kill -0 "$probe_pid" 2>/dev/null || break
  sleep 0.1
done
wait "$probe_pid" || true
probe_pid=

# Raw queue entry and its key code: typed bytes, then F1, F10, the grey cursor block (arrows,
# Home, End, PgUp, PgDn, Ins, Del), Enter, Shift+F1, Shift+Up, Ctrl+Right, Ctrl+F5, Ctrl+End,
# Alt+A, Alt+Z, Alt+F2, Alt+Home, Backspace, Escape.
expected='0061 97
0062 98
0031 49
3B00 315
4400 324
48E0 328
50E0 336
4BE0 331
4DE0 333
47E0 327
4FE0 335
49E0 329
51E0 337
52E0 338
53E0 339
000D 13
5400 340
B8E0 440
74E0 372
6200 354
75E0 373
1E00 286
2C00 300
6900 361
97E0 407
0800 264
001B 27'
actual="$(tr -d '\r' < "$work/keys.txt" 2>/dev/null | grep -v '^focus' || true)"
if [ "$actual" != "$expected" ]; then
  echo "expected:"; echo "$expected"
  echo "received:"; echo "$actual"
  echo "wine said:"; cat "$work/wine.log"
  exit 1
fi
echo "xdotool keys: all $(echo "$expected" | wc -l) keys arrived as expected"
