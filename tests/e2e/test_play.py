"""Whole rounds on the real window: countdown, moves, turbo, pause, speed and crashes."""

import time
import unittest

from harness import (COUNTER_1, COUNTER_2, P1_TRAIL, P2_TRAIL, START_LAYOUT, Game,
                     artifact_dir)

COUNTDOWN_SECONDS = 2.8


def count(screen, colour):
    return sum(1 for c in screen.cells().values() if c == colour)


class Play(unittest.TestCase):
    def test_heads_left_alone_crash_into_the_top_and_player_1_scores(self):
        with Game() as game:
            zero = game.screen().region(COUNTER_1)
            game.key("ctrl+n")
            started = time.monotonic()
            # At "Szybko" the heads move every 200 ms from the end of the countdown.
            time.sleep(started + COUNTDOWN_SECONDS + 0.7 - time.monotonic())
            moving = game.screen()
            self.assertEqual(moving.cell(390), P1_TRAIL)
            self.assertEqual(moving.cell(370), P2_TRAIL)
            self.assertGreaterEqual(count(moving, P1_TRAIL), 3)

            # Nine moves reach the top row; the next scan ends the round at about 4.6 s.
            time.sleep(started + 5.6 - time.monotonic())
            after = game.screen()
            after.save(artifact_dir() / "after-crash.png")
            self.assertEqual(after.occupied(), START_LAYOUT)
            self.assertNotEqual(after.region(COUNTER_1), zero)
            self.assertEqual(after.region(COUNTER_2), zero)

    def test_holding_shift_makes_player_1_faster(self):
        with Game() as game:
            game.key("ctrl+n")
            started = time.monotonic()
            game.key("Left")
            game.key_down("Shift_R")
            time.sleep(started + COUNTDOWN_SECONDS + 0.5 - time.monotonic())
            screen = game.screen()
            game.key_up("Shift_R")
            screen.save(artifact_dir() / "turbo.png")
            fast, normal = count(screen, P1_TRAIL), count(screen, P2_TRAIL)
            self.assertGreaterEqual(fast, 6)
            self.assertGreater(fast, 2 * normal)

    def test_ctrl_p_pauses_and_resumes(self):
        with Game() as game:
            game.key("ctrl+n")
            time.sleep(COUNTDOWN_SECONDS + 0.5)
            game.key("ctrl+p")
            time.sleep(0.2)
            paused = game.screen().cells()
            time.sleep(0.6)
            self.assertEqual(game.screen().cells(), paused)
            game.key("ctrl+p")
            time.sleep(0.6)
            self.assertNotEqual(game.screen().cells(), paused)

    def test_speed_chosen_from_the_menu_by_keyboard(self):
        with Game() as game:
            zero = game.screen().region(COUNTER_1)
            # Plik > Prędkość gry > B. Szybko ("Pauza" is disabled and skipped).
            game.key("alt+p", "Down", "Down", "Right", "Down", "Down", "Down", "Return")
            game.key("ctrl+n")
            started = time.monotonic()
            # At 50 ms a move, the heads reach the top 0.45 s after the countdown; at
            # "Szybko" they would still be half way up.
            time.sleep(started + COUNTDOWN_SECONDS + 1.1 - time.monotonic())
            screen = game.screen()
            self.assertEqual(screen.occupied(), START_LAYOUT)
            self.assertNotEqual(screen.region(COUNTER_1), zero)

    def test_game_keys_still_arrive_after_the_menu_was_used(self):
        with Game() as game:
            game.key("alt+p", "Escape", "Escape")
            game.key("ctrl+n")
            started = time.monotonic()
            game.key("Left", "a")
            time.sleep(started + COUNTDOWN_SECONDS + 0.5 - time.monotonic())
            screen = game.screen()
            # Both heads left their start cells sideways.
            self.assertEqual(screen.cell(390), P1_TRAIL)
            self.assertEqual(screen.cell(389), P1_TRAIL)
            self.assertEqual(screen.cell(370), P2_TRAIL)
            self.assertEqual(screen.cell(369), P2_TRAIL)


if __name__ == "__main__":
    unittest.main(verbosity=2)
