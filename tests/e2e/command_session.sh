#!/usr/bin/env bash
# End to end: commands run under Wine + Xvfb as a user runs them, against a scripted telnet host
# on loopback (command_host.py). Typed keys open the local command line (Alt-F) for READ of a keys
# file, FONT (larger, then smaller), SCREENMODE, SETCOLOR, TITLE and TERM; a key of the keys file plays a macro that SENDs
# to the host, WAITFORs its prompt, answers it and asks the host to query the screen mode with a
# host command string, which the program answers. Checked by two screenshots, the window's size
# and title, and the bytes the host received.
#
# Usage: command_session.sh VOVUZIVA.exe vz_settings_maker.exe ARTIFACTS_DIR
set -uo pipefail
exe=$1 maker=$2 artifacts=$3
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/e2e_lib.sh"
e2e_private_prefix
E2E_WORK="$(mktemp -d /tmp/vz-e2e-XXXXXX)"
mkdir -p "$E2E_WORK/run" "$artifacts"
started=$(date +%s)
failures=()

finish() {
  e2e_stop_all
  cp "$E2E_WORK/wine.log" "$artifacts/e2e_commands_wine.log" 2>/dev/null
  [ -f "$E2E_WORK/received" ] && cp "$E2E_WORK/received" "$artifacts/e2e_commands_received.bin"
  rm -rf "$E2E_WORK"
}
trap finish EXIT
trap 'exit 1' INT TERM
fail() { failures+=("$*"); e2e_log "FAIL: $*"; }

# The keys file: Alt-T (key 276) plays a macro whose F6s open the command line.
"$E2E_PYTHON" - "$E2E_WORK/run/SESSION.KYS" <<'PY'
import sys
f6 = b"\0@"
# After the wait the answer and the next request go out as typed keys.
macro = f6 + b'SEND "ask"|' + f6 + b"WAITFOR CODE?|" + b"1234|size|"
key = 276
open(sys.argv[1], "wb").write(b"\0\x02" + key.to_bytes(2, "little") +
                              len(macro).to_bytes(2, "little") + b"\x01" + macro)
PY

e2e_start_display || exit 1
cat >"$E2E_WORK/host.sh" <<SH
#!/bin/sh
exec "$E2E_PYTHON" "$here/command_host.py" "$E2E_WORK"
SH
chmod 755 "$E2E_WORK/host.sh"
e2e_start_telnet "$E2E_WORK/host.sh" || exit 1
# The settings file the program finds under its default name: the keys file loaded at start,
# Alt with a letter a key of the terminal rather than a menu's, nothing asked at the end.
(cd "$E2E_WORK/run" && "$E2E_ROOT/scripts/wine-run" "$maker" wendrosta.def AllowAccelerators=0 \
  KeyFileName=SESSION.KYS SaveMode=2) >"$E2E_WORK/maker.log" 2>&1 ||
  { cat "$E2E_WORK/maker.log"; echo "could not write the settings file"; exit 1; }
cp "$exe" "$E2E_WORK/run/VOVUZIVA.exe"

e2e_log "starting the program against 127.0.0.1:$E2E_PORT"
e2e_start_program "$E2E_WORK/run/VOVUZIVA.exe" "TELNET://127.0.0.1:$E2E_PORT"
wid=$(e2e_wait_window "127.0.0.1:$E2E_PORT" 40) ||
  { cat "$E2E_WORK/wine.log"; echo "the program's window did not appear"; exit 1; }

shot() {  # shot NAME: the window to artifacts/NAME.png and E2E_WORK/NAME.ppm
  import -window "$wid" "$artifacts/$1.png" 2>/dev/null &&
    convert "$artifacts/$1.png" -depth 8 "$E2E_WORK/$1.ppm" 2>/dev/null
}
width() { xdotool getwindowgeometry "$wid" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p'; }
command() {  # the local command line: Alt-F, the line, Enter
  xdotool key --delay 60 alt+f
  sleep 0.3
  xdotool type --delay 30 "$1"
  xdotool key Return
  sleep 0.5
}

# The host's first screen, with the bar that gives the text area's corner and cell size.
for _ in $(seq 40); do
  sleep 0.25
  shot e2e_commands_start &&
    "$E2E_PYTHON" "$here/command_probe.py" "$E2E_WORK/e2e_commands_start.ppm" >/dev/null && break
done
e2e_focus "$wid"
xdotool mousemove --window "$wid" 20 200 click 1 2>/dev/null || true
sleep 0.3

command "READ SESSION.KYS"
# The window grows around a larger font and shrinks back (100 columns of the larger one would not
# fit the display).
before=$(width)
command "FONT LARGER"
larger=$(width)
command "FONT SMALLER"
after=$(width)
e2e_log "window width: $before, $larger after FONT LARGER, $after after FONT SMALLER"
[ -n "$larger" ] && [ "$larger" -gt "$before" ] && [ "$after" -lt "$larger" ] ||
  fail "FONT: the window did not follow the font ($before -> $larger -> $after)"
command "SCREENMODE 100X30"
command "SETCOLOR 1EH"
command "TITLE COMMAND SESSION"
for _ in $(seq 30); do
  title=$(xdotool getwindowname "$wid" 2>/dev/null)
  [[ "$title" == *"COMMAND SESSION"* ]] && break
  sleep 0.1
done
[[ "$title" == *"COMMAND SESSION"* ]] || fail "TITLE: the window is titled '$title'"

# The keys file's macro: SEND, WAITFOR the host's prompt, the answer, and the host's query.
xdotool key alt+t
# The screen mode's answer: "C00", rows with the status row, columns twice, the mode's name.
want=$'ask\r1234\rsize\rC00031100100100X30\r'
for _ in $(seq 60); do
  [ "$(stat -c %s "$E2E_WORK/received" 2>/dev/null || echo 0)" -ge "${#want}" ] && break
  sleep 0.1
done
sleep 0.5
shot e2e_commands_end || fail "no screenshot after the commands"
"$E2E_PYTHON" "$here/command_probe.py" "$E2E_WORK/e2e_commands_start.ppm" \
  "$E2E_WORK/e2e_commands_end.ppm" || fail "the screenshots do not show the commands' effects"
[ -e "$E2E_WORK/early" ] && fail "WAITFOR: the answer reached the host before its prompt"

# The terminal type switch: the Up key now sends the WYSE60 code.
command "TERM WYSE60"
xdotool key Up
for _ in $(seq 30); do
  [ "$(stat -c %s "$E2E_WORK/received" 2>/dev/null || echo 0)" -gt "${#want}" ] && break
  sleep 0.1
done
sleep 0.3

got=$(od -An -v -tx1 "$E2E_WORK/received" 2>/dev/null | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
expected=$(printf '%s\x0b' "$want" | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
if [ "$got" = "$expected" ]; then
  e2e_log "the host received exactly: $got"
else
  fail "the host received '$got', expected '$expected'"
fi

e2e_log "commands: done in $(( $(date +%s) - started )) s"
if ((${#failures[@]})); then
  printf '%s\n' "${failures[@]}"
  exit 1
fi
echo "commands end to end: all checks hold"
