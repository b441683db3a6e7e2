#!/usr/bin/env bash
# Throughput of the whole program against a host, next to four other terminals: a telnet host on
# loopback sends the same streams to the program under Wine, to xterm, rxvt-unicode and st (each
# running a telnet client) and to PuTTY's GTK build, one after the other on the same Xvfb with
# the same 80x25 window, and the script reports MB/s (10^6 bytes per second) for each terminal
# and stream (the median of the runs), the program's peak memory and the ratios.
#
# Usage: bench/throughput.sh [MEGABYTES]   (20 by default: the size of every stream)
# VZ_BENCH_CPUS: the CPUs the terminals run on (taskset list; default 4-7).
# VZ_BENCH_JUMPSCROLL: the program's JumpScroll setting (100 by default, see below).
# VZ_BENCH_TERMINALS: which of "vovuziva xterm urxvt st putty" to run (all by default).
# VZ_BENCH_STREAMS: which of "mixed plain cursor utf8 region" (all by default; see
#   bench/throughput_streams.py).
# VZ_BENCH_RUNS: runs per terminal and stream (1 by default); the median is reported.
# VZ_BENCH_EXE: the program to measure instead of a fresh build of this tree (to compare builds).
# Needs xterm, rxvt-unicode, stterm, putty, inetutils-telnet, socat, inetutils-telnetd and Xvfb.
# The body is one block, so that bash has read all of it before it runs: the script may be
# edited while a long run goes on.
{
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
megabytes=${1:-20}
cpus=${VZ_BENCH_CPUS:-4-7}
runs=${VZ_BENCH_RUNS:-1}
streams=${VZ_BENCH_STREAMS:-mixed plain cursor utf8 region}
# The program's own scrolling setting: 100 (fast) scrolls in jumps while data waits, as xterm's
# default jump scroll does; VZ_BENCH_JUMPSCROLL=0 measures line-by-line scrolling.
jump=${VZ_BENCH_JUMPSCROLL:-100}
export VZ_CACHE="${VZ_CACHE:-/var/cache/vovuziva}"
export CCACHE_DIR="${CCACHE_DIR:-$VZ_CACHE/ccache}" CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
exe=${VZ_BENCH_EXE:-$ROOT/build/win64/VOVUZIVA.exe}
if [ -z "${VZ_BENCH_EXE:-}" ]; then
  targets=(--target vovuziva vz_settings_maker)
else
  targets=(--target vz_settings_maker)
fi
cmake --preset win64 >/dev/null && cmake --build --preset win64 "${targets[@]}" >/dev/null ||
  { echo "the win64 build failed"; exit 1; }
wanted=" ${VZ_BENCH_TERMINALS:-vovuziva xterm urxvt st putty} "
need=(telnet)
[[ "$wanted" == *" xterm "* ]] && need+=(xterm)
[[ "$wanted" == *" urxvt "* ]] && need+=(urxvt)
[[ "$wanted" == *" st "* ]] && need+=(st)
[[ "$wanted" == *" putty "* ]] && need+=(putty)
for tool in "${need[@]}"; do
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

for s in $streams; do
  "$E2E_PYTHON" "$ROOT/bench/throughput_streams.py" "$s" "$megabytes" "$E2E_WORK/stream-$s" ||
    { echo "could not make the stream $s"; exit 1; }
done

e2e_start_display || exit 1
# One settings file for the streams in a single-byte set, one for the UTF-8 stream (the host
# character set UTF-8, as the other terminals take it in a UTF-8 locale). The code page alone
# is not enough: the set kind must name the code page too (14), or the bytes are read as a
# single-byte set and the C1 range of the UTF-8 text as controls.
for set in default utf8; do
  mkdir -p "$E2E_WORK/run-$set"
  extra=()
  [ $set = utf8 ] && extra=(CodePage=262144 CharsetKind=14)
  (cd "$E2E_WORK/run-$set" && "$ROOT/scripts/wine-run" "$ROOT/build/win64/tests/vz_settings_maker.exe" \
    wendrosta.def SaveMode=2 "JumpScroll=$jump" "${extra[@]}") >/dev/null 2>&1 ||
    { echo "could not write the settings file"; exit 1; }
done
cp "$exe" "$E2E_WORK/run/VOVUZIVA.exe" || exit 1

# The highest resident size (kB) of the processes given, read while they still run.
peak_kb() {
  local pid best=0 v
  for pid in "$@"; do
    v=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    [[ "$v" =~ ^[0-9]+$ ]] && [ "$v" -gt "$best" ] && best=$v
  done
  echo "$best"
}

# Runs one terminal against a fresh host sending one stream; prints "MB/s method peak-kB" or
# "failed".
measure() { # name, stream, then the command, with PORT standing for the host's port and RUNDIR
  # for the program's folder
  local name=$1 stream=$2; shift 2
  local tag="$name-$stream"
  local result="$E2E_WORK/result-$tag"
  rm -f "$result"
  cat >"$E2E_WORK/host-$tag.sh" <<HOST
#!/bin/sh
VZ_BENCH_PORT=\$(cat "$E2E_WORK/port-$tag") exec "$E2E_PYTHON" "$ROOT/bench/throughput_host.py" "$E2E_WORK/stream-$stream" "$result" 2>>"$E2E_WORK/host-$tag.err"
HOST
  chmod 755 "$E2E_WORK/host-$tag.sh"
  e2e_start_telnet "$E2E_WORK/host-$tag.sh" || { echo failed; return; }
  echo "$E2E_PORT" >"$E2E_WORK/port-$tag"
  local dir="$E2E_WORK/run"
  if [ "$name" = vovuziva ]; then
    dir="$E2E_WORK/run-default"
    [ "$stream" = utf8 ] && dir="$E2E_WORK/run-utf8"
    cp "$E2E_WORK/run/VOVUZIVA.exe" "$dir/VOVUZIVA.exe"
  fi
  local args=() a
  for a in "$@"; do a=${a//PORT/$E2E_PORT}; args+=("${a//RUNDIR/$dir}"); done
  (cd "$dir" && LANG=C.UTF-8 LC_ALL=C.UTF-8 exec taskset -c "$cpus" "${args[@]}") \
    >"$E2E_WORK/$tag.log" 2>&1 &
  term_pid=$!
  local i peak=0 p
  for i in $(seq 6000); do
    [ -s "$result" ] && break
    kill -0 "$term_pid" 2>/dev/null || break
    # The program runs as a Wine process of its own, the others as the process started here.
    if [ "$name" = vovuziva ]; then p=$(peak_kb $(e2e_program_pids)); else p=$(peak_kb "$term_pid"); fi
    [ "$p" -gt "$peak" ] && peak=$p
    sleep 0.1
  done
  if [ "$name" = vovuziva ]; then p=$(peak_kb $(e2e_program_pids)); else p=$(peak_kb "$term_pid"); fi
  [ "$p" -gt "$peak" ] && peak=$p
  local alive=no
  kill -0 "$term_pid" 2>/dev/null && alive=yes
  stop_terminal
  if [ -s "$result" ]; then
    awk -v k="$peak" '{ printf "%.2f %s %d\n", $1 / $2 / 1000000, $3, k }' "$result"
  else
    mkdir -p "$ROOT/build/win64/artifacts"
    cat "$E2E_WORK/$tag.log" "$E2E_WORK/host-$tag.err" "$E2E_WORK/socat.log" \
      >"$ROOT/build/win64/artifacts/throughput-$tag.log" 2>/dev/null
    echo "failed (running at the end: $alive; log in build/win64/artifacts/throughput-$tag.log)" >&2
    echo failed
  fi
}

command_of() { # terminal name: its command line, PORT standing for the host's port
  case $1 in
    vovuziva) echo "$ROOT/scripts/wine-run RUNDIR/VOVUZIVA.exe TELNET://127.0.0.1:PORT" ;;
    xterm) echo "xterm -geometry 80x25 -e telnet -8 127.0.0.1 PORT" ;;
    urxvt) echo "urxvt -fn xft:DejaVu_Sans_Mono:size=10 -geometry 80x25 -e telnet -8 127.0.0.1 PORT" ;;
    st) echo "st -f DejaVu_Sans_Mono:size=10 -g 80x25 -e telnet -8 127.0.0.1 PORT" ;;
    putty) echo "putty -geometry 80x25 -telnet -P PORT 127.0.0.1" ;;
  esac
}
label_of() {
  case $1 in
    vovuziva) echo "VOVUZIVA (Wine)" ;; xterm) echo xterm ;; urxvt) echo rxvt-unicode ;;
    st) echo st ;; putty) echo "PuTTY (GTK)" ;;
  esac
}

echo "streams: $megabytes MB each, JumpScroll $jump, terminals on CPUs $cpus, $runs run(s) each," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
declare -A rate method peak
terminals=()
for t in vovuziva xterm urxvt st putty; do [[ "$wanted" == *" $t "* ]] && terminals+=("$t"); done
for s in $streams; do
  for t in "${terminals[@]}"; do
    figures=() m=- k=0
    for ((r = 0; r < runs; r++)); do
      read -r -a cmd <<<"$(command_of $t)"
      # Font names carry no spaces on the command line above; they get them back here.
      for i in "${!cmd[@]}"; do cmd[$i]=${cmd[$i]//DejaVu_Sans_Mono/DejaVu Sans Mono}; done
      out=$(measure "$t" "$s" "${cmd[@]}")
      [ "$out" = failed ] && continue
      read -r f m kk <<<"$out"
      figures+=("$f")
      [ "$kk" -gt "$k" ] && k=$kk
    done
    if [ ${#figures[@]} -gt 0 ]; then
      rate[$t,$s]=$(printf '%s\n' "${figures[@]}" | sort -g | awk '{ v[NR] = $1 } END {
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
      method[$t,$s]=$m
      peak[$t,$s]=$k
    else
      rate[$t,$s]=failed
    fi
  done
done

printf '%-16s' "MB/s"
for s in $streams; do printf ' %9s' "$s"; done
printf '   peak memory (MB, largest stream)\n'
for t in "${terminals[@]}"; do
  printf '%-16s' "$(label_of $t)"
  k=0
  for s in $streams; do
    printf ' %9s' "${rate[$t,$s]:--}"
    [ "${peak[$t,$s]:-0}" -gt "$k" ] && k=${peak[$t,$s]}
  done
  awk -v k="$k" 'BEGIN { printf "   %.1f\n", k / 1024 }'
done
echo "end of each stream found by: $(for t in "${terminals[@]}"; do for s in $streams; do
  echo "${method[$t,$s]:-}"; done; done | sort | uniq -c | awk '{ printf "%s%s (%d)", sep, $2, $1; sep = ", " }')"
if [[ "$wanted" == *" vovuziva "* ]]; then
  for s in $streams; do
    o=${rate[vovuziva,$s]:-} best=0 who=
    for t in urxvt st xterm putty; do
      v=${rate[$t,$s]:-}
      [[ "$v" =~ ^[0-9.]+$ ]] || continue
      [[ "$t" = urxvt || "$t" = st ]] || continue
      if awk -v a="$v" -v b="$best" 'BEGIN { exit !(a > b) }'; then best=$v who=$t; fi
    done
    if [[ "$o" =~ ^[0-9.]+$ && -n "$who" ]]; then
      awk -v o="$o" -v b="$best" -v s="$s" -v w="$(label_of $who)" \
        'BEGIN { printf "%-7s VOVUZIVA / the faster of st and rxvt-unicode (%s): %.2f\n", s, w, o / b }'
    fi
  done
fi
exit
}
