#!/usr/bin/env bash
# End to end: file transfer as a user does it. The program under Wine + Xvfb is connected over
# Telnet to a host on loopback that runs lrzsz (tests/e2e/transfer_host.py):
#   ymenu  the host runs sb; the user picks Transfer > Ymodem Receive from the menu: the file
#          arrives whole in the download folder, the status window shows it part-way
#          (screenshot), and xfer.log records it;
#   yhost  the host sends the command string YRECEIVE/S and runs sb: the file arrives, and the
#          reply the host reads is "00";
#   xmenu  the user picks Transfer > Xmodem Send and names a file in the file dialog; the host's
#          rx gets it whole (0x1A padding aside), with a screenshot part-way;
#   xhost  the host sends XSEND/S with a second file's name and runs rx: the file arrives and
#          the reply is "00".
# The run has a Wine prefix of its own (E2E_WINEPREFIX overrides it), so that it can run beside
# the other Wine tests.
#
# Usage: transfer_session.sh VOVUZIVA.exe vz_settings_maker.exe ARTIFACTS_DIR
set -uo pipefail
exe=$1 maker=$2 artifacts=$3
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/e2e_lib.sh"
command -v sb >/dev/null && command -v rx >/dev/null || { echo "lrzsz is not installed"; exit 77; }
export E2E_WINEPREFIX="${E2E_WINEPREFIX:-${VZ_CACHE:-/var/cache/vovuziva}/wineprefix-e2e-transfer}"
e2e_private_prefix
E2E_WORK="$(mktemp -d /tmp/vz-e2e-XXXXXX)"
mkdir -p "$E2E_WORK/run" "$E2E_WORK/host" "$E2E_WORK/down" "$E2E_WORK/up" "$artifacts"
started=$(date +%s)
failures=()

finish() {
  e2e_stop_all
  cp "$E2E_WORK/wine.log" "$artifacts/e2e_transfer_wine.log" 2>/dev/null
  local step
  for step in ymenu yhost xmenu xhost; do
    cp "$E2E_WORK/$step.log" "$artifacts/e2e_transfer_$step.lrzsz.log" 2>/dev/null
  done
  rm -rf "$E2E_WORK"
}
trap finish EXIT
trap 'exit 1' INT TERM
fail() { failures+=("$*"); e2e_log "FAIL: $*"; }

# A folder as the program names it (Wine's Z: drive is the root).
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# The files: sizes that need several blocks and end inside one.
head -c 60001 /dev/urandom >"$E2E_WORK/host/report one.bin"
head -c 5000 /dev/urandom >"$E2E_WORK/host/second file.bin"
head -c 6000 /dev/urandom >"$E2E_WORK/up/send one.bin"
head -c 3000 /dev/urandom >"$E2E_WORK/up/send two.bin"
{
  printf 'sb\tymenu\treport one.bin\t20000\n'
  printf 'sb/S\tyhost\tsecond file.bin\t0\n'
  printf 'rx\txmenu\tgot one.bin\t2100\n'
  printf 'rx/S\txhost\tgot two.bin|%s\t0\n' "$(windows_path "$E2E_WORK/up/send two.bin")"
} >"$E2E_WORK/steps"

e2e_start_display || exit 1
cat >"$E2E_WORK/host.sh" <<SH
#!/bin/sh
exec "$E2E_PYTHON" "$here/transfer_host.py" "$E2E_WORK"
SH
chmod 755 "$E2E_WORK/host.sh"
e2e_start_telnet "$E2E_WORK/host.sh" || exit 1

# Host command strings on; the transfer log on; received files and the log in the download folder.
(cd "$E2E_WORK/run" && "$E2E_ROOT/scripts/wine-run" "$maker" wendrosta.def ReconnectMode=0 \
  SaveMode=2 RemoteCmd11=1 XferDebug=1 DownloadLock=1 \
  "DownloadDir=$(windows_path "$E2E_WORK/down/")") >"$E2E_WORK/maker.log" 2>&1 ||
  { cat "$E2E_WORK/maker.log"; echo "could not write the settings file"; exit 1; }
cp "$exe" "$E2E_WORK/run/VOVUZIVA.exe"
e2e_start_program "$E2E_WORK/run/VOVUZIVA.exe" "TELNET://127.0.0.1:$E2E_PORT"
wid=$(e2e_wait_window "127.0.0.1:$E2E_PORT" 60) ||
  { cat "$E2E_WORK/wine.log"; echo "the program's window did not appear"; exit 1; }

# wait_file NAME SECONDS: until the host writes WORK/NAME.
wait_file() {
  local _
  for _ in $(seq $(($2 * 20))); do [ -e "$E2E_WORK/$1" ] && return 0; sleep 0.05; done
  return 1
}

# menu_item UPS: Transfer > the item UPS steps up from the menu's end (there is no window
# manager, so the test gives the window the focus and clicks the first menu title itself).
menu_item() {
  e2e_focus "$wid"
  xdotool mousemove --window "$wid" 12 9 click 1
  sleep 0.4
  local keys=(Right Right Right Right Right) i
  for ((i = 0; i < $1; i++)); do keys+=(Up); done
  xdotool key --delay 60 "${keys[@]}" Return
}

# progress STEP: the status window photographed while the host holds the transfer part-way.
progress() {
  local step=$1 shot="$artifacts/e2e_transfer_$1.png" sw
  if wait_file "paused-$step" 20; then
    sw=$(xdotool search --name "Protocol Status" 2>/dev/null | head -n 1)
    sleep 0.3 # one refresh period of the figures
    local took=
    [ -n "$sw" ] && timeout 10 import -window "$sw" "$shot" 2>/dev/null && took=1
    touch "$E2E_WORK/resume-$step"
    if [ -n "$took" ]; then
      e2e_log "$step: status window part-way: $shot"
      # The bar's filled segments are the highlight colour; part-way, some but not all are.
      "$E2E_PYTHON" - "$shot" <<'PY' || fail "$step: the status window shows no progress ($shot)"
import subprocess, sys
ppm = subprocess.run(["convert", sys.argv[1], "-depth", "8", "ppm:-"], capture_output=True).stdout
magic, size, depth, pixels = ppm.split(b"\n", 3)
w, h = map(int, size.split())
best = 0
for y in range(h):
    row = pixels[y * w * 3:(y + 1) * w * 3]
    best = max(best, sum(1 for x in range(0, len(row), 3) if row[x + 2] > 150 and row[x + 2] - row[x] > 100))
print(f"progress bar: {best} highlight pixels on its fullest row of {w}")
sys.exit(0 if 0 < best < w * 0.7 else 1)
PY
    else
      fail "$step: no status window while the transfer ran"
    fi
  else
    fail "$step: the transfer never got a third of the way"
  fi
}

# same_file GOT WANT [padded]: byte-exact, or with XMODEM's 0x1A padding to a block.
same_file() {
  "$E2E_PYTHON" - "$@" <<'PY'
import sys
got, want = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
if len(sys.argv) > 3:
    ok = got[:len(want)] == want and len(got) - len(want) < 1024 and set(got[len(want):]) <= {0x1A}
else:
    ok = got == want
print(f"{sys.argv[1]}: {len(got)} bytes, {len(want)} sent")
sys.exit(0 if ok else 1)
PY
}

wait_file_of() { # STEP: the host's exit code of the step's lrzsz program
  wait_file "done-$1" 30 && cat "$E2E_WORK/done-$1"
}

# ymenu: the host's sb into Transfer > Ymodem Receive.
e2e_log "ymenu: window up after $(($(date +%s) - started)) s"
touch "$E2E_WORK/go-ymenu"
sleep 0.3
menu_item 6
progress ymenu
code=$(wait_file_of ymenu) || code=none
[ "$code" = 0 ] || fail "ymenu: sb ended with $code"
wait_file done-ymenu 1
for _ in $(seq 40); do xdotool search --name "Protocol Status" >/dev/null 2>&1 || break; sleep 0.1; done
same_file "$E2E_WORK/down/report one.bin" "$E2E_WORK/host/report one.bin" ||
  fail "ymenu: the received file differs"
# The log is written anew by each transfer: each is read right after its own.
log="$E2E_WORK/down/xfer.log"
cp "$log" "$artifacts/e2e_transfer_ymenu_xfer.log" 2>/dev/null
if grep -q "Protocol: YModem Recv" "$log" 2>/dev/null &&
  grep -q "Starting receive, File Name: .*report one.bin  File Size: 60001" "$log" &&
  grep -q "Transfer complete, Bytes Transferred: " "$log"; then
  e2e_log "ymenu: xfer.log records the receive"
else
  fail "ymenu: xfer.log does not record the receive: $(tr '\r\n' '  ' <"$log" 2>/dev/null)"
fi

# yhost: YRECEIVE/S from the host.
e2e_log "yhost: starting"
touch "$E2E_WORK/go-yhost"
code=$(wait_file_of yhost) || code=none
[ "$code" = 0 ] || fail "yhost: sb ended with $code"
wait_file reply-yhost 15
reply=$(cat "$E2E_WORK/reply-yhost" 2>/dev/null)
[ "$reply" = 00 ] || fail "yhost: the YRECEIVE/S reply is '$reply', expected 00"
same_file "$E2E_WORK/down/second file.bin" "$E2E_WORK/host/second file.bin" ||
  fail "yhost: the received file differs"

# xmenu: Transfer > Xmodem Send, the file named in the dialog, into the host's rx.
e2e_log "xmenu: starting"
menu_item 7
for _ in $(seq 50); do
  dialog=$(xdotool search --name "Open File To Send" 2>/dev/null | head -n 1)
  [ -n "$dialog" ] && break
  sleep 0.1
done
if [ -n "$dialog" ]; then
  sleep 0.5
  xdotool type --delay 20 "$(windows_path "$E2E_WORK/up/send one.bin")"
  xdotool key Return
  for _ in $(seq 50); do xdotool search --name "Protocol Status" >/dev/null 2>&1 && break; sleep 0.1; done
  touch "$E2E_WORK/go-xmenu"
  progress xmenu
  code=$(wait_file_of xmenu) || code=none
  for _ in $(seq 40); do xdotool search --name "Protocol Status" >/dev/null 2>&1 || break; sleep 0.1; done
  [ "$code" = 0 ] || fail "xmenu: rx ended with $code"
  same_file "$E2E_WORK/host/got one.bin" "$E2E_WORK/up/send one.bin" padded ||
    fail "xmenu: the file rx received differs"
  cp "$log" "$artifacts/e2e_transfer_xmenu_xfer.log" 2>/dev/null
  if grep -q "Protocol: XModem Send" "$log" 2>/dev/null &&
    grep -q "Starting transmit, File Name: .*send one.bin  File Size: 6000" "$log" &&
    grep -q "Transfer complete, Bytes Transferred: 6000" "$log"; then
    e2e_log "xmenu: xfer.log records the send"
  else
    fail "xmenu: xfer.log does not record the send: $(tr '\r\n' '  ' <"$log" 2>/dev/null)"
  fi
else
  timeout 10 import -window root "$artifacts/e2e_transfer_no_dialog.png" 2>/dev/null
  fail "xmenu: the file dialog did not open"
  touch "$E2E_WORK/go-xmenu" "$E2E_WORK/resume-xmenu"
fi

# xhost: XSEND/S from the host.
e2e_log "xhost: starting"
for _ in $(seq 40); do xdotool search --name "Protocol Status" >/dev/null 2>&1 || break; sleep 0.1; done
touch "$E2E_WORK/go-xhost"
code=$(wait_file_of xhost) || code=none
[ "$code" = 0 ] || fail "xhost: rx ended with $code"
wait_file reply-xhost 15
reply=$(cat "$E2E_WORK/reply-xhost" 2>/dev/null)
[ "$reply" = 00 ] || fail "xhost: the XSEND/S reply is '$reply', expected 00"
same_file "$E2E_WORK/host/got two.bin" "$E2E_WORK/up/send two.bin" padded ||
  fail "xhost: the file rx received differs"

timeout 10 import -window "$wid" "$artifacts/e2e_transfer_end.png" 2>/dev/null
touch "$E2E_WORK/hangup"
e2e_log "transfer: done in $(($(date +%s) - started)) s"
if ((${#failures[@]})); then
  printf '%s\n' "${failures[@]}"
  exit 1
fi
echo "transfer end to end: all checks hold"
