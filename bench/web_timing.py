#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The browser build's figures, in headless Chromium and Firefox: ticks and their lateness at
"B. Szybko", the last cell before a crash at every speed level, the time from navigation to
the first painted board (from disk, on a first visit to a web server, and again from the
service worker with the server stopped), the size of the served folder, how soon a pad's and a
finger's change reach their rules, and the rules' fast tick in WebAssembly against the native
build.

The page is driven from inside through its own entry points, as the desktop benchmarks drive
the window: two scripted players run serpentines so that the ticks never pause, and player 1
turns straight back to end each round of the crash measurement."""

import argparse
import gzip
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
import browsers  # noqa: E402
from browsers import Chromium, Firefox, StaticServer  # noqa: E402

LEVELS = [("Wolno", 400, 398.0), ("Średnio", 200, 198.0), ("Szybko", 50, 48.0),
          ("B. Szybko", 20, None)]
SPEED_COMMAND = 3  # WebWindow::Command::Speed1; the levels follow it
NOWA_GRA = 0

# Turns at the top and bottom rows: player 1 works its way right, player 2 left. Heads are
# found from the cells painted in their colours; keys go in through the page's key entry.
SERPENTINES = """
(() => {
  const page = Module.page;
  const heads = {1: 390, 2: 370};
  const heading = {1: 'up', 2: 'up'};
  const paint = page.paintCell;
  page.paintCell = (i, r, g, b) => {
    paint(i, r, g, b);
    if (r === 255 && g === 0 && b === 0) heads[1] = i;
    if (r === 0 && g === 0 && b === 255) heads[2] = i;
  };
  const press = (named, character) => {
    Module._zirvel_key(1, named, character, 0, 0);
    Module._zirvel_key(0, named, character, 0, 0);
  };
  const keys = {1: {up: [1, 0], down: [2, 0], side: [4, 0]},
                2: {up: [0, 87], down: [0, 83], side: [0, 65]}};
  const steer = () => {
    for (const p of [1, 2]) {
      const row = Math.floor((heads[p] - 1) / 40);
      if ((heading[p] === 'up' && row === 0) || (heading[p] === 'down' && row === 22)) {
        press(...keys[p].side);
        heading[p] = row === 0 ? 'side-from-top' : 'side-from-bottom';
      } else if (heading[p] === 'side-from-top') {
        press(...keys[p].down);
        heading[p] = 'down';
      } else if (heading[p] === 'side-from-bottom') {
        press(...keys[p].up);
        heading[p] = 'up';
      }
    }
  };
  const fired = page.timerFired;
  page.timerFired = (timer, due, clock) => {
    fired(timer, due, clock);
    if (timer === 0) queueMicrotask(steer);
  };
})()
"""

# Player 1 turns straight back after one or two moves; each crash's last cell is timed from
# the paint of the move to the paint of the next round's board.
CRASHES = """
(() => {
  const page = Module.page;
  window.lastCell = [];
  let moves = 0, movesBeforeTurn = 1, lastMove = 0, turned = false;
  const paint = page.paintCell;
  page.paintCell = (i, r, g, b) => {
    paint(i, r, g, b);
    if (r !== 255 || g !== 0 || b !== 0) return;
    if (i === 390 && turned) {
      window.lastCell.push(performance.now() - lastMove);
      turned = false;
      moves = 0;
      movesBeforeTurn = 3 - movesBeforeTurn;
    } else if (i !== 390) {
      lastMove = performance.now();
    }
  };
  const fired = page.timerFired;
  page.timerFired = (timer, due, clock) => {
    fired(timer, due, clock);
    if (timer !== 0) return;
    queueMicrotask(() => {
      if (++moves === movesBeforeTurn) {
        for (const named of [3, 2]) {
          Module._zirvel_key(1, named, 0, 0, 0);
          Module._zirvel_key(0, named, 0, 0, 0);
        }
        turned = true;
      }
    });
  };
})()
"""


# A change of stand-in pad 0 is timed from the moment it is made to the moment the page hands
# it to the pad rule, which is at the next animation frame.
PAD_LATENCY = """
(() => {
  window.padLatency = [];
  let changed = null;
  const handOver = Module._zirvel_pad;
  Module._zirvel_pad = (...state) => {
    if (changed !== null) {
      window.padLatency.push(performance.now() - changed);
      changed = null;
    }
    return handOver(...state);
  };
  window.changePad = (held) => {
    changed = performance.now();
    zirvel2Pads.set(0, true, { 0: held }, null);
  };
})()
"""


# A finger's swipe is timed from the browser's own time stamp of the pointer event that carries
# it to the page (Chromium's raw update, Firefox's move) to the moment the touch rule has pressed
# the key.
TOUCH_LATENCY = """
(() => {
  window.touchLatency = [];
  let stamp = null;
  for (const type of ['pointerrawupdate', 'pointermove']) {
    addEventListener(type, (event) => { stamp = event.timeStamp; }, true);
  }
  // An entry point's first call puts the WebAssembly's own function in its place: one call
  // first, for a finger that is not down, which does nothing.
  Module._zirvel_touch_move(-1, 0, 0);
  const handOver = Module._zirvel_touch_move;
  Module._zirvel_touch_move = (...args) => {
    const result = handOver(...args);
    if (stamp !== null) {
      window.touchLatency.push(performance.now() - stamp);
      stamp = null;
    }
    return result;
  };
})()
"""


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(fraction * len(ordered)))]


def wait_for(browser, expression, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = browser.evaluate(expression)
        if value:
            return value
        time.sleep(0.1)
    raise TimeoutError(expression)


def ticks(browser, seconds, computers=False):
    """Tick lateness at "B. Szybko": with two scripted serpentines, or with the computer
    playing both sides at "trudny", countdowns and all."""
    browser.navigate(browser.url)
    browser.evaluate("Module._zirvel_choose_player(1, 3); Module._zirvel_choose_player(2, 3)"
                     if computers else SERPENTINES)
    browser.evaluate(f"Module._zirvel_command({SPEED_COMMAND + 3});"
                     f" Module._zirvel_command({NOWA_GRA}); Module.page.stats.recording = true")
    time.sleep(2.8 + 0.5 + seconds + 0.3)
    recorded = browser.evaluate("Module.page.stats.ticks")
    start = min(due for timer, due, _ in recorded if timer in (0, 1)) + 100
    window = [(timer, due, clock) for timer, due, clock in recorded
              if timer in (0, 1) and start <= due < start + seconds * 1000]
    lateness = {timer: [clock - due for t, due, clock in window if t == timer] for timer in (0, 1)}
    return lateness


def last_cells(browser, level, crashes):
    browser.navigate(browser.url)
    browser.evaluate(CRASHES)
    browser.evaluate(f"Module._zirvel_command({SPEED_COMMAND + level});"
                     f" Module._zirvel_command({NOWA_GRA})")
    return wait_for(browser, f"window.lastCell.length >= {crashes} && window.lastCell",
                    crashes * 4.5 + 10)


def first_board(browser, runs):
    times = []
    for _ in range(runs):
        browser.navigate("about:blank", ready="true")
        browser.navigate(browser.url)
        times.append(wait_for(browser, "Module.page.stats.firstFrame", 10))
    return statistics.median(times)


def served_first_board(browser, site, runs):
    """Navigation to the first painted board on a first visit to the folder on a web server,
    and on a visit after it with the server stopped, from the service worker alone. Each run
    has a server on a port of its own, so that its first visit finds nothing kept."""
    first, again = [], []
    for _ in range(runs):
        with StaticServer(site) as server:
            address = server.url + "zirvel2.html"
            browser.navigate("about:blank", ready="true")
            browser.navigate(address)
            first.append(wait_for(browser, "Module.page.stats.firstFrame", 10))
            browser.wait_until("!!navigator.serviceWorker.controller")
        browser.navigate("about:blank", ready="true")
        browser.navigate(address)
        again.append(wait_for(browser, "Module.page.stats.firstFrame", 10))
    return statistics.median(first), statistics.median(again)


def resize_work(browser, runs):
    """How long the page takes to fit itself to a resized window: its layout and the board
    drawn once at the new cell size. The window switches between two sizes whose cells
    differ."""
    browser.navigate(browser.url)
    browser.evaluate("Module.page.stats.recording = true")
    for run in range(runs):
        browser.resize(*((1366, 768) if run % 2 else (1024, 768)), 1)
        browser.next_frames()
    browser.resize(1024, 768, 1)
    return browser.evaluate("Module.page.stats.layouts")


def pad_latency(browser, changes):
    browser.install_pads()
    browser.pad(0)
    browser.evaluate(PAD_LATENCY)
    for change in range(changes):
        browser.evaluate(f"changePad({change % 2})")
        time.sleep(0.02 + 0.03 * ((change * 7) % 10) / 10)
    browser.next_frames()
    return browser.evaluate("window.padLatency")


def touch_latency(browser, swipes):
    """One finger in player 1's half swipes right and left again and again, 40 CSS pixels each
    time, on a touch screen where the browser can pretend to be one."""
    browser.touch_screen(1024, 768, 1)
    browser.navigate(browser.url)
    browser.evaluate(TOUCH_LATENCY)
    x, y = 800, 400
    browser.fingers({1: (x, y)})
    for swipe in range(swipes):
        browser.fingers({1: (x + 40 * ((swipe + 1) % 2), y)})
        time.sleep(0.02 + 0.03 * ((swipe * 7) % 10) / 10)
    browser.fingers({})
    browser.next_frames()
    latency = browser.evaluate("window.touchLatency")
    browser.resize(1024, 768, 1)
    return latency


def served_size(site):
    """The folder's size as a server sends it, raw and with each file gzipped."""
    files = [path.read_bytes() for path in sorted(Path(site).iterdir())]
    return sum(map(len, files)), sum(len(gzip.compress(data, 9)) for data in files)


def fast_tick(browser, page):
    browser.navigate(Path(page).resolve().as_uri(), ready="true")
    line = wait_for(browser, "window.Module && Module.output && Module.output.join('')", 60)
    return float(line.split(":")[1].split()[0])


def opponent_cost(browser, page):
    """The computer player's decision cost per level in WebAssembly: (p50, p99) in µs."""
    browser.navigate(Path(page).resolve().as_uri(), ready="true")
    wait_for(browser, "window.Module && Module.output && Module.output.length >= 3", 180)
    costs = {}
    for line in browser.evaluate("Module.output"):
        level, figures = line.removeprefix("decision ").split(": ", 1)
        p50, p99 = (float(part.split()[1]) for part in figures.split(", ")[:2])
        costs[level] = (p50, p99)
    return costs


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--web-build", default="build-web")
    parser.add_argument("--native-fast-tick", required=True)
    parser.add_argument("--seconds", type=int, default=10)
    parser.add_argument("--crashes", type=int, default=6)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()

    site = Path(args.web_build) / "site"
    page = site / "zirvel2.html"
    raw = page.stat().st_size
    packed = len(gzip.compress(page.read_bytes(), 9))
    print(f"\nzirvel2.html: {raw / 1000:.1f} kB raw, {packed / 1000:.1f} kB gzipped "
          "(goal <= 400 kB raw)")
    raw, packed = served_size(site)
    print(f"the served folder, {len(list(site.iterdir()))} files: {raw / 1000:.1f} kB raw, "
          f"{packed / 1000:.1f} kB gzipped (goal <= 500 kB)")
    native = subprocess.run([args.native_fast_tick], capture_output=True, text=True, check=True)
    native_ns = float(native.stdout.split(":")[1].split()[0])

    for browser_class in (Chromium, Firefox):
        with tempfile.TemporaryDirectory() as runtime:
            # The browsers open the page that the module names.
            browsers.PAGE = str(page)
            browser = browser_class((1024, 768), 1, runtime)
            browser.start(None, None)
            try:
                print(f"\n{browser.name}")
                wasm_ns = fast_tick(browser, Path(args.web_build) / "zirvel2_fast_tick_cost.html")
                print(f"  fast tick in the rules: {wasm_ns / 1000:.2f} µs in WebAssembly, "
                      f"{native_ns / 1000:.2f} µs native: {wasm_ns / native_ns:.2f}x (goal <= 2x)")
                costs = opponent_cost(browser, Path(args.web_build) / "zirvel2_opponent_cost.html")
                for level, (p50, p99) in costs.items():
                    goal = " (goal p99 <= 2000 µs)" if level == "trudny" else ""
                    print(f"  the computer's decision, {level}: p50 {p50:.0f} µs, "
                          f"p99 {p99:.0f} µs in WebAssembly{goal}")
                print(f"  navigation to the first painted board from disk: "
                      f"{first_board(browser, args.runs):.0f} ms (median of {args.runs}, "
                      "goal <= 300 ms)")
                first, again = served_first_board(browser, site, args.runs)
                print(f"  the same served, first visit: {first:.0f} ms; again with the server "
                      f"stopped, from the service worker: {again:.0f} ms (medians of "
                      f"{args.runs}, goal <= 300 ms each)")
                layouts = resize_work(browser, 4 * args.runs)
                print(f"  fitting to a resized window, the board drawn again: p50 "
                      f"{percentile(layouts, 0.5):.2f} ms, p99 {percentile(layouts, 0.99):.2f} ms"
                      " (goal <= 16 ms)")
                latency = pad_latency(browser, 40 * args.runs)
                print(f"  a pad's change to the pad rule: p50 {percentile(latency, 0.5):.1f} ms, "
                      f"p99 {percentile(latency, 0.99):.1f} ms, {len(latency)} changes "
                      "(goal p99 <= 17 ms)")
                latency = touch_latency(browser, 40 * args.runs)
                refresh = browser.evaluate("Module.page.stats.refreshInterval") or 1000 / 60
                print(f"  a finger's swipe to the touch rule: p50 {percentile(latency, 0.5):.1f} ms,"
                      f" p99 {percentile(latency, 0.99):.1f} ms, {len(latency)} swipes "
                      f"(goal p99 <= one frame, {refresh:.1f} ms)")
                lateness = ticks(browser, args.seconds)
                normal, fast = lateness[0], lateness[1]
                print(f"  ticks in {args.seconds} s at \"B. Szybko\", normal / fast: "
                      f"{len(normal)} / {len(fast)} (goal {args.seconds * 20} / {args.seconds * 50})")
                for name, values in (("normal", normal), ("fast", fast)):
                    print(f"  tick lateness, {name}: p50 {percentile(values, 0.5):.2f} ms, "
                          f"p99 {percentile(values, 0.99):.2f} ms, max {max(values):.2f} ms "
                          "(goal p99 <= 4 ms)")
                lateness = ticks(browser, args.seconds, computers=True)
                for name, values in (("normal", lateness[0]), ("fast", lateness[1])):
                    print(f"  tick lateness with the computer on both sides (trudny), {name}: "
                          f"p50 {percentile(values, 0.5):.2f} ms, p99 "
                          f"{percentile(values, 0.99):.2f} ms, max {max(values):.2f} ms")
                print("  last cell before a crash on screen, from the paint of the move to the "
                      f"paint of the next round's board, {args.crashes} crashes a level:")
                refresh = browser.evaluate("Module.page.stats.refreshInterval") or 1000 / 60
                for index, (caption, fast_ms, goal) in enumerate(LEVELS):
                    cells = last_cells(browser, index, args.crashes)
                    print(f"    {caption:9} fast tick {fast_ms:3} ms: shortest {min(cells):6.2f} ms,"
                          f" median {statistics.median(cells):6.2f} ms"
                          f" (goal >= {goal if goal else refresh:.2f} ms)")
            finally:
                browser.close()


if __name__ == "__main__":
    main()
