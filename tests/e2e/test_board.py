# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The window as it starts, a new game's start layout, and quitting."""

import time
import unittest

from harness import (BLACK, BOARD_ORIGIN, COUNTDOWN, START_LAYOUT, Game, artifact_dir)

GREY = (64, 64, 64)


def under_countdown(x, y):
    # The countdown label may already show its first digit over columns 18-19 of rows 1-3.
    return COUNTDOWN[0] <= x < COUNTDOWN[0] + 32 and COUNTDOWN[1] <= y < COUNTDOWN[1] + 48


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
            game.key("ctrl+n")
            game.key("ctrl+k")
            self.assertTrue(game.display.ended(game.process, timeout=10))

    def test_closing_the_window_during_a_round_exits_cleanly(self):
        for wait in (1.0, 3.5):  # during the countdown, then while the heads move
            with Game() as game:
                game.key("ctrl+n")
                time.sleep(wait)
                game.request_close()
                self.assertEqual(game.process.wait(timeout=10), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
