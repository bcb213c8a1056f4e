# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The room server under simulated players: memory per connection and per idle room, a key's way
to the other player's screen, bytes to a client, CPU per playing room, and the most rooms one
process holds with its ticks and keys on time.

Every measurement starts a fresh zirvel2-server with --stats and drives it with
zirvel2_server_load in a process of its own; on two or more cores the server is pinned to the
first and the players to the second, so that they do not take each other's time slices. Run as
root, both run at a real-time priority, so that other work on a shared machine does not either.
The last run puts two server processes behind HAProxy, routing by the room's code.

Usage: server_load.py --server ZIRVEL2_SERVER --load ZIRVEL2_SERVER_LOAD [--short | --smoke]
"""

import argparse
import json
import os
import resource
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "deploy"))
from deployment import free_port, haproxy_config  # noqa: E402

TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")
# A room holds if its timers' p99 lateness and the keys' p99 after their tick stay within these.
LATENESS_GOAL_MS = 5.0
KEY_GOAL_MS = 10.0
SPEED_NAMES = {3: "Szybko", 4: "B. Szybko"}


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS_PER_SECOND


def rss_kib(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise RuntimeError("no VmRSS")


REALTIME = os.geteuid() == 0


def pinned(cpu):
    return ((["chrt", "-f", "10"] if REALTIME else [])
            + (["taskset", "-c", str(cpu)] if os.cpu_count() >= 2 else []))


def raise_open_files():
    _, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))


class Server:
    """A zirvel2-server on a free port, reporting its timers' lateness on SIGUSR1."""

    def __init__(self, binary, site, *options):
        command = pinned(0) + [binary, "--port", "0", "--site", site, "--stats", *options]
        # Servers with per-address limits must let every simulated player in from loopback.
        help_text = subprocess.run([binary, "--help"], capture_output=True, text=True).stdout
        for option, value in (("--max-connections-per-address", "1000000"),
                              ("--max-rooms", "1000000"), ("--messages-per-second", "1000")):
            if option in help_text:
                command += [option, value]
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, text=True,
                                        preexec_fn=raise_open_files)
        line = self.process.stdout.readline()
        if "http://" not in line:
            raise RuntimeError(f"the server did not start: {line!r}")
        self.port = int(line.rsplit(":", 1)[1].split("/", 1)[0])
        self.url = f"ws://127.0.0.1:{self.port}"

    def lateness(self):
        """The wake-ups since the last call: count, p50, p99 and max in ms."""
        self.process.send_signal(signal.SIGUSR1)
        return self.read_lateness()

    def read_lateness(self):
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise RuntimeError("the server ended")
            if line.startswith("lateness:"):
                numbers = [float(word) for word in line.replace(",", " ").split()
                           if word.replace(".", "", 1).isdigit()]
                return dict(zip(("count", "p50", "p99", "max"), numbers))

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def load(binary, url, *arguments, on_ready=None, on_window=None, on_end=None):
    """Runs the simulated players; returns their figures, or None for an idle run."""
    process = subprocess.Popen(pinned(1) + [binary, "--url", url, *map(str, arguments)],
                               stdout=subprocess.PIPE, text=True)
    result = None
    for line in process.stdout:
        line = line.strip()
        if line.startswith("ready"):
            if on_ready:
                on_ready(int(line.split()[1]))
        elif line == "window":
            if on_window:
                on_window(process)
        elif line == "end":
            if on_end:
                on_end(process)
        elif line.startswith("{"):
            result = json.loads(line)
    if process.wait() != 0:
        raise RuntimeError(f"zirvel2_server_load failed with {process.returncode}")
    return result


def memory(args, site, what, count):
    """KiB of the server's resident memory per connection or idle room."""
    server = Server(args.server, site)
    try:
        # One room played and left first, so that what every server allocates once is in the base.
        load(args.load, server.url, "--rooms", 1, "--idle", "--seconds", 0.2)
        time.sleep(0.3)
        base = rss_kib(server.process.pid)
        grown = []

        def measure(seated):
            time.sleep(0.5)
            grown.append((rss_kib(server.process.pid) - base) / seated)

        load(args.load, server.url, f"--{what}", count, "--idle", "--seconds", 0.6,
             on_ready=measure)
        return grown[0]
    finally:
        server.stop()


def play(args, site, rooms, speed, seconds, warmup, proxied=0):
    """One window of play: the players' figures with the server's lateness and CPU, and the
    players' own CPU. With `proxied` processes behind HAProxy, the worst lateness of them, the
    CPU of them all, and HAProxy's apart."""
    servers = [Server(args.server, site, "--trusted-proxy", "127.0.0.1") for _ in range(proxied)]
    servers = servers or [Server(args.server, site)]
    url, proxy = servers[0].url, None
    marks = {}
    try:
        if proxied:
            port = free_port()
            config = Path(site) / "haproxy.cfg"
            # Every room of the load to the process that has it, as in the deployment's test,
            # without pages to serve or health checks to take the servers' time.
            config.write_text(haproxy_config(port, [server.port for server in servers],
                                             maxconn=9000, pages=False, checked=False))
            proxy = subprocess.Popen(pinned(0) + ["haproxy", "-db", "-f", str(config)],
                                     stderr=subprocess.DEVNULL,
                                     preexec_fn=raise_open_files)
            url = f"ws://127.0.0.1:{port}"
            for _ in range(100):
                with socket.socket() as probe:
                    if probe.connect_ex(("127.0.0.1", port)) == 0:
                        break
                time.sleep(0.05)
        measured = {"cpu": [server.process.pid for server in servers],
                    "proxy": [proxy.pid] if proxy else []}

        def cpu(pids):
            return sum(cpu_seconds(pid) for pid in pids)

        def window(players):
            for server in servers:
                server.lateness()
            measured["players"] = [players.pid]
            for key, pids in measured.items():
                marks[key] = cpu(pids)
            marks["start"] = time.monotonic()

        def end(players):
            for key, pids in measured.items():
                marks[key] = cpu(pids) - marks[key]
            marks["elapsed"] = time.monotonic() - marks["start"]
            for server in servers:
                server.process.send_signal(signal.SIGUSR1)
            marks["lateness"] = max((server.read_lateness() for server in servers),
                                    key=lambda lateness: lateness["p99"])

        result = load(args.load, url, "--rooms", rooms, "--speed", speed, "--seconds",
                      seconds, "--warmup", warmup, on_window=window, on_end=end)
    finally:
        if proxy:
            proxy.terminate()
            proxy.wait()
        for server in servers:
            server.stop()
    result["server_lateness"] = marks["lateness"]
    result["server_cpu"] = marks["cpu"] / marks["elapsed"]
    result["proxy_cpu"] = marks["proxy"] / marks["elapsed"]
    result["players_cpu"] = marks["players"] / marks["elapsed"]
    result["load_average"] = os.getloadavg()[0]
    result["holds"] = (result["server_lateness"]["p99"] <= LATENESS_GOAL_MS
                       and result["key_after_tick"]["p99"] <= KEY_GOAL_MS
                       and result["rooms"] == rooms and result["dropped"] == 0)
    return result


def print_step(result):
    print(f"| {result['rooms']:5d} | {SPEED_NAMES.get(result['speed'], result['speed']):9} "
          f"| {result['server_lateness']['p50']:5.2f} / {result['server_lateness']['p99']:6.2f} "
          f"| {result['key_after_tick']['p50']:5.2f} / {result['key_after_tick']['p99']:6.2f} "
          f"| {result['worst_room_screen_p99']:6.2f} "
          f"| {100 * result['server_cpu']:5.1f} % "
          f"| {100 * result['server_cpu'] / max(1, result['rooms']):6.3f} % "
          f"| {100 * result['proxy_cpu']:5.1f} % "
          f"| {100 * result['players_cpu']:5.1f} % | {result['load_average']:4.1f} "
          f"| {result['crashes']:5d} | {'yes' if result['holds'] else 'no'} |", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--server", required=True)
    parser.add_argument("--load", required=True)
    mode = parser.add_mutually_exclusive_group()
    mode.add_argument("--short", action="store_true", help="fewer rooms and shorter windows")
    mode.add_argument("--smoke", action="store_true", help="a few seconds, figures not judged")
    args = parser.parse_args()

    if args.smoke:
        idle, runs, seconds, warmup, fast, fastest = 20, 1, 1, 0, [], []
    elif args.short:
        idle, runs, seconds, warmup, fast, fastest = 200, 1, 3, 1, [200], [100, 250]
    else:
        idle, runs, seconds, warmup = 1000, 3, 10, 2
        fast = [1000, 1500, 2000, 2500, 3000]
        fastest = [100, 250, 500, 750, 1000, 1250, 1500, 2000]

    with tempfile.TemporaryDirectory() as site:
        per_connection = memory(args, site, "connections", idle)
        per_room = memory(args, site, "rooms", idle)
        print(f"\nRoom server, {os.cpu_count()} cores"
              + (" (server pinned to one, players to another)" if os.cpu_count() >= 2 else "")
              + (", real-time priority" if REALTIME else "")
              + f", load average {os.getloadavg()[0]:.1f}")
        print(f"resident memory per greeted connection: {per_connection:.1f} KiB "
              f"({idle} connections)")
        print(f"resident memory per idle room with two players: {per_room:.1f} KiB "
              f"({idle} rooms)")

        # One room on an otherwise idle server: the loopback's own figures.
        duels = [play(args, site, 1, 4, 2 * seconds, warmup) for _ in range(runs)]

        def median(key, field):
            return statistics.median(duel[key][field] for duel in duels)

        print(f"\nOne room at \"B. Szybko\", {seconds * 2} s, median of {runs} run(s):")
        print(f"key to the other screen: p50 {median('key_to_screen', 'p50'):.2f} ms, "
              f"p99 {median('key_to_screen', 'p99'):.2f} ms (with the rules' wait for the tick)")
        print(f"key after its tick: p50 {median('key_after_tick', 'p50'):.2f} ms, "
              f"p99 {median('key_after_tick', 'p99'):.2f} ms "
              f"({int(median('key_after_tick', 'count'))} keys)")
        print(f"tick lateness in the server: p50 {median('server_lateness', 'p50'):.2f} ms, "
              f"p99 {median('server_lateness', 'p99'):.2f} ms")
        print(f"to one client: {statistics.median(d['bytes_per_client_second'] for d in duels):.0f}"
              f" B/s of messages, "
              f"{statistics.median(d['wire_bytes_per_client_second'] for d in duels):.0f} B/s "
              f"with WebSocket frames, "
              f"{statistics.median(d['messages_per_client_second'] for d in duels):.1f} "
              f"messages/s")

        print(f"\nLoad: p99 goals {LATENESS_GOAL_MS:g} ms tick lateness, {KEY_GOAL_MS:g} ms key "
              f"after its tick, for at least 1000 rooms at \"Szybko\"; {seconds} s windows")
        print("| rooms | speed     | tick late p50 / p99 | key after tick p50 / p99 "
              "| worst room's screen p99 | server CPU | per room | HAProxy CPU | players' CPU "
              "| load avg "
              "| crashes | holds |")
        # The smoke run only shows the table's shape, with its one room.
        if args.smoke:
            print_step(duels[0])

        def climb(speed, steps):
            """Plays each step in turn up to the first that does not hold; returns the most
            rooms that held, if any did."""
            held = None
            for rooms in steps:
                step = play(args, site, rooms, speed, seconds, warmup)
                print_step(step)
                if not step["holds"]:
                    break
                held = rooms
            if steps:
                print(f"\"{SPEED_NAMES[speed]}\": {held or 'fewer than ' + str(steps[0])} rooms "
                      f"hold (the next step, if any, did not)")
            return held

        most = {3: climb(3, fast), 4: climb(4, fastest)}
        if fast and any(most.values()):
            print("\nTwo server processes behind HAProxy, each room on one of them by its code "
                  "(CPU: both processes; all three on the first core; lateness: the later "
                  "process's):")
            # The goal, then what one process held at each speed.
            proxied_steps = [(3, fast[0])] + [entry for entry in most.items() if entry[1]]
            for speed, rooms in dict.fromkeys(proxied_steps):
                print_step(play(args, site, rooms, speed, seconds, warmup, proxied=2))
    return 0


if __name__ == "__main__":
    sys.exit(main())
