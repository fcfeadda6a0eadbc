#!/usr/bin/python3
"""Seeds the test news server with a fixed corpus, fast.

Feeds articles to innd's transit port in streaming mode: every article is
offered with TAKETHIS without waiting for the replies, which a second thread
reads and counts. Re-offering the corpus is harmless (innd answers 439 for
articles it has), so seeding twice gives the same groups.

The corpus (Message-IDs end in @harness.test.invalid, dates are fixed, so
article numbers are the same on every machine):
  test.small      12 articles, small.1 .. small.12; see SMALL below.
  test.threads    60 articles: 6 threads of 10, References forming a tree;
                  thread.T.9 (T = 0, 1, 2) is cross-posted to test.crosspost.
  test.crosspost  the 3 cross-posts above.
  test.big        10,000 articles big.1 .. big.10000.
  test.empty, test.post, test.moderated: no articles (test.post is where
                  tests post; its count grows from run to run).

Usage: inn_seed.py [--fresh] HOST PORT
  --fresh: the server had none of the corpus; any refusal is an error.
"""

import socket
import sys
import threading
from datetime import datetime, timedelta, timezone
from email.utils import format_datetime

DOMAIN = "harness.test.invalid"
BASE_DATE = datetime(2026, 6, 1, 12, 0, 0, tzinfo=timezone.utc)


def msgid(local):
    return f"<{local}@{DOMAIN}>"


def article(local, groups, subject, minute, body, refs=(), extra=()):
    """One article as wire bytes (dot-stuffed, CR LF, with the final dot)."""
    date = format_datetime(BASE_DATE + timedelta(minutes=minute))
    head = [
        b"Path: seed.test.invalid!not-for-mail",
        b"From: Test Poster <poster@test.invalid>",
        b"Newsgroups: " + groups.encode(),
        b"Subject: " + (subject if isinstance(subject, bytes) else subject.encode()),
        b"Date: " + date.encode(),
        b"Message-ID: " + msgid(local).encode(),
    ]
    if refs:
        head.append(b"References: " + " ".join(msgid(r) for r in refs).encode())
    head.extend(h if isinstance(h, bytes) else h.encode() for h in extra)
    lines = head + [b""] + [b if isinstance(b, bytes) else b.encode() for b in body]
    out = []
    for line in lines:
        if line.startswith(b"."):
            line = b"." + line
        out.append(line + b"\r\n")
    out.append(b".\r\n")
    return msgid(local), b"".join(out)


# test.small: a few articles with features the readers must handle.
SMALL = {
    2: dict(body=[".a body line that starts with a dot", "..and one with two"]),
    3: dict(subject="=?UTF-8?Q?Caf=C3=A9_encoded?="),
    4: dict(subject="Résumé in raw UTF-8".encode("utf-8")),
    5: dict(subject="Re: Small article 1", refs=["small.1"]),
    6: dict(extra=["Organization: Orvel test harness"]),
    7: dict(body=["Latin-1 body: caf\xe9".encode("latin-1")]),
    8: dict(subject="A subject folded\r\n\tover two lines".encode()),
}


def corpus():
    for n in range(1, 13):
        spec = SMALL.get(n, {})
        yield article(
            f"small.{n}", "test.small", spec.get("subject", f"Small article {n}"), n,
            spec.get("body", [f"Body of small article {n}.", "Second line."]),
            spec.get("refs", ()), spec.get("extra", ()))
    for t in range(6):
        for m in range(10):
            refs = []
            parent = m
            while parent > 0:  # a binary tree: message m answers (m - 1) // 2
                parent = (parent - 1) // 2
                refs.insert(0, f"thread.{t}.{parent}")
            groups = "test.threads,test.crosspost" if m == 9 and t < 3 else "test.threads"
            subject = f"Thread {t}" if m == 0 else f"Re: Thread {t}"
            yield article(f"thread.{t}.{m}", groups, subject, 100 + t * 10 + m,
                          [f"Message {m} of thread {t}."], refs)
    for n in range(1, 10001):
        yield article(f"big.{n}", "test.big", f"Big article {n}", 1000 + n,
                      [f"Body of big article {n}.", "x" * 40])


def main():
    args = sys.argv[1:]
    fresh = "--fresh" in args
    args = [a for a in args if a != "--fresh"]
    host, port = args[0], int(args[1])
    articles = list(corpus())
    sock = socket.create_connection((host, port), timeout=30)
    sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    reader = sock.makefile("rb")
    greeting = reader.readline()
    if not greeting.startswith(b"2"):
        sys.exit(f"inn_seed: innd greeting: {greeting!r}")
    sock.sendall(b"MODE STREAM\r\n")
    reply = reader.readline()
    if not reply.startswith(b"203"):
        sys.exit(f"inn_seed: MODE STREAM: {reply!r}")

    counts = {"239": 0, "439": 0}
    problems = []

    def read_replies():
        for _ in range(len(articles)):
            line = reader.readline()
            code = line[:3].decode("ascii", "replace")
            if code in counts:
                counts[code] += 1
            else:
                problems.append(line)
                if not line:
                    return

    thread = threading.Thread(target=read_replies)
    thread.start()
    batch = []
    for mid, data in articles:
        batch.append(b"TAKETHIS " + mid.encode() + b"\r\n" + data)
        if len(batch) == 500:
            sock.sendall(b"".join(batch))
            batch = []
    sock.sendall(b"".join(batch))
    thread.join()
    sock.sendall(b"QUIT\r\n")
    sock.close()
    if problems:
        sys.exit(f"inn_seed: unexpected replies: {problems[:5]!r}")
    if fresh and counts["439"]:
        sys.exit(f"inn_seed: {counts['439']} articles refused (see the news log)")
    print(f"inn_seed: {counts['239']} accepted, {counts['439']} already there")


if __name__ == "__main__":
    main()
