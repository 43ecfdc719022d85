#!/usr/bin/env python3
"""A release server for the update tests: HTTPS with a certificate of the
test authority (made by update_server.sh), one feed per case under
/<case>/latest.json, and the files they name under /files/.

Usage: update_server.py <work folder> <Folivex.exe> <installer>

The system picks the two ports (HTTPS and plain HTTP), so that test runs of
several checkouts at once don't collide; the work folder receives the HTTPS
port in the file "port", then the pid file. Cases:
  good          a correct feed for the new file
  badsize       the feed's size is one byte off
  badsha        the feed's checksum is of other bytes
  truncated     the transfer breaks off after half the file
  wrongversion  the file is the running version (1.6.2), the feed says 1.6.3
  hostile       the feed's version tries to climb out of the temporary folder
  httpredirect  the file's address redirects to plain HTTP
  stall         the server sends part of the file, then nothing
  gated         the server sends part of the file, then the rest once the
                test has made the file "gate" in the work folder
  auto          the same as good, under a name of its own for the automatic
                checks (the log, server.log, shows which feeds were asked for)
  installed     a correct feed with an installer (the given stand-in)
"""
import hashlib
import http.server
import os
import socketserver
import ssl
import sys
import threading
import time


def with_version(exe: bytes, old: str, new: str) -> bytes:
    """The program file with the version resource's ProductVersion string changed."""
    key = 'ProductVersion'.encode('utf-16-le')
    at = exe.rfind(key)
    if at < 0:
        raise SystemExit('no ProductVersion in the program file')
    value = old.encode('utf-16-le')
    v = exe.find(value, at)
    if v < 0 or v - at > 64:
        raise SystemExit('ProductVersion value not found')
    return exe[:v] + new.encode('utf-16-le') + exe[v + len(value):]


def main():
    work, exe_path = sys.argv[1], sys.argv[2]
    setup = open(sys.argv[3], 'rb').read()

    class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
        daemon_threads = True

    secure = Server(('127.0.0.1', 0), http.server.BaseHTTPRequestHandler)
    plain = Server(('127.0.0.1', 0), http.server.BaseHTTPRequestHandler)
    port, http_port = secure.server_address[1], plain.server_address[1]
    original = open(exe_path, 'rb').read()
    new = with_version(original, '1.6.2', '1.6.3')
    files = {'new.exe': new, 'old.exe': original, 'setup.exe': setup}
    base = 'https://localhost:%d' % port
    sha = lambda b: hashlib.sha256(b).hexdigest()
    notes = '* Pages open faster\\n* The update bar shows the download'

    def feed(version, exe, digest, size):
        return ('{\n  "version": "%s",\n  "exe": "%s",\n  "sha256": "%s",\n  "size": %d,\n  "notes": "%s"\n}\n'
                % (version, exe, digest, size, notes)).encode()

    feeds = {
        'good': feed('1.6.3', base + '/files/new.exe', sha(new).upper(), len(new)),
        'badsize': feed('1.6.3', base + '/files/new.exe', sha(new), len(new) + 1),
        'badsha': feed('1.6.3', base + '/files/new.exe', sha(new + b'x'), len(new)),
        'truncated': feed('1.6.3', base + '/files/truncated.exe', sha(new), 0),
        'wrongversion': feed('1.6.3', base + '/files/old.exe', sha(original), len(original)),
        'hostile': feed('..\\\\..\\\\..\\\\Windows\\\\1.6.3', base + '/files/new.exe', sha(new), len(new)),
        'httpredirect': feed('1.6.3', base + '/files/redirect.exe', sha(new), len(new)),
        'stall': feed('1.6.3', base + '/files/stall.exe', sha(new), len(new)),
        'gated': feed('1.6.3', base + '/files/gated.exe', sha(new), len(new)),
    }
    feeds['auto'] = feeds['good']
    gate = os.path.join(work, 'gate')
    feeds['installed'] = feeds['good'].replace(b'\n}', (',\n  "setup": "%s/files/setup.exe",\n  "setup_sha256": "%s",'
                                                        '\n  "setup_size": "%d"\n}' % (base, sha(setup), len(setup))).encode())

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = 'HTTP/1.1'

        def log_message(self, fmt, *args):
            sys.stderr.write('update_server: ' + fmt % args + '\n')

        def send_body(self, body, length=None):
            self.send_response(200)
            self.send_header('Content-Type', 'application/octet-stream')
            self.send_header('Content-Length', str(len(body) if length is None else length))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            parts = self.path.strip('/').split('/')
            try:
                if len(parts) == 2 and parts[1] == 'latest.json' and parts[0] in feeds:
                    return self.send_body(feeds[parts[0]])
                if parts[0] == 'files' and len(parts) == 2:
                    name = parts[1]
                    if name in files:
                        return self.send_body(files[name])
                    if name == 'truncated.exe':
                        self.send_body(new[:len(new) // 2], len(new))
                        self.close_connection = True
                        return
                    if name == 'redirect.exe':
                        self.send_response(302)
                        self.send_header('Location', 'http://localhost:%d/files/new.exe' % http_port)
                        self.send_header('Content-Length', '0')
                        self.end_headers()
                        return
                    if name == 'stall.exe':
                        self.send_response(200)
                        self.send_header('Content-Length', str(len(new)))
                        self.end_headers()
                        self.wfile.write(new[:100000])
                        self.wfile.flush()
                        time.sleep(240)
                        return
                    if name == 'gated.exe':
                        self.send_response(200)
                        self.send_header('Content-Length', str(len(new)))
                        self.end_headers()
                        self.wfile.write(new[:100000])
                        self.wfile.flush()
                        for _ in range(1200):
                            if os.path.exists(gate):
                                break
                            time.sleep(0.1)
                        if os.path.exists(gate):
                            os.remove(gate)
                        self.wfile.write(new[100000:])
                        return
                self.send_response(404)
                self.send_header('Content-Length', '0')
                self.end_headers()
            except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
                pass

    secure.RequestHandlerClass = Handler
    plain.RequestHandlerClass = Handler
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(work, 'server.pem'), os.path.join(work, 'server.key'))
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    threading.Thread(target=plain.serve_forever, daemon=True).start()
    with open(os.path.join(work, 'port'), 'w') as f:
        f.write(str(port))
    with open(os.path.join(work, 'server.pid'), 'w') as f:
        f.write(str(os.getpid()))
    secure.serve_forever()


if __name__ == '__main__':
    main()
