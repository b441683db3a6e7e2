#!/bin/sh
# Runs a command with a telnet host on loopback whose shell is key_host.py
# (served by with_telnet_peer.sh). The command finds the port in
# VZ_KEY_HOST_PORT and the file of the bytes the host received in
# VZ_KEY_HOST_LOG.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d /tmp/vz-keyhost-XXXXXX)
trap 'rm -rf "$dir"' EXIT INT TERM
cat >"$dir/shell.sh" <<SH
#!/bin/sh
exec python3 "$here/key_host.py" "$dir/received.bin"
SH
chmod 755 "$dir/shell.sh"
VZ_TELNET_HOST="$dir/shell.sh" VZ_KEY_HOST_LOG="$dir/received.bin" \
  "$here/with_telnet_peer.sh" sh -c 'VZ_KEY_HOST_PORT=${VZ_TELNET_PORT:-} exec "$@"' sh "$@"
