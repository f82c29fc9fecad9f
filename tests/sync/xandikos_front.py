#!/usr/bin/python3
"""Xandikos for several users, behind Basic authentication (Xandikos has none of its own).

xandikos_front.py FOLDER [PORT]

Listens on 127.0.0.1:PORT (0 or none: a free port) and prints the port. Accounts are uN with
password claveN. Each user has a Xandikos of their own (Debian's, started at the user's first
request, on a Unix socket in FOLDER), whose principal is /uN/ and calendar home /uN/calendars/,
so that no user sees another's calendars. Requests are forwarded as they come, bodies streamed
both ways; the password is not passed on. Ends with its children when the standard input it
was given as a pipe is closed (the test that started it has gone) or on SIGTERM.
"""
import base64
import concurrent.futures
import ctypes
import http.client
import http.server
import os
import re
import signal
import socket
import stat
import subprocess
import sys
import threading
import time

ACCOUNT = re.compile(r"u([0-9]{1,4})")
# Headers about one connection, not about the request or the answer.
HOP = {"connection", "keep-alive", "proxy-connection", "transfer-encoding", "te", "trailer",
       "upgrade", "authorization", "proxy-authorization"}
CHUNK = 64 * 1024
STARTUP_LIMIT = 180  # seconds a user's Xandikos may take to listen, on a loaded machine


def die_with_parent():
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


class Backends:
    """One Xandikos per user, started when first asked for."""

    def __init__(self, folder):
        self.folder = folder
        self.lock = threading.Lock()
        self.starting = {}
        self.processes = {}
        # The children die with the thread that started them (PR_SET_PDEATHSIG): one thread
        # that lives as long as this process starts them all, not the request's.
        self.spawner = concurrent.futures.ThreadPoolExecutor(max_workers=1)

    def socket_of(self, user):
        with self.lock:
            event = self.starting.get(user)
            if event is None:
                event = self.starting[user] = threading.Event()
                owner = True
            else:
                owner = False
        path = os.path.join(self.folder, user + ".sock")
        if owner:
            self.start(user, path)
            event.set()
        elif not event.wait(STARTUP_LIMIT):
            return None
        return path if os.path.exists(path) else None

    def start(self, user, path):
        log = open(os.path.join(self.folder, user + ".log"), "ab")
        process = self.spawner.submit(
            subprocess.Popen,
            ["/usr/bin/xandikos", "-d", os.path.join(self.folder, user),
             "--current-user-principal", "/%s/" % user, "--defaults", "-l", path],
            stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            preexec_fn=die_with_parent).result()
        log.close()
        with self.lock:
            self.processes[user] = process
        deadline = time.monotonic() + STARTUP_LIMIT
        while time.monotonic() < deadline and process.poll() is None:
            probe = socket.socket(socket.AF_UNIX)
            try:
                probe.connect(path)
                return
            except OSError:
                time.sleep(0.05)
            finally:
                probe.close()
        # Not listening: the request that asked is answered 502 and the log says why.
        if os.path.exists(path):
            os.unlink(path)

    def stop(self):
        with self.lock:
            for process in self.processes.values():
                process.kill()
            # Reaped here: where the init process does not reap, an orphan stays a zombie.
            for process in self.processes.values():
                process.wait()


class UnixConnection(http.client.HTTPConnection):
    def __init__(self, path):
        super().__init__("localhost", timeout=600)
        self.path = path

    def connect(self):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(self.timeout)
        self.sock.connect(self.path)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def __getattr__(self, name):
        if name.startswith("do_"):
            return self.forward
        raise AttributeError(name)

    def user(self):
        kind, _, value = self.headers.get("Authorization", "").partition(" ")
        if kind.lower() != "basic":
            return None
        try:
            user, _, password = base64.b64decode(value).decode("utf-8").partition(":")
        except ValueError:
            return None
        match = ACCOUNT.fullmatch(user)
        if not match or password != "clave" + match.group(1):
            return None
        return user

    def plain(self, status, text, headers=()):
        body = text.encode()
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def request_body(self):
        """The request's body in pieces, and its length (None: sent chunked)."""
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            pieces = []
            while True:
                size = int(self.rfile.readline().split(b";")[0], 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    break
                pieces.append(self.rfile.read(size))
                self.rfile.readline()
            whole = b"".join(pieces)
            return iter([whole]), len(whole)
        length = int(self.headers.get("Content-Length") or 0)

        def pieces():
            left = length
            while left > 0:
                piece = self.rfile.read(min(CHUNK, left))
                if not piece:
                    break
                left -= len(piece)
                yield piece
        return pieces(), length

    def forward(self):
        user = self.user()
        if user is None:
            for _ in self.request_body()[0]:  # read, so that the connection can go on
                pass
            self.plain(401, "Unauthorized\n", [("WWW-Authenticate", 'Basic realm="Xandikos"')])
            return
        body, length = self.request_body()
        path = self.server.backends.socket_of(user)
        if path is None:
            for _ in body:
                pass
            self.plain(502, "Xandikos did not start for %s\n" % user)
            return
        upstream = UnixConnection(path)
        try:
            upstream.putrequest(self.command, self.path, skip_host=True,
                                skip_accept_encoding=True)
            for name, value in self.headers.items():
                if name.lower() not in HOP and name.lower() != "content-length":
                    upstream.putheader(name, value)
            if length or self.command in ("PUT", "POST", "PROPFIND", "PROPPATCH", "REPORT",
                                          "MKCALENDAR", "MKCOL"):
                upstream.putheader("Content-Length", str(length))
            upstream.endheaders()
            for piece in body:
                upstream.send(piece)
            answer = upstream.getresponse()
            # Xandikos's own Date and Server go with its other headers.
            self.send_response_only(answer.status, answer.reason)
            known = answer.getheader("Content-Length")
            for name, value in answer.getheaders():
                if name.lower() not in HOP:
                    self.send_header(name, value)
            empty = self.command == "HEAD" or answer.status in (204, 304)
            chunked = known is None and not empty
            if chunked:
                self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            if empty:
                return
            while True:
                piece = answer.read1(CHUNK) if chunked else answer.read(CHUNK)
                if not piece:
                    break
                if chunked:
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                else:
                    self.wfile.write(piece)
            if chunked:
                self.wfile.write(b"0\r\n\r\n")
        finally:
            upstream.close()


def main():
    folder = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    os.makedirs(folder, exist_ok=True)
    backends = Backends(folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    server.backends = backends

    def end(*_):
        backends.stop()
        os._exit(0)
    signal.signal(signal.SIGTERM, end)
    if stat.S_ISFIFO(os.fstat(0).st_mode):
        def watch():
            while sys.stdin.buffer.read1(CHUNK):
                pass
            end()
        threading.Thread(target=watch, daemon=True).start()
    print(server.server_port, flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
