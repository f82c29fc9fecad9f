#!/usr/bin/python3
"""Figures of the sync against a real Radicale, each beside a bare baseline in the same run.

sync_figures.py TARVELO_DB [--uploads 1000,2000] [--days 10000] [--repeat 3]

  * first upload of N days by `tarvelo-db sync`, against a plain sequential PUT loop of the same
    bodies over one kept-alive connection (into another calendar of the same server), and
    against vdirsyncer's first sync of the same files from a folder (where it is installed);
  * on a calendar of D days already on the server (seeded by writing Radicale's storage folder,
    then read once by both sides): a sync with nothing changed, against the bare sync-collection
    REPORT; a sync after 10 days changed here, against that REPORT plus 10 PUTs.
Radicale is started here on 127.0.0.1, a free port and a temporary folder. Times are wall-clock
seconds of the whole tool run (start, store opened, sync), medians of --repeat.
"""
import argparse
import base64
import http.client
import os
import shutil
import socket
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time
from xml.etree import ElementTree

USERS = 10
EPOCH = 45000  # the store's day number of the first day used (2023-03-15)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_radicale(folder, port):
    with open(os.path.join(folder, "users"), "w") as users:
        for n in range(USERS):
            users.write("u%d:clave%d\n" % (n, n))
    with open(os.path.join(folder, "config"), "w") as config:
        config.write("[server]\nhosts = 127.0.0.1:%d\n[auth]\ntype = htpasswd\n"
                     "htpasswd_filename = %s/users\nhtpasswd_encryption = plain\ndelay = 0\n"
                     "[storage]\nfilesystem_folder = %s/collections\n[logging]\nlevel = error\n"
                     % (port, folder, folder))
    server = subprocess.Popen(["/usr/bin/python3", "-m", "radicale", "--config",
                               os.path.join(folder, "config")])
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), 0.1).close()
            return server
        except OSError:
            time.sleep(0.05)
    sys.exit("Radicale did not start")


class Bare:
    """Plain requests over one kept-alive connection."""

    def __init__(self, port, user):
        self.connection = http.client.HTTPConnection("127.0.0.1", port)
        self.auth = "Basic " + base64.b64encode(("u%d:clave%d" % (user, user)).encode()).decode()

    def request(self, verb, path, body=b"", headers=None):
        all_headers = {"Authorization": self.auth}
        all_headers.update(headers or {})
        self.connection.request(verb, path, body, all_headers)
        response = self.connection.getresponse()
        return response.status, response.read(), response.getheader("ETag")


def day(i):
    return time.strftime("%Y%m%d", time.gmtime((EPOCH - 25569 + i) * 86400))


def make_store(tool, folder, count, note="Nota %d"):
    subprocess.run([tool, "create", folder], check=True, stdout=subprocess.DEVNULL)
    db = sqlite3.connect(os.path.join(folder, "calendar.mdb"))
    db.executemany("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                   "VALUES (?, ?, 0, 0, NULL, 5)", [(EPOCH + i, note % i) for i in range(count)])
    db.commit()
    db.close()


def run_tool(tool, env, *args):
    start = time.perf_counter()
    done = subprocess.run([tool, *args], env=env, capture_output=True, text=True)
    took = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit("tarvelo-db %s: %s" % (" ".join(args), done.stderr))
    return took


def body(i, note):
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nCALSCALE:GREGORIAN\r\n"
            "PRODID:-//Tarvelo//Tarvelo calendario//ES\r\nBEGIN:VEVENT\r\n"
            "UID:dia-%s@tarvelo\r\nDTSTART;VALUE=DATE:%s\r\nDTSTAMP:%sT000000Z\r\n"
            "SUMMARY:%s\r\nTRANSP:TRANSPARENT\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"
            % (day(i), day(i), day(i), note)).encode()


def sync_collection(bare, path, token):
    status, answer, _ = bare.request(
        "REPORT", path,
        ('<?xml version="1.0"?><d:sync-collection xmlns:d="DAV:"><d:sync-token>%s'
         '</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop>'
         '</d:sync-collection>' % token).encode(),
        {"Content-Type": "application/xml"})
    assert status == 207, status
    return ElementTree.fromstring(answer).findtext("{DAV:}sync-token"), answer


VDIRSYNCER = "/usr/bin/vdirsyncer"


def vdirsyncer_upload(work, port, user, bodies):
    """vdirsyncer's first sync of a folder of the bodies into /uN/telefono/; its wall time."""
    folder = os.path.join(work, "vdir%d" % user)
    vdir = os.path.join(folder, "calendario")
    os.makedirs(vdir)
    for name, content in bodies:
        with open(os.path.join(vdir, name), "wb") as f:
            f.write(content)
    config = os.path.join(folder, "vdirsyncer.conf")
    with open(config, "w") as out:
        out.write('[general]\nstatus_path = "%s"\n\n[pair telefono]\na = "local"\n'
                  'b = "servidor"\ncollections = null\n\n[storage local]\ntype = "filesystem"\n'
                  'path = "%s"\nfileext = ".ics"\n\n[storage servidor]\ntype = "caldav"\n'
                  'url = "http://127.0.0.1:%d/u%d/telefono/"\nusername = "u%d"\n'
                  'password = "clave%d"\n'
                  % (os.path.join(folder, "estado"), vdir, port, user, user, user))
    env = dict(os.environ, VDIRSYNCER_CONFIG=config, LC_ALL="C.UTF-8")
    subprocess.run([VDIRSYNCER, "discover", "telefono"], env=env, check=True,
                   stdin=subprocess.DEVNULL, capture_output=True)
    start = time.perf_counter()
    subprocess.run([VDIRSYNCER, "sync"], env=env, check=True, stdin=subprocess.DEVNULL,
                   capture_output=True)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tool")
    parser.add_argument("--uploads", default="1000,2000")
    parser.add_argument("--days", type=int, default=10000)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    tool = os.path.abspath(args.tool)
    work = tempfile.mkdtemp(prefix="tarvelo-sync-figures-")
    port = free_port()
    server = start_radicale(work, port)
    url = "http://127.0.0.1:%d/" % port
    user = 0

    def env_for(n):
        env = dict(os.environ, TARVELO_CONTRASENA="clave%d" % n, TARVELO_SIN_LLAVERO="1")
        return env

    try:
        for count in [int(c) for c in args.uploads.split(",") if c]:
            folder = os.path.join(work, "up%d" % count)
            os.mkdir(folder)
            make_store(tool, folder, count)
            env = env_for(user)
            run_tool(tool, env, "sync-setup", folder, url, "--usuario", "u%d" % user)
            ours = run_tool(tool, env, "sync", folder)
            stored = os.path.join(work, "collections/collection-root/u%d/tarvelo" % user)
            bodies = []
            for name in sorted(os.listdir(stored)):
                if name.endswith(".ics"):
                    with open(os.path.join(stored, name), "rb") as f:
                        bodies.append((name, f.read()))
            assert len(bodies) == count, len(bodies)
            user += 1
            bare = Bare(port, user)
            assert bare.request("MKCALENDAR", "/u%d/bare/" % user)[0] == 201
            start = time.perf_counter()
            for name, content in bodies:
                status = bare.request("PUT", "/u%d/bare/%s" % (user, name), content,
                                      {"Content-Type": "text/calendar",
                                       "If-None-Match": "*"})[0]
                assert status == 201, status
            plain = time.perf_counter() - start
            print("first upload of %d days: tarvelo-db sync %.1f s, bare PUT loop %.1f s, "
                  "ratio %.2f" % (count, ours, plain, ours / plain), flush=True)
            user += 1
            if os.path.exists(VDIRSYNCER):
                # The peer a person would pick: vdirsyncer uploading the same files from a
                # folder into an empty calendar of the same server.
                assert Bare(port, user).request("MKCALENDAR", "/u%d/telefono/" % user)[0] == 201
                taken = vdirsyncer_upload(work, port, user, bodies)
                print("first upload of %d days: vdirsyncer %.1f s; tarvelo-db sync / vdirsyncer "
                      "%.2f" % (count, taken, ours / taken), flush=True)
                user += 1

        # A calendar of many days already on the server, written straight into its folder.
        days = args.days
        stored = os.path.join(work, "collections/collection-root/u%d/tarvelo" % user)
        os.makedirs(stored)
        with open(os.path.join(stored, ".Radicale.props"), "w") as props:
            props.write('{"C:supported-calendar-component-set": "VEVENT,VJOURNAL", '
                        '"D:displayname": "Tarvelo", "tag": "VCALENDAR"}')
        for i in range(days):
            with open(os.path.join(stored, "dia-%s.ics" % day(i)), "wb") as f:
                f.write(body(i, "Nota %d" % i))
        folder = os.path.join(work, "big")
        os.mkdir(folder)
        make_store(tool, folder, days)
        env = env_for(user)
        bare = Bare(port, user)
        path = "/u%d/tarvelo/" % user
        token, _ = sync_collection(bare, path, "")  # Radicale reads its folder once
        run_tool(tool, env, "sync-setup", folder, url, "--usuario", "u%d" % user)
        first = run_tool(tool, env, "sync", folder)
        print("first sync of %d days already on the server: %.1f s" % (days, first), flush=True)

        quiet, quiet_bare = [], []
        for _ in range(args.repeat):
            quiet.append(run_tool(tool, env, "sync", folder))
            start = time.perf_counter()
            token, _ = sync_collection(bare, path, token)
            quiet_bare.append(time.perf_counter() - start)
        print("sync with nothing changed among %d days: %.3f s; bare sync-collection REPORT "
              "%.3f s" % (days, statistics.median(quiet), statistics.median(quiet_bare)),
              flush=True)

        changed, changed_bare = [], []
        db = sqlite3.connect(os.path.join(folder, "calendar.mdb"))
        for r in range(args.repeat):
            picks = [(r * 20 + k) * (days // 200) for k in range(10)]
            for i in picks:
                db.execute("UPDATE calendar SET nota = ? WHERE fecha = ?",
                           ("Cambiada %d-%d" % (r, i), EPOCH + i))
            db.commit()
            changed.append(run_tool(tool, env, "sync", folder))
            # The bare side: the REPORT since its token and 10 PUTs of other days.
            others = [i + days // 400 for i in picks]
            token, listing = sync_collection(bare, path, token)
            etags = {}
            for i in others:
                status, _, etag = bare.request("GET", path + "dia-%s.ics" % day(i))
                etags[i] = etag
            start = time.perf_counter()
            token, _ = sync_collection(bare, path, token)
            for i in others:
                status = bare.request("PUT", path + "dia-%s.ics" % day(i),
                                      body(i, "Otra %d-%d" % (r, i)),
                                      {"Content-Type": "text/calendar",
                                       "If-Match": etags[i]})[0]
                assert status in (201, 204), status
            changed_bare.append(time.perf_counter() - start)
            # The tool's next sync brings those in: not measured.
            run_tool(tool, env, "sync", folder)
            token, _ = sync_collection(bare, path, token)
        ours, plain = statistics.median(changed), statistics.median(changed_bare)
        print("sync after 10 changes among %d days: %.3f s; bare REPORT + 10 PUTs %.3f s, "
              "ratio %.2f" % (days, ours, plain, ours / plain), flush=True)
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
