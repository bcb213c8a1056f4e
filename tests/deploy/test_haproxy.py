# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Two zirvel2-server processes behind HAProxy, which routes every connection of a room to the
same process by the room's code in the WebSocket address. The processes share nothing."""

import subprocess
import tempfile
import unittest
from pathlib import Path

from deployment import SITE, Client, Processes, fetch, free_port, haproxy_config, meet, status

ROOMS = 20


class HAProxy(unittest.TestCase):
    def test_both_players_of_every_room_meet_on_one_process(self):
        with Processes() as processes:
            servers = [processes.server(behind_proxy=True), processes.server(behind_proxy=True)]
            port = free_port()
            config = processes.folder / "haproxy.cfg"
            config.write_text(haproxy_config(port, servers))
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

    def test_haproxy_accepts_the_configuration_in_every_shape(self):
        # The load bench's shape is run nowhere else by the tests.
        cases = {
            "pages, checked": {},
            "the load bench's": {"maxconn": 9000, "pages": False, "checked": False},
            "pages, unchecked": {"checked": False},
            "rooms only, checked": {"pages": False},
        }
        with tempfile.TemporaryDirectory() as folder:
            config = Path(folder) / "haproxy.cfg"
            for name, options in cases.items():
                with self.subTest(name):
                    config.write_text(haproxy_config(free_port(), [8001, 8002, 8003], **options))
                    checked = subprocess.run(["haproxy", "-c", "-f", str(config)],
                                             capture_output=True, text=True)
                    self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
