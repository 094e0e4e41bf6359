#!/usr/bin/python3
"""Fills a test user's maildir with N messages of mixed sizes for benchmarks.

  seed_mailbox.py MAILDIR N UID GID

About 70 % short notes (1-5 KB), 25 % longer texts (8-20 KB), 5 % with a
base64 attachment (40-120 KB); Japanese and English subjects; average size
around 8 KB. The same N gives the same mailbox.
"""
import base64
import os
import random
import sys

maildir, count, uid, gid = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
rng = random.Random(count)
new = os.path.join(maildir, "new")
for sub in ("new", "cur", "tmp"):
    path = os.path.join(maildir, sub)
    for name in os.listdir(path):
        os.remove(os.path.join(path, name))

JP_SUBJECT = "=?ISO-2022-JP?B?GyRCJCpMZCQkOWckbyQ7GyhC?="  # お問い合わせ
LINE = "The quick brown fox jumps over the lazy dog, again and again. 0123456789\r\n"

for i in range(1, count + 1):
    kind = rng.random()
    subject = JP_SUBJECT if i % 2 else f"Question number {i}"
    head = (f"Return-Path: <sender{i}@example.com>\r\n"
            f"From: Sender {i} <sender{i}@example.com>\r\n"
            f"To: bench@example.jp\r\nSubject: {subject}\r\n"
            f"Message-ID: <{i}.bench@example.com>\r\n"
            f"Date: Mon, 7 Dec 2026 10:00:00 +0900\r\nMIME-Version: 1.0\r\n")
    if kind < 0.70:
        body = LINE * rng.randint(14, 68)
        msg = head + "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + body
    elif kind < 0.95:
        body = LINE * rng.randint(110, 270)
        msg = head + "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + body
    else:
        blob = base64.encodebytes(rng.randbytes(rng.randint(30000, 90000))).decode()
        blob = blob.replace("\n", "\r\n")
        msg = (head + 'Content-Type: multipart/mixed; boundary="b"\r\n\r\n'
               "--b\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
               + LINE * 10 + "--b\r\nContent-Type: application/octet-stream\r\n"
               "Content-Disposition: attachment; filename=\"data.bin\"\r\n"
               "Content-Transfer-Encoding: base64\r\n\r\n" + blob + "--b--\r\n")
    name = os.path.join(new, f"{1700000000 + i}.M{i:07d}P1.bench")
    with open(name, "w", newline="") as f:
        f.write(msg)
    os.chown(name, uid, gid)
