# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Real zirvel2-server processes on loopback, alone or behind real proxies, and protocol
clients that play through them.

ZIRVEL2_SERVER names the executable and ZIRVEL2_SITE the page's folder it serves."""

import json
import os
import re
import secrets
import shutil
import socket
import ssl
import subprocess
import tempfile
import threading
import time
import urllib.parse
import urllib.request
from pathlib import Path

import websocket

SERVER = os.environ.get("ZIRVEL2_SERVER", "zirvel2-server")
SITE = Path(os.environ.get("ZIRVEL2_SITE", "build-web/site"))
ROOM_CODE_ALPHABET = "0123456789ABCDEFGHJKMNPQRSTVWXYZ"
NOBODY = 65534


def room_code():
    return "".join(secrets.choice(ROOM_CODE_ALPHABET) for _ in range(10))


def free_port():
    """A port free now, for a proxy, which cannot report the one it took."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_until(predicate, timeout=10, what="the condition"):
    deadline = time.monotonic() + timeout
    while not predicate():
        if time.monotonic() > deadline:
            raise AssertionError(f"{what} did not come within {timeout} s")
        time.sleep(0.05)


def fetch(url, context=None):
    """The status and body of a GET."""
    with urllib.request.urlopen(url, timeout=10, context=context) as response:
        return response.status, response.read()


def status(port):
    code, body = fetch(f"http://127.0.0.1:{port}/status")
    assert code == 200, code
    return json.loads(body)


class Processes:
    """Every process a test starts, stopped when it ends, with a folder for their files that
    the processes of an unprivileged user can read."""

    def __init__(self):
        self.folder = Path(tempfile.mkdtemp(prefix="zirvel2-deploy-"))
        self.running = []

    def __enter__(self):
        return self

    def __exit__(self, *error):
        for process in reversed(self.running):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            if process.stdout:
                process.stdout.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, command, **options):
        process = subprocess.Popen(command, **options)
        self.running.append(process)
        return process

    def server(self, command=(SERVER,), behind_proxy=False):
        """Starts zirvel2-server on a free port of loopback and returns the port it took. The
        port and the site given last win over those in `command`. Behind a proxy on loopback,
        it counts its clients by the addresses the proxy names."""
        proxy = ["--trusted-proxy", "127.0.0.1"] if behind_proxy else []
        process = self.start([*command, *proxy, "--port", "0", "--site", str(SITE)],
                             stdout=subprocess.PIPE, text=True)
        line = process.stdout.readline()
        found = re.search(r"http://127\.0\.0\.1:(\d+)/", line)
        assert found, f"zirvel2-server printed {line!r}"
        return int(found.group(1))

    def unprivileged(self, command, port):
        """Starts a proxy as nobody when the tests run as root: on a port above 1023 it needs
        no privilege, and a proxy must not be trusted with any. It runs in the tests' folder,
        which nobody may enter where the build's folder may not be (HAProxy returns to the
        folder it started in). Returns once it accepts connections on the port."""
        if os.geteuid() == 0:
            for path in [self.folder, *self.folder.rglob("*")]:
                os.chown(path, NOBODY, NOBODY)
            command = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups",
                       "--", *command]
        process = self.start(command, cwd=self.folder)

        def accepts():
            assert process.poll() is None, f"{command[-1]} ended with {process.returncode}"
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                return True
            except OSError:
                return False

        wait_until(accepts, what=f"a connection to port {port}")
        return process


class Client:
    """A protocol client reading on a thread of its own: it answers every ping at once, as a
    client must, and keeps what its screen shows."""

    def __init__(self, url, code, sslopt=None, source=None):
        # From a loopback address of its own, where `source` names one: as a player elsewhere.
        connected = None
        if source:
            parts = urllib.parse.urlsplit(url)
            connected = socket.create_connection((parts.hostname, parts.port), timeout=10,
                                                 source_address=(source, 0))
        self.socket = websocket.create_connection(f"{url}?room={code}", sslopt=sslopt,
                                                  timeout=10, socket=connected)
        self.socket.settimeout(None)
        self.changed = threading.Condition()
        self.seat = None
        self.code = None
        self.counters = ("0", "0")
        self.others = None
        self.refusals = []
        self.closed = False
        threading.Thread(target=self._read, daemon=True).start()
        self.say(type="hello", version=1)

    def say(self, **message):
        self.socket.send(json.dumps(message))

    def wait(self, predicate, timeout=10, what="the message"):
        with self.changed:
            if not self.changed.wait_for(lambda: predicate(self), timeout):
                raise AssertionError(f"{what} did not come within {timeout} s; "
                                     f"refused: {self.refusals}")

    def close(self):
        self.socket.close(timeout=2)

    def _read(self):
        while True:
            try:
                message = json.loads(self.socket.recv())
            except (websocket.WebSocketException, OSError, ValueError):
                break
            if message["type"] == "ping":
                self.say(type="pong", id=message["id"])
                continue
            with self.changed:
                if message["type"] == "welcome":
                    self.seat, self.code = message["seat"], message["code"]
                elif message["type"] == "counters":
                    self.counters = (message["red"], message["blue"])
                elif message["type"] == "presence":
                    self.others = (message["red"], message["blue"])
                elif message["type"] == "refused":
                    self.refusals.append(message["reason"])
                self.changed.notify_all()
        with self.changed:
            self.closed = True
            self.changed.notify_all()


def meet(url, sslopt=None, source=None):
    """A room created by one client and joined by another, both through `url` (and from
    `source`, where it names a loopback address)."""
    code = room_code()
    red = Client(url, code, sslopt, source)
    red.say(type="create", code=code)
    red.wait(lambda c: c.seat == "red", what="red's seat")
    blue = Client(url, code, sslopt, source)
    blue.say(type="join", code=code)
    blue.wait(lambda c: c.seat == "blue", what="blue's seat")
    red.wait(lambda c: c.others == ("here", "here"), what="blue's arrival")
    return red, blue


def play_round(red, blue):
    """The fastest speed, a new game and a turn into blue's own trail: after the countdown a
    head crashes within a second. Returns the counters both screens show."""
    blue.say(type="speed", level=4)
    red.say(type="command", command="nowa-gra")
    blue.say(type="key", key="left", down=True, origin="keyboard")
    red.wait(lambda c: c.counters != ("0", "0"), what="the crash")
    blue.wait(lambda c: c.counters == red.counters, what="the same counters")
    return red.counters


def haproxy_config(port, backends, maxconn=200, pages=True, checked=True):
    """HAProxy on loopback `port` in front of zirvel2-server processes on the `backends` ports:
    every connection of a room goes to the same process, chosen by the room's code in the
    WebSocket address. With `pages` the other requests go to any of them; `checked` has HAProxy
    ask each for its /status and leave out one that does not answer."""
    check = ["    option httpchk GET /status"] if checked else []
    servers = [f"    server s{i} 127.0.0.1:{backend}{' check' if checked else ''}"
               for i, backend in enumerate(backends)]
    lines = [
        "global",
        f"    maxconn {maxconn}",
        "defaults",
        "    mode http",
        "    option forwardfor",
        "    timeout connect 5s",
        "    timeout client 1h",
        "    timeout server 1h",
        "frontend zirvel2",
        f"    bind 127.0.0.1:{port}",
        "    use_backend rooms if { path /ws }",
        *(["    default_backend pages"] if pages else []),
        "backend rooms",
        "    balance url_param room",
        "    hash-type consistent",
        *check,
        *servers,
    ]
    if pages:
        lines += ["backend pages", "    balance roundrobin", *check, *servers]
    return "\n".join(lines) + "\n"


def tls_context(certificate):
    return ssl.create_default_context(cafile=str(certificate))


def self_signed_certificate(folder):
    """A certificate for 127.0.0.1 and its key, made by openssl."""
    certificate, key = folder / "certificate.pem", folder / "key.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1", "-subj",
                    "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                    str(key), "-out", str(certificate)], check=True, capture_output=True)
    return certificate, key
