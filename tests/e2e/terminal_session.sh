#!/usr/bin/env bash
# End to end: the program under Wine + Xvfb against a telnet host on loopback that sends a known
# screen and records every byte it receives. Checks what the window shows (pixel probes of a
# screenshot), the terminal type the host was told, the bytes typed keys send, and what the
# program does when the host hangs up.
#
# Usage: terminal_session.sh vt220|wyse60|linux VOVUZIVA.exe vz_settings_maker.exe ARTIFACTS_DIR
#   vt220:  type from the settings file; ReconnectMode 0, so the program ends on the hang-up.
#   wyse60: type from the TERM option in the program's file name; ReconnectMode 2, so it stays.
#   linux:  type from the TERM option; the host's soft reset applies the type's colours.
# E2E_RECONNECT=0|1|2 overrides the ReconnectMode of the run (1: the host must see a second
# connection). E2E_SKIP_KEYS=1 leaves out the key check (for a program whose keys do not reach the host yet).
set -uo pipefail
kind=$1 exe=$2 maker=$3 artifacts=$4
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/e2e_lib.sh"
e2e_private_prefix
E2E_WORK="$(mktemp -d /tmp/vz-e2e-XXXXXX)"
mkdir -p "$E2E_WORK/run" "$artifacts"
started=$(date +%s)
failures=()

finish() {
  e2e_stop_all
  cp "$E2E_WORK/wine.log" "$artifacts/e2e_${kind}_wine.log" 2>/dev/null
  [ -f "$E2E_WORK/received" ] && cp "$E2E_WORK/received" "$artifacts/e2e_${kind}_received.bin"
  rm -rf "$E2E_WORK"
}
trap finish EXIT
trap 'exit 1' INT TERM
fail() { failures+=("$*"); e2e_log "FAIL: $*"; }

case "$kind" in
  vt220) reconnect=0 name=VOVUZIVA.exe want_term=vt220 ;;
  wyse60) reconnect=2 name='VOVUZIVA(TERM=WYSE60).exe' want_term=wyse60 ;;
  linux) reconnect=0 name='VOVUZIVA(TERM=LINUX).exe' want_term=linux ;;
  *) echo "unknown screen $kind"; exit 2 ;;
esac
reconnect=${E2E_RECONNECT:-$reconnect}

e2e_start_display || exit 1
cat >"$E2E_WORK/host.sh" <<SH
#!/bin/sh
exec "$E2E_PYTHON" "$here/screen_host.py" $kind "$E2E_WORK"
SH
chmod 755 "$E2E_WORK/host.sh"
e2e_start_telnet "$E2E_WORK/host.sh" || exit 1

# The settings file the program finds under its default name in its working folder. SaveMode 2:
# nothing is asked at the end, so the run ends or stays exactly as ReconnectMode says.
(cd "$E2E_WORK/run" && "$E2E_ROOT/scripts/wine-run" "$maker" wendrosta.def \
  "ReconnectMode=$reconnect" SaveMode=2) >"$E2E_WORK/maker.log" 2>&1 ||
  { cat "$E2E_WORK/maker.log"; echo "could not write the settings file"; exit 1; }
cp "$exe" "$E2E_WORK/run/$name"

e2e_log "$kind: starting the program against 127.0.0.1:$E2E_PORT"
e2e_start_program "$E2E_WORK/run/$name" "TELNET://127.0.0.1:$E2E_PORT"
wid=$(e2e_wait_window "127.0.0.1:$E2E_PORT" 40) ||
  { cat "$E2E_WORK/wine.log"; echo "the program's window did not appear"; exit 1; }

# (b) What the window shows: wait until the host's screen is painted (the markers are found).
shot="$artifacts/e2e_$kind.png"
probe_ok=
for _ in $(seq 30); do
  sleep 0.5
  import -window "$wid" "$shot" 2>/dev/null || continue
  convert "$shot" -depth 8 "$E2E_WORK/shot.ppm" 2>/dev/null || continue
  "$E2E_PYTHON" "$here/pixel_probe.py" "$kind" "$E2E_WORK/shot.ppm" >"$E2E_WORK/probe.log"
  rc=$?
  [ "$rc" -eq 0 ] && { probe_ok=1; break; }
  # The markers are there but a probe fails: give the paint a moment more, then report.
done
cat "$E2E_WORK/probe.log"
[ -n "$probe_ok" ] || fail "the screenshot does not show the $kind screen ($shot)"
e2e_log "screenshot: $shot"

# The terminal type the telnet server learnt from the client.
term=$(cat "$E2E_WORK/term" 2>/dev/null || true)
if [ "${term,,}" != "$want_term" ]; then fail "the host was told TERM '$term', expected $want_term"; fi

# (a) Typed keys reach the host as the terminal type's key table gives them.
if [ "${E2E_SKIP_KEYS:-0}" != 1 ]; then
  mapfile -t keys < <("$E2E_PYTHON" -c "import sys; sys.path.insert(0, '$here'); import screens
print('\n'.join(screens.SCREENS['$kind'][3]))")
  expected_hex=$("$E2E_PYTHON" -c "import sys; sys.path.insert(0, '$here'); import screens
print(screens.SCREENS['$kind'][4].hex(' '))")
  e2e_focus "$wid"
  xdotool mousemove --window "$wid" 20 200 click 1 2>/dev/null || true
  sleep 0.3
  e2e_type_keys "${keys[@]}"
  want_len=$(wc -w <<<"$expected_hex")
  for _ in $(seq 50); do
    [ "$(stat -c %s "$E2E_WORK/received" 2>/dev/null || echo 0)" -ge "$want_len" ] && break
    sleep 0.1
  done
  sleep 0.5
  got_hex=$(od -An -v -tx1 "$E2E_WORK/received" 2>/dev/null | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
  if [ "$got_hex" = "$expected_hex" ]; then
    e2e_log "keys: the host received exactly: $got_hex"
  else
    fail "keys: expected '$expected_hex', the host received '$got_hex'"
  fi
else
  e2e_log "keys: not checked (E2E_SKIP_KEYS=1)"
fi

# Whole-screen scrolling, on a second screenshot.
if [ "$kind" = vt220 ] && [ -n "$probe_ok" ]; then
  grid=$(sed -n 's/^grid //p' "$E2E_WORK/probe.log")
  touch "$E2E_WORK/scroll"
  sleep 1.5
  if import -window "$wid" "$artifacts/e2e_${kind}_scroll.png" 2>/dev/null &&
    convert "$artifacts/e2e_${kind}_scroll.png" -depth 8 "$E2E_WORK/scroll.ppm" 2>/dev/null; then
    "$E2E_PYTHON" "$here/pixel_probe.py" "$kind-scroll" "$E2E_WORK/scroll.ppm" "$grid" ||
      fail "scrolling: the screen after thirty lines is not as expected"
  else
    fail "scrolling: no second screenshot"
  fi
fi

# (c) The host hangs up.
touch "$E2E_WORK/hangup"
if [ "$reconnect" = 0 ]; then
  ended=
  for _ in $(seq 150); do
    kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || { ended=1; break; }
    sleep 0.1
  done
  if [ -n "$ended" ]; then
    e2e_log "hang-up: the program ended (ReconnectMode 0)"
  else
    import -window root "$artifacts/e2e_${kind}_hangup.png" 2>/dev/null
    fail "hang-up: the program is still running 15 s after the host closed (ReconnectMode 0)"
  fi
elif [ "$reconnect" = 1 ]; then
  # The program opens the connection again: the host sees a second connection.
  for _ in $(seq 100); do
    [ "$(wc -l <"$E2E_WORK/connections")" -ge 2 ] && break
    sleep 0.1
  done
  if [ "$(wc -l <"$E2E_WORK/connections")" -ge 2 ] && kill -0 "$E2E_PROGRAM_PID" 2>/dev/null; then
    e2e_log "hang-up: the program connected again (ReconnectMode 1)"
  else
    fail "hang-up: no second connection within 10 s (ReconnectMode 1)"
  fi
else
  sleep 5
  title=$(xdotool getwindowname "$wid" 2>/dev/null)
  if kill -0 "$E2E_PROGRAM_PID" 2>/dev/null && [ -n "$title" ]; then
    e2e_log "hang-up: the program stays, its window titled '$title' (ReconnectMode $reconnect)"
  else
    fail "hang-up: the program ended although ReconnectMode is $reconnect"
  fi
  connections=$(wc -l <"$E2E_WORK/connections")
  [ "$connections" = 1 ] || fail "hang-up: $connections connections to the host, expected 1"
fi

e2e_log "$kind: done in $(( $(date +%s) - started )) s"
if ((${#failures[@]})); then
  printf '%s\n' "${failures[@]}"
  exit 1
fi
echo "$kind end to end: all checks hold"
