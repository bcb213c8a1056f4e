# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The game on a high-density screen: at a scale factor of 2 every cell is exactly 32 x 32
device pixels with hard edges, and the windows and their text scale with it."""

import time
import unittest

from harness import CLIENT_SIZE, COUNTDOWN, START_LAYOUT, Game, artifact_dir

OPEN_GAME_OVER = ("alt+p", "Down", "Down", "Return")


def under_countdown(x, y):
    return COUNTDOWN[0] <= x < COUNTDOWN[0] + 32 and COUNTDOWN[1] <= y < COUNTDOWN[1] + 48


class HighDensity(unittest.TestCase):
    def test_cells_are_32_device_pixels_without_seams_or_blur(self):
        with Game(size=(2048, 1536), scale=2) as game:
            _, _, width, height = game.geometry()
            self.assertEqual(width, 2 * CLIENT_SIZE[0])
            self.assertGreater(height, 2 * CLIENT_SIZE[1])
            game.key("ctrl+n")
            screen = game.screen()
            screen.save(artifact_dir() / "hidpi-new-game.png")
            # Every device pixel of every cell has its cell's exact colour: no seam between
            # cells and no blur at the edges of the coloured ones.
            self.assertEqual(screen.board_mismatches(START_LAYOUT, skip=under_countdown), [])
            # The counters' text is drawn at twice the size too.
            self.assertGreater(len(set(screen.region((16, 16, 33, 17)))), 2)

            game.key(*OPEN_GAME_OVER)
            dialog = game.find_window("Koniec gry")
            time.sleep(0.3)
            self.assertEqual(game.geometry(dialog)[2:], (624, 426))
            game.screen().save(artifact_dir() / "hidpi-game-over.png")
            game.focus(dialog)
            game.key("Escape")
            self.assertTrue(game.window_gone("Koniec gry"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
