#!/usr/bin/env bash
# Throughput of the whole program against a host, next to two other terminals: a telnet host on
# loopback sends the same mixed stream (plain lines, SGR colours, cursor movement) to the program
# under Wine, to xterm (running a telnet client) and to PuTTY's GTK build, one after the other on
# the same Xvfb, and the script reports MB/s (10^6 bytes per second) for each and the ratios.
#
# Usage: bench/throughput.sh [MEGABYTES]   (20 by default)
# VZ_BENCH_CPUS: the CPUs the terminals run on (taskset list; default 4-7).
# VZ_BENCH_JUMPSCROLL: the program's JumpScroll setting (100 by default, see below).
# VZ_BENCH_TERMINALS: which of "vovuziva xterm putty" to run (all by default).
# Needs xterm, putty, inetutils-telnet, socat, inetutils-telnetd and Xvfb (scripts/setup).
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
megabytes=${1:-20}
cpus=${VZ_BENCH_CPUS:-4-7}
# The program's own scrolling setting: 100 (fast) scrolls in jumps while data waits, as xterm's
# default jump scroll does; VZ_BENCH_JUMPSCROLL=0 measures line-by-line scrolling.
jump=${VZ_BENCH_JUMPSCROLL:-100}
export VZ_CACHE="${VZ_CACHE:-/var/cache/vovuziva}"
export CCACHE_DIR="${CCACHE_DIR:-$VZ_CACHE/ccache}" CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake --preset win64 >/dev/null &&
  cmake --build --preset win64 --target vovuziva vz_settings_maker >/dev/null ||
  { echo "the win64 build failed"; exit 1; }
for tool in xterm putty telnet; do
  command -v $tool >/dev/null || { echo "$tool is not installed (scripts/setup installs it)"; exit 1; }
done

source "$ROOT/tests/e2e/e2e_lib.sh"
e2e_private_prefix
E2E_WORK="$(mktemp -d /tmp/vz-bench-XXXXXX)"
mkdir -p "$E2E_WORK/run"
term_pid=
stop_terminal() {
  if [ -n "$term_pid" ]; then kill "$term_pid" 2>/dev/null || true; wait "$term_pid" 2>/dev/null || true; fi
  term_pid=
  local pids
  pids=$(e2e_program_pids || true)
  if [ -n "$pids" ]; then kill $pids 2>/dev/null || true; fi
  if [ -n "$E2E_SOCAT_PID" ]; then kill "$E2E_SOCAT_PID" 2>/dev/null || true; wait "$E2E_SOCAT_PID" 2>/dev/null || true; fi
  E2E_SOCAT_PID=
}
cleanup() { stop_terminal; e2e_stop_all; rm -rf "$E2E_WORK"; }
trap cleanup EXIT
trap 'exit 130' INT TERM

# The stream: the same bytes for every terminal, made from a fixed seed.
"$E2E_PYTHON" - "$E2E_WORK/stream" "$megabytes" <<'PY'
import random, sys
path, total = sys.argv[1], int(float(sys.argv[2]) * 1000000)
rnd = random.Random(2026)
words = ("the quick brown fox jumps over lazy dog terminal host screen cursor colour line "
         "scroll region attribute keyboard telnet stream bytes window paint").split()
out = bytearray()
while len(out) < total:
    kind = rnd.random()
    if kind < 0.6:
        line = " ".join(rnd.choice(words) for _ in range(rnd.randint(3, 12)))
        out += line.encode() + b"\r\n"
    elif kind < 0.85:
        for _ in range(rnd.randint(2, 6)):
            fg, bg = rnd.randint(30, 37), rnd.randint(40, 47)
            bold = b"1;" if rnd.random() < 0.3 else b""
            out += b"\x1b[" + bold + b"%d;%dm" % (fg, bg) + rnd.choice(words).encode() + b"\x1b[0m "
        out += b"\r\n"
    else:
        out += b"\x1b[%d;%dH" % (rnd.randint(1, 24), rnd.randint(1, 60))
        out += " ".join(rnd.choice(words) for _ in range(rnd.randint(1, 4))).encode()
        out += rnd.choice([b"\x1b[K", b"\x1b[A", b"\x1b[2C", b"", b"\x1b[24;1H\r\n"])
open(path, "wb").write(bytes(out[:total]))
PY

e2e_start_display || exit 1
(cd "$E2E_WORK/run" && "$ROOT/scripts/wine-run" "$ROOT/build/win64/tests/vz_settings_maker.exe" \
  wendrosta.def SaveMode=2 "JumpScroll=$jump") >/dev/null 2>&1 || { echo "could not write the settings file"; exit 1; }
cp "$ROOT/build/win64/VOVUZIVA.exe" "$E2E_WORK/run/VOVUZIVA.exe"

# Runs one terminal against a fresh host; prints "MB/s method" or "failed".
measure() { # name, then the command, with PORT standing for the host's port
  local name=$1; shift
  local result="$E2E_WORK/result-$name"
  cat >"$E2E_WORK/host-$name.sh" <<SH
#!/bin/sh
VZ_BENCH_PORT=\$(cat "$E2E_WORK/port-$name") exec "$E2E_PYTHON" "$ROOT/bench/throughput_host.py" "$E2E_WORK/stream" "$result" 2>>"$E2E_WORK/host-$name.err"
SH
  chmod 755 "$E2E_WORK/host-$name.sh"
  e2e_start_telnet "$E2E_WORK/host-$name.sh" || { echo failed; return; }
  echo "$E2E_PORT" >"$E2E_WORK/port-$name"
  local args=() a
  for a in "$@"; do args+=("${a//PORT/$E2E_PORT}"); done
  (cd "$E2E_WORK/run" && exec taskset -c "$cpus" "${args[@]}") >"$E2E_WORK/$name.log" 2>&1 &
  term_pid=$!
  local i
  for i in $(seq 6000); do
    [ -s "$result" ] && break
    kill -0 "$term_pid" 2>/dev/null || break
    sleep 0.1
  done
  local alive=no
  kill -0 "$term_pid" 2>/dev/null && alive=yes
  stop_terminal
  if [ -s "$result" ]; then
    awk '{ printf "%.2f %s\n", $1 / $2 / 1000000, $3 }' "$result"
  else
    mkdir -p "$ROOT/build/win64/artifacts"
    cat "$E2E_WORK/$name.log" "$E2E_WORK/host-$name.err" "$E2E_WORK/socat.log" \
      >"$ROOT/build/win64/artifacts/throughput-$name.log" 2>/dev/null
    echo "failed (running at the end: $alive; log in build/win64/artifacts/throughput-$name.log)" >&2
    echo failed
  fi
}

echo "stream: $megabytes MB, JumpScroll $jump, terminals on CPUs $cpus, load average $(cut -d' ' -f1-3 /proc/loadavg)"
wanted=" ${VZ_BENCH_TERMINALS:-vovuziva xterm putty} "
ours=- xterm=- putty=-
[[ "$wanted" == *" vovuziva "* ]] &&
  ours=$(measure vovuziva "$ROOT/scripts/wine-run" "$E2E_WORK/run/VOVUZIVA.exe" "TELNET://127.0.0.1:PORT")
[[ "$wanted" == *" xterm "* ]] && xterm=$(measure xterm xterm -geometry 80x25 -e telnet 127.0.0.1 PORT)
[[ "$wanted" == *" putty "* ]] && putty=$(measure putty putty -telnet -P PORT 127.0.0.1)

printf '%-22s %10s  %s\n' terminal "MB/s" "end of the stream found by"
printf '%-22s %10s  %s\n' "VOVUZIVA (Wine)" ${ours}
printf '%-22s %10s  %s\n' "xterm" ${xterm}
printf '%-22s %10s  %s\n' "PuTTY (GTK)" ${putty}
o=${ours%% *} x=${xterm%% *} p=${putty%% *}
if [[ "$o" =~ ^[0-9.]+$ && "$x" =~ ^[0-9.]+$ && "$p" =~ ^[0-9.]+$ ]]; then
  awk -v o="$o" -v x="$x" -v p="$p" 'BEGIN {
    printf "ratio VOVUZIVA / xterm: %.3f\nratio VOVUZIVA / PuTTY: %.3f\n", o / x, o / p }'
fi
