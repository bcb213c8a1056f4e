# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The game-over window on the real desktop: opened from the menu, closed by real keys and
clicks, and the author link handed to the desktop's browser."""

import os
import stat
import tempfile
import time
import unittest
from pathlib import Path

from displays import BROWSERS
from harness import COUNTER_1, COUNTER_2, DISPLAY, NEW_GAME, Game, artifact_dir, display_offers

DARK_RED = (64, 0, 0)
# Plik > Koniec gry, once a game has enabled "Pauza".
OPEN_GAME_OVER = ("alt+p", "Down", "Down", "Return")
# What the page shows of the window and the game behind it: the game-over window open, the
# menu open, a game started, the game ended.
PAGE_STATE = ("[!document.getElementById('dialog-frame').hidden,"
              " document.getElementById('mnuplik').getAttribute('aria-expanded') === 'true',"
              " document.getElementById('mnupauza').getAttribute('aria-disabled') === 'false',"
              " !document.getElementById('ended').hidden]")


def play_until_player_1_scores(game):
    zero = game.screen().region(COUNTER_1)
    game.key(NEW_GAME)
    # At "Szybko" both heads reach the top 4.6 s after "Nowa gra"; player 1 is charged.
    game.screen_when(lambda screen: screen.region(COUNTER_1) != zero, time.monotonic() + 5.2)


class GameOver(unittest.TestCase):
    def test_enter_on_zamknij_resets_both_counters(self):
        with Game() as game:
            zero = game.screen().region(COUNTER_1)
            play_until_player_1_scores(game)
            self.assertNotEqual(game.screen().region(COUNTER_1), zero)

            game.key(*OPEN_GAME_OVER)
            dialog = game.find_window("Koniec gry")
            x, y, width, height = game.geometry(dialog)
            self.assertEqual((width, height), (round(312 * game.scale), round(213 * game.scale)))
            # Shown over the main window, wherever the display system put that.
            main_x, main_y, main_width, main_height = game.geometry()
            self.assertTrue(main_x <= x and x + width <= main_x + main_width, (x, main_x))
            self.assertTrue(main_y <= y and y + height <= main_y + main_height, (y, main_y))
            screen = game.screen()
            screen.save(artifact_dir() / "game-over.png")
            origin = game.client_origin()
            self.assertEqual(screen.device_pixel(x - origin[0] + 20, y - origin[1] + 100), DARK_RED)

            game.focus(dialog)
            game.key("Return")
            self.assertTrue(game.window_gone("Koniec gry"))
            game.focus()
            screen = game.screen()
            self.assertEqual(screen.region(COUNTER_1), zero)
            self.assertEqual(screen.region(COUNTER_2), zero)

    def test_a_finger_works_the_menu_and_the_dialog(self):
        if not display_offers("tap"):
            self.skipTest("the desktop window is played with keys and pads")
        with Game() as game:
            page = game.display
            # A phone held upright; only Chromium can pretend that its pointer is a finger.
            page.touch_screen(390, 844, 3)
            coarse = page.evaluate("matchMedia('(pointer: coarse)').matches")
            smallest = ("Math.min(...[...document.querySelectorAll({!r})]"
                        ".filter((e) => e.offsetWidth).map((e) => {{"
                        " const r = e.getBoundingClientRect();"
                        " return Math.min(r.width, r.height); }}))")
            attribute = "document.querySelector({!r}).getAttribute({!r})"
            help_text = page.evaluate("document.getElementById('help').innerText")
            self.assertEqual(("palcem" in help_text, "F2" in help_text), (coarse, not coarse))

            # Plik > Prędkość gry > B. Szybko, by tap.
            page.tap_element("#mnuplik")
            page.tap_element("#mnupredkoscgry")
            self.assertEqual(page.evaluate(attribute.format("#mnupredkoscgry", "aria-expanded")),
                             "true")
            if coarse:
                self.assertGreaterEqual(page.evaluate(smallest.format(
                    "#mnuplik, #menu-plik [role^=menuitem]")), 44)
            page.tap_element('[id="mnuspeed(4)"]')
            self.assertEqual(page.evaluate(attribute.format('[id="mnuspeed(4)"]', "aria-checked")),
                             "true")
            self.assertEqual(page.evaluate(attribute.format("#mnuplik", "aria-expanded")), "false")

            # Plik > Koniec gry, and "Zamknij".
            page.tap_element("#mnuplik")
            page.tap_element("#mnukoniecgry")
            game.find_window("Koniec gry")
            prompt = "document.getElementById('prompt').offsetWidth > 0"
            if coarse:
                self.assertGreaterEqual(page.evaluate(smallest.format("#cmdkoniec, #Label3")), 44)
                self.assertFalse(page.evaluate(prompt))
            page.viewport_screenshot().save(artifact_dir() / "touch-game-over.png")
            page.tap_element("#cmdkoniec")
            self.assertTrue(game.window_gone("Koniec gry"))
            # No game runs: a touch screen offers "Nowa gra" again.
            self.assertEqual(page.evaluate(prompt), coarse)

    def test_keys_that_close_the_window_and_keep_the_counters(self):
        # Escape closes; on a page, Tab takes the keyboard to the link and Enter follows it.
        with Game() as game:
            ways = [("Escape",)]
            if hasattr(game.display, "text_contrasts"):
                ways.append(("Tab", "Return"))  # the desktop's link takes no keyboard focus
            play_until_player_1_scores(game)
            scored = game.screen().region(COUNTER_1)
            for keys in ways:
                with self.subTest(keys=keys):
                    game.key(*OPEN_GAME_OVER)
                    dialog = game.find_window("Koniec gry")
                    game.focus(dialog)
                    game.key(*keys)
                    self.assertTrue(game.window_gone("Koniec gry"))
                    game.focus()
                    self.assertEqual(game.screen().region(COUNTER_1), scored)

    def test_author_link_opens_a_web_address_and_keeps_the_counters(self):
        with tempfile.TemporaryDirectory() as folder:
            record = Path(folder) / "opened"
            browser = Path(folder) / "xdg-open"
            browser.write_text(f'#!/bin/sh\nprintf "%s" "$1" > "{record}"\n')
            browser.chmod(browser.stat().st_mode | stat.S_IXUSR)
            path = f"{folder}{os.pathsep}{os.environ.get('PATH', '')}"
            with Game({"PATH": path}) as game:
                zero = game.screen().region(COUNTER_1)
                play_until_player_1_scores(game)
                scored = game.screen().region(COUNTER_1)
                self.assertNotEqual(scored, zero)

                game.key(*OPEN_GAME_OVER)
                dialog = game.find_window("Koniec gry")
                x, y, _, _ = game.geometry(dialog)
                s = game.scale
                game.click(x + round((8 + 12) * s), y + round((192 + 8) * s))
                self.assertTrue(game.window_gone("Koniec gry"))

                self.assertRegex(game.display.opened_address(record, timeout=10), r"^https?://")
                # The round went on being stopped: the counter is still the one scored.
                self.assertEqual(game.screen().region(COUNTER_1), scored)

    def test_keys_stop_at_the_window(self):
        if DISPLAY not in BROWSERS:
            self.skipTest("the desktop's window is modal by the toolkit's own rules")
        with Game() as game:
            # Before any game "Pauza" is disabled and skipped.
            game.key("alt+p", "Down", "Return")
            game.find_window("Koniec gry")
            for key in (NEW_GAME, "ctrl+n", "ctrl+p", "F10", "ctrl+k", "Left", "a", "Shift_R"):
                with self.subTest(key=key):
                    game.key(key)
                    self.assertEqual(game.display.evaluate(PAGE_STATE),
                                     [True, False, False, False])
            game.key("Escape")
            self.assertEqual(game.display.evaluate(PAGE_STATE), [False, False, False, False])

    def test_link_is_underlined_exactly_while_the_pointer_is_on_it(self):
        with Game() as game:
            # Before any game "Pauza" is disabled and skipped.
            game.key("alt+p", "Down", "Return")
            dialog = game.find_window("Koniec gry")
            x, y, _, _ = game.geometry(dialog)
            s = game.scale

            def at(dx, dy):
                """A point of the game-over window, from its own pixels."""
                return x + round(dx * s), y + round(dy * s)

            def blue_by_row():
                # The link in its own blue, down to the window's bottom edge.
                width, height = round(64 * s), round(21 * s)
                data = game.display.grab(*at(8, 192), width, height)
                return [sum(1 for i in range(row * width * 3, (row + 1) * width * 3, 3)
                            if data[i:i + 3] == b"\0\0\xff") for row in range(height)]

            # The underline lies in rows the letters leave empty. On Wayland the pointer is
            # drawn into the screen too, and may hide part of it.
            empty_rows = [row for row, blue in enumerate(blue_by_row()) if blue == 0]

            def underline_pixels():
                now = blue_by_row()
                return sum(now[row] for row in empty_rows)

            outside = at(-30, 100)  # over the main window
            # Each jump lands without a move over the game-over window.
            for point, underlined in ((outside, False), (at(12, 194), True),
                                      (outside, True), (at(280, 100), False),
                                      (outside, False), (at(12, 194), True)):
                game.point(*point)
                time.sleep(0.3)
                self.assertEqual(underline_pixels() > 15 * s, underlined, point)
            game.screen().save(artifact_dir() / "link-underlined.png")


if __name__ == "__main__":
    unittest.main(verbosity=2)
