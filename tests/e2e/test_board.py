# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The window as it starts, a new game's start layout, and quitting."""

import time
import unittest

from harness import BLACK, BOARD_ORIGIN, COUNTDOWN, NEW_GAME, START_LAYOUT, Game, artifact_dir

GREY = (64, 64, 64)


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


def only_in_browsers(game):
    if not hasattr(game.display, "text_contrasts"):
        raise unittest.SkipTest("the desktop's colours and accessibility are the toolkit's")


class Board(unittest.TestCase):
    def test_start_up_shows_an_empty_board(self):
        with Game() as game:
            screen = game.screen()
            self.assertEqual(screen.board_mismatches({}), [])
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

    def test_every_text_of_the_page_reads_against_its_background(self):
        with Game() as game:
            only_in_browsers(game)
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
            game.key("Escape", "Escape")
            game.point(*(v - 1 for v in game.size))  # away from the menu
            game.key("alt+p", "Down", "Return")
            game.find_window("Koniec gry")
            readable("game-over dialog")
            game.key("Escape", "ctrl+k")
            self.assertTrue(page.ended(game.process, timeout=5))
            readable("ended")

    def test_menu_items_read_by_role_name_and_state(self):
        with Game() as game:
            only_in_browsers(game)
            game.key("alt+p", "Down", "Down", "Right")
            for role, name, states in MENU_ITEMS:
                with self.subTest(name=name):
                    found = game.display.accessible(role, name)
                    self.assertEqual(len(found), 1, found)
                    for state, value in states.items():
                        self.assertEqual(bool(found[0].get(state)), value, state)

    def test_the_keyboard_focus_shows_wherever_tab_takes_it(self):
        with Game() as game:
            only_in_browsers(game)
            focus = ("[document.activeElement.id, document.hasFocus(),"
                     " getComputedStyle(document.activeElement).outlineStyle]")
            self.assertEqual(game.display.evaluate(focus)[0], "board")
            for expected in ("mnuplik", "board"):
                game.key("Tab")
                element, window_focused, outline = game.display.evaluate(focus)
                self.assertEqual(element, expected)
                # A headless Firefox window never has the system's focus, and then nothing in
                # it matches :focus.
                if window_focused:
                    self.assertNotEqual(outline, "none", element)

    def test_closing_the_window_during_a_round_exits_cleanly(self):
        for wait in (1.0, 3.5):  # during the countdown, then while the heads move
            with Game() as game:
                game.key(NEW_GAME)
                time.sleep(wait)
                game.request_close()
                self.assertEqual(game.process.wait(timeout=10), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
