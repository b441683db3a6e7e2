#!/usr/bin/python3 -W ignore
"""A small SSH-2 server for the client's tests, on python3-paramiko: Diffie-
Hellman group 1, an ssh-dss host key, the ciphers, MACs and compression
named in SSH_CIPHERS, SSH_MACS and SSH_COMP (comma-separated), password
login for one user, and a shell (/bin/sh -i on a pseudo-terminal).

Usage: legacy_ssh_server.py PORT HOSTKEY USER PASSWORD
Prints "LISTENING" once it accepts, and "AGREED <cipher> <mac> <compression>"
for each connection."""
import os
import pty
import select
import socket
import sys
import threading

import paramiko
from cryptography.hazmat.primitives.ciphers import algorithms, modes

port, hostkey_file, user, password = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]

# Blowfish in CBC mode, which paramiko does not list itself.
paramiko.Transport._cipher_info["blowfish-cbc"] = {
    "class": algorithms.Blowfish, "mode": modes.CBC, "block-size": 8, "key-size": 16}

if os.path.exists(hostkey_file):
    host_key = paramiko.DSSKey(filename=hostkey_file)
else:
    host_key = paramiko.DSSKey.generate(1024)
    host_key.write_private_key_file(hostkey_file)


def names(var, default):
    return tuple(os.environ.get(var, default).split(","))


class Server(paramiko.ServerInterface):
    def __init__(self):
        self.shell = threading.Event()

    def check_auth_password(self, username, given):
        if username == user and given == password:
            return paramiko.AUTH_SUCCESSFUL
        return paramiko.AUTH_FAILED

    def get_allowed_auths(self, username):
        return "password"

    def check_channel_request(self, kind, chanid):
        return paramiko.OPEN_SUCCEEDED if kind == "session" else \
            paramiko.OPEN_FAILED_ADMINISTRATIVELY_PROHIBITED

    def check_channel_pty_request(self, *args):
        return True

    def check_channel_shell_request(self, channel):
        self.shell.set()
        return True


def serve(conn):
    t = paramiko.Transport(conn)
    t._preferred_kex = ("diffie-hellman-group1-sha1",)
    t._preferred_keys = ("ssh-dss",)
    t._preferred_ciphers = names("SSH_CIPHERS", "blowfish-cbc,3des-cbc")
    t._preferred_macs = names("SSH_MACS", "hmac-sha1,hmac-md5")
    t._preferred_compression = names("SSH_COMP", "zlib,none")
    t.add_server_key(host_key)
    server = Server()
    try:
        t.start_server(server=server)
    except Exception as e:
        print("FAILED", e, flush=True)
        return
    chan = t.accept(20)
    if chan is None:
        return
    server.shell.wait(10)
    print("AGREED", t.local_cipher, t.local_mac, t.local_compression, flush=True)
    pid, fd = pty.fork()
    if pid == 0:
        os.execv("/bin/sh", ["/bin/sh", "-i"])
    try:
        while True:
            r, _, _ = select.select([chan, fd], [], [], 30)
            if not r:
                break
            if chan in r:
                data = chan.recv(4096)
                if not data:
                    break
                os.write(fd, data)
            if fd in r:
                try:
                    data = os.read(fd, 4096)
                except OSError:
                    break
                if not data:
                    break
                chan.sendall(data)
    finally:
        try:
            os.kill(pid, 9)
            os.waitpid(pid, 0)
        except OSError:
            pass
        chan.close()
        t.close()


listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", port))
listener.listen(5)
print("LISTENING", flush=True)
while True:
    conn, _ = listener.accept()
    threading.Thread(target=serve, args=(conn,), daemon=True).start()
