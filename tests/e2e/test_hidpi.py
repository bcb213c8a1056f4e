# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The game on a high-density screen: at a scale factor of 2 every cell is a square of whole
device pixels with hard edges (32 x 32 on the desktop; a page zooms further to fit its browser
window), and the windows and their text scale with it."""

import time
import unittest

from harness import (CLIENT_SIZE, COUNTDOWN, NEW_GAME, START_LAYOUT, Game, artifact_dir,
                     display_offers)

OPEN_GAME_OVER = ("alt+p", "Down", "Down", "Return")
# Browser windows, in CSS pixels, their device pixel ratios, and whether they are touch
# screens (a phone upright and on its side, a tablet); a real window is a whole number of
# device pixels. At a ratio of 2, odd sizes put the board's edges on half CSS pixels.
BROWSER_WINDOWS = [(1366, 768, 1, False), (480, 320, 1, False), (1364, 768, 1.25, False),
                   (1920, 1080, 1.5, False), (3840, 2160, 1, False), (800, 600, 3, False),
                   (1366, 768, 2, False), (1440, 900, 2, False), (1281, 721, 2, False),
                   (390, 844, 3, True), (844, 390, 3, True), (1180, 820, 2, True)]
# The page's window in the desktop window's pixels, and a cell's side there.
PAGE_WINDOW = (674, 472)


def under_countdown(x, y):
    return COUNTDOWN[0] <= x < COUNTDOWN[0] + 32 and COUNTDOWN[1] <= y < COUNTDOWN[1] + 48


class HighDensity(unittest.TestCase):
    def test_cells_are_whole_device_pixels_without_seams_or_blur(self):
        with Game(size=(2048, 1536), scale=2) as game:
            # A page zooms its window further, to fit the browser's window.
            self.assertGreaterEqual(game.scale, 2)
            _, _, width, height = game.geometry()
            self.assertEqual(width, round(game.scale * CLIENT_SIZE[0]))
            self.assertGreater(height, game.scale * CLIENT_SIZE[1])
            game.key(NEW_GAME)
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
            self.assertEqual(game.geometry(dialog)[2:],
                             (round(312 * game.scale), round(213 * game.scale)))
            game.screen().save(artifact_dir() / "hidpi-game-over.png")
            game.focus(dialog)
            game.key("Escape")
            self.assertTrue(game.window_gone("Koniec gry"))

    def test_the_page_fills_any_browser_window_with_whole_pixel_cells(self):
        if not display_offers("resize"):
            self.skipTest("a desktop window keeps the size it is given")
        with Game() as game:
            page = game.display
            try:
                for width, height, ratio, touch in BROWSER_WINDOWS:
                    with self.subTest(window=(width, height), ratio=ratio, touch=touch):
                        page.resize(width, height, ratio, touch)
                        # Afresh: "Nowa gra" goes on with a countdown that runs, and a long
                        # table would see the heads move.
                        page.navigate(page.url)
                        game.key(NEW_GAME)
                        page.next_frames()
                        self.check_fit(page, width, height, ratio)
            finally:
                page.resize(page.size[0] // page.scale, page.size[1] // page.scale, page.scale)

    def check_fit(self, page, width, height, ratio):
        cell = page.evaluate("Module.page.cellSize()")
        # The fit reads the visible size: nothing has widened or zoomed the viewport.
        self.assertEqual(page.evaluate("[innerWidth, innerHeight, visualViewport.scale]"),
                         [width, height, 1])
        # The screenshot first: the countdown may show by the time its place is read, not
        # before.
        image = page.viewport_screenshot()
        image.save(artifact_dir() / f"fit-{width}x{height}@{ratio}.png")
        rects = page.evaluate(
            "['window', 'help', 'Label2'].map((id) => {"
            " const e = document.getElementById(id);"
            " if (getComputedStyle(e).visibility !== 'visible') return [0, 0, 0, 0];"
            " const r = e.getBoundingClientRect();"
            " return [r.left, r.top, r.right, r.bottom].map((v) => v * devicePixelRatio); })")
        window, help, countdown = rects
        # The largest cell at which the window fits; beside a window as wide as 1366 x 768
        # leaves, the help takes none of it.
        largest = int(16 * min(width / PAGE_WINDOW[0], height / PAGE_WINDOW[1]) * ratio)
        self.assertGreaterEqual(cell, 0.8 * largest)
        if (width, height, ratio) == (1366, 768, 1):
            self.assertEqual(cell, largest)
        self.assertTrue(window[0] >= 0 and window[1] >= 0 and window[2] <= width * ratio + 0.5
                        and window[3] <= height * ratio + 0.5, window)
        if help[2] > help[0]:
            self.assertTrue(help[0] >= window[2] or help[1] >= window[3], (help, window))

        # From the screenshot: the board is one black rectangle of 40 x 23 cells, each a square
        # of `cell` device pixels in one colour to its corners, with the grey around it.
        left, top = page.board_origin()
        self.assertTrue(window[0] < left and left + 40 * cell < window[2], (left, window))
        self.assertTrue(window[1] < top and top + 23 * cell < window[3], (top, window))
        for x, y in ((left - 1, top), (left, top - 1), (left + 40 * cell, top),
                     (left, top + 23 * cell)):
            self.assertNotEqual(image.getpixel((x, y)), (0, 0, 0), (x, y))
        for index in range(1, 921):
            x = left + (index - 1) % 40 * cell
            y = top + (index - 1) // 40 * cell
            if x + cell > countdown[0] and x < countdown[2] and y < countdown[3]:
                continue  # under the countdown
            want = START_LAYOUT.get(index, (0, 0, 0))
            corners = {image.getpixel(point) for point in (
                (x, y), (x + cell - 1, y), (x, y + cell - 1), (x + cell - 1, y + cell - 1),
                (x + cell // 2, y + cell // 2))}
            self.assertEqual(corners, {want}, index)


if __name__ == "__main__":
    unittest.main(verbosity=2)
