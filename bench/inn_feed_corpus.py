#!/usr/bin/python3
"""Feeds COUNT articles of the generated corpus to innd's transit port.

Usage: inn_feed_corpus.py CORPUS_TOOL HOST PORT GROUP FIRST COUNT

Each overview line of `orvel-corpus --group GROUP --first FIRST --count
COUNT` becomes an article with its subject, author, date, Message-ID and
References, and a body of up to 20 lines; the articles are offered in
streaming mode (TAKETHIS) without waiting for the replies, which a second
thread counts. Prints the counts of the reply codes.
"""

import socket
import subprocess
import sys
import threading


def article(fields, group):
    subject, author, date, mid, refs, lines = fields[1], fields[2], fields[3], fields[4], fields[5], fields[7]
    head = [b"Path: bench.test.invalid!not-for-mail", b"From: " + author, b"Newsgroups: " + group,
            b"Subject: " + subject, b"Date: " + date, b"Message-ID: " + mid]
    if refs:
        head.append(b"References: " + refs)
    count = min(int(lines) if lines.isdigit() else 1, 20)
    body = [b"line %d of the body" % i for i in range(max(count, 1))]
    text = b"".join((b"." + l if l.startswith(b".") else l) + b"\r\n" for l in head + [b""] + body)
    return mid, text + b".\r\n"


def main():
    tool, host, port, group, first, count = sys.argv[1:7]
    count = int(count)
    corpus = subprocess.Popen([tool, "--group", group, "--first", first, "--count", str(count)],
                              stdout=subprocess.PIPE)
    sock = socket.create_connection((host, int(port)), timeout=120)
    reader = sock.makefile("rb")
    if not reader.readline().startswith(b"2"):
        sys.exit("inn_feed_corpus: no greeting")
    sock.sendall(b"MODE STREAM\r\n")
    if not reader.readline().startswith(b"203"):
        sys.exit("inn_feed_corpus: MODE STREAM refused")
    codes = {}

    def replies():
        for _ in range(count):
            line = reader.readline()
            if not line:
                return
            codes[line[:3].decode()] = codes.get(line[:3].decode(), 0) + 1

    thread = threading.Thread(target=replies)
    thread.start()
    batch = []
    for raw in corpus.stdout:
        mid, text = article(raw.rstrip(b"\r\n").split(b"\t"), group.encode())
        batch.append(b"TAKETHIS " + mid + b"\r\n" + text)
        if len(batch) == 1000:
            sock.sendall(b"".join(batch))
            batch = []
    sock.sendall(b"".join(batch))
    thread.join()
    sock.sendall(b"QUIT\r\n")
    print("inn_feed_corpus:", " ".join(f"{k}={v}" for k, v in sorted(codes.items())))


if __name__ == "__main__":
    main()
