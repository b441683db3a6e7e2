#!/usr/bin/env bash
# End to end: vttest behind a telnet server on loopback, driven through the program under Wine +
# Xvfb by typed keys; its screens are checked by pixel probes of screenshots: the border screen
# at 80 and at 132 columns (nothing of the 80-column screen may stay) and the autowrap screen.
#
# Usage: vttest_session.sh VOVUZIVA.exe vz_settings_maker.exe ARTIFACTS_DIR
set -uo pipefail
exe=$1 maker=$2 artifacts=$3
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/e2e_lib.sh"
[ -x /usr/bin/vttest ] || { echo "vttest is not installed"; exit 77; }
e2e_private_prefix
E2E_WORK="$(mktemp -d /tmp/vz-e2e-XXXXXX)"
mkdir -p "$E2E_WORK/run" "$artifacts"
started=$(date +%s)
failures=()

finish() {
  e2e_stop_all
  cp "$E2E_WORK/wine.log" "$artifacts/e2e_vttest_wine.log" 2>/dev/null
  rm -rf "$E2E_WORK"
}
trap finish EXIT
trap 'exit 1' INT TERM
fail() { failures+=("$*"); e2e_log "FAIL: $*"; }

e2e_start_display || exit 1
cat >"$E2E_WORK/host.sh" <<SH
#!/bin/sh
exec "$E2E_PYTHON" "$here/vttest_host.py" "$E2E_WORK"
SH
chmod 755 "$E2E_WORK/host.sh"
e2e_start_telnet "$E2E_WORK/host.sh" || exit 1
(cd "$E2E_WORK/run" && "$E2E_ROOT/scripts/wine-run" "$maker" wendrosta.def \
  ReconnectMode=0 SaveMode=2) >"$E2E_WORK/maker.log" 2>&1 ||
  { cat "$E2E_WORK/maker.log"; echo "could not write the settings file"; exit 1; }
cp "$exe" "$E2E_WORK/run/VOVUZIVA.exe"
e2e_start_program "$E2E_WORK/run/VOVUZIVA.exe" "TELNET://127.0.0.1:$E2E_PORT"
wid=$(e2e_wait_window "127.0.0.1:$E2E_PORT" 40) ||
  { cat "$E2E_WORK/wine.log"; echo "the program's window did not appear"; exit 1; }

# shot NAME: a screenshot of the window as artifacts/e2e_vttest_NAME.png and $E2E_WORK/NAME.ppm.
shot() {
  import -window "$wid" "$artifacts/e2e_vttest_$1.png" 2>/dev/null &&
    convert "$artifacts/e2e_vttest_$1.png" -depth 8 "$E2E_WORK/$1.ppm" 2>/dev/null
}

# The grid, measured from the markers the host paints before vttest starts.
grid=
for _ in $(seq 30); do
  sleep 0.3
  shot markers || continue
  if "$E2E_PYTHON" "$here/pixel_probe.py" vttest "$E2E_WORK/markers.ppm" >"$E2E_WORK/probe.log"; then
    grid=$(sed -n 's/^grid //p' "$E2E_WORK/probe.log")
    break
  fi
done
cat "$E2E_WORK/probe.log"
[ -n "$grid" ] || { fail "the grid markers never showed"; exit 1; }

# probe NAME: waits (up to about 6 s) until the screen NAME's probes all hold.
probe() {
  local name=$1 _
  for _ in $(seq 20); do
    sleep 0.3
    shot "$name" || continue
    "$E2E_PYTHON" "$here/pixel_probe.py" "vttest-$name" "$E2E_WORK/$name.ppm" "$grid" \
      >"$E2E_WORK/probe.log" && { cat "$E2E_WORK/probe.log"; return 0; }
  done
  cat "$E2E_WORK/probe.log"
  fail "vttest screen $name differs (artifacts/e2e_vttest_$name.png)"
}

touch "$E2E_WORK/go"
e2e_focus "$wid"
probe menu
e2e_type_keys type:1 Return
probe border80
e2e_type_keys Return
probe border132
e2e_type_keys Return
probe autowrap80
e2e_type_keys Return
probe autowrap132

e2e_log "vttest: done in $(( $(date +%s) - started )) s"
if ((${#failures[@]})); then
  printf '%s\n' "${failures[@]}"
  exit 1
fi
echo "vttest end to end: all checks hold"
