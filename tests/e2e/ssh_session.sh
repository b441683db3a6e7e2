#!/usr/bin/env bash
# End to end: the program under Wine + Xvfb started as a user starts it, with
# "SSH://user@127.0.0.1:PORT", against OpenSSH's sshd on loopback (its own configuration, host key,
# free port and test user). The host-key question is answered, the password typed into the login
# dialog, and a typed command's output is looked for on a screenshot; the shell's exit ends the
# program. A second start asks no host-key question: the key was kept.
#
# Usage: ssh_session.sh VOVUZIVA.exe vz_settings_maker.exe ARTIFACTS_DIR
# Needs root (the test user) and /usr/sbin/sshd; without them it exits 77 (skipped), or fails when
# VZ_REQUIRE_PEERS=1.
set -uo pipefail
exe=$1 maker=$2 artifacts=$3
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/e2e_lib.sh"
if [ "$(id -u)" != 0 ] || [ ! -x /usr/sbin/sshd ] || ! command -v ssh-keygen >/dev/null; then
  echo "sshd, ssh-keygen and root are needed" >&2
  [ "${VZ_REQUIRE_PEERS:-}" = 1 ] && exit 1
  exit 77
fi
e2e_private_prefix
E2E_WORK="$(mktemp -d /tmp/vz-e2e-XXXXXX)"
chmod 755 "$E2E_WORK"
mkdir -p "$E2E_WORK/run" "$artifacts"
started=$(date +%s)
user="vzsshe$$"
password="pw$RANDOM$RANDOM"
sshd_pid=
failures=()

finish() {
  e2e_stop_all
  if [ -n "$sshd_pid" ]; then kill "$sshd_pid" 2>/dev/null; wait "$sshd_pid" 2>/dev/null; fi
  userdel "$user" >/dev/null 2>&1
  cp "$E2E_WORK/wine.log" "$artifacts/e2e_ssh_wine.log" 2>/dev/null
  cp "$E2E_WORK/sshd.log" "$artifacts/e2e_ssh_sshd.log" 2>/dev/null
  rm -rf "$E2E_WORK"
}
trap finish EXIT
trap 'exit 1' INT TERM
fail() { failures+=("$*"); e2e_log "FAIL: $*"; }

# The server: a user with a password, a DSA host key and the algorithms the client offers.
useradd -M -d "$E2E_WORK" -s /bin/sh "$user" >/dev/null 2>&1 &&
  echo "$user:$password" | chpasswd || { echo "could not make the test user"; exit 1; }
ssh-keygen -q -t dsa -N '' -f "$E2E_WORK/hk_dsa" >/dev/null 2>&1 || { echo "no host key"; exit 1; }
port=$(e2e_free_port)
cat >"$E2E_WORK/sshd_config" <<CONF
Port $port
ListenAddress 127.0.0.1
HostKey $E2E_WORK/hk_dsa
HostKeyAlgorithms +ssh-dss
KexAlgorithms +diffie-hellman-group1-sha1
Ciphers +3des-cbc
MACs +hmac-md5,hmac-sha1
PasswordAuthentication yes
UsePAM no
PidFile $E2E_WORK/sshd.pid
StrictModes no
PrintMotd no
PrintLastLog no
CONF
mkdir -p /run/sshd
/usr/sbin/sshd -D -e -f "$E2E_WORK/sshd_config" 2>"$E2E_WORK/sshd.log" &
sshd_pid=$!
hex=$(printf '%04X' "$port")
for i in $(seq 250); do
  grep -q "0100007F:$hex 00000000:0000 0A" /proc/net/tcp 2>/dev/null && break
  [ "$i" = 250 ] && { cat "$E2E_WORK/sshd.log"; echo "sshd did not start listening"; exit 1; }
  sleep 0.02
done

e2e_start_display || exit 1
# SaveMode 2: nothing is asked at the end; ReconnectMode 0: the end of the session ends the program.
(cd "$E2E_WORK/run" && "$E2E_ROOT/scripts/wine-run" "$maker" wendrosta.def ReconnectMode=0 \
  SaveMode=2) >"$E2E_WORK/maker.log" 2>&1 ||
  { cat "$E2E_WORK/maker.log"; echo "could not write the settings file"; exit 1; }
cp "$exe" "$E2E_WORK/run/VOVUZIVA.exe"

# Waits for the first of the windows named; prints "NAME ID". Fails when the program ends.
wait_for() {
  local seconds=$1 name wid _
  shift
  for _ in $(seq $((seconds * 10))); do
    for name in "$@"; do
      wid=$(xdotool search --name "$name" 2>/dev/null | head -n 1 || true)
      [ -n "$wid" ] && { echo "$name $wid"; return 0; }
    done
    kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Types into the login dialog: the user name over the one the command line gave, the password, OK.
log_in() {
  local wid=$1
  e2e_focus "$wid"
  sleep 0.3
  xdotool type --delay 15 "$user"
  xdotool key Tab
  xdotool type --delay 15 "$password"
  xdotool key Return
}

shot_runs() {
  import -window "$1" "$2" 2>/dev/null &&
    convert "$2" -depth 8 "$E2E_WORK/shot.ppm" 2>/dev/null &&
    "$E2E_PYTHON" "$here/run_probe.py" "$E2E_WORK/shot.ppm"
}

e2e_log "ssh: starting the program against $user@127.0.0.1:$port"
e2e_start_program "$E2E_WORK/run/VOVUZIVA.exe" "SSH://$user@127.0.0.1:$port"

# (a) The host key is new: the question comes first; Return gives its default answer, Yes
# (accept and keep).
got=$(wait_for 40 "SSH Security Warning" "Login and Password") ||
  { cat "$E2E_WORK/wine.log"; echo "neither the host-key question nor the login dialog came"; exit 1; }
if [ "${got% *}" = "SSH Security Warning" ]; then
  e2e_log "the host-key question came; answering Yes"
  e2e_focus "${got##* }"
  sleep 0.3
  xdotool key Return
  got=$(wait_for 20 "Login and Password") || { echo "no login dialog after the question"; exit 1; }
else
  fail "the program asked no host-key question for a new host"
fi

# (b) The password is typed into the login dialog.
e2e_log "the login dialog came; typing the password"
log_in "${got##* }"
wid=$(e2e_wait_window "127.0.0.1" 30) || { echo "the terminal window did not appear"; exit 1; }
for _ in $(seq 50); do
  grep -q "Accepted password for $user" "$E2E_WORK/sshd.log" && break
  sleep 0.1
done
grep -q "Accepted password for $user" "$E2E_WORK/sshd.log" || fail "sshd accepted no password"

# (c) A typed command draws two reverse-video runs, 40 and 20 cells long: they are on the screen,
# in the ratio 2, where the typed line itself shows only text.
sleep 0.5
e2e_focus "$wid"
xdotool mousemove --window "$wid" 20 200 click 1 2>/dev/null || true
sleep 0.3
xdotool type --delay 15 "printf '\\033[7m%40s\\033[0m\\n\\033[7m%20s\\033[0m\\n' '' ''"
xdotool key Return
shot="$artifacts/e2e_ssh.png"
seen=
for _ in $(seq 20); do
  sleep 0.5
  runs=$(shot_runs "$wid" "$shot") || continue
  long=$(awk 'NR == 1 {print $2}' <<<"$runs")
  short=$(awk 'NR == 2 {print $2}' <<<"$runs")
  colour1=$(awk 'NR == 1 {print $4}' <<<"$runs")
  colour2=$(awk 'NR == 2 {print $4}' <<<"$runs")
  if [ -n "$short" ] && [ "$colour1" = "$colour2" ] && [ "$short" -ge 40 ] &&
    [ $((long * 10 / short)) -ge 19 ] && [ $((long * 10 / short)) -le 21 ]; then
    seen=1
    break
  fi
done
e2e_log "screenshot: $shot"
if [ -n "$seen" ]; then
  e2e_log "the command's output is on the screen: runs of $long and $short pixels"
else
  fail "the command's output is not on the screen (runs: $(tr '\n' ';' <<<"${runs:-none}"))"
fi

# (d) The shell ends: sshd closes the channel and the program ends (ReconnectMode 0).
xdotool type --delay 15 "exit"
xdotool key Return
ended=
for _ in $(seq 150); do
  kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || { ended=1; break; }
  sleep 0.1
done
[ -n "$ended" ] || fail "the program is still running 15 s after the shell ended"
e2e_stop_all

# (e) The key was kept: a second start goes straight to the login dialog.
e2e_start_display || exit 1
e2e_start_program "$E2E_WORK/run/VOVUZIVA.exe" "SSH://$user@127.0.0.1:$port"
got=$(wait_for 40 "SSH Security Warning" "Login and Password") ||
  fail "the second start showed neither the question nor the login dialog"
if [ "${got% *}" = "SSH Security Warning" ]; then
  fail "the second start asked about the host key again"
fi

e2e_log "ssh: done in $(( $(date +%s) - started )) s"
if ((${#failures[@]})); then
  printf '%s\n' "${failures[@]}"
  exit 1
fi
echo "ssh end to end: all checks hold"
