#!/usr/bin/python3
"""A calendar server that misbehaves, on 127.0.0.1, for the sync's tests.

Prints its port and that of its https twin (a certificate of its own, which no system
trusts; 0 where openssl is missing), then answers each request by the first part of its path:
  /basura/    207 whose body is no XML          /dtd/       207 with a DTD and entities
  /profundo/  207 nested thousands deep         /fallo/     503
  /mudo/      never answers                     /enorme/    a body without end
  /goteo/     a byte now and then, for ever     /remite/    302 to another host
  /html/      200 with a web page
  /sindiario/ an empty calendar that takes events and refuses journal entries (403)
  /lejos/     a server whose user's calendars are at /casa/ on "localhost" (another host)
  /ajeno/     one whose user's calendars are on a host of another domain
  /casa/      the calendars' home: one calendar, "Tarvelo", empty, taking what is sent
"""
import http.server
import os
import ssl
import subprocess
import sys
import tempfile
import threading
import time

PROLOGUE = b'<?xml version="1.0"?>'


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body, kind="application/xml"):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        mode = self.path.strip("/").split("/")[0]
        if mode == "sindiario":
            if self.command == "PUT":
                if b"VJOURNAL" in body:
                    self.answer(403, b"")
                    return
                self.send_response(201)
                self.send_header("ETag", '"1"')
                self.send_header("Content-Length", "0")
                self.end_headers()
            else:
                self.answer(207, PROLOGUE + b'<d:multistatus xmlns:d="DAV:"><d:response><d:href>'
                            b'/sindiario/</d:href><d:propstat><d:prop><d:getetag>"0"</d:getetag>'
                            b'</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>'
                            b'</d:response></d:multistatus>')
        elif mode in ("lejos", "ajeno"):
            if b"calendar-home-set" in body:
                home = (b"http://localhost:%d/casa/" % self.server.server_port
                        if mode == "lejos" else b"https://calendarios.example.net/casa/")
                prop = (b'<c:calendar-home-set xmlns:c="urn:ietf:params:xml:ns:caldav"><d:href>' +
                        home + b"</d:href></c:calendar-home-set>")
            else:
                prop = (b"<d:current-user-principal><d:href>/%s/yo/</d:href>"
                        b"</d:current-user-principal>" % mode.encode())
            self.answer(207, PROLOGUE + b'<d:multistatus xmlns:d="DAV:"><d:response><d:href>' +
                        self.path.encode() + b"</d:href><d:propstat><d:prop>" + prop +
                        b"</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
                        b"</d:response></d:multistatus>")
        elif mode == "casa":
            if self.command == "PUT":
                self.send_response(201)
                self.send_header("ETag", '"1"')
                self.send_header("Content-Length", "0")
                self.end_headers()
            elif self.command == "PROPFIND" and self.headers.get("Depth") == "1" and \
                    self.path.rstrip("/") == "/casa":
                self.answer(207, PROLOGUE + b'<d:multistatus xmlns:d="DAV:" '
                            b'xmlns:c="urn:ietf:params:xml:ns:caldav"><d:response>'
                            b"<d:href>/casa/</d:href><d:propstat><d:prop><d:resourcetype>"
                            b"<d:collection/></d:resourcetype></d:prop><d:status>HTTP/1.1 200 OK"
                            b"</d:status></d:propstat></d:response><d:response>"
                            b"<d:href>/casa/tarvelo/</d:href><d:propstat><d:prop><d:resourcetype>"
                            b"<d:collection/><c:calendar/></d:resourcetype><d:displayname>Tarvelo"
                            b"</d:displayname></d:prop><d:status>HTTP/1.1 200 OK</d:status>"
                            b"</d:propstat></d:response></d:multistatus>")
            else:
                self.answer(207, PROLOGUE + b'<d:multistatus xmlns:d="DAV:"><d:response><d:href>'
                            b'/casa/tarvelo/</d:href><d:propstat><d:prop><d:getetag>"0"'
                            b"</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status>"
                            b"</d:propstat></d:response></d:multistatus>")
        elif mode == "basura":
            self.answer(207, b"\x00\xffesto no es XML <<<>>>")
        elif mode == "dtd":
            self.answer(207, PROLOGUE + b'<!DOCTYPE d:multistatus [<!ENTITY a "aaaaaaaaaa">'
                        b'<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]>'
                        b'<d:multistatus xmlns:d="DAV:"><d:response><d:href>/&b;</d:href>'
                        b'</d:response></d:multistatus>')
        elif mode == "profundo":
            self.answer(207, PROLOGUE + b'<d:multistatus xmlns:d="DAV:">' + b"<d:x>" * 5000 +
                        b"</d:x>" * 5000 + b"</d:multistatus>")
        elif mode == "fallo":
            self.answer(503, b"")
        elif mode == "mudo":
            time.sleep(30)
        elif mode in ("enorme", "goteo"):
            self.send_response(207)
            self.send_header("Content-Type", "application/xml")
            self.end_headers()
            chunk = b"<x>" * 20000 if mode == "enorme" else b" "
            try:
                for _ in range(100000):
                    self.wfile.write(chunk)
                    self.wfile.flush()
                    if mode == "goteo":
                        time.sleep(0.2)
            except OSError:
                pass
            self.close_connection = True
        elif mode == "remite":
            self.send_response(302)
            self.send_header("Location", "http://127.0.0.2:%d/remite/" % self.server.server_port)
            self.send_header("Content-Length", "0")
            self.end_headers()
        else:
            self.answer(200, b"<html><body>Bienvenido</body></html>", "text/html")

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_MKCALENDAR = handle_any


def https_twin():
    folder = tempfile.mkdtemp(prefix="hostile-tls-")
    key, cert = os.path.join(folder, "key.pem"), os.path.join(folder, "cert.pem")
    try:
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                       check=True, capture_output=True)
    except (OSError, subprocess.CalledProcessError):
        return 0
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_port


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_port, https_twin(), flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
