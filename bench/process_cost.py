# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Process cost of the real zirvel2 under Xvfb: CPU while idle at the menu and while playing at
"B. Szybko", peak resident memory, and the time from process start to the first painted frame.

Prints the median of several runs. Usage: process_cost.py ZIRVEL2 [--runs N] [--seconds S]
"""

import argparse
import os
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
import harness  # noqa: E402
from Xlib import X  # noqa: E402
from Xlib.display import Display  # noqa: E402

TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")
GREY = (64, 64, 64)


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS_PER_SECOND


def peak_rss_mib(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) / 1024
    return float("nan")


def first_grey_pixel(display, x, y, timeout=15.0):
    """Polls one screen pixel every millisecond until it shows the window's grey."""
    root = display.screen().root
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        image = root.get_image(x, y, 1, 1, X.ZPixmap, 0xFFFFFFFF)
        blue, green, red = image.data[0], image.data[1], image.data[2]
        if (red, green, blue) == GREY:
            return time.monotonic()
        time.sleep(0.001)
    raise TimeoutError("the window never showed its client area")


class TimedGame(harness.Game):
    """Starts zirvel2 and notes when its grey client area first shows on the screen."""

    def find_window(self, title, timeout=15.0):
        # The window is centred on the screen: watch the pixel just inside its client area's
        # bottom left corner, which only the client area's grey can fill.
        display = Display(self.env["DISPLAY"])
        x = (harness.SCREEN[0] - harness.CLIENT_SIZE[0]) // 2 + 2
        y = (harness.SCREEN[1] + harness.CLIENT_SIZE[1]) // 2 - 2
        started = time.monotonic()
        shown = first_grey_pixel(display, x, y)
        self.first_frame = shown - started
        display.close()
        return super().find_window(title, timeout)


def one_run(seconds):
    with TimedGame() as game:
        pid = game.process.pid
        time.sleep(1.0)  # let start-up settle
        before = cpu_seconds(pid)
        time.sleep(seconds)
        idle = (cpu_seconds(pid) - before) / seconds

        # Nobody steers here: rounds end at the top and restart after their countdowns.
        game.key("alt+p", "Down", "Down", "Right", "Down", "Down", "Down", "Return")
        game.key("ctrl+n")
        before = cpu_seconds(pid)
        time.sleep(seconds)
        playing = (cpu_seconds(pid) - before) / seconds
        return {"idle": idle, "playing": playing, "rss": peak_rss_mib(pid),
                "first_frame": game.first_frame}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=10.0)
    args = parser.parse_args()
    harness.BINARY = args.binary

    runs = [one_run(args.seconds) for _ in range(args.runs)]
    median = {key: statistics.median(run[key] for run in runs) for key in runs[0]}
    print(f"\nProcess cost, median of {args.runs} run(s), {args.seconds:g} s windows")
    print("| measure | value |")
    print(f"| CPU idle at the menu | {100 * median['idle']:.2f} % of one core |")
    print(f"| CPU at \"B. Szybko\", rounds restarting | {100 * median['playing']:.2f} % of one core |")
    print(f"| peak resident memory | {median['rss']:.1f} MiB |")
    print(f"| start to first frame | {1000 * median['first_frame']:.0f} ms |")


if __name__ == "__main__":
    main()
