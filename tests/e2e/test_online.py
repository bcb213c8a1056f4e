# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Online play on the real zirvel2-server: rooms of pages, one browser for each screen, and on
X11 a room that the desktop game shares with pages."""

import json
import os
import subprocess
import time
import unittest
from pathlib import Path

from browsers import PAGE, read_line
from displays import BROWSERS
from harness import (COUNTER_1, COUNTER_2, DISPLAY, NEW_GAME, P1_HEAD, P1_TRAIL, P2_HEAD,
                     P2_TRAIL, START_LAYOUT, Game, artifact_dir, new_game_key)

SERVER = os.environ.get("ZIRVEL2_SERVER", "zirvel2-server")
B_SZYBKO = ("alt+p", "Down", "Down", "Right", "Down", "Down", "Down", "Return")
# Gracze, from its first enabled item up round the end: "Dołącz do pokoju…", "Załóż pokój".
JOIN = ("alt+g", "Up", "Return")
CREATE = ("alt+g", "Up", "Up", "Return")
# A room code of the right form that no room has.
NO_ROOM = "ZZZZZZZZZZ"
# The desktop's Plik > Prędkość gry > B. Szybko: up round from the first item, whichever items
# a room has enabled, and up round in the submenu.
DESKTOP_B_SZYBKO = ("alt+p", "Up", "Up", "Return", "Up", "Return")
# The desktop's questions before a room, and the browser its pages open in.
DESKTOP_ASKS = "Gra przez sieć"
PAGE_BROWSER = "chromium"

STATUS = "document.getElementById('room-status').textContent"
IN_ROOM = "!document.getElementById('room-bar').hidden"
COUNTERS = "[1, 2].map((n) => document.getElementById(`Label3(${n})`).textContent.trim())"
# The numbers alone, without what a screen reader says before them.
COUNTS = ("[1, 2].map((n) => document.getElementById(`Label3(${n})`)"
          ".querySelector('.count').textContent)")
CODE = "new URL(document.getElementById('room-link').value).searchParams.get('pokoj')"
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


def open_page(url, display=DISPLAY):
    """A browser of its own showing `url` from the room server."""
    game = Game(display=display)
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


class DesktopAndPages(unittest.TestCase):
    """The desktop game in a room of pages: the server's address and the room's code typed into
    its questions, its own keys and menu, and the room's round read from its screen."""

    @classmethod
    def setUpClass(cls):
        if DISPLAY != "x11":
            raise unittest.SkipTest("the desktop joins pages' rooms on X11")
        cls.server = RoomServer()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def setUp(self):
        self.pages = []
        self.desktop = Game()
        self.addCleanup(self.desktop.close)

    def tearDown(self):
        # The first browser stays for a next test; the others go.
        for page in self.pages[1:]:
            page.display.quit()
            page.runtime_dir.cleanup()
        if self.pages:
            self.pages[0].close()

    def page(self, url):
        game = open_page(url, PAGE_BROWSER)
        self.pages.append(game)
        return game

    def test_the_desktop_plays_blue_against_a_page_and_a_page_watches(self):
        desktop = self.desktop
        desktop.pin_client_area()
        red = self.page(self.server.page)
        online_ready(red)
        red.key(*CREATE)
        code = red.display.wait_until(f"{IN_ROOM} && {STATUS}.includes('Grasz: czerwony')"
                                      f" && {CODE}")

        # As a user does: Gracze > Dołącz do pokoju…, the server's address, then the code.
        desktop.key(*JOIN)
        desktop.answer(DESKTOP_ASKS, self.server.page.rsplit("/", 1)[0] + "/")
        desktop.answer(DESKTOP_ASKS, code)
        desktop.focus()
        red.display.wait_until(f"{STATUS}.includes('Niebieski: jest')")
        watcher = self.page(red.display.evaluate("document.getElementById('room-link').value"))
        watcher.display.wait_until(f"{STATUS}.includes('Oglądasz')")
        for game in (red, watcher):
            game.relayout(game.size)
        zero = desktop.screen().region(COUNTER_1)

        # The desktop chooses the speed; the pages show it.
        desktop.key(*DESKTOP_B_SZYBKO)
        for game in (red, watcher):
            game.display.wait_until("document.getElementById('mnuspeed(4)')"
                                    ".getAttribute('aria-checked') === 'true'")

        # Red's page starts the round and turns right along row 9, ten cells from the right
        # edge. On the desktop the arrows are red's keys; in the room they are the desktop's
        # seat's: blue turns left along row 9, nine cells from the left edge, crashes a move
        # before red would, and is charged with the crash.
        red.key(new_game_key(PAGE_BROWSER), "Right")
        desktop.watch(START_LAYOUT, lambda colours: colours == START_LAYOUT, timeout=5)
        desktop.key("Left")
        played = []

        def reset(colours):
            played.append(colours[390] == P1_TRAIL)
            return colours[390] == P1_HEAD and any(played)

        # Each head's trail where its own screen sent it, and none where it would be had a key
        # steered the other head, or no head: each with what a failure means.
        trails = [(365, P2_TRAIL, True, "blue did not turn left"),
                  (375, P2_TRAIL, False, "blue turned right"),
                  (330, P2_TRAIL, False, "blue went on up"),
                  (395, P1_TRAIL, True, "red did not turn right"),
                  (385, P1_TRAIL, False, "red turned left"),
                  (350, P1_TRAIL, False, "red went on up")]
        readings = desktop.watch([cell for cell, *_ in trails] + [390], reset, timeout=20)
        for cell, trail, shown, meaning in trails:
            self.assertEqual(trail in [r[cell] for r in readings], shown, meaning)

        # The next round's crash is seconds away: every screen has counted this one by then.
        # The desktop may paint its counters a moment after the board.
        deadline = time.monotonic() + 2
        while True:
            screen = desktop.screen()
            scored = [screen.region(c) != zero for c in (COUNTER_1, COUNTER_2)]
            if any(scored) or time.monotonic() > deadline:
                break
            time.sleep(0.02)
        self.assertEqual(scored, [False, True])
        counts = watcher.display.wait_until(f"(() => {{ const c = {COUNTS};"
                                            " return c.join() !== '0,0' && c; })()")
        self.assertEqual(counts, ["0", "1"])
        red.display.wait_until(f"{COUNTS}.join() === '0,1'")
        screen.save(artifact_dir() / "online-desktop.png")
        watcher.screen().save(artifact_dir() / "online-desktop-watcher.png")


if __name__ == "__main__":
    unittest.main()
