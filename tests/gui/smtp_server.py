#!/usr/bin/env python3
"""A local SMTP server for the email tests, on 127.0.0.1, without TLS.

Usage: smtp_server.py <work folder> <user> <password>

It picks free ports and writes them to <work>/ports as three numbers:
  smtp     takes AUTH LOGIN or PLAIN for the one user and password, answers
           any other login with 535, and writes each message it accepts to
           <work>/mail-N.eml (N from 1), its envelope first to mail-N.env
  silent   accepts connections and never says a word (the time-out case)
  refused  a port that was free a moment ago and that nothing listens on
Whatever the folder held is removed first. The process id is in
<work>/smtp.pid.
"""
import os
import signal
import socket
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def free_port():
    s = socket.socket()
    s.bind(('127.0.0.1', 0))
    port = s.getsockname()[1]
    s.close()
    return port


class Store:
    def __init__(self, work):
        self.work = work
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.work, 'mail-%d' % self.count)
        with open(base + '.env', 'w', encoding='utf-8') as f:
            f.write('from %s\n' % envelope.mail_from)
            for to in envelope.rcpt_tos:
                f.write('to %s\n' % to)
        with open(base + '.tmp', 'wb') as f:
            f.write(envelope.original_content)
        os.replace(base + '.tmp', base + '.eml')
        return '250 Message accepted'


def main():
    work, user, password = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
    os.makedirs(work, exist_ok=True)
    for name in os.listdir(work):
        os.remove(os.path.join(work, name))

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = isinstance(auth_data, LoginPassword) and auth_data.login == user and auth_data.password == password
        return AuthResult(success=ok, handled=False)

    smtp_port = free_port()
    controller = Controller(Store(work), hostname='127.0.0.1', port=smtp_port, authenticator=authenticator,
                            auth_require_tls=False, auth_required=True)
    controller.start()

    silent = socket.socket()
    silent.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    silent.bind(('127.0.0.1', 0))
    silent.listen(8)
    held = []

    def hold():
        while True:
            held.append(silent.accept()[0])

    threading.Thread(target=hold, daemon=True).start()

    with open(os.path.join(work, 'smtp.pid'), 'w') as f:
        f.write('%d\n' % os.getpid())
    with open(os.path.join(work, 'ports.tmp'), 'w') as f:
        f.write('%d %d %d\n' % (smtp_port, silent.getsockname()[1], free_port()))
    os.replace(os.path.join(work, 'ports.tmp'), os.path.join(work, 'ports'))
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    threading.Event().wait()


if __name__ == '__main__':
    main()
