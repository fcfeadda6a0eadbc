#!/usr/bin/python3
"""An SMTP server for the integration tests, on loopback only (aiosmtpd).

Two ports:
  --tls-port    STARTTLS with the test certificate, then AUTH PLAIN/LOGIN with
                --user/--password; both are required before MAIL.
  --plain-port  no TLS, no login.
Each message received is stored in --mail-dir as NAME.eml (the bytes as
received, end-of-data line excluded) beside NAME.env (the envelope: a
"MAIL FROM:<...>" line and one "RCPT TO:<...>" line per recipient), written
to a temporary name first so a reader never sees half a file.
A recipient whose address starts with "refuse" is refused with 550, so
tests can see refusals. Runs until SIGTERM or SIGINT.
"""

import argparse
import itertools
import os
import signal
import ssl
import threading
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Sink:
    def __init__(self, mail_dir):
        self.mail_dir = mail_dir
        self.counter = itertools.count(1)

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower().startswith("refuse"):
            return "550 5.1.1 <%s>: refused by the test sink" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        name = "%d-%d-%d" % (time.time_ns(), os.getpid(), next(self.counter))
        lines = ["MAIL FROM:<%s>" % envelope.mail_from]
        lines += ["RCPT TO:<%s>" % r for r in envelope.rcpt_tos]
        self.store(name + ".env", ("\n".join(lines) + "\n").encode())
        self.store(name + ".eml", envelope.original_content)
        return "250 2.0.0 stored as " + name

    def store(self, file_name, data):
        temp = os.path.join(self.mail_dir, "." + file_name + ".tmp")
        with open(temp, "wb") as f:
            f.write(data)
        os.rename(temp, os.path.join(self.mail_dir, file_name))


def authenticator(user, password):
    def check(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == user.encode()
              and auth_data.password == password.encode())
        # handled=False: aiosmtpd answers 535 itself on a failure.
        return AuthResult(success=ok, handled=False)
    return check


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--tls-port", type=int, required=True)
    p.add_argument("--plain-port", type=int, required=True)
    p.add_argument("--cert", required=True)
    p.add_argument("--key", required=True)
    p.add_argument("--user", required=True)
    p.add_argument("--password", required=True)
    p.add_argument("--mail-dir", required=True)
    args = p.parse_args()
    if args.host not in ("127.0.0.1", "::1"):
        p.error("the sink listens on loopback only")
    os.makedirs(args.mail_dir, exist_ok=True)

    tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    tls.load_cert_chain(args.cert, args.key)
    sink = Sink(args.mail_dir)
    common = dict(server_hostname="sink.test.invalid", decode_data=False)
    controllers = [
        Controller(sink, hostname=args.host, port=args.tls_port, tls_context=tls,
                   require_starttls=True, auth_required=True, auth_require_tls=True,
                   authenticator=authenticator(args.user, args.password), **common),
        Controller(sink, hostname=args.host, port=args.plain_port, **common),
    ]
    for c in controllers:
        c.start()
    done = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: done.set())
    signal.signal(signal.SIGINT, lambda *_: done.set())
    done.wait()
    for c in controllers:
        c.stop()


if __name__ == "__main__":
    main()
