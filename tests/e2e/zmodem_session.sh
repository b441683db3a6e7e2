#!/usr/bin/env bash
# End to end: the automatic ZMODEM receive under Wine + Xvfb. The program is connected to a telnet
# server on loopback whose host runs lrzsz's sz; the program notices the ZMODEM start on the byte
# path, receives the file into the download folder (byte-exact) and gives the keyboard back to the
# session, which the host proves by reading a typed line. A picture of the status window during
# the transfer goes to artifacts/e2e_zmodem_status.png.
#
# Usage: zmodem_session.sh VOVUZIVA.exe vz_settings_maker.exe ARTIFACTS_DIR
set -uo pipefail
exe=$1 maker=$2 artifacts=$3
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/e2e_lib.sh"
[ -x /usr/bin/sz ] || { echo "lrzsz is not installed"; exit 77; }
e2e_private_prefix
E2E_WORK="$(mktemp -d /tmp/vz-e2e-XXXXXX)"
mkdir -p "$E2E_WORK/run" "$E2E_WORK/host" "$E2E_WORK/dl" "$artifacts"
started=$(date +%s)

finish() {
  e2e_stop_all
  cp "$E2E_WORK/wine.log" "$artifacts/e2e_zmodem_wine.log" 2>/dev/null
  rm -rf "$E2E_WORK"
}
trap finish EXIT
trap 'exit 1' INT TERM

# Random bytes, every value among them, so that escaping and the Telnet doubling of 0xFF both act.
head -c 3000000 /dev/urandom >"$E2E_WORK/host/report.bin"

e2e_start_display || exit 1
cat >"$E2E_WORK/host.sh" <<SH
#!/bin/sh
exec "$here/zmodem_host.sh" "$E2E_WORK"
SH
chmod 755 "$E2E_WORK/host.sh"
e2e_start_telnet "$E2E_WORK/host.sh" || exit 1
# Wine sees the Unix root as drive Z:.
download="Z:$(echo "$E2E_WORK/dl/" | tr / '\\')"
(cd "$E2E_WORK/run" && "$E2E_ROOT/scripts/wine-run" "$maker" wendrosta.def \
  ReconnectMode=0 SaveMode=2 ZmodemAutoReceive=1 "DownloadDir=$download") \
  >"$E2E_WORK/maker.log" 2>&1 ||
  { cat "$E2E_WORK/maker.log"; echo "could not write the settings file"; exit 1; }
cp "$exe" "$E2E_WORK/run/VOVUZIVA.exe"
e2e_start_program "$E2E_WORK/run/VOVUZIVA.exe" "TELNET://127.0.0.1:$E2E_PORT"
wid=$(e2e_wait_window "127.0.0.1:$E2E_PORT" 40) ||
  { cat "$E2E_WORK/wine.log"; echo "the program's window did not appear"; exit 1; }

touch "$E2E_WORK/go"; e2e_log go
# The status window while the transfer runs.
status=
for _ in $(seq 300); do
  status=$(xdotool search --name "Protocol Status" 2>/dev/null | head -n 1 || true)
  [ -n "$status" ] && break
  sleep 0.05
done
[ -n "$status" ] || { echo "FAIL: no status window appeared"; exit 1; }
# Halfway through (the host paces the 3 MB to about 1 MB/s).
sleep 1.5
import -window "$status" "$artifacts/e2e_zmodem_status.png" 2>/dev/null ||
  { echo "FAIL: the status window closed before its picture was taken"; exit 1; }
e2e_log "status window seen after $(( $(date +%s) - started )) s"

got="$E2E_WORK/dl/report.bin"
for _ in $(seq 600); do
  cmp -s "$got" "$E2E_WORK/host/report.bin" && break
  sleep 0.1
done
cmp "$got" "$E2E_WORK/host/report.bin" || { ls -l "$E2E_WORK/dl"; echo "FAIL: the received file differs"; exit 1; }
e2e_log "received byte-exact after $(( $(date +%s) - started )) s"

# Back in the session: what is typed reaches the host again.
for _ in $(seq 100); do
  xdotool search --name "Protocol Status" >/dev/null 2>&1 || break
  sleep 0.1
done
e2e_focus "$wid"
e2e_type_keys type:back Return
for _ in $(seq 100); do
  [ -s "$E2E_WORK/typed" ] && break
  sleep 0.1
done
sleep 0.5
import -window "$wid" "$artifacts/e2e_zmodem_after.png" 2>/dev/null
[ "$(cat "$E2E_WORK/typed" 2>/dev/null)" = back ] ||
  { echo "FAIL: the host did not read the typed line (got '$(cat "$E2E_WORK/typed" 2>/dev/null)')"; exit 1; }
e2e_log "zmodem: done in $(( $(date +%s) - started )) s"
echo "ZMODEM automatic receive end to end: all checks hold"
