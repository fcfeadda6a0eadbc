#!/usr/bin/python3
"""The wire's floor of a header download: GROUP, then XOVER of the group's
whole range on a plain socket, reading until the terminating line.

Usage: plain_read.py PORT GROUP [--compress]      (server on 127.0.0.1)
With --compress the connection first turns on COMPRESS DEFLATE, so the same
compressed bytes cross the wire as in a client's compressed download, and
they are inflated as they come.
Prints "SECONDS BYTES COUNT" (BYTES as received, COUNT from the GROUP
reply); "0 0 0" when the server does not have the group.
"""

import socket
import sys
import time
import zlib


class Connection:
    def __init__(self, port):
        self.socket = socket.create_connection(("127.0.0.1", port), timeout=60)
        self.deflate = None
        self.inflate = None
        self.pending = b""
        self.received = 0

    def send(self, line):
        if self.deflate:
            line = self.deflate.compress(line) + self.deflate.flush(zlib.Z_SYNC_FLUSH)
        self.socket.sendall(line)

    def read(self):
        chunk = self.socket.recv(1 << 20)
        if not chunk:
            sys.exit("plain_read: connection closed")
        self.received += len(chunk)
        return self.inflate.decompress(chunk) if self.inflate else chunk

    def line(self):
        while b"\r\n" not in self.pending:
            # One byte at a time before compression, so that nothing the
            # server sends compressed is read as plain text.
            if self.inflate:
                self.pending += self.read()
            else:
                byte = self.socket.recv(1)
                if not byte:
                    sys.exit("plain_read: connection closed")
                self.pending += byte
        end = self.pending.index(b"\r\n") + 2
        line, self.pending = self.pending[:end], self.pending[end:]
        return line

    def compress(self):
        self.send(b"COMPRESS DEFLATE\r\n")
        if not self.line().startswith(b"206"):
            sys.exit("plain_read: the server refused COMPRESS DEFLATE")
        self.deflate = zlib.compressobj(wbits=-15)
        self.inflate = zlib.decompressobj(wbits=-15)


def main():
    conn = Connection(int(sys.argv[1]))
    conn.line()
    start = time.monotonic()
    if "--compress" in sys.argv[3:]:
        conn.compress()
    conn.received = 0
    conn.send(b"GROUP %s\r\n" % sys.argv[2].encode())
    reply = conn.line().split()
    if reply[0] != b"211":
        print("0 0 0")
        return
    conn.send(b"XOVER %s-%s\r\n" % (reply[2], reply[3]))
    tail = conn.pending[-5:]
    while tail != b"\r\n.\r\n":
        tail = (tail + conn.read())[-5:]
    print("%.3f %d %s" % (time.monotonic() - start, conn.received, reply[1].decode()))


if __name__ == "__main__":
    main()
