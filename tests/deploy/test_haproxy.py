# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Two zirvel2-server processes behind HAProxy, which routes every connection of a room to the
same process by the room's code in the WebSocket address. The processes share nothing."""

import unittest

from deployment import SITE, Client, Processes, fetch, free_port, meet, status

ROOMS = 20
CONFIG = """
global
    maxconn 200
defaults
    mode http
    option forwardfor
    timeout connect 5s
    timeout client 1h
    timeout server 1h
frontend zirvel2
    bind 127.0.0.1:{port}
    use_backend rooms if {{ path /ws }}
    default_backend pages
backend rooms
    balance url_param room
    hash-type consistent
    option httpchk GET /status
    server one 127.0.0.1:{one} check
    server two 127.0.0.1:{two} check
backend pages
    balance roundrobin
    option httpchk GET /status
    server one 127.0.0.1:{one} check
    server two 127.0.0.1:{two} check
"""


class HAProxy(unittest.TestCase):
    def test_both_players_of_every_room_meet_on_one_process(self):
        with Processes() as processes:
            servers = [processes.server(behind_proxy=True), processes.server(behind_proxy=True)]
            port = free_port()
            config = processes.folder / "haproxy.cfg"
            config.write_text(CONFIG.format(port=port, one=servers[0], two=servers[1]))
            processes.unprivileged(["haproxy", "-db", "-f", str(config)], port)

            page = (SITE / "zirvel2.html").read_bytes()
            for _ in servers:
                self.assertEqual(fetch(f"http://127.0.0.1:{port}/zirvel2.html"), (200, page))

            # A join succeeds only on the process that has the room. The players of each room
            # come from an address of their own, more of them in all than one address may open.
            rooms = [meet(f"ws://127.0.0.1:{port}/ws", source=f"127.0.0.{room + 2}")
                     for room in range(ROOMS)]
            counts = [status(server) for server in servers]
            self.assertEqual(sum(count["rooms"] for count in counts), ROOMS)
            for count in counts:
                with self.subTest(count=count):
                    self.assertGreater(count["rooms"], 0, "every room went to one process")
                    self.assertEqual(count["connections"], 2 * count["rooms"])

            # The other process knows nothing of a room: there a join is refused.
            red, _ = rooms[0]
            joined = []
            for server in servers:
                watcher = Client(f"ws://127.0.0.1:{server}/ws", red.code)
                watcher.say(type="join", code=red.code)
                watcher.wait(lambda c: c.seat or c.refusals, what="the join's answer")
                joined.append(watcher.seat or watcher.refusals[0])
                watcher.close()
            self.assertCountEqual(joined, ["watcher", "no-such-room"])
            for red, blue in rooms:
                red.close()
                blue.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
