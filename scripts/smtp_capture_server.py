#!/usr/bin/python3
"""An SMTP server for the tests that keeps every message it accepts.

  smtp_capture_server.py DIR SMTP_PORT SMTPS_PORT SUBMISSION_PORT

Listens on 127.0.0.1 only:
  SMTP_PORT        plain, offers STARTTLS and DSN, no authentication;
  SMTPS_PORT       TLS from the start;
  SUBMISSION_PORT  STARTTLS, then AUTH PLAIN or LOGIN required (the test
                   users of DIR/users and their password).
Each accepted message goes to DIR/captured/NNNNNN.eml: envelope lines
("MAIL FROM:", "RCPT TO:" with parameters, "AUTH:", "TLS: yes"), a blank
line, then the content as received. Recipients named reject-* are refused
with 550, tempfail-* with 451.
"""
import asyncio
import itertools
import os
import signal
import ssl
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

DIR = sys.argv[1]
CAPTURED = os.path.join(DIR, "captured")
COUNTER = itertools.count(1)
LOCK = threading.Lock()


def users():
    with open(os.path.join(DIR, "users")) as f:
        for line in f:
            name, rest = line.split(":", 1)
            yield name, rest.split(":", 1)[0].replace("{PLAIN}", "")


PASSWORDS = dict(users())


class DsnSMTP(SMTP):
    """Offers DSN and keeps the NOTIFY parameter of RCPT for the capture."""

    async def smtp_RCPT(self, arg):
        notify = None
        if arg:
            words = arg.split()
            keep = [w for w in words if not w.upper().startswith("NOTIFY=")]
            if len(keep) != len(words):
                notify = [w for w in words if w.upper().startswith("NOTIFY=")][0]
                arg = " ".join(keep)
        self.session.pending_notify = notify
        return await super().smtp_RCPT(arg)


class Capture:
    def __init__(self, dsn):
        self.dsn = dsn

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        session.host_name = hostname
        if self.dsn:
            responses.insert(-1, "250-DSN")
        return responses

    async def handle_RCPT(self, server, session, envelope, address, options):
        local = address.split("@")[0].lower()
        if local.startswith("reject-"):
            return "550 5.1.1 no such user here"
        if local.startswith("tempfail-"):
            return "451 4.3.0 try again later"
        if local.startswith("relaydenied-"):
            return "554 5.7.1 Relay access denied"
        notify = getattr(session, "pending_notify", None)
        envelope.rcpt_tos.append(address + (" " + notify if notify else ""))
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        lines = ["MAIL FROM:" + (envelope.mail_from or "")]
        lines += ["RCPT TO:" + r for r in envelope.rcpt_tos]
        if session.authenticated:
            login = session.auth_data.login
            lines.append("AUTH:" + (login.decode() if isinstance(login, bytes) else str(login)))
        # Implicit TLS does not show in session.ssl: ask the transport.
        if (session.ssl is not None
                or server.transport.get_extra_info("ssl_object") is not None):
            lines.append("TLS: yes")
        data = "\n".join(lines).encode() + b"\n\n" + envelope.original_content
        with LOCK:
            name = "%06d.eml" % next(COUNTER)
        tmp = os.path.join(CAPTURED, name + ".tmp")
        with open(tmp, "wb") as f:
            f.write(data)
        os.rename(tmp, os.path.join(CAPTURED, name))
        return "250 2.0.0 queued as " + name


def authenticator(server, session, envelope, mechanism, auth_data):
    if isinstance(auth_data, LoginPassword):
        login = auth_data.login.decode()
        if PASSWORDS.get(login) == auth_data.password.decode():
            return AuthResult(success=True, auth_data=auth_data)
    return AuthResult(success=False, handled=False)


def tls_context():
    ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    ctx.load_cert_chain(os.path.join(DIR, "server.crt"), os.path.join(DIR, "server.key"))
    return ctx


class DsnController(Controller):
    def factory(self):
        return DsnSMTP(self.handler, **self.SMTP_kwargs)


def main():
    os.makedirs(CAPTURED, exist_ok=True)
    smtp_port, smtps_port, submission_port = map(int, sys.argv[2:5])
    common = dict(hostname="127.0.0.1", ready_timeout=10)
    controllers = [
        DsnController(Capture(dsn=True), port=smtp_port, tls_context=tls_context(),
                      **common),
        Controller(Capture(dsn=False), port=smtps_port, ssl_context=tls_context(),
                   **common),
        Controller(Capture(dsn=False), port=submission_port, tls_context=tls_context(),
                   authenticator=authenticator, auth_required=True,
                   auth_require_tls=True, **common),
    ]
    for c in controllers:
        c.start()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *a: stop.set())
    signal.signal(signal.SIGINT, lambda *a: stop.set())
    with open(os.path.join(DIR, "smtp.pid"), "w") as f:
        f.write(str(os.getpid()))
    stop.wait()
    for c in controllers:
        c.stop()


if __name__ == "__main__":
    main()
