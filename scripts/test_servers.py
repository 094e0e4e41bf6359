#!/usr/bin/python3
"""Starts and stops the mail servers the tests talk to, on loopback only.

  test_servers.py start DIR   make DIR, start the servers, write DIR/servers.env
  test_servers.py stop DIR    stop the servers started in DIR

DIR holds everything: a test CA and a server certificate, Dovecot's
configuration, state and logs, the users' maildirs, and the captured SMTP
messages. Ports are picked free at start, so several DIRs can run side by
side. Works as root and as an ordinary user.
"""
import grp
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import time

USERS = ["alice", "bob", "carol", "dave", "erin", "frank", "grace", "heidi",
         "ivan", "judy", "bench"]
PASSWORD = "pop-secret"


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run(*cmd, **kw):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, **kw)


def make_certificates(d):
    def ca(name, cn):
        run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
            "-keyout", f"{d}/{name}.key", "-out", f"{d}/{name}.crt",
            "-subj", f"/CN={cn}", "-days", "3650")
    ca("ca", "Mirte Test CA")
    ca("other-ca", "Untrusted Test CA")
    with open(f"{d}/san.ext", "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1\n"
                "basicConstraints=CA:FALSE\n"
                "keyUsage=digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\n")
    run("openssl", "req", "-newkey", "rsa:2048", "-nodes",
        "-keyout", f"{d}/server.key", "-out", f"{d}/server.csr",
        "-subj", "/CN=localhost")
    run("openssl", "x509", "-req", "-in", f"{d}/server.csr",
        "-CA", f"{d}/ca.crt", "-CAkey", f"{d}/ca.key", "-CAcreateserial",
        "-out", f"{d}/server.crt", "-days", "3650", "-extfile", f"{d}/san.ext")


def wait_for_port(port, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def start_dovecot(d, env):
    root = os.geteuid() == 0
    me = pwd.getpwuid(os.geteuid()).pw_name
    uid = gid = 65534 if root else os.geteuid()
    if not root:
        gid = os.getegid()
    mail = f"{d}/mail"
    os.makedirs(mail, exist_ok=True)
    with open(f"{d}/users", "w") as f:
        for user in USERS:
            home = f"{mail}/{user}"
            for sub in ("new", "cur", "tmp"):
                os.makedirs(f"{home}/Maildir/{sub}", exist_ok=True)
            f.write(f"{user}:{{PLAIN}}{PASSWORD}:{uid}:{gid}::{home}::\n")
    if root:
        for top, dirs, files in os.walk(mail):
            os.chown(top, uid, gid)
            for name in files:
                os.chown(os.path.join(top, name), uid, gid)
    pop3, pop3s = free_port(), free_port()
    group = grp.getgrgid(os.getegid()).gr_name
    users_line = (f"default_internal_user = dovecot\n"
                  f"default_login_user = dovenull\n") if root else (
                  f"default_internal_user = {me}\n"
                  f"default_internal_group = {group}\n"
                  f"default_login_user = {me}\n")
    conf = f"""
base_dir = {d}/run
state_dir = {d}/state
instance_name = mirte-test-{os.path.basename(d)}
log_path = {d}/dovecot.log
protocols = pop3
listen = 127.0.0.1, ::1
{users_line}first_valid_uid = 1
first_valid_gid = 0
ssl = yes
ssl_cert = <{d}/server.crt
ssl_key = <{d}/server.key
disable_plaintext_auth = no
auth_mechanisms = plain login apop
auth_failure_delay = 0
mail_location = maildir:~/Maildir
mail_max_userip_connections = 200
pop3_uidl_format = %08Xu%08Xv
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%u {d}/users
}}
userdb {{
  driver = passwd-file
  args = username_format=%u {d}/users
}}
service pop3-login {{
  inet_listener pop3 {{
    port = {pop3}
  }}
  inet_listener pop3s {{
    port = {pop3s}
    ssl = yes
  }}
}}
service anvil {{
  unix_listener anvil-auth-penalty {{
    mode = 0
  }}
}}
# Connections from ::1 are offered no STLS: the plain-text case.
remote ::1 {{
  ssl = no
}}
"""
    # Without root there is no chroot.
    no_chroot = "" if root else "  chroot =\n"
    conf = conf.replace("service pop3-login {\n", "service pop3-login {\n" + no_chroot)
    conf = conf.replace("service anvil {\n", "service anvil {\n" + no_chroot)
    for sub in ("run", "state"):
        os.makedirs(f"{d}/{sub}", exist_ok=True)
    with open(f"{d}/dovecot.conf", "w") as f:
        f.write(conf)
    with open(f"{d}/dovecot.out", "w") as out:
        subprocess.run(["dovecot", "-c", f"{d}/dovecot.conf"], check=True,
                       stdout=out, stderr=out, stdin=subprocess.DEVNULL)
    if not (wait_for_port(pop3) and wait_for_port(pop3s)):
        raise SystemExit("dovecot did not start; see " + d + "/dovecot.log")
    env.update(POP3_PORT=pop3, POP3S_PORT=pop3s, MAIL_DIR=mail,
               MAIL_UID=uid, MAIL_GID=gid, POP3_PASSWORD=PASSWORD)


def start_smtp(d, env):
    ports = [free_port() for _ in range(3)]
    log = open(f"{d}/smtp.log", "w")
    subprocess.Popen(["/usr/bin/python3",
                      os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                   "smtp_capture_server.py"), d] + [str(p) for p in ports],
                     stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                     start_new_session=True)
    if not all(wait_for_port(p) for p in ports):
        raise SystemExit("the SMTP server did not start; see " + d + "/smtp.log")
    env.update(SMTP_PORT=ports[0], SMTPS_PORT=ports[1], SUBMISSION_PORT=ports[2])


def start(d):
    d = os.path.abspath(d)
    stop(d)
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d)
    os.chmod(d, 0o755)
    make_certificates(d)
    env = {"DIR": d, "CA_FILE": f"{d}/ca.crt", "OTHER_CA_FILE": f"{d}/other-ca.crt"}
    start_dovecot(d, env)
    start_smtp(d, env)
    with open(f"{d}/servers.env", "w") as f:
        for k, v in env.items():
            f.write(f"{k}={v}\n")
    print(f"test servers running in {d}")


def stop(d):
    d = os.path.abspath(d)
    conf = f"{d}/dovecot.conf"
    if os.path.exists(conf):
        subprocess.run(["doveadm", "-c", conf, "stop"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        master = f"{d}/run/master.pid"
        end = time.time() + 10
        while os.path.exists(master) and time.time() < end:
            time.sleep(0.05)
    for name in ("smtp.pid",):
        path = f"{d}/{name}"
        if os.path.exists(path):
            try:
                os.kill(int(open(path).read()), signal.SIGTERM)
            except (OSError, ValueError):
                pass
            os.remove(path)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        raise SystemExit(__doc__)
    (start if sys.argv[1] == "start" else stop)(sys.argv[2])
