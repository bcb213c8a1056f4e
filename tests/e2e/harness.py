# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Runs the real zirvel2 on a private display and plays it with real key events.

Screens are read back pixel by pixel, so the checks see what a player would see. The display
system is X11 unless ZIRVEL2_E2E_DISPLAY names another (see displays.py).
"""

import os
import subprocess
import tempfile
import time
from pathlib import Path

from displays import BROWSERS, display_class

DISPLAY = os.environ.get("ZIRVEL2_E2E_DISPLAY", "x11")
BINARY = os.environ.get("ZIRVEL2", "zirvel2")
SCREEN = (1024, 768)
CLIENT_SIZE = (674, 452)
BOARD_ORIGIN = (16, 40)
CELL = 16
COLUMNS, ROWS = 40, 23
COUNTDOWN = (312, 56)  # top left corner of the countdown label in the client area
# Cells whose centres the countdown label can cover: columns 18 to 20 of rows 1 to 3.
UNDER_COUNTDOWN = {row * 40 + column + 1 for row in (1, 2, 3) for column in (18, 19, 20)}

BLACK = (0, 0, 0)
P1_HEAD = (255, 0, 0)
P1_TRAIL = (200, 100, 50)
P2_HEAD = (0, 0, 255)
P2_TRAIL = (50, 100, 200)
START_LAYOUT = {370: P2_HEAD, 390: P1_HEAD, 410: P2_TRAIL, 430: P1_TRAIL}

COUNTER_1 = (16, 16, 33, 17)
COUNTER_2 = (624, 16, 33, 17)


def new_game_key(display):
    """"Nowa gra": a page has F2, which no browser keeps for itself."""
    return "F2" if display in BROWSERS else "ctrl+n"


NEW_GAME = new_game_key(DISPLAY)


class Screen:
    """A grab of the whole screen, addressed from the main window's client area.

    Coordinates are the window's own pixels; with a scale factor each of them covers
    scale x scale device pixels (a page may zoom the window by any factor that makes a cell a
    whole number of device pixels), and `device_pixel` reads one of those. `board` is where the
    board starts, in device pixels from the client area's corner."""

    def __init__(self, data, origin, size, scale=1, board=None):
        self.data = data
        self.origin = origin
        self.size = size
        self.scale = scale
        self.board = board or (round(BOARD_ORIGIN[0] * scale), round(BOARD_ORIGIN[1] * scale))
        self.side = round(CELL * scale)

    def device_pixel(self, x, y):
        """The colour at device pixel (x, y) from the client area's top left corner."""
        offset = ((self.origin[1] + y) * self.size[0] + self.origin[0] + x) * 3
        return tuple(self.data[offset : offset + 3])

    def pixel(self, x, y):
        return self.device_pixel(round(x * self.scale), round(y * self.scale))

    def region(self, rect):
        x, y, w, h = (round(v * self.scale) for v in rect)
        return [self.device_pixel(x + dx, y + dy) for dy in range(h) for dx in range(w)]

    def cell_centre(self, index):
        """A cell's centre in device pixels from the client area's corner."""
        column, row = (index - 1) % COLUMNS, (index - 1) // COLUMNS
        return (self.board[0] + column * self.side + self.side // 2,
                self.board[1] + row * self.side + self.side // 2)

    def cell(self, index):
        return self.device_pixel(*self.cell_centre(index))

    def cells(self):
        return {i: self.cell(i) for i in range(1, COLUMNS * ROWS + 1)}

    def occupied(self):
        """Every non-black cell, leaving out the cells the countdown label may cover."""
        return {i: c for i, c in self.cells().items()
                if c != BLACK and i not in UNDER_COUNTDOWN}

    def board_mismatches(self, expected_cells, skip=None):
        """Every device pixel of the board whose colour differs from its cell's expected
        colour; `skip(x, y)` leaves out window pixels."""
        mismatches = []
        side = self.side
        for index in range(1, COLUMNS * ROWS + 1):
            column, row = (index - 1) % COLUMNS, (index - 1) // COLUMNS
            want = expected_cells.get(index, BLACK)
            for dy in range(side):
                for dx in range(side):
                    x = self.board[0] + column * side + dx
                    y = self.board[1] + row * side + dy
                    if skip and skip(int(x / self.scale), int(y / self.scale)):
                        continue
                    got = self.device_pixel(x, y)
                    if got != want:
                        mismatches.append((index, x, y, got, want))
        return mismatches

    def save(self, path):
        """Writes the whole screen as a PNG, for a person to look at."""
        subprocess.run(["convert", "-size", f"{self.size[0]}x{self.size[1]}", "-depth", "8",
                        "rgb:-", str(path)], input=self.data, check=True)


class Game:
    """zirvel2 on a display system of its own: by default the one the tests run on."""

    def __init__(self, extra_env=None, size=SCREEN, scale=1, display=DISPLAY):
        self.size = size
        self.scale = scale
        self.client_offset = None
        self.runtime_dir = tempfile.TemporaryDirectory()
        self.display = display_class(display)(
            size, scale, self.runtime_dir.name)
        self.env = dict(os.environ)
        self.env.pop("QT_SCALE_FACTOR", None)
        self.env.update(self.display.env)
        self.env.update(extra_env or {})
        self.process = self.display.start(BINARY, self.env)
        self.window = self.find_window("Zirvel 2")
        # A page zooms its window to fit the browser's, and finds room for its board.
        self.board_device_origin = None
        if hasattr(self.display, "window_scale"):
            self.scale = self.display.window_scale()
            self.board_device_origin = self.display.board_origin()
        self.focus()

    def relayout(self, size):
        """Follows the window to where it stands once the display has become `size` device
        pixels: a page fits its window and board to the new size."""
        self.size = size
        self.scale = self.display.window_scale()
        self.board_device_origin = self.display.board_origin()

    @staticmethod
    def read_interval():
        """How long one reading of the screen takes on this display system, in seconds."""
        return display_class(DISPLAY).READ_INTERVAL

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
        self.display.close()
        self.runtime_dir.cleanup()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def find_window(self, title, timeout=15.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.display.windows(title)
            if found:
                return found[0]
            if self.process.poll() is not None:
                raise RuntimeError(f"zirvel2 exited with {self.process.returncode}")
            time.sleep(0.05)
        raise TimeoutError(f"no window '{title}'")

    def window_gone(self, title, timeout=5.0, window=None):
        """Whether every window with this title has gone, or only `window` where one is
        named: another may follow it with the same title."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.display.windows(title)
            if (window not in found) if window else not found:
                return True
            time.sleep(0.05)
        return False

    def focus(self, window=None):
        self.display.focus(window or self.window)

    def key(self, *keys):
        """Presses and releases keys one after the other; "ctrl+n" holds Ctrl around N."""
        self.display.keys(keys)

    def type(self, text):
        """Types `text` into the window that has the keyboard, character by character."""
        self.display.type(text)

    def answer(self, title, text):
        """Answers the dialog `title` that asks for a line: what it offers gives way to
        `text`, and Enter accepts it."""
        dialog = self.find_window(title)
        self.focus(dialog)
        self.key("ctrl+a")
        self.type(text)
        self.key("Return")
        if not self.window_gone(title, window=dialog):
            raise TimeoutError(f"the dialog '{title}' stayed open")

    def hold(self, keys, seconds):
        """Holds a key, or several pressed one after the other, down for a while, as long as
        the display's key repeat goes on."""
        self.display.hold((keys,) if isinstance(keys, str) else tuple(keys), seconds)

    def geometry(self, window=None):
        """Position and size of a window's content on the screen, in device pixels."""
        return self.display.geometry(window or self.window)

    def client_origin(self):
        x, y, _, height = self.geometry()
        if self.client_offset:
            return x + self.client_offset[0], y + self.client_offset[1]
        # The menu bar sits above the client area; the client area is the window's bottom part.
        return x, y + height - round(CLIENT_SIZE[1] * self.scale)

    def pin_client_area(self):
        """Reads the client area from now on where it stands under the menu bar now, also once
        a line below it has made the window taller: a room's status line."""
        x, y, _, _ = self.geometry()
        origin = self.client_origin()
        self.client_offset = (origin[0] - x, origin[1] - y)

    def board_offset(self, origin):
        """Where the board starts, in device pixels from the client area's corner; None where it
        is where the window's own pixels put it."""
        if not self.board_device_origin:
            return None
        x, y = self.board_device_origin
        return x - origin[0], y - origin[1]

    def screen(self):
        data = self.display.grab(0, 0, *self.size)
        origin = self.client_origin()
        return Screen(data, origin, self.size, self.scale, self.board_offset(origin))

    def screen_when(self, ready, deadline):
        """The first screen read on which `ready(screen)` holds, read until the moment
        `deadline` of time.monotonic(); past it, the last one read, for the checks to report."""
        while True:
            screen = self.screen()
            if ready(screen) or time.monotonic() >= deadline:
                return screen
            time.sleep(0.05)

    def watch(self, cells, until, timeout=30.0):
        """Reads the colours of `cells` from the screen once every read interval of the display
        until `until(colours)` holds, and returns every reading that differed from the one
        before it. A reading takes well under a millisecond on X11, where the readings pause to
        a millisecond apart rather than keep a core busy, and about 20 ms on Wayland."""
        origin = self.client_origin()
        layout = Screen(b"", origin, self.size, self.scale, self.board_offset(origin))
        points = {}
        for index in cells:
            x, y = layout.cell_centre(index)
            points[index] = (origin[0] + x, origin[1] + y)
        left = min(x for x, _ in points.values())
        top = min(y for _, y in points.values())
        width = max(x for x, _ in points.values()) - left + 1
        height = max(y for _, y in points.values()) - top + 1
        readings = []
        interval = self.read_interval()
        deadline = time.monotonic() + timeout
        # The longest time between two readings: a loaded machine may read far less often.
        self.slowest_reading = 0.0
        last = None
        while (began := time.monotonic()) < deadline:
            if last is not None:
                self.slowest_reading = max(self.slowest_reading, began - last)
            last = began
            data = self.display.grab(left, top, width, height)
            colours = {}
            for index, (x, y) in points.items():
                offset = ((y - top) * width + x - left) * 3
                colours[index] = tuple(data[offset:offset + 3])
            if not readings or readings[-1] != colours:
                readings.append(colours)
            if until(colours):
                return readings
            time.sleep(max(0.0, began + interval - time.monotonic()))
        raise TimeoutError(f"cells {list(cells)} never reached the awaited colours: {readings}")

    def request_close(self, window=None):
        self.display.request_close(window or self.window)

    def click(self, x, y):
        """Clicks at device pixel (x, y) of the screen."""
        self.display.click(x, y)

    def point(self, x, y):
        """Puts the pointer at device pixel (x, y) of the screen in one jump."""
        self.display.point(x, y)


def sleep_until(moment):
    """Sleeps until the moment `moment` of time.monotonic(); at once where a slow step has
    passed it already, and the checks that follow judge what the screen shows then."""
    time.sleep(max(0.0, moment - time.monotonic()))


def display_offers(feature):
    """Whether the display system the tests run on has `feature`: known before any game starts,
    so that a test that needs it skips without starting one."""
    return hasattr(display_class(DISPLAY), feature)


def artifact_dir():
    """Where screenshots go, a folder for each display system."""
    path = Path(os.environ.get("ZIRVEL2_E2E_ARTIFACTS", "e2e-screens")) / DISPLAY
    path.mkdir(parents=True, exist_ok=True)
    return path
