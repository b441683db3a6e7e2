#!/bin/sh
# Runs a command with a telnet server on loopback: socat hands each connection
# to telnetd, which runs a fixed script (or the program named by
# VZ_TELNET_HOST) instead of a login. The port goes to the command in
# VZ_TELNET_PORT; socat is always stopped.
set -u
if ! command -v socat >/dev/null 2>&1 || [ ! -x /usr/sbin/telnetd ]; then
  echo "socat or /usr/sbin/telnetd is not installed; running without a peer" >&2
  [ "${VZ_REQUIRE_PEERS:-}" = 1 ] && exit 1
  exec "$@"
fi
dir=$(mktemp -d /tmp/vz-telnet-XXXXXX)
cat >"$dir/host.sh" <<'SH'
#!/bin/sh
stty -echo erase '^H'
printf 'READY TERM=%s\n' "$TERM"
while IFS= read -r line; do
  case "$line" in
    size) echo "SIZE $(stty size)";;
    ff) printf 'FF[\377]\n';;
    cr) printf 'A\rB\n';;
    hex*) printf 'HEX[%s]\n' "$(printf '%s' "$line" | od -An -tx1 | tr -d ' \n')";;
    quit) echo BYE; sleep 0.3; exit 0;;
    *) echo "GOT[$line]";;
  esac
done
SH
chmod 700 "$dir/host.sh"
host=${VZ_TELNET_HOST:-$dir/host.sh}
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
socat "TCP-LISTEN:$port,bind=127.0.0.1,reuseaddr,fork" \
  "EXEC:/usr/sbin/telnetd -h -E $host" 2>"$dir/socat.log" &
socat_pid=$!
cleanup() {
  kill "$socat_pid" 2>/dev/null
  wait "$socat_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT INT TERM
hex=$(printf '%04X' "$port")
i=0
while ! grep -q "0100007F:$hex 00000000:0000 0A" /proc/net/tcp 2>/dev/null; do
  i=$((i + 1))
  if [ "$i" -gt 250 ]; then echo "socat did not start listening" >&2; exit 1; fi
  sleep 0.02
done
VZ_TELNET_PORT=$port "$@"
