#!/bin/sh
# Bulk output (MEGABYTES of text through `cat`, default 50) from an sshd on
# loopback, received by this program's SSH client (native, headless) and by
# OpenSSH's ssh, both on a pseudo-terminal with the same cipher and MAC, in
# the same run. Needs root (a test user with a password) and a native build.
set -eu
MB=${1:-50}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BENCH=$ROOT/build/native/bench/bench_ssh_bulk
[ -x "$BENCH" ] || { echo "build the native preset first"; exit 1; }
DIR=$(mktemp -d /tmp/vz-sshbench-XXXXXX)
chmod 755 "$DIR"
USER_NAME=vzsshbench$$
PASSWORD=pw$$x$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
PID=
cleanup() {
  [ -n "$PID" ] && kill "$PID" 2>/dev/null || true
  userdel "$USER_NAME" >/dev/null 2>&1 || true
  rm -rf "$DIR"
}
trap cleanup EXIT INT TERM
useradd -M -d "$DIR" -s /bin/sh "$USER_NAME"
echo "$USER_NAME:$PASSWORD" | chpasswd
ssh-keygen -q -t dsa -N '' -f "$DIR/hk_dsa"
cat >"$DIR/sshd_config" <<CONF
Port $PORT
ListenAddress 127.0.0.1
HostKey $DIR/hk_dsa
HostKeyAlgorithms +ssh-dss
KexAlgorithms +diffie-hellman-group1-sha1
Ciphers +3des-cbc
MACs +hmac-md5,hmac-sha1
PasswordAuthentication yes
UsePAM no
PidFile $DIR/sshd.pid
StrictModes no
PrintMotd no
PrintLastLog no
CONF
mkdir -p /run/sshd
/usr/sbin/sshd -D -e -f "$DIR/sshd_config" 2>"$DIR/sshd.log" &
PID=$!
sleep 0.5
head -c $((MB * 1024 * 1024 * 3 / 4)) /dev/urandom | base64 -w 76 >"$DIR/data.txt"
chmod 644 "$DIR/data.txt"
printf '#!/bin/sh\necho %s\n' "$PASSWORD" >"$DIR/pw.sh"
chmod 755 "$DIR/pw.sh"
SIZE=$(stat -c %s "$DIR/data.txt")
echo "file: $SIZE bytes, cipher 3des-cbc, MAC hmac-sha1, pseudo-terminal on both"
for round in 1 2 3; do
  printf 'this client   : '
  VZ_SSH_PORT=$PORT VZ_SSH_USER=$USER_NAME VZ_SSH_PASSWORD=$PASSWORD \
    VZ_SSH_FILE=$DIR/data.txt VZ_SSH_CIPHER=3 "$BENCH"
  START=$(date +%s.%N)
  SSH_ASKPASS=$DIR/pw.sh SSH_ASKPASS_REQUIRE=force setsid -w ssh -tt -p "$PORT" \
    -c 3des-cbc -m hmac-sha1 -o KexAlgorithms=+diffie-hellman-group1-sha1 \
    -o HostKeyAlgorithms=+ssh-dss -o StrictHostKeyChecking=no \
    -o UserKnownHostsFile=/dev/null -o PubkeyAuthentication=no -o LogLevel=ERROR \
    "$USER_NAME@127.0.0.1" "cat $DIR/data.txt" </dev/null >"$DIR/ssh.out"
  END=$(date +%s.%N)
  python3 -c "import sys; s=float(sys.argv[2])-float(sys.argv[1]); n=int(sys.argv[3]); print('OpenSSH ssh   : %.3f s %.1f MB/s %d bytes' % (s, n/s/1e6, n))" \
    "$START" "$END" "$(stat -c %s "$DIR/ssh.out")"
done
