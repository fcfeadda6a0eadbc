#!/usr/bin/python3
"""The wire's floor of a header download: GROUP, then XOVER of the group's
whole range on a plain socket, reading until the terminating line.

Usage: plain_read.py PORT GROUP      (server on 127.0.0.1)
Prints "SECONDS BYTES COUNT" (COUNT from the GROUP reply); "0 0 0" when the
server does not have the group.
"""

import socket
import sys
import time


def main():
    s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=60)

    def line():
        data = b""
        while not data.endswith(b"\r\n"):
            byte = s.recv(1)
            if not byte:
                sys.exit("plain_read: connection closed")
            data += byte
        return data

    line()
    start = time.monotonic()
    s.sendall(b"GROUP %s\r\n" % sys.argv[2].encode())
    reply = line().split()
    if reply[0] != b"211":
        print("0 0 0")
        return
    s.sendall(b"XOVER %s-%s\r\n" % (reply[2], reply[3]))
    total, tail = 0, b""
    while True:
        chunk = s.recv(1 << 20)
        if not chunk:
            sys.exit("plain_read: connection closed")
        total += len(chunk)
        tail = (tail + chunk)[-5:]
        if tail == b"\r\n.\r\n":
            break
    print("%.3f %d %s" % (time.monotonic() - start, total, reply[1].decode()))


if __name__ == "__main__":
    main()
