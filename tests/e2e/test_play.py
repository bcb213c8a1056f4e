# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Whole rounds on the real window: countdown, moves, turbo, pause, speed and crashes."""

import threading
import time
import unittest

from harness import (BLACK, COUNTER_1, COUNTER_2, DISPLAY, NEW_GAME, P1_HEAD, P1_TRAIL,
                     P2_HEAD, P2_TRAIL, START_LAYOUT, Game, artifact_dir, display_offers,
                     sleep_until)
from displays import BROWSERS

COUNTDOWN_SECONDS = 2.8
# Plik > Prędkość gry > the level ("Pauza" is disabled and skipped).
FAST_TICK = {"Średnio": 0.2, "Szybko": 0.05}
CHOOSE_SPEED = {
    "Średnio": ("alt+p", "Down", "Down", "Right", "Down", "Return"),
    "Szybko": (),
}


# Gracze > the player's submenu > "Człowiek", or the computer's level 1 to 3.
def choose_player(player, choice):
    return ("alt+g",) + ("Down",) * (player - 1) + ("Right",) + ("Down",) * choice + ("Return",)


B_SZYBKO = ("alt+p", "Down", "Down", "Right", "Down", "Down", "Down", "Return")


def count(screen, colour):
    return sum(1 for c in screen.cells().values() if c == colour)


def rows_of(screen, colours):
    """The board's rows, from 0 at the top, that hold any of `colours`."""
    return {(index - 1) // 40 for index, c in screen.cells().items() if c in colours}


def player_1_scored(zero):
    """Player 1's counter has left `zero`, and the board is back at the start layout."""
    return lambda screen: (screen.region(COUNTER_1) != zero
                           and screen.occupied() == START_LAYOUT)


def only_in_browsers():
    if DISPLAY not in BROWSERS:
        raise unittest.SkipTest("the desktop's pads are SDL's, played through its virtual pads "
                                "in the widget tests")


# The standard mapping's Start and Back.
START, BACK = 9, 8
# "Pauza" as the menu shows it: enabled once a game has started, checked while paused.
PAUZA_STATE = ("['aria-disabled', 'aria-checked']"
               ".map((name) => document.getElementById('mnupauza').getAttribute(name) === 'true')")

# Pads act where keys would, and give the menu's commands: each case from a fresh page with
# stand-in pads 0 and 1 connected, its steps, and then whether a game has started and is
# paused. A step is a pad's button pressed and let go, a pad connected or disconnected, keys,
# or the player leaving the browser's window or coming back.
PAD_CASES = {
    "Start starts a game": [("press", 0, START)],
    "Back before any game does nothing": [("press", 0, BACK)],
    "Start, then Back pauses": [("press", 0, START), ("press", 1, BACK)],
    "nothing behind the open menu": [("keys", "F10"), ("press", 0, START), ("keys", "Escape")],
    "Start once the menu has closed": [("keys", "F10"), ("keys", "Escape"), ("press", 0, START)],
    "nothing behind the game-over window": [("keys", "alt+p", "Down", "Return"),
                                            ("press", 0, START)],
    "Start once the game-over window has closed": [("keys", "alt+p", "Down", "Return"),
                                                   ("keys", "Escape"), ("press", 0, START)],
    "nothing while another window has the keyboard": [("window", True), ("press", 0, START)],
    "Start once the window is back": [("window", True), ("window", False), ("press", 0, START)],
    "nothing from a third pad, which waits": [("connect", 2), ("press", 2, START)],
    "Start from the third pad once the first has gone": [("connect", 2), ("disconnect", 0),
                                                         ("press", 2, START)],
}
PAD_EXPECTED = {  # (started, paused)
    "Start starts a game": (True, False),
    "Start, then Back pauses": (True, True),
    "Start once the menu has closed": (True, False),
    "Start once the game-over window has closed": (True, False),
    "Start once the window is back": (True, False),
    "Start from the third pad once the first has gone": (True, False),
}


def went_down(screen, head, trail, start_column):
    """Whether a player's trail reaches below the start row outside its start column: it has
    turned down after turning aside."""
    return any(c in (head, trail) and (i - 1) // 40 >= 10 and (i - 1) % 40 != start_column
               for i, c in screen.cells().items())


class Play(unittest.TestCase):
    def test_heads_left_alone_crash_into_the_top_and_player_1_scores(self):
        with Game() as game:
            zero = game.screen().region(COUNTER_1)
            game.key(NEW_GAME)
            started = time.monotonic()
            # At "Szybko" the heads move every 200 ms from the end of the countdown.
            sleep_until(started + COUNTDOWN_SECONDS + 0.7)
            moving = game.screen()
            self.assertEqual(moving.cell(390), P1_TRAIL)
            self.assertEqual(moving.cell(370), P2_TRAIL)
            self.assertGreaterEqual(count(moving, P1_TRAIL), 3)

            # Nine moves reach the top row; the next scan ends the round at about 4.6 s.
            after = game.screen_when(player_1_scored(zero), started + 5.6)
            after.save(artifact_dir() / "after-crash.png")
            self.assertEqual(after.occupied(), START_LAYOUT)
            self.assertNotEqual(after.region(COUNTER_1), zero)
            self.assertEqual(after.region(COUNTER_2), zero)

    def crash_readings(self, game, cell):
        """Watches `cell` until player 1's crash resets the board: player 1's start cell,
        trail while the round runs, shows its head again."""
        played = []

        def reset(colours):
            played.append(colours[390] == P1_TRAIL)
            return colours[390] == P1_HEAD and any(played)

        return game.watch([cell, 390], reset)

    def test_the_last_cell_before_a_crash_is_on_screen(self):
        for speed, choose in CHOOSE_SPEED.items():
            if FAST_TICK[speed] < 2 * Game.read_interval():
                continue  # the display cannot read the screen often enough
            with self.subTest(speed=speed, into="the top edge"), Game() as game:
                if choose:
                    game.key(*choose)
                game.key(NEW_GAME)
                # Both heads run up their columns; player 1's reaches cell 30 on row 0.
                readings = self.crash_readings(game, 30)
                self.assert_head_seen(game, speed, [r[30] for r in readings[:-1]], readings)

            with self.subTest(speed=speed, into="a trail"), Game() as game:
                if choose:
                    game.key(*choose)
                game.key(NEW_GAME, "Left")
                # Player 2 goes up one cell, then right along row 8, out of player 1's way;
                # player 1 runs left along row 9 into player 2's trail on cell 370.
                game.watch([330], lambda colours: colours[330] == P2_HEAD)
                game.key("d")
                readings = self.crash_readings(game, 371)
                self.assert_head_seen(game, speed, [r[371] for r in readings[:-1]], readings)

    def assert_head_seen(self, game, speed, colours, readings):
        """The head showed on the last cell, unless the screen was read too seldom that time
        to see one move: on a loaded machine a reading can take longer than a tick."""
        if P1_HEAD not in colours and game.slowest_reading > FAST_TICK[speed]:
            self.skipTest(f"the screen was read only every {game.slowest_reading * 1000:.0f} ms")
        self.assertIn(P1_HEAD, colours, readings)

    def test_holding_shift_makes_player_1_faster_until_released(self):
        with Game() as game:
            zero = game.screen().region(COUNTER_1)
            game.key(NEW_GAME)
            started = time.monotonic()
            game.key("Left")
            # Held through the countdown and 0.5 s of play, repeated by the display's own
            # key repeat (the X server's, or the toolkit's on Wayland).
            game.hold("Shift_R", started + COUNTDOWN_SECONDS + 0.5 - time.monotonic())
            screen = game.screen()
            screen.save(artifact_dir() / "turbo.png")
            fast, normal = count(screen, P1_TRAIL), count(screen, P2_TRAIL)
            self.assertGreaterEqual(fast, 6)
            self.assertGreater(fast, 2 * normal)
            # Released: back to a move every 200 ms. Player 1 has room for 29 moves to the
            # left, so a turbo that went on would show here rather than end in a crash.
            time.sleep(0.6)
            later = game.screen()
            self.assertEqual([later.region(c) for c in (COUNTER_1, COUNTER_2)], [zero, zero])
            self.assertLessEqual(count(later, P1_TRAIL) - fast, 5)

    def test_shift_held_into_another_window_is_no_turbo_once_the_page_is_back(self):
        only_in_browsers()
        with Game() as game:
            page = game.display
            game.key(NEW_GAME, "Left")
            started = time.monotonic()
            # Player 1 holds Shift, clicks into another window and lets go of it there.
            page.key_down("Shift_R")
            page.leave_window(True)
            page.leave_window(False)
            # In 0.6 s the normal tick makes three moves, turbo twelve.
            sleep_until(started + COUNTDOWN_SECONDS + 0.6)
            self.assertLessEqual(count(game.screen(), P1_TRAIL), 6)
            page.key_up("Shift_R")

    def test_turbo_keys_held_through_a_crash_keep_both_players_in_turbo(self):
        with Game() as game:
            game.key(NEW_GAME)
            # Shift repeats nowhere, and an X server repeats only the key pressed last. Both
            # heads run up in turbo into the top edge, 0.5 s after the countdown.
            holding = threading.Thread(target=game.hold, args=(("Shift_R", "space"), 7.0))
            holding.start()
            self.crash_readings(game, 30)
            # The next round starts 2.8 s after the crash; 0.25 s into it, turbo has made
            # about five moves, the normal tick one.
            time.sleep(COUNTDOWN_SECONDS + 0.25)
            screen = game.screen()
            holding.join()
            screen.save(artifact_dir() / "turbo-next-round.png")
            self.assertGreaterEqual(count(screen, P1_TRAIL), 4)
            self.assertGreaterEqual(count(screen, P2_TRAIL), 4)

    def test_two_pads_steer_both_players_and_hold_turbo_through_a_crash(self):
        if not display_offers("install_pads"):
            self.skipTest("the desktop's pads are SDL's, played through its virtual pads "
                          "in the widget tests")
        with Game() as game:
            page = game.display
            page.install_pads()
            zero = game.screen().region(COUNTER_1)
            page.pad(0)
            page.pad(1)
            # Back, "Pauza", does nothing before a game; Start is "Nowa gra". The standard
            # mapping numbers Back 8, Start 9, the south button 0, the right trigger 7, and
            # the D-pad 12 to 15.
            for button in (8, 9):
                page.pad(0, {button: 1})
                time.sleep(0.05)
                page.pad(0, {button: 0})
            started = time.monotonic()
            # Player 1 turns left by the stick, held; player 2 by the D-pad.
            page.pad(0, stick=[-0.9, 0.2])
            page.pad(1, {14: 1})
            time.sleep(0.05)
            page.pad(1, {14: 0})
            sleep_until(started + COUNTDOWN_SECONDS + 0.3)
            screen = game.screen()
            self.assertIn(screen.cell(389), (P1_HEAD, P1_TRAIL))
            self.assertIn(screen.cell(369), (P2_HEAD, P2_TRAIL))
            # Turbo, by the south button and by the right trigger: player 2 runs into the left
            # edge, and both are in turbo in the next round, where the heads go up again.
            page.pad(0, {0: 1})
            page.pad(1, {7: 0.8})
            self.crash_readings(game, 361)
            time.sleep(COUNTDOWN_SECONDS + 0.25)
            screen = game.screen()
            screen.save(artifact_dir() / "pads-next-round.png")
            self.assertTrue(zero != screen.region(COUNTER_2), "nobody scored")
            self.assertGreaterEqual(count(screen, P1_TRAIL), 4)
            self.assertGreaterEqual(count(screen, P2_TRAIL), 4)

    def test_pads_act_only_where_keys_would(self):
        only_in_browsers()
        with Game() as game:
            page = game.display
            page.install_pads()
            for name, steps in PAD_CASES.items():
                with self.subTest(name):
                    page.reload()
                    page.pad(0)
                    page.pad(1)
                    for step in steps:
                        kind, *values = step
                        if kind == "press":
                            index, button = values
                            page.pad(index, {button: 1})
                            page.next_frames()
                            page.pad(index, {button: 0})
                        elif kind == "connect":
                            page.pad(values[0])
                        elif kind == "disconnect":
                            page.pad(values[0], connected=False)
                        elif kind == "keys":
                            game.key(*values)
                        else:
                            page.leave_window(values[0])
                        page.next_frames()
                    disabled, checked = page.evaluate(PAUZA_STATE)
                    self.assertEqual((not disabled, checked), PAD_EXPECTED.get(name, (False, False)))

    def test_the_left_stick_steers_every_way_and_the_right_stick_nothing(self):
        only_in_browsers()
        with Game() as game:
            page = game.display
            page.install_pads()
            page.pad(0)
            page.pad(1)
            page.pad(0, {START: 1})
            started = time.monotonic()
            # Player 1 turns left by the left stick, player 2 right; the right sticks are
            # pushed up and back the other way the whole round.
            page.pad(0, stick=[-0.9, 0], right_stick=[0.9, -0.9])
            page.pad(1, stick=[0.9, 0], right_stick=[-0.9, -0.9])
            sleep_until(started + COUNTDOWN_SECONDS + 0.3)
            # Both left row 9 sideways; then player 1 turns down, player 2 up.
            page.pad(0, stick=[0, 0.9])
            page.pad(1, stick=[0, -0.9])
            time.sleep(0.7)
            screen = game.screen()
            screen.save(artifact_dir() / "pads-sticks.png")
            # Two moves down and two up at least; from the start, player 1 covers rows 9 and 10
            # and player 2 row 9.
            self.assertEqual((screen.cell(350), screen.cell(330)), (BLACK, BLACK))
            self.assertGreaterEqual(max(rows_of(screen, (P1_HEAD, P1_TRAIL))), 11)
            self.assertLessEqual(min(rows_of(screen, (P2_HEAD, P2_TRAIL))), 7)

    def test_two_players_steer_and_hold_turbo_with_fingers_on_one_touch_screen(self):
        if not display_offers("fingers"):
            self.skipTest("the desktop window is played with keys and pads")
        with Game() as game:
            page = game.display
            # A tablet held sideways: player 2 has the left half, player 1 the right. At a pixel
            # ratio of 1, so that a screenshot is quick to take next to the moves it counts.
            width, height = 1180, 820
            page.install_wake_lock()
            game.relayout(page.touch_screen(width, height, 1))
            held = "zirvel2WakeLock.held"
            zeros = [game.screen().region(c) for c in (COUNTER_1, COUNTER_2)]
            self.assertFalse(page.evaluate(held))
            # A touch screen offers "Nowa gra" to a tap; Firefox cannot pretend to be one.
            if page.evaluate("!!document.getElementById('prompt').offsetWidth"):
                page.tap_element("#prompt")
            else:
                game.key(NEW_GAME)
            started = time.monotonic()
            left, right, y = 0.15 * width, 0.85 * width, 0.5 * height
            # Both players swipe left at once: two fingers down in one event, both moved in
            # the next. Player 1's lifts; player 2's rests there, which gives no turbo.
            page.fingers({1: (right, y), 2: (left, y)})
            page.fingers({1: (right - 40, y + 6), 2: (left - 40, y - 6)})
            page.fingers({2: (left - 40, y - 6)})
            # Player 1 holds another finger still: turbo, for 0.5 s of play; lifted, back to a
            # move every 200 ms. Player 1 runs towards player 2's start, with room for 19 moves;
            # player 2, once it has moved left, swipes on down, with room for 12.
            page.fingers({2: (left - 40, y - 6), 3: (right, y - 100)})
            sleep_until(started + COUNTDOWN_SECONDS + 0.3)
            page.fingers({2: (left - 40, y + 40), 3: (right, y - 100)})
            page.fingers({3: (right, y - 100)})
            sleep_until(started + COUNTDOWN_SECONDS + 0.5)
            page.fingers({})
            screen = game.screen()
            screen.save(artifact_dir() / "touch-turbo.png")
            self.assertEqual((screen.cell(389), screen.cell(369)), (P1_TRAIL, P2_TRAIL))
            self.assertTrue(went_down(screen, P2_HEAD, P2_TRAIL, 9), "player 2 never went down")
            fast, normal = count(screen, P1_TRAIL), count(screen, P2_TRAIL)
            self.assertGreaterEqual(fast, 6)
            self.assertGreater(fast, 2 * normal)
            time.sleep(0.6)
            later = game.screen()
            self.assertEqual([later.region(c) for c in (COUNTER_1, COUNTER_2)], zeros)
            self.assertLessEqual(count(later, P1_TRAIL) - fast, 5)
            # The fingers zoomed and scrolled nothing.
            self.assertEqual(page.evaluate("[visualViewport.scale, scrollX, scrollY, innerWidth]"),
                             [1, 0, 0, width])
            # The screen stays awake while the round runs, and may sleep while it is paused.
            self.assertTrue(page.evaluate(held))
            game.key("ctrl+p")
            page.wait_until(f"!{held}")

    def test_tab_during_a_round_leaves_the_keyboard_with_the_players(self):
        with Game() as game:
            page = game.display
            focused = "document.activeElement.id"
            # Before a game Tab reaches the menu bar; a game that starts takes the keyboard back.
            game.key("Tab")
            if hasattr(page, "evaluate"):
                self.assertEqual(page.evaluate(focused), "mnuplik")
            game.key(NEW_GAME)
            started = time.monotonic()
            game.key("Tab")
            sleep_until(started + COUNTDOWN_SECONDS + 0.3)
            # Player 1 turns left, player 2 right; after Tab, ↓ turns player 1 down, and
            # player 2 holds Space for turbo.
            game.key("Left", "d")
            time.sleep(0.25)
            game.key("Tab", "Down")
            game.hold("space", 0.5)
            time.sleep(0.2)
            screen = game.screen()
            screen.save(artifact_dir() / "tab-in-a-round.png")
            if hasattr(page, "evaluate"):
                self.assertEqual(page.evaluate(f"[{focused}, document.getElementById("
                                               "'mnuplik').getAttribute('aria-expanded')]"),
                                 ["board", "false"])
            self.assertTrue(went_down(screen, P1_HEAD, P1_TRAIL, 29), "player 1 never went down")
            self.assertGreaterEqual(count(screen, P2_TRAIL), 13)

    def test_a_hidden_page_stops_the_round_and_takes_it_up_without_a_burst(self):
        if not display_offers("hide_page"):
            self.skipTest("only a page can be hidden behind another tab")
        with Game() as game:
            zero = game.screen().region(COUNTER_1)
            # Player 2 runs right along its row, where it has room for twenty moves.
            game.key(NEW_GAME, "d")
            time.sleep(COUNTDOWN_SECONDS + 0.3)
            # A key let go in another tab never reaches the page.
            game.display.key_down("space")
            time.sleep(0.1)
            before = game.screen()
            game.display.hide_page(True)
            # Long enough for both heads to run into the top edge three times over.
            time.sleep(3.0)
            game.display.hide_page(False)
            back = game.screen()
            back.save(artifact_dir() / "hidden-and-back.png")
            self.assertEqual(back.region(COUNTER_1), zero)
            self.assertEqual(back.region(COUNTER_2), zero)
            trails = count(back, P1_TRAIL), count(back, P2_TRAIL)
            # Nobody crashed, and player 1 made at most the moves between that reading and the
            # moment the browser hid the page.
            self.assertLessEqual(trails[0], count(before, P1_TRAIL) + 2)
            # The round goes on at the normal rate for both: no burst of missed ticks, and no
            # turbo for the key whose release the page never saw.
            # In 0.6 s the normal tick makes three moves, turbo twelve.
            time.sleep(0.6)
            later = game.screen()
            self.assertLessEqual(count(later, P1_TRAIL) - trails[0], 5)
            self.assertLessEqual(count(later, P2_TRAIL) - trails[1], 5)
            self.assertGreater(count(later, P1_TRAIL), trails[0])

    def test_ctrl_p_pauses_and_resumes(self):
        with Game() as game:
            # Before any game "Pauza" is disabled: its shortcut does nothing either.
            game.key("ctrl+p")
            game.key(NEW_GAME)
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
        # Plik > Prędkość gry > B. Szybko ("Pauza" is disabled and skipped): down and right,
        # or up round from the first item to the last and on, with Enter opening the submenu.
        routes = {"down": ("alt+p", "Down", "Down", "Right", "Down", "Down", "Down", "Return"),
                  "round": ("alt+p", "Up", "Up", "Return", "Up", "Return")}
        for route, keys in routes.items():
            with self.subTest(route=route), Game() as game:
                zero = game.screen().region(COUNTER_1)
                game.key(*keys)
                game.key(NEW_GAME)
                started = time.monotonic()
                # At 50 ms a move, the heads reach the top 0.45 s after the countdown; at
                # "Szybko" they would still be half way up.
                screen = game.screen_when(player_1_scored(zero),
                                          started + COUNTDOWN_SECONDS + 1.1)
                self.assertEqual(screen.occupied(), START_LAYOUT)
                self.assertNotEqual(screen.region(COUNTER_1), zero)

    def test_game_keys_still_arrive_after_the_menu_was_used(self):
        with Game() as game:
            game.key("alt+p", "Escape", "Escape")
            game.key(NEW_GAME)
            started = time.monotonic()
            # Straight back is refused: Right and D change nothing.
            game.key("Left", "a", "Right", "d")
            sleep_until(started + COUNTDOWN_SECONDS + 0.5)
            screen = game.screen()
            # Both heads left their start cells sideways.
            self.assertEqual(screen.cell(390), P1_TRAIL)
            self.assertEqual(screen.cell(389), P1_TRAIL)
            self.assertEqual(screen.cell(370), P2_TRAIL)
            self.assertEqual(screen.cell(369), P2_TRAIL)

    def test_the_computer_plays_red_then_both_players_round_after_round(self):
        with Game() as game:
            zero = game.screen().region(COUNTER_1)
            game.key(*B_SZYBKO, *choose_player(1, 3), NEW_GAME)
            started = time.monotonic()
            # Left alone, blue reaches the top row and crashes at about 3.3 s; the computer
            # turns red away from it in time.
            after = game.screen_when(lambda screen: screen.region(COUNTER_2) != zero,
                                     started + COUNTDOWN_SECONDS + 1.0)
            self.assertEqual(after.region(COUNTER_1), zero)
            self.assertNotEqual(after.region(COUNTER_2), zero)
            # Blue to the computer too: the next round starts by itself, and both move in it.
            # The crash has put both back on their start cells, with one cell of trail each.
            game.key(*choose_player(2, 1))
            deadline = time.monotonic() + 10
            while min(count(screen := game.screen(), trail) for trail in (P1_TRAIL, P2_TRAIL)) < 3:
                self.assertLess(time.monotonic(), deadline, "the computers do not move")
                time.sleep(0.2)
            screen.save(artifact_dir() / "two-computers.png")

    def test_player_2_steers_by_key_position_on_a_cyrillic_layout(self):
        with Game() as game:
            game.key(NEW_GAME)
            started = time.monotonic()
            # The key where A sits on a US keyboard gives Ф on a Russian layout.
            game.display.press_on_layout("ru", [38])
            sleep_until(started + COUNTDOWN_SECONDS + 0.5)
            screen = game.screen()
            self.assertEqual(screen.cell(370), P2_TRAIL)
            self.assertEqual(screen.cell(369), P2_TRAIL)


if __name__ == "__main__":
    unittest.main(verbosity=2)
