#!/usr/bin/python3
"""A small SSH-1 (protocol 1.5) server for the client's tests, on
python3-pycryptodome: an RSA host key and server key, the session key under
both, the ciphers DES (2), triple DES (3) and Blowfish (6), CRC-checked
packets, password login for one user, optional zlib compression, a
pseudo-terminal with /bin/sh on it, and the shell's exit status.

Usage: ssh1_server.py PORT HOSTKEY USER PASSWORD
HOSTKEY is a file holding the host key; it is made when missing.
SSH1_CIPHERS (comma-separated cipher numbers, default "2,3,6") sets the
ciphers the server announces; SSH1_VERSION (default "1.5") the version it
claims.
Prints "LISTENING" once it accepts, then per connection "CLIENT <its
identification>", "CIPHER <number>",
"USER <name>", "PASSWORD ok|wrong", "PTY <term> <rows> <cols> <modes hex>",
"COMPRESSION <level>", "SHELL", "EXIT <status>" and "CONFIRMED", or
"FAILED <reason>"."""
import fcntl
import hashlib
import os
import pty
import select
import socket
import struct
import sys
import termios
import threading
import zlib

from Cryptodome.Cipher import DES, Blowfish
from Cryptodome.Util.number import getPrime, inverse, GCD

MSG_DISCONNECT = 1
SMSG_PUBLIC_KEY = 2
CMSG_SESSION_KEY = 3
CMSG_USER = 4
CMSG_AUTH_PASSWORD = 9
CMSG_REQUEST_PTY = 10
CMSG_WINDOW_SIZE = 11
CMSG_EXEC_SHELL = 12
CMSG_EXEC_CMD = 13
SMSG_SUCCESS = 14
SMSG_FAILURE = 15
CMSG_STDIN_DATA = 16
SMSG_STDOUT_DATA = 17
CMSG_EOF = 19
SMSG_EXITSTATUS = 20
MSG_IGNORE = 32
CMSG_EXIT_CONFIRMATION = 33
MSG_DEBUG = 36
CMSG_REQUEST_COMPRESSION = 37

AUTH_PASSWORD = 3
MAX_PACKET = 256 * 1024

port, hostkey_file, user, password = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
ciphers = [int(c) for c in os.environ.get("SSH1_CIPHERS", "2,3,6").split(",") if c]
version = os.environ.get("SSH1_VERSION", "1.5")
out_lock = threading.Lock()


def say(*words):
    with out_lock:
        print(*words, flush=True)


# --- RSA -----------------------------------------------------------------

def make_rsa(bits):
    """(n, e, d) with a modulus of exactly `bits` bits."""
    e = 65537
    while True:
        p, q = getPrime(bits // 2), getPrime(bits - bits // 2)
        n = p * q
        phi = (p - 1) * (q - 1)
        if p != q and n.bit_length() == bits and GCD(e, phi) == 1:
            return n, e, inverse(e, phi)


def load_host_key(path):
    if os.path.exists(path):
        with open(path) as f:
            return tuple(int(x, 16) for x in f.read().split())
    key = make_rsa(1024)
    with open(path, "w") as f:
        f.write(" ".join("%x" % v for v in key))
    return key


def nbytes(n):
    return (n.bit_length() + 7) // 8


def to_bytes(v, length=None):
    return v.to_bytes(length if length is not None else max(1, nbytes(v)), "big")


def rsa_unwrap(data, key):
    """Raw RSA decryption, then the PKCS#1 block type 2 padding removed."""
    n, _, d = key
    block = to_bytes(pow(int.from_bytes(data, "big"), d, n), nbytes(n))
    if block[0] != 0 or block[1] != 2:
        raise ValueError("bad PKCS#1 block")
    end = block.index(0, 2)
    if end < 10:
        raise ValueError("PKCS#1 padding too short")
    return block[end + 1:]


def mp(v):
    """A big number in SSH-1 form: bit count, then the bytes."""
    return struct.pack(">H", v.bit_length()) + (to_bytes(v) if v else b"")


# --- ciphers -------------------------------------------------------------

class Cbc:
    """One stateful CBC pass; DES passes chain on their own between packets."""

    def __init__(self, make, encrypt):
        self.c = make()
        self.encrypt = encrypt

    def __call__(self, data):
        return self.c.encrypt(data) if self.encrypt else self.c.decrypt(data)


def swap_words(data):
    """Each 32-bit word's bytes reversed: SSH-1 Blowfish reads little-endian words."""
    out = bytearray(len(data))
    for i in range(0, len(data), 4):
        out[i:i + 4] = data[i:i + 4][::-1]
    return bytes(out)


def make_cipher(number, key):
    """(encrypt, decrypt) for server-to-client and client-to-server data."""
    zero = bytes(8)
    if number == 2:
        enc = Cbc(lambda: DES.new(key[:8], DES.MODE_CBC, iv=zero), True)
        dec = Cbc(lambda: DES.new(key[:8], DES.MODE_CBC, iv=zero), False)
        return enc, dec
    if number == 3:
        ks = [key[0:8], key[8:16], key[16:24]]

        def des(k, e):
            return Cbc(lambda: DES.new(k, DES.MODE_CBC, iv=zero), e)

        # Three whole CBC passes (encrypt, decrypt, encrypt), each with its
        # own chaining value.
        e1, e2, e3 = des(ks[0], True), des(ks[1], False), des(ks[2], True)
        d3, d2, d1 = des(ks[2], False), des(ks[1], True), des(ks[0], False)
        return (lambda b: e3(e2(e1(b)))), (lambda b: d1(d2(d3(b))))
    if number == 6:
        enc = Cbc(lambda: Blowfish.new(key, Blowfish.MODE_CBC, iv=zero), True)
        dec = Cbc(lambda: Blowfish.new(key, Blowfish.MODE_CBC, iv=zero), False)
        return (lambda b: swap_words(enc(swap_words(b)))), (lambda b: swap_words(dec(swap_words(b))))
    raise ValueError("cipher %d" % number)


# --- CRC-32 as the packets carry it: reflected, started at 0, not inverted --

CRC_TABLE = []
for i in range(256):
    c = i
    for _ in range(8):
        c = (c >> 1) ^ 0xEDB88320 if c & 1 else c >> 1
    CRC_TABLE.append(c)


def crc32(data):
    c = 0
    for b in data:
        c = CRC_TABLE[(c ^ b) & 0xFF] ^ (c >> 8)
    return c


# --- one connection ------------------------------------------------------

class Closed(Exception):
    pass


class Connection:
    def __init__(self, sock, host_key):
        self.sock = sock
        self.host_key = host_key
        self.encrypt = self.decrypt = None
        self.compress = self.decompress = None
        self.inbuf = b""
        self.term = "dumb"

    def read(self, n):
        while len(self.inbuf) < n:
            data = self.sock.recv(65536)
            if not data:
                raise Closed("client closed")
            self.inbuf += data
        out, self.inbuf = self.inbuf[:n], self.inbuf[n:]
        return out

    def read_line(self):
        line = b""
        while not line.endswith(b"\n"):
            line += self.read(1)
            if len(line) > 255:
                raise Closed("identification too long")
        return line

    def recv_packet(self):
        length = struct.unpack(">I", self.read(4))[0]
        if length < 5 or length > MAX_PACKET:
            raise Closed("bad packet length %d" % length)
        padding = 8 - length % 8
        body = self.read(padding + length)
        if self.decrypt:
            body = self.decrypt(body)
        if crc32(body[:-4]) != struct.unpack(">I", body[-4:])[0]:
            raise Closed("bad CRC")
        payload = body[padding:-4]
        if self.decompress:
            payload = self.decompress.decompress(payload)
        kind = payload[0]
        if kind in (MSG_IGNORE, MSG_DEBUG):
            return self.recv_packet()
        return kind, payload[1:]

    def send_packet(self, kind, data=b""):
        payload = bytes([kind]) + data
        if self.compress:
            payload = self.compress.compress(payload) + self.compress.flush(zlib.Z_PARTIAL_FLUSH)
        length = len(payload) + 4
        padding = os.urandom(8 - length % 8)
        body = padding + payload
        body += struct.pack(">I", crc32(body))
        if self.encrypt:
            body = self.encrypt(body)
        self.sock.sendall(struct.pack(">I", length) + body)

    def run(self):
        self.sock.sendall(("SSH-%s-VzTestServer\n" % version).encode())
        line = self.read_line()
        say("CLIENT", line.decode(errors="replace").rstrip("\r\n"))
        if not line.startswith(b"SSH-1."):
            raise Closed("client speaks %r" % line)
        self.key_exchange()
        self.authenticate()
        self.prepare_and_serve()

    def key_exchange(self):
        server_key = make_rsa(768)
        cookie = os.urandom(8)
        mask = sum(1 << c for c in ciphers)
        (sn, se, _), (hn, he, _) = server_key, self.host_key
        self.send_packet(SMSG_PUBLIC_KEY, cookie +
                         struct.pack(">I", sn.bit_length()) + mp(se) + mp(sn) +
                         struct.pack(">I", hn.bit_length()) + mp(he) + mp(hn) +
                         struct.pack(">III", 0, mask, 1 << AUTH_PASSWORD))
        kind, data = self.recv_packet()
        if kind != CMSG_SESSION_KEY:
            raise Closed("expected the session key, got %d" % kind)
        number = data[0]
        if data[1:9] != cookie:
            raise Closed("cookie mismatch")
        bits = struct.unpack(">H", data[9:11])[0]
        encrypted = data[11:11 + (bits + 7) // 8]
        if number not in ciphers:
            raise Closed("cipher %d not offered" % number)
        # The key with the smaller modulus was applied first, so it comes off last.
        inner, outer = (server_key, self.host_key) if sn < hn else (self.host_key, server_key)
        session_key = bytearray(rsa_unwrap(rsa_unwrap(encrypted, outer), inner))
        if len(session_key) != 32:
            raise Closed("session key of %d bytes" % len(session_key))
        session_id = hashlib.md5(to_bytes(hn) + to_bytes(sn) + cookie).digest()
        for i in range(16):
            session_key[i] ^= session_id[i]
        self.encrypt, self.decrypt = make_cipher(number, bytes(session_key))
        say("CIPHER", number)
        self.send_packet(SMSG_SUCCESS)

    def authenticate(self):
        kind, data = self.recv_packet()
        if kind != CMSG_USER:
            raise Closed("expected the user name, got %d" % kind)
        name = data[4:4 + struct.unpack(">I", data[:4])[0]].decode(errors="replace")
        say("USER", name)
        self.send_packet(SMSG_FAILURE)
        while True:
            kind, data = self.recv_packet()
            if kind == CMSG_AUTH_PASSWORD:
                given = data[4:4 + struct.unpack(">I", data[:4])[0]]
                # Some clients pad the password with NULs to hide its length;
                # like a C string, it ends at the first NUL.
                given = given.split(b"\0", 1)[0].decode(errors="replace")
                if name == user and given == password:
                    say("PASSWORD ok")
                    self.send_packet(SMSG_SUCCESS)
                    return
                say("PASSWORD wrong")
            self.send_packet(SMSG_FAILURE)

    def prepare_and_serve(self):
        size = None
        while True:
            kind, data = self.recv_packet()
            if kind == CMSG_REQUEST_PTY:
                n = struct.unpack(">I", data[:4])[0]
                term = data[4:4 + n].decode(errors="replace")
                rows, cols, _, _ = struct.unpack(">IIII", data[4 + n:20 + n])
                size = (rows, cols)
                self.term = term
                say("PTY", term, rows, cols, data[20 + n:].hex())
                self.send_packet(SMSG_SUCCESS)
            elif kind == CMSG_REQUEST_COMPRESSION:
                level = struct.unpack(">I", data[:4])[0]
                say("COMPRESSION", level)
                # The answer still goes uncompressed; both directions switch after it.
                self.send_packet(SMSG_SUCCESS)
                self.compress = zlib.compressobj(level)
                self.decompress = zlib.decompressobj()
            elif kind == CMSG_WINDOW_SIZE:
                size = struct.unpack(">II", data[:8])
            elif kind in (CMSG_EXEC_SHELL, CMSG_EXEC_CMD):
                command = None
                if kind == CMSG_EXEC_CMD:
                    command = data[4:4 + struct.unpack(">I", data[:4])[0]].decode()
                say("SHELL")
                return self.serve(size, command)
            else:
                self.send_packet(SMSG_FAILURE)

    def serve(self, size, command):
        pid, fd = pty.fork()
        if pid == 0:
            env = dict(os.environ, PS1="$ ", TERM=self.term)
            if command is None:
                os.execve("/bin/sh", ["/bin/sh", "-i"], env)
            os.execve("/bin/sh", ["/bin/sh", "-c", command], env)

        def resize(rows, cols):
            fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))

        if size:
            resize(*size)
        status = None
        try:
            while True:
                r, _, _ = select.select([self.sock, fd], [], [], 0 if self.inbuf else 60)
                if not r and not self.inbuf:
                    raise Closed("idle for a minute")
                if self.sock in r or self.inbuf:
                    kind, data = self.recv_packet()
                    if kind == CMSG_STDIN_DATA:
                        os.write(fd, data[4:4 + struct.unpack(">I", data[:4])[0]])
                    elif kind == CMSG_WINDOW_SIZE:
                        resize(*struct.unpack(">II", data[:8]))
                    elif kind == CMSG_EOF:
                        os.write(fd, b"\x04")
                    elif kind == MSG_DISCONNECT:
                        raise Closed("client disconnected")
                if fd in r:
                    try:
                        data = os.read(fd, 4096)
                    except OSError:
                        data = b""
                    if not data:
                        break
                    self.send_packet(SMSG_STDOUT_DATA, struct.pack(">I", len(data)) + data)
            _, raw = os.waitpid(pid, 0)
            pid = None
            status = os.waitstatus_to_exitcode(raw) & 0xFF
            say("EXIT", status)
            self.send_packet(SMSG_EXITSTATUS, struct.pack(">I", status))
            kind, _ = self.recv_packet()
            if kind == CMSG_EXIT_CONFIRMATION:
                say("CONFIRMED")
        finally:
            if pid:
                try:
                    os.kill(pid, 9)
                    os.waitpid(pid, 0)
                except OSError:
                    pass
            os.close(fd)


def serve(sock, host_key):
    try:
        Connection(sock, host_key).run()
    except (Closed, ValueError, OSError, struct.error, zlib.error, IndexError) as e:
        say("FAILED", e)
    finally:
        sock.close()


host_key = load_host_key(hostkey_file)
listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", port))
listener.listen(5)
say("LISTENING")
while True:
    conn, _ = listener.accept()
    threading.Thread(target=serve, args=(conn, host_key), daemon=True).start()
