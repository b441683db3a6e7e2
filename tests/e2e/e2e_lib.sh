# Shared pieces of the end to end runs (sourced by bash scripts): a private X display, a telnet
# server on a free loopback port, the program under Wine, and stopping all of them by the ids
# they were started with. Each script sets E2E_WORK (a private folder) before using these.

E2E_ROOT="${E2E_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
E2E_PYTHON="${E2E_PYTHON:-/usr/bin/python3}"
export PYTHONDONTWRITEBYTECODE=1
E2E_XVFB_PID=
E2E_SOCAT_PID=
E2E_PROGRAM_PID=

e2e_log() { echo "[$(date +%H:%M:%S)] $*"; }

# Runs Wine in a prefix of the runs' own (made once, reused): a terminal window started in the
# shared prefix by another test may close every other copy of the program it finds there.
e2e_private_prefix() {
  export WINEPREFIX="${E2E_WINEPREFIX:-${VZ_CACHE:-/var/cache/vovuziva}/wineprefix-e2e}"
}

# Starts Xvfb on a display it picks itself and exports DISPLAY. Xvfb's own choice (-displayfd)
# holds when several runs start at once; a number chosen by looking for a free one here could be
# taken by two runs, the second Xvfb failing while its run goes on with the first one's display.
e2e_start_display() {
  local out="$E2E_WORK/display" n _
  : >"$out"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out" >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  for _ in $(seq 200); do
    n=$(tr -dc 0-9 <"$out")
    if [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=:$n
      return 0
    fi
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  kill "$E2E_XVFB_PID" 2>/dev/null
  E2E_XVFB_PID=
  echo "no X display" >&2
  return 1
}

e2e_free_port() {
  "$E2E_PYTHON" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# Starts a telnet server on loopback that runs PROGRAM (an executable without arguments) for each
# connection, without a login; sets E2E_PORT.
e2e_start_telnet() {
  local program=$1
  if ! command -v socat >/dev/null 2>&1 || [ ! -x /usr/sbin/telnetd ]; then
    echo "socat and /usr/sbin/telnetd (inetutils-telnetd) are needed" >&2
    return 1
  fi
  E2E_PORT=$(e2e_free_port)
  socat "TCP-LISTEN:$E2E_PORT,bind=127.0.0.1,reuseaddr,fork" \
    "EXEC:/usr/sbin/telnetd -h -E $program" 2>"$E2E_WORK/socat.log" &
  E2E_SOCAT_PID=$!
  local hex i=0
  hex=$(printf '%04X' "$E2E_PORT")
  while ! grep -q "0100007F:$hex 00000000:0000 0A" /proc/net/tcp 2>/dev/null; do
    i=$((i + 1))
    if [ "$i" -gt 250 ]; then echo "the telnet server did not start listening" >&2; return 1; fi
    sleep 0.02
  done
}

# The processes of the program started from E2E_WORK: Wine names the Windows program by its path
# (in its own form, so only the folder's unique name is compared).
e2e_program_pids() {
  local tag
  tag=$(basename "$E2E_WORK")
  ps -eo pid=,args= | awk -v t="$tag" 'index($0, t) && /\.exe/ && !/awk/ {print $1}'
}

# Starts EXE (a copy inside E2E_WORK/run, so that its processes can be told apart) under Wine in
# E2E_WORK/run, with the arguments given; sets E2E_PROGRAM_PID (the Wine launcher).
e2e_start_program() {
  local exe=$1; shift
  (cd "$E2E_WORK/run" && exec "$E2E_ROOT/scripts/wine-run" "$exe" "$@") >"$E2E_WORK/wine.log" 2>&1 &
  E2E_PROGRAM_PID=$!
}

# Waits up to SECONDS for a window whose name contains TEXT; prints its id.
e2e_wait_window() {
  local text=$1 seconds=$2 wid _
  for _ in $(seq $((seconds * 10))); do
    wid=$(xdotool search --name "$text" 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    if [ -n "$E2E_PROGRAM_PID" ] && ! kill -0 "$E2E_PROGRAM_PID" 2>/dev/null; then return 1; fi
    sleep 0.1
  done
  return 1
}

# Gives the window the keyboard: there is no window manager, so the test sets the X focus itself.
e2e_focus() {
  local wid=$1
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid" 2>/dev/null || true
}

# Types a list of keys: "type:TEXT" types the text, anything else is an xdotool key name.
e2e_type_keys() {
  local k
  for k in "$@"; do
    case "$k" in
      type:*) xdotool type --delay 60 "${k#type:}" ;;
      *) xdotool key --delay 60 "$k" ;;
    esac
    sleep 0.1
  done
}

# Stops the program's Wine processes (found by the program's private folder), the telnet server
# and the display; each by the id it was started with.
e2e_stop_all() {
  local pids
  if [ -n "${E2E_WORK:-}" ] && [ -d "$E2E_WORK/run" ]; then
    pids=$(e2e_program_pids || true)
    if [ -n "$pids" ]; then kill $pids 2>/dev/null || true; fi
  fi
  # Hosts still serving a connection (each wrote its id when it started).
  if [ -n "${E2E_WORK:-}" ] && [ -f "$E2E_WORK/host.pids" ]; then
    kill $(cat "$E2E_WORK/host.pids") 2>/dev/null || true
  fi
  if [ -n "$E2E_PROGRAM_PID" ]; then kill "$E2E_PROGRAM_PID" 2>/dev/null || true; fi
  if [ -n "$E2E_SOCAT_PID" ]; then kill "$E2E_SOCAT_PID" 2>/dev/null || true; fi
  if [ -n "$E2E_PROGRAM_PID" ]; then wait "$E2E_PROGRAM_PID" 2>/dev/null || true; fi
  if [ -n "$E2E_SOCAT_PID" ]; then wait "$E2E_SOCAT_PID" 2>/dev/null || true; fi
  if [ -n "$E2E_XVFB_PID" ]; then kill "$E2E_XVFB_PID" 2>/dev/null || true; fi
  E2E_PROGRAM_PID= E2E_SOCAT_PID= E2E_XVFB_PID=
  return 0
}
