# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Online play in the page: rooms on the real zirvel2-server, one browser for each screen."""

import json
import os
import subprocess
import time
import unittest
from pathlib import Path

from browsers import PAGE, read_line
from displays import BROWSERS
from harness import DISPLAY, NEW_GAME, P1_HEAD, P1_TRAIL, P2_HEAD, P2_TRAIL, Game, artifact_dir

SERVER = os.environ.get("ZIRVEL2_SERVER", "zirvel2-server")
B_SZYBKO = ("alt+p", "Down", "Down", "Right", "Down", "Down", "Down", "Return")
# Gracze, from its first enabled item up round the end: "Dołącz do pokoju…", "Załóż pokój".
JOIN = ("alt+g", "Up", "Return")
CREATE = ("alt+g", "Up", "Up", "Return")
# A room code of the right form that no room has.
NO_ROOM = "ZZZZZZZZZZ"

STATUS = "document.getElementById('room-status').textContent"
IN_ROOM = "!document.getElementById('room-bar').hidden"
COUNTERS = "[1, 2].map((n) => document.getElementById(`Label3(${n})`).textContent.trim())"
MESSAGE = ("document.getElementById('message-frame').hidden ? null"
           " : document.getElementById('message-text').textContent")


class RoomServer:
    """zirvel2-server on a loopback port that the system picks, serving the page's folder."""

    def __init__(self):
        self.process = subprocess.Popen(
            [SERVER, "--site", str(Path(PAGE).resolve().parent), "--port", "0"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        # "Zirvel 2: http://127.0.0.1:40123/zirvel2.html"
        self.page = read_line(self.process.stdout, "Zirvel 2: ", timeout=10)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.process.stdout.close()


def online_ready(game):
    """Waits until the page has found that its server plays online."""
    game.display.wait_until("document.getElementById('mnuzaloz')"
                            ".getAttribute('aria-disabled') === 'false'")


def open_page(url):
    """A browser of its own showing `url` from the room server."""
    game = Game()
    game.display.navigate(url)
    game.relayout(game.size)
    return game


class Online(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if DISPLAY not in BROWSERS:
            raise unittest.SkipTest("online play in the page runs in browsers")
        cls.server = RoomServer()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def setUp(self):
        self.games = []

    def tearDown(self):
        # One browser of each kind stays for the next test; the others go.
        for game in self.games[1:]:
            game.display.quit()
            game.runtime_dir.cleanup()
        if self.games:
            self.games[0].close()

    def page(self, url):
        game = open_page(url)
        self.games.append(game)
        return game

    def test_two_players_and_a_watcher_share_a_round_and_a_dropped_player_comes_back(self):
        red = self.page(self.server.page)
        online_ready(red)
        red.key(*CREATE)
        link = red.display.wait_until(
            f"{IN_ROOM} && {STATUS}.includes('Grasz: czerwony')"
            " && document.getElementById('room-link').value")
        self.assertIn("?pokoj=", link)
        blue = self.page(link)
        blue.display.wait_until(f"{STATUS}.includes('Grasz: niebieski')")
        watcher = self.page(link)
        watcher.display.wait_until(f"{STATUS}.includes('Oglądasz')")
        red.display.wait_until(f"{STATUS}.includes('Niebieski: jest')")
        # The status line under the window has made the window smaller.
        for game in (red, blue, watcher):
            game.relayout(game.size)

        # The watcher gives no commands; the speed a player chose shows on every screen.
        self.assertEqual(watcher.display.evaluate(
            "document.getElementById('mnunowagra').getAttribute('aria-disabled')"), "true")
        red.key(*B_SZYBKO)
        for game in (red, blue, watcher):
            game.display.wait_until("document.getElementById('mnuspeed(4)')"
                                    ".getAttribute('aria-checked') === 'true'")

        # Each player turns left with the arrow key: red runs along row 9 towards blue's
        # start, blue along row 9 into the left edge, and red scores.
        red.key(NEW_GAME, "Left")
        blue.key("Left")
        played = []

        def reset(colours):
            played.append(colours[390] == P1_TRAIL)
            return colours[390] == P1_HEAD and any(played)

        readings = watcher.watch([365, 385, 350, 390], reset, timeout=20)
        watcher.screen().save(artifact_dir() / "online-watcher.png")
        self.assertIn(P2_TRAIL, [r[365] for r in readings], "blue did not turn left")
        self.assertIn(P1_TRAIL, [r[385] for r in readings], "red did not turn left")
        self.assertNotIn(P1_TRAIL, [r[350] for r in readings], "red went on up")
        counters = red.display.wait_until(f"(() => {{ const c = {COUNTERS};"
                                          " return c.join() !== '0,0' && c; })()")
        for game in (blue, watcher):
            game.display.wait_until(f"{COUNTERS}.join() === {json.dumps(','.join(counters))}")

        # The next round runs; red's connection drops and red takes its seat back.
        red.display.wait_until(f"{IN_ROOM} && !document.getElementById('Label2').hidden")
        red.display.evaluate("Module.page.roomSocket.socket.close()")
        started = time.monotonic()
        red.display.wait_until(f"{STATUS}.includes('Grasz: czerwony')"
                               f" && !{STATUS}.includes('Wracam')", timeout=30)
        blue.display.wait_until(f"{STATUS}.includes('Czerwony: jest')")
        self.assertLess(time.monotonic() - started, 30)
        self.assertEqual(red.display.evaluate(COUNTERS),
                         blue.display.evaluate(COUNTERS))
        self.assertEqual(red.display.evaluate(COUNTERS), counters)

    def test_a_wrong_code_is_told_and_leaves_the_local_game_alone(self):
        game = self.page(self.server.page)
        online_ready(game)
        game.key(NEW_GAME)
        time.sleep(3.5)
        game.key("ctrl+p")
        before = game.screen()
        counters = game.display.evaluate(COUNTERS)
        game.key(*JOIN)
        game.display.wait_until("document.activeElement.id === 'join-code'")
        game.display.evaluate(f"document.getElementById('join-code').value = '{NO_ROOM}'")
        game.key("Return")
        message = game.display.wait_until(MESSAGE)
        self.assertTrue(message.strip())
        self.assertFalse(game.display.evaluate(IN_ROOM))
        game.key("Escape")
        game.display.wait_until(f"!({MESSAGE})")
        after = game.screen()
        self.assertEqual(after.cells(), before.cells())
        self.assertEqual(game.display.evaluate(COUNTERS), counters)
        self.assertEqual(game.display.evaluate(
            "document.getElementById('mnupauza').getAttribute('aria-checked')"), "true")
        # The local game goes on where it stood.
        game.key("ctrl+p")
        game.display.wait_until(
            "document.getElementById('mnupauza').getAttribute('aria-checked') === 'false'")
        time.sleep(0.5)
        self.assertNotEqual(game.screen().cells(), before.cells())


if __name__ == "__main__":
    unittest.main()
