# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The window as it starts, a new game's start layout, and quitting; and the page served from
a web server as an app that a browser can install and that plays offline."""

import json
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from displays import BROWSERS
from harness import (BLACK, BOARD_ORIGIN, COUNTDOWN, COUNTER_1, COUNTER_2, DISPLAY, NEW_GAME,
                     P1_TRAIL, P2_TRAIL, START_LAYOUT, Game, artifact_dir, display_offers,
                     sleep_until)

GREY = (64, 64, 64)
SOURCE = Path(__file__).resolve().parents[2]


def under_countdown(x, y):
    # The countdown label may already show its first digit over columns 18-19 of rows 1-3.
    return COUNTDOWN[0] <= x < COUNTDOWN[0] + 32 and COUNTDOWN[1] <= y < COUNTDOWN[1] + 48


# The menu as the accessibility tree reads it, with "Prędkość gry" open before any game: the
# names are the items' text alone; checks and arrows are states.
MENU_ITEMS = [
    ("menuitem", "Nowa gra", {}),
    ("menuitemcheckbox", "Pauza", {"checked": False, "disabled": True}),
    ("menuitem", "Koniec gry", {}),
    ("menuitem", "Prędkość gry", {"expanded": True}),
    ("menuitemradio", "Wolno", {"checked": False}),
    ("menuitemradio", "Średnio", {"checked": False}),
    ("menuitemradio", "Szybko", {"checked": True}),
    ("menuitemradio", "B. Szybko", {"checked": False}),
    ("menuitem", "Koniec", {}),
]
# "Gracze" with red's submenu open, after red was handed to "Komputer: średni".
PLAYERS_ITEMS = [
    ("menuitem", "Czerwony – strzałki", {"expanded": True}),
    ("menuitemradio", "Człowiek", {"checked": False}),
    ("menuitemradio", "Komputer: łatwy", {"checked": False}),
    ("menuitemradio", "Komputer: średni", {"checked": True}),
    ("menuitemradio", "Komputer: trudny", {"checked": False}),
    ("menuitem", "Niebieski – W A S D", {"expanded": False}),
]


def only_in_browsers():
    if not display_offers("text_contrasts"):
        raise unittest.SkipTest("the desktop's colours and accessibility are the toolkit's")


def ring_around_board(screen):
    """The device pixels up to six window pixels outside the board's edges that are not the
    client area's grey: a focus ring would be there."""
    left, top = screen.board
    right, bottom = left + 40 * screen.side, top + 23 * screen.side
    band = round(6 * screen.scale)
    points = [(x, y) for x in range(left - band, right + band)
              for y in (*range(top - band, top), *range(bottom, bottom + band))]
    points += [(x, y) for y in range(top, bottom)
               for x in (*range(left - band, left), *range(right, right + band))]
    return [point for point in points if screen.device_pixel(*point) != GREY]


class Board(unittest.TestCase):
    def test_start_up_shows_an_empty_board(self):
        with Game() as game:
            screen = game.screen()
            self.assertEqual(screen.board_mismatches({}), [])
            # The board has the keyboard, and no ring around it says so.
            self.assertEqual(ring_around_board(screen), [])
            self.assertEqual(screen.pixel(5, 5), GREY)
            self.assertEqual(screen.pixel(BOARD_ORIGIN[0] - 1, BOARD_ORIGIN[1]), GREY)
            self.assertEqual(screen.pixel(656, 408), GREY)
            self.assertEqual(screen.pixel(655, 407), BLACK)

    def test_ctrl_n_paints_the_start_layout_pixel_for_pixel(self):
        with Game() as game:
            game.key("ctrl+n")
            screen = game.screen()
            screen.save(artifact_dir() / "new-game.png")
            self.assertEqual(screen.board_mismatches(START_LAYOUT, skip=under_countdown), [])

    def test_window_carries_the_game_icon(self):
        with Game() as game:
            if game.display.name == "wayland":
                # A Wayland window has no icon of its own: the compositor takes the icon of
                # the desktop entry that the window's app id names.
                self.assertEqual(game.display.app_id(game.window), "pl.morvid.Zirvel2")
                return
            sizes = game.display.icon_sizes(game.window, game.env)
            for size in (16, 32, 48):
                self.assertIn(size, sizes)

    def test_ctrl_k_quits_at_once(self):
        with Game() as game:
            game.key(NEW_GAME)
            game.key("ctrl+k")
            self.assertTrue(game.display.ended(game.process, timeout=10))
            if hasattr(game.display, "text_contrasts"):
                # The ended page leaves every key to the browser: its own print and menu keys.
                game.display.evaluate("window.zirvel2Keys = [];"
                                      " addEventListener('keydown', (event) =>"
                                      "   zirvel2Keys.push([event.key, event.defaultPrevented]))")
                game.key("ctrl+p", "ctrl+k", "F10", "F2", "Left", "space")
                keys = game.display.evaluate("zirvel2Keys")
                self.assertEqual([key for key, _ in keys if key != "Control"],
                                 ["p", "k", "F10", "F2", "ArrowLeft", " "])
                self.assertEqual([key for key, taken in keys if taken], [])

    def test_every_text_of_the_page_reads_against_its_background(self):
        only_in_browsers()
        with Game() as game:
            page = game.display

            def readable(state):
                texts = page.text_contrasts()
                self.assertTrue(texts, state)
                self.assertEqual([t for t in texts if t[1] < 4.5], [], state)

            readable("start")
            # Before any game "Pauza" is disabled; the pointer marks it all the same.
            game.key("alt+p")
            x, y, width, height = page.element_rect("#mnupauza")
            game.point(x + width // 2, y + height // 2)
            readable("menu, a disabled item marked")
            game.key("Down", "Down", "Right")
            readable("submenu")
            game.key("Right", "Right")
            readable("players' submenu")
            game.key("Escape", "Escape")
            game.point(*(v - 1 for v in game.size))  # away from the menu
            game.key("alt+p", "Down", "Return")
            game.find_window("Koniec gry")
            readable("game-over dialog")
            game.key("Escape", "ctrl+k")
            self.assertTrue(page.ended(game.process, timeout=5))
            readable("ended")

    def test_menu_items_read_by_role_name_and_state(self):
        only_in_browsers()
        with Game() as game:
            game.key("alt+p", "Down", "Down", "Right")
            # The shortcut the page shows for "Nowa gra" is one a browser hands to it.
            self.assertEqual(game.display.evaluate(
                "document.querySelector('#mnunowagra .shortcut').textContent"), "F2")
            self.assert_items(game, MENU_ITEMS)
            game.key("Escape", "Escape", "alt+g", "Right", "Down", "Down", "Return")
            game.key("alt+g", "Right")
            self.assert_items(game, PLAYERS_ITEMS)

    def assert_items(self, game, items):
        for role, name, states in items:
            with self.subTest(name=name):
                found = game.display.accessible(role, name)
                self.assertEqual(len(found), 1, found)
                for state, value in states.items():
                    self.assertEqual(bool(found[0].get(state)), value, state)

    def test_the_keyboard_focus_shows_wherever_tab_takes_it(self):
        only_in_browsers()
        with Game() as game:
            focus = ("[document.activeElement.id, document.hasFocus(),"
                     " getComputedStyle(document.activeElement).outlineStyle]")
            self.assertEqual(game.display.evaluate(focus)[0], "board")
            # A ring shows on the menu bar, where the keyboard moves between controls; none on
            # the board, which has the keyboard whenever the players do. The menu bar is one
            # stop; the arrows move along it.
            for key, expected, ring in (("Tab", "mnuplik", True), ("Right", "mnugracze", True),
                                        ("Tab", "board", False), ("Tab", "mnugracze", True),
                                        ("Left", "mnuplik", True)):
                game.key(key)
                element, window_focused, outline = game.display.evaluate(focus)
                self.assertEqual(element, expected)
                # A headless Firefox window never has the system's focus, and then nothing in
                # it matches :focus.
                if window_focused or not ring:
                    self.assertEqual(outline != "none", ring, element)
            self.assertEqual(ring_around_board(game.screen()), [])

    def test_the_mouse_opens_plik_and_a_click_elsewhere_closes_it(self):
        only_in_browsers()
        with Game() as game:
            page = game.display
            expanded = "document.getElementById('mnuplik').getAttribute('aria-expanded')"
            x, y, width, height = page.element_rect("#mnuplik")
            board_x, board_y, board_width, board_height = page.element_rect("#board")
            for point, opened in (((x + width // 2, y + height // 2), "true"),
                                  ((board_x + board_width // 2, board_y + board_height // 2),
                                   "false")):
                game.click(*point)
                self.assertEqual(page.evaluate(expanded), opened)

    def test_the_board_has_the_keyboard_again_once_the_menu_has_closed(self):
        # Closed by Escape, from the menu bar's button, by its key, and by a chosen item.
        ways = {"Escape": ("alt+p", "Escape"), "from the button": ("Tab", "Return", "Escape"),
                "F10": ("F10", "F10"), "Nowa gra": ("alt+p", "Return")}
        only_in_browsers()
        with Game() as game:
            for way, keys in ways.items():
                with self.subTest(way):
                    game.key(*keys)
                    self.assertEqual(game.display.evaluate(
                        "[document.activeElement.id,"
                        " document.getElementById('mnuplik').getAttribute('aria-expanded')]"),
                        ["board", "false"])
                    # Space and Down are the players' again, and open no menu.
                    game.key("space", "Down")
                    self.assertEqual(game.display.evaluate(
                        "document.getElementById('mnuplik').getAttribute('aria-expanded')"),
                        "false")

    def test_closing_the_window_during_a_round_exits_cleanly(self):
        if DISPLAY in BROWSERS:
            self.skipTest("a page is not closed through a window manager")
        for wait in (1.0, 3.5):  # during the countdown, then while the heads move
            with Game() as game:
                game.key(NEW_GAME)
                time.sleep(wait)
                game.request_close()
                self.assertEqual(game.process.wait(timeout=10), 0)


def web_display():
    """The browser the scenarios run in, or None on a desktop."""
    name = os.environ.get("ZIRVEL2_E2E_DISPLAY", "x11")
    return name if name in BROWSERS else None


def css_colour(hex_colour):
    """A "#rrggbb" colour as a browser's computed style writes it."""
    red, green, blue = (int(hex_colour[i:i + 2], 16) for i in (1, 3, 5))
    return f"rgb({red}, {green}, {blue})"


class Installed(unittest.TestCase):
    """The folder of the browser build on a static web server: an app a browser can install,
    whose service worker keeps every file, so that after one visit the game plays with no
    server at all."""

    def setUp(self):
        if not web_display():
            self.skipTest("only the browser build is served from a web server")
        from browsers import PAGE, StaticServer
        self.site = Path(PAGE).resolve().parent
        self.serve = StaticServer

    def test_after_one_visit_the_game_plays_with_the_server_stopped(self):
        manifest = json.loads((self.site / "manifest.webmanifest").read_text())
        with self.serve(self.site) as server, Game() as game:
            browser = game.display
            # The manifest's colours are the page's, so that an installed game opens on the
            # colour it is drawn on.
            background = browser.evaluate("getComputedStyle(document.body).backgroundColor")
            theme = browser.evaluate(
                "document.querySelector('meta[name=theme-color]').content")
            self.assertEqual(css_colour(manifest["background_color"]), background)
            self.assertEqual(manifest["theme_color"].lower(), theme.lower())

            address = server.url + "zirvel2.html"
            browser.navigate(address)
            browser.wait_until("!!navigator.serviceWorker.controller")
            # Only Chromium's DevTools judge whether a page can be installed; Firefox on the
            # desktop installs no web apps.
            if hasattr(browser, "installability_errors"):
                self.assertEqual(browser.installability_errors(), [])
                self.assertEqual(browser.manifest_errors(),
                                 (server.url + "manifest.webmanifest", []))

            server.stop()
            browser.reload()
            self.assertEqual(browser.evaluate("location.href"), address)
            screen = game.screen()
            self.assertEqual(screen.board_mismatches({}), [])
            zero = screen.region(COUNTER_1)
            # Every file of the folder comes from the worker: the manifest and the icons an
            # installed game shows, too. The browser keeps the worker's own script itself.
            files = sorted(path.name for path in self.site.iterdir()
                           if path.name != "service-worker.js")
            fetched = browser.settle(
                f"Promise.all({json.dumps(files)}.map((file) => fetch(file)"
                ".then((response) => response.ok ? file : 'no ' + file, () => 'no ' + file)))")
            self.assertEqual(fetched, files)

            # A round plays: the heads move, run into the top edge, and player 1 scores.
            game.key(NEW_GAME)
            started = time.monotonic()
            sleep_until(started + 3.5)
            moving = game.screen()
            self.assertEqual(moving.cell(390), P1_TRAIL)
            self.assertEqual(moving.cell(370), P2_TRAIL)
            after = game.screen_when(lambda screen: screen.region(COUNTER_1) != zero
                                     and screen.occupied() == START_LAYOUT, started + 5.6)
            after.save(artifact_dir() / "offline-after-crash.png")
            self.assertEqual(after.occupied(), START_LAYOUT)
            self.assertNotEqual(after.region(COUNTER_1), zero)
            self.assertEqual(after.region(COUNTER_2), zero)

    def test_a_new_build_replaces_the_kept_game_and_its_cache(self):
        names = "caches.keys().then((names) => names.filter((n) => n.startsWith('zirvel2 ')))"
        with tempfile.TemporaryDirectory() as folder:
            site = Path(folder) / "site"
            shutil.copytree(self.site, site)
            with self.serve(site) as server, Game() as game:
                browser = game.display
                browser.navigate(server.url + "zirvel2.html")
                browser.wait_until("!!navigator.serviceWorker.controller")
                first = browser.settle(names)
                self.assertEqual(first, [f"zirvel2 {server.url} {self.version(site)}"])

                # A new build: another page, and the worker that the build writes beside it.
                page = site / "zirvel2.html"
                page.write_text(page.read_text().replace(
                    "<head>", '<head>\n<meta name="build" content="new">', 1))
                subprocess.run(["cmake", f"-DSITE={site}",
                                f"-DTEMPLATE={SOURCE / 'web' / 'service-worker.js.in'}",
                                "-P", str(SOURCE / "web" / "service_worker.cmake")], check=True)
                version = self.version(site)
                self.assertNotIn(version, first[0])

                # A visit finds the new worker; it takes over at once and keeps only the new
                # build, which the next visit shows.
                browser.reload()
                deadline = time.monotonic() + 10
                while (kept := browser.settle(names)) != [f"zirvel2 {server.url} {version}"]:
                    if time.monotonic() > deadline:
                        self.fail(f"the browser keeps {kept}")
                    time.sleep(0.1)
                browser.reload()
                self.assertTrue(browser.evaluate("!!document.querySelector('meta[name=build]')"))

    @staticmethod
    def version(site):
        worker = (site / "service-worker.js").read_text()
        return re.search(r"const Version = '([0-9a-f]+)'", worker).group(1)


if __name__ == "__main__":
    unittest.main(verbosity=2)
