#!/bin/sh
# Runs a command with a telnet host on loopback whose shell is key_host.py:
# socat hands each connection to telnetd, which runs it instead of a login.
# The command finds the port in VZ_KEY_HOST_PORT and the file of the bytes the
# host received in VZ_KEY_HOST_LOG; socat is always stopped.
set -u
if ! command -v socat >/dev/null 2>&1 || [ ! -x /usr/sbin/telnetd ]; then
  echo "socat or /usr/sbin/telnetd is not installed; running without a host" >&2
  exec "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d /tmp/vz-keyhost-XXXXXX)
cat >"$dir/shell.sh" <<SH
#!/bin/sh
exec python3 "$here/key_host.py" "$dir/received.bin"
SH
chmod 755 "$dir/shell.sh"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
socat "TCP-LISTEN:$port,bind=127.0.0.1,reuseaddr,fork" \
  "EXEC:/usr/sbin/telnetd -h -E $dir/shell.sh" 2>"$dir/socat.log" &
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
VZ_KEY_HOST_PORT=$port VZ_KEY_HOST_LOG="$dir/received.bin" "$@"
