# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The page zirvel2.html in a headless browser as a third display system: Chromium driven
through its DevTools protocol, Firefox through WebDriver BiDi. Keys and pointer moves go in as
the browsers' own input events, pixels come out of the browsers' own screenshots, and the
page's "windows" are its main window and its game-over dialog. Fingers go in as touches: in
Chromium as touch events on an emulated phone or tablet, in Firefox as WebDriver's touch
pointers.

Coordinates are device pixels of the viewport, as the screenshots have them; fingers are placed
in CSS pixels, as a page sees them."""

import atexit
import base64
import io
import itertools
import json
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from pathlib import Path

import websocket
from PIL import Image

PAGE = os.environ.get("ZIRVEL2_WEB", "build-web/site/zirvel2.html")

# xdotool's key names, as the scenarios write them: (DOM key, DOM code, Windows key code).
KEYS = {
    "Left": ("ArrowLeft", "ArrowLeft", 37), "Up": ("ArrowUp", "ArrowUp", 38),
    "Right": ("ArrowRight", "ArrowRight", 39), "Down": ("ArrowDown", "ArrowDown", 40),
    "Return": ("Enter", "Enter", 13), "Escape": ("Escape", "Escape", 27),
    "space": (" ", "Space", 32), "Shift_R": ("Shift", "ShiftRight", 16),
    "Shift_L": ("Shift", "ShiftLeft", 16), "ctrl": ("Control", "ControlLeft", 17),
    "alt": ("Alt", "AltLeft", 18), "shift": ("Shift", "ShiftLeft", 16),
    "F10": ("F10", "F10", 121), "F2": ("F2", "F2", 113), "Tab": ("Tab", "Tab", 9),
}
MODIFIER_BITS = {"Alt": 1, "Control": 2, "Shift": 8}
# What a Russian layout puts on the keys the scenarios press, by xkb key code.
RUSSIAN = {25: ("ц", "KeyW"), 38: ("ф", "KeyA"), 39: ("ы", "KeyS"), 40: ("в", "KeyD")}
# Held keys repeat as a desktop repeats them: after half a second, thirty times a second.
REPEAT_DELAY, REPEAT_INTERVAL = 0.5, 1 / 30


def key_info(name):
    if name in KEYS:
        return KEYS[name]
    if len(name) == 1 and name.isalpha():
        return name, f"Key{name.upper()}", ord(name.upper())
    raise KeyError(f"no key {name}")


class Connection:
    """One WebSocket of a JSON protocol whose commands carry an id and whose answers name it;
    commands may come from several threads."""

    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=60, suppress_origin=True)
        self.ids = itertools.count(1)
        self.waiting = {}
        self.lock = threading.Lock()
        self.reader = threading.Thread(target=self.read, daemon=True)
        self.reader.start()

    def read(self):
        while True:
            try:
                message = json.loads(self.socket.recv())
            except (websocket.WebSocketException, OSError, ValueError):
                for answer in self.waiting.values():
                    answer.put({"error": {"message": "connection closed"}})
                return
            answer = self.waiting.pop(message.get("id"), None)
            if answer:
                answer.put(message)

    def call(self, method, params=None, **extra):
        number = next(self.ids)
        answer = queue.Queue()
        self.waiting[number] = answer
        with self.lock:
            self.socket.send(json.dumps({"id": number, "method": method,
                                         "params": params or {}, **extra}))
        message = answer.get(timeout=60)
        if "error" in message and message["error"]:
            raise RuntimeError(f"{method}: {message['error']} {message.get('message', '')}")
        return message.get("result", {})

    def close(self):
        self.socket.close()


def read_line(stream, prefix, timeout=30):
    """The rest of the first line of `stream` that starts with `prefix`."""
    found = queue.Queue()

    def scan():
        for line in iter(stream.readline, ""):
            if line.startswith(prefix) and found.empty():
                found.put(line[len(prefix):].strip())

    threading.Thread(target=scan, daemon=True).start()
    return found.get(timeout=timeout)


# The game has started and painted its board.
FIRST_BOARD = "!!(window.Module && Module.page && Module.page.stats.firstBoard)"


# One browser of each kind, size and scale stays running between the games of a test module:
# a game opens the page afresh in it, and starting a browser takes seconds.
RUNNING = {}


@atexit.register
def quit_running():
    for browser in RUNNING.values():
        browser.quit()


class PageGame:
    """The game's process, as the harness sees it, for a game that is a page: it ends with the
    page, not with the browser."""

    returncode = 0

    def poll(self):
        return None

    def terminate(self):
        pass

    def wait(self, timeout=None):
        return 0


class Browser:
    """What both browsers share: the page's windows, pixels from screenshots, key names."""

    KEPT = ("process", "connection", "profile")

    def __init__(self, size, scale, runtime_dir):
        self.size = size
        self.scale = scale
        self.env = {}
        self.url = Path(PAGE).resolve().as_uri()
        self.modifiers = set()
        self.key = (self.name, size, scale)
        running = RUNNING.pop(self.key, None)
        if running and running.process.poll() is None:
            for name in self.KEPT:
                setattr(self, name, getattr(running, name))
        else:
            self.profile = tempfile.mkdtemp(prefix=f"zirvel2-{self.name}-")
            self.launch()

    def navigate(self, url, ready="!!(window.Module && Module.page && Module.page.stats.firstBoard)"):
        """Opens `url` and waits until `ready` holds there: by default, until the game has
        started and painted its board."""
        self.load(url)
        deadline = time.monotonic() + 15
        while not self.evaluate(ready):
            if time.monotonic() > deadline:
                raise TimeoutError(f"{url} did not become ready")
            time.sleep(0.05)

    def start(self, binary, env):
        """Opens the page afresh."""
        self.navigate(self.url)
        return PageGame()

    def wait_until(self, expression, timeout=10):
        """The first truthy value of `expression` in the page, read every 50 ms."""
        deadline = time.monotonic() + timeout
        while not (value := self.evaluate(expression)):
            if time.monotonic() > deadline:
                raise TimeoutError(f"{expression} did not hold in {timeout} s")
            time.sleep(0.05)
        return value

    def settle(self, expression, timeout=10):
        """The value that the promise `expression` settles to in the page; one that fails
        raises. Read back by polling, as both protocols read plain values."""
        self.evaluate("window.zirvel2Settled = null;"
                      f" Promise.resolve().then(() => {expression}).then((value) => {{"
                      "   window.zirvel2Settled = {value: value === undefined ? null : value};"
                      " }, (error) => { window.zirvel2Settled = {error: String(error)}; })")
        settled = self.wait_until("window.zirvel2Settled", timeout)
        if "error" in settled:
            raise RuntimeError(f"{expression}: {settled['error']}")
        return settled["value"]

    def reload(self, ready=FIRST_BOARD):
        """Loads the open page again, as F5 does, and waits until `ready` holds in the new
        document: by default, until the game has painted its board."""
        self.evaluate("window.zirvel2Reloading = true")
        self.reload_page()
        self.wait_until(f"!window.zirvel2Reloading && ({ready})", 15)

    def close(self):
        """Leaves the browser with one blank tab and no key held, for the next game."""
        try:
            self.reset()
            self.load("about:blank")
            RUNNING[self.key] = self
        except (RuntimeError, OSError, queue.Empty):
            self.quit()

    def quit(self):
        self.connection.close()
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)

    def grab(self, x, y, width, height):
        # The browser encodes only the part asked for, in CSS pixels that cover it.
        s = self.scale
        left, top = x // s, y // s
        right, bottom = -(-(x + width) // s), -(-(y + height) // s)
        image = Image.open(io.BytesIO(self.screenshot((left, top, right - left, bottom - top))))
        image = image.convert("RGB")
        dx, dy = x - left * s, y - top * s
        return image.crop((dx, dy, dx + width, dy + height)).tobytes()

    def element_rect(self, selector):
        rect = self.evaluate(
            f"(() => {{ const e = document.querySelector({json.dumps(selector)});"
            " if (!e || !e.getClientRects().length || !Module.page) return null;"
            " const r = e.getBoundingClientRect();"
            " return [r.left, r.top, r.width, r.height].map(v => Math.round(v * devicePixelRatio)); })()")
        return tuple(rect) if rect else None

    # The game-over window's client area, under its caption bar.
    WINDOWS = {"Zirvel 2": "#window", "Koniec gry": "#frmKoniecgry"}

    def next_frames(self):
        """Waits until the page has drawn two more frames: whatever a change of the viewport
        made it lay out again is on screen."""
        self.settle("new Promise((done) => requestAnimationFrame(() =>"
                    " requestAnimationFrame(done)))")

    def viewport_screenshot(self):
        """The whole viewport, in device pixels."""
        width, height = self.evaluate("[innerWidth, innerHeight]")
        image = Image.open(io.BytesIO(self.screenshot((0, 0, width, height))))
        return image.convert("RGB")

    def install_pads(self):
        """Loads the page afresh with the browser's gamepads replaced by stand-ins that the
        test drives; the page reads and maps them as it would real ones."""
        self.add_preload(PAD_STAND_INS)
        self.navigate(self.url)

    def install_wake_lock(self):
        """Loads the page afresh with the browser's screen wake lock replaced by a stand-in that
        always grants it: `zirvel2WakeLock.held` says whether the page holds it."""
        self.add_preload(WAKE_LOCK_STAND_IN)
        self.navigate(self.url)

    def pad(self, index, buttons=None, stick=None, connected=True, right_stick=None):
        """Connects or disconnects stand-in pad `index`, or changes what it holds: `buttons`
        maps the standard mapping's button numbers to how far they are pressed, `stick` and
        `right_stick` are the two sticks' x and y."""
        self.evaluate(f"zirvel2Pads.set({index}, {json.dumps(connected)},"
                      f" {json.dumps(buttons or {})}, {json.dumps(stick)},"
                      f" {json.dumps(right_stick)})")

    def leave_window(self, left):
        """The player clicks into another window, or back into the browser's: the events the
        browser sends the page then. A headless browser has no other window to click into."""
        event = "blur" if left else "focus"
        self.evaluate(f"window.dispatchEvent(new FocusEvent('{event}'))")

    def text_contrasts(self):
        """Every visible text of the page: its text, and the contrast ratio of its colour
        against what is behind it, from the computed colours."""
        return self.evaluate(CONTRASTS)

    def window_scale(self):
        """Device pixels to one of the desktop window's pixels: the page zooms its window so
        that a cell of 16 of them is a whole number of device pixels."""
        return self.evaluate("Module.page.cellSize()") / 16

    def board_origin(self):
        """Where the board's first cell starts, in device pixels."""
        return tuple(self.evaluate("Module.page.boardOrigin()"))

    def windows(self, title):
        selector = self.WINDOWS.get(title)
        return [selector] if selector and self.element_rect(selector) else []

    def geometry(self, window):
        return self.element_rect(window)

    def focus(self, window):
        pass  # the page has the keyboard

    def ended(self, process, timeout):
        """A page may close only a window that its own script opened: the game ends, and the
        page says so."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.evaluate("document.getElementById('ended').hidden === false"
                             " && document.getElementById('window').hidden"):
                return True
            time.sleep(0.05)
        return False

    def opened_address(self, record, timeout):
        """The address of a tab that the page opened."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            addresses = [url for url in self.tabs() if url not in (self.url, "about:blank")]
            if addresses:
                return addresses[0]
            time.sleep(0.05)
        return ""

    def icon_sizes(self, window, env):
        """The sizes the page's icons are offered in; "any" counts as every size."""
        sizes = self.evaluate("[...document.querySelectorAll('link[rel~=icon]')]"
                              ".map(l => l.sizes.value)") or []
        if "any" in sizes:
            return [16, 22, 24, 32, 48, 64, 128, 256]
        return [int(s.split("x")[0]) for value in sizes for s in value.split()]

    def request_close(self, window):
        raise unittest.SkipTest("a page is not closed through a window manager")

    def touch_screen(self, width, height, ratio):
        """Makes the viewport a touch screen of width x height CSS pixels at this device pixel
        ratio, where the browser can pretend to be one; elsewhere only the size changes. Returns
        the viewport's size in device pixels."""
        self.resize(width, height, ratio, touch=True)
        self.next_frames()
        return round(width * ratio), round(height * ratio)

    def fingers(self, points):
        """Fingers touch down, move or lift, all in one event: `points` are the fingers on the
        screen afterwards, by number, at (x, y) CSS pixels of the viewport. The fingers that
        were down before and are missing lift."""
        before = getattr(self, "touching", {})
        self.touching = dict(points)
        self.touch_event(before, self.touching)

    def tap(self, x, y):
        """One finger taps at (x, y) CSS pixels."""
        self.fingers({9: (x, y)})
        self.fingers({})
        time.sleep(0.06)

    def tap_element(self, selector):
        x, y, width, height = self.evaluate(
            f"(() => {{ const r = document.querySelector({json.dumps(selector)})"
            ".getBoundingClientRect(); return [r.left, r.top, r.width, r.height]; })()")
        self.tap(x + width / 2, y + height / 2)

    def keys(self, keys):
        for key in keys:
            *modifiers, name = key.split("+")
            for modifier in modifiers:
                self.key_down(modifier)
            self.key_down(name)
            self.key_up(name)
            for modifier in reversed(modifiers):
                self.key_up(modifier)
            time.sleep(0.06)

    def hold(self, keys, seconds):
        for key in keys:
            self.key_down(key)
            time.sleep(0.06)
        deadline = time.monotonic() + seconds
        repeated = keys[-1]
        next_repeat = time.monotonic() + REPEAT_DELAY
        while time.monotonic() < deadline:
            time.sleep(max(0.0, min(next_repeat, deadline) - time.monotonic()))
            if time.monotonic() < deadline and key_info(repeated)[0] != "Shift":
                self.key_down(repeated, repeat=True)
            next_repeat += REPEAT_INTERVAL
        for key in reversed(keys):
            self.key_up(key)

    def press_on_layout(self, layout, keycodes):
        if layout != "ru":
            raise unittest.SkipTest(f"no layout {layout}")
        for keycode in keycodes:
            character, code = RUSSIAN[keycode]
            self.key_event(True, character, code, 0)
            self.key_event(False, character, code, 0)
            time.sleep(0.06)

    def key_down(self, name, repeat=False):
        key, code, number = key_info(name)
        if key in MODIFIER_BITS:
            self.modifiers.add(key)
        self.key_event(True, key, code, number, repeat)

    def key_up(self, name):
        key, code, number = key_info(name)
        self.modifiers.discard(key)
        self.key_event(False, key, code, number)


class Chromium(Browser):
    """Headless Chromium through the DevTools protocol: Input.dispatchKeyEvent and
    Input.dispatchMouseEvent go through the browser's own input path."""

    name = "chromium"
    # A screenshot waits for the compositor's next frames.
    READ_INTERVAL = 0.06

    KEPT = Browser.KEPT + ("target",)

    def launch(self):
        size, scale = self.size, self.scale
        self.process = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-extensions", "--mute-audio", "--remote-debugging-port=0",
             f"--user-data-dir={self.profile}", f"--window-size={size[0] // scale},{size[1] // scale}",
             f"--force-device-scale-factor={scale}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        browser_url = read_line(self.process.stderr, "DevTools listening on ")
        port = browser_url.split(":")[2].split("/")[0]
        import urllib.request
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
        page = next(t for t in targets if t["type"] == "page")
        self.target = page["id"]
        self.connection = Connection(page["webSocketDebuggerUrl"])
        self.connection.call("Page.enable")
        # A headless page has no window that could hold the keyboard; it acts as focused.
        self.connection.call("Emulation.setFocusEmulationEnabled", {"enabled": True})
        self.connection.call("Emulation.setDeviceMetricsOverride", {
            "width": size[0] // scale, "height": size[1] // scale,
            "deviceScaleFactor": scale, "mobile": False})

    def load(self, url):
        self.connection.call("Page.navigate", {"url": url})

    def add_preload(self, source):
        """Runs `source` in every document the tab loads from now on, before the page's own
        scripts, until the browser is reset."""
        self.preloads = getattr(self, "preloads", []) + [self.connection.call(
            "Page.addScriptToEvaluateOnNewDocument", {"source": source})["identifier"]]

    def resize(self, width, height, ratio, touch=False):
        """Gives the page a viewport of width x height CSS pixels at this device pixel ratio; a
        touch screen is a phone's or a tablet's, with two touch points, a coarse pointer and a
        viewport that the page's meta tag sizes and that fingers could zoom."""
        self.connection.call("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": ratio, "mobile": touch})
        self.connection.call("Emulation.setTouchEmulationEnabled",
                             {"enabled": touch, "maxTouchPoints": 2})
        # The page hears of its new pointer a little later, and fits its window to it again.
        self.wait_until(f"matchMedia('(pointer: coarse)').matches === {json.dumps(touch)}")

    def touch_event(self, before, after):
        """A touch start or move names every finger on the screen afterwards; a touch end
        names the fingers that lift."""
        if len(after) < len(before):
            kind, points = "touchEnd", {f: p for f, p in before.items() if f not in after}
        else:
            kind, points = "touchStart" if len(after) > len(before) else "touchMove", after
        self.connection.call("Input.dispatchTouchEvent", {"type": kind, "touchPoints": [
            {"x": x, "y": y, "id": finger} for finger, (x, y) in points.items()]})

    def accessible(self, role, name):
        """The states of the nodes of the accessibility tree with this role and name."""
        found = []
        for node in self.connection.call("Accessibility.getFullAXTree")["nodes"]:
            if node.get("ignored") or node.get("role", {}).get("value") != role:
                continue
            if node.get("name", {}).get("value") != name:
                continue
            # A check state is a tristate, given as text.
            found.append({p["name"]: p["value"].get("value") in (True, "true", "mixed")
                          for p in node.get("properties", [])
                          if p["name"] in ("checked", "disabled", "expanded")})
        return found

    def reload_page(self):
        self.connection.call("Page.reload")

    def installability_errors(self):
        """What keeps the browser from offering to install the open page as an app."""
        return self.connection.call("Page.getInstallabilityErrors")["installabilityErrors"]

    def manifest_errors(self):
        """What the browser found wrong in the open page's manifest, and the manifest's
        address: empty when the page names none."""
        manifest = self.connection.call("Page.getAppManifest")
        return manifest["url"], manifest["errors"]

    def evaluate(self, expression):
        result = self.connection.call("Runtime.evaluate",
                                      {"expression": expression, "returnByValue": True})
        return result.get("result", {}).get("value")

    def screenshot(self, clip):
        x, y, width, height = clip
        return base64.b64decode(self.connection.call("Page.captureScreenshot", {
            "clip": {"x": x, "y": y, "width": width, "height": height, "scale": 1},
            "optimizeForSpeed": True})["data"])

    def key_event(self, down, key, code, number, repeat=False):
        modifiers = sum(MODIFIER_BITS[m] for m in self.modifiers)
        params = {"type": "keyDown" if down else "keyUp", "key": key, "code": code,
                  "windowsVirtualKeyCode": number, "modifiers": modifiers,
                  "autoRepeat": repeat}
        if down and not modifiers & (MODIFIER_BITS["Control"] | MODIFIER_BITS["Alt"]):
            text = "\r" if key == "Enter" else key
            if len(text) == 1:
                params["text"] = text
        self.connection.call("Input.dispatchKeyEvent", params)

    def point(self, x, y):
        self.mouse("mouseMoved", x, y)

    def click(self, x, y):
        self.mouse("mouseMoved", x, y)
        self.mouse("mousePressed", x, y, button="left", clickCount=1)
        self.mouse("mouseReleased", x, y, button="left", clickCount=1)

    def mouse(self, kind, x, y, **extra):
        self.connection.call("Input.dispatchMouseEvent", {
            "type": kind, "x": x / self.scale, "y": y / self.scale, **extra})

    def tabs(self):
        targets = self.connection.call("Target.getTargets")["targetInfos"]
        return [target["url"] for target in targets if target["type"] == "page"]

    def reset(self):
        for preload in getattr(self, "preloads", []):
            self.connection.call("Page.removeScriptToEvaluateOnNewDocument",
                                 {"identifier": preload})
        self.preloads = []
        self.touching = {}
        self.resize(self.size[0] // self.scale, self.size[1] // self.scale, self.scale)
        for target in self.connection.call("Target.getTargets")["targetInfos"]:
            if target["type"] == "page" and target["targetId"] != self.target:
                self.connection.call("Target.closeTarget", {"targetId": target["targetId"]})

    def hide_page(self, hidden):
        """Puts another tab in front of the page, or brings the page back. A page that acts
        as focused stays visible behind another tab, so it acts so only while in front."""
        if hidden:
            self.connection.call("Emulation.setFocusEmulationEnabled", {"enabled": False})
            self.other = self.connection.call("Target.createTarget",
                                              {"url": "about:blank"})["targetId"]
            self.connection.call("Target.activateTarget", {"targetId": self.other})
        else:
            self.connection.call("Target.closeTarget", {"targetId": self.other})
            self.connection.call("Target.activateTarget", {"targetId": self.target})
            self.connection.call("Emulation.setFocusEmulationEnabled", {"enabled": True})


class Firefox(Browser):
    """Headless Firefox ESR through WebDriver BiDi: input.performActions for keys and the
    pointer, browsingContext.captureScreenshot for pixels."""

    name = "firefox"
    READ_INTERVAL = 0.015
    # WebDriver's codes for keys that are not characters.
    SPECIAL = {"ArrowLeft": "\ue012", "ArrowUp": "\ue013", "ArrowRight": "\ue014",
               "ArrowDown": "\ue015", "Enter": "\ue006", "Escape": "\ue00c", "Control": "\ue009",
               "Alt": "\ue00a", "F2": "\ue032", "F10": "\ue03a", "Tab": "\ue004"}

    KEPT = Browser.KEPT + ("context",)

    def launch(self):
        size, scale = self.size, self.scale
        Path(self.profile, "user.js").write_text(
            'user_pref("browser.shell.checkDefaultBrowser", false);\n'
            'user_pref("datareporting.policy.dataSubmissionEnabled", false);\n'
            'user_pref("browser.startup.homepage_override.mstone", "ignore");\n'
            'user_pref("app.update.disabledForTesting", true);\n'
            'user_pref("remote.prefs.recommended", true);\n')
        self.process = subprocess.Popen(
            ["firefox-esr", "--headless", "--no-remote", "--profile", self.profile,
             "--remote-debugging-port", "0", f"--width={size[0] // scale}",
             f"--height={size[1] // scale}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
            env=dict(os.environ, MOZ_HEADLESS="1"))
        url = read_line(self.process.stderr, "WebDriver BiDi listening on ")
        self.connection = Connection(url + "/session")
        self.connection.call("session.new", {"capabilities": {}})
        tree = self.connection.call("browsingContext.getTree")
        self.context = tree["contexts"][0]["context"]
        self.connection.call("browsingContext.setViewport", {
            "context": self.context,
            "viewport": {"width": size[0] // scale, "height": size[1] // scale},
            "devicePixelRatio": scale})

    def load(self, url):
        self.connection.call("browsingContext.navigate",
                             {"context": self.context, "url": url, "wait": "complete"})

    def add_preload(self, source):
        """Runs `source` in every document the tab loads from now on, before the page's own
        scripts, until the browser is reset."""
        self.preloads = getattr(self, "preloads", []) + [self.connection.call(
            "script.addPreloadScript", {"functionDeclaration": f"() => {{ {source} }}",
                                        "contexts": [self.context]})["script"]]

    def resize(self, width, height, ratio, touch=False):
        """Gives the page a viewport of width x height CSS pixels at this device pixel ratio.
        WebDriver BiDi has no touch screen to pretend: the pointer stays fine, and WebDriver's
        touch pointers deliver fingers all the same."""
        self.connection.call("browsingContext.setViewport", {
            "context": self.context, "viewport": {"width": width, "height": height},
            "devicePixelRatio": ratio})

    def accessible(self, role, name):
        """The states of the nodes that the accessibility tree gives this role and name; the
        protocol finds nodes by both, and their states come from their elements."""
        nodes = self.connection.call("browsingContext.locateNodes", {
            "context": self.context,
            "locator": {"type": "accessibility", "value": {"role": role, "name": name}}})["nodes"]
        found = []
        for node in nodes:
            states = self.connection.call("script.callFunction", {
                "functionDeclaration": "(e) => [e.getAttribute('aria-checked'),"
                                       " e.getAttribute('aria-disabled'),"
                                       " e.getAttribute('aria-expanded')]",
                "arguments": [{"sharedId": node["sharedId"]}],
                "target": {"context": self.context}, "awaitPromise": False})
            checked, disabled, expanded = deserialize(states["result"])
            found.append({key: value == "true" for key, value in
                          (("checked", checked), ("disabled", disabled), ("expanded", expanded))
                          if value is not None})
        return found

    def reload_page(self):
        self.connection.call("browsingContext.reload",
                             {"context": self.context, "wait": "complete"})

    def evaluate(self, expression):
        result = self.connection.call("script.evaluate", {
            "expression": expression, "target": {"context": self.context},
            "awaitPromise": False, "resultOwnership": "none"})
        return deserialize(result.get("result", {}))

    def screenshot(self, clip):
        x, y, width, height = clip
        return base64.b64decode(self.connection.call("browsingContext.captureScreenshot", {
            "context": self.context,
            "clip": {"type": "box", "x": x, "y": y, "width": width, "height": height}})["data"])

    def key_event(self, down, key, code, number, repeat=False):
        value = self.SPECIAL.get(key, "\ue008" if key == "Shift" else key)
        if code == "ShiftRight":
            value = "\ue050"
        if code == "Space":
            value = " "
        self.actions([{"type": "key", "id": "keyboard", "actions": [
            {"type": "keyDown" if down else "keyUp", "value": value}]}])

    def point(self, x, y):
        self.actions([self.pointer([{"type": "pointerMove", "x": round(x / self.scale),
                                     "y": round(y / self.scale)}])])

    def click(self, x, y):
        self.actions([self.pointer([
            {"type": "pointerMove", "x": round(x / self.scale), "y": round(y / self.scale)},
            {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}])])

    def touch_event(self, before, after):
        """Every finger is a touch pointer of its own, and all of them act in the same ticks."""
        sources = []
        for finger in sorted(set(before) | set(after)):
            source = {"type": "pointer", "id": f"finger{finger}",
                      "parameters": {"pointerType": "touch"}, "actions": []}
            if finger not in after:
                source["actions"] = [{"type": "pause"}, {"type": "pointerUp", "button": 0}]
            else:
                x, y = after[finger]
                move = {"type": "pointerMove", "x": round(x), "y": round(y)}
                source["actions"] = ([move, {"type": "pointerDown", "button": 0}]
                                     if finger not in before else [move, {"type": "pause"}])
            sources.append(source)
        self.actions(sources)

    @staticmethod
    def pointer(actions):
        return {"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
                "actions": actions}

    def actions(self, sources):
        self.connection.call("input.performActions",
                             {"context": self.context, "actions": sources})

    def tabs(self):
        return [context["url"] for context in
                self.connection.call("browsingContext.getTree")["contexts"]]

    def reset(self):
        for preload in getattr(self, "preloads", []):
            self.connection.call("script.removePreloadScript", {"script": preload})
        self.preloads = []
        for context in self.connection.call("browsingContext.getTree")["contexts"]:
            if context["context"] != self.context:
                self.connection.call("browsingContext.close", {"context": context["context"]})
        self.connection.call("input.releaseActions", {"context": self.context})
        self.touching = {}
        self.resize(self.size[0] // self.scale, self.size[1] // self.scale, self.scale)
        self.connection.call("browsingContext.activate", {"context": self.context})

    def press_on_layout(self, layout, keycodes):
        # WebDriver derives a key's position from its character by a US keyboard's table, and
        # a Cyrillic letter has no place there.
        raise unittest.SkipTest("WebDriver BiDi sends characters, not key positions")

    def hide_page(self, hidden):
        """Puts another tab in front of the page, or brings the page back."""
        if hidden:
            self.other = self.connection.call("browsingContext.create",
                                              {"type": "tab", "background": False})["context"]
        else:
            self.connection.call("browsingContext.close", {"context": self.other})
            self.connection.call("browsingContext.activate", {"context": self.context})


# Stand-ins for the browser's gamepads, in its standard mapping: navigator.getGamepads reports
# them, and connecting one fires the event a real one fires.
PAD_STAND_INS = """
(() => {
  const pads = [];
  const button = (value) => ({ pressed: value >= 0.5, touched: value > 0, value });
  window.zirvel2Pads = {
    set(index, connected, buttons, stick, rightStick) {
      if (!connected) {
        const pad = pads[index];
        pads[index] = null;
        window.dispatchEvent(Object.assign(new Event('gamepaddisconnected'), { gamepad: pad }));
        return;
      }
      const fresh = !pads[index];
      const pad = pads[index] || { index, id: `Stand-in ${index}`, connected: true,
                                   mapping: 'standard', axes: [0, 0, 0, 0],
                                   buttons: Array.from({ length: 17 }, () => button(0)) };
      pad.buttons = pad.buttons.map((old, i) => (i in buttons ? button(buttons[i]) : old));
      if (stick) pad.axes = [stick[0], stick[1], pad.axes[2], pad.axes[3]];
      if (rightStick) pad.axes = [pad.axes[0], pad.axes[1], rightStick[0], rightStick[1]];
      pad.timestamp = performance.now();
      pads[index] = pad;
      if (fresh) window.dispatchEvent(Object.assign(new Event('gamepadconnected'), { gamepad: pad }));
    },
  };
  Object.defineProperty(Navigator.prototype, 'getGamepads',
                        { configurable: true, value: () => pads.slice() });
})();
"""


# A stand-in for the Screen Wake Lock API that grants every request; a lock let go says so, as
# the browser's do.
WAKE_LOCK_STAND_IN = """
(() => {
  const state = { held: false };
  window.zirvel2WakeLock = state;
  const wakeLock = {
    request() {
      state.held = true;
      const sentinel = new EventTarget();
      sentinel.release = () => {
        state.held = false;
        sentinel.dispatchEvent(new Event('release'));
        return Promise.resolve();
      };
      return Promise.resolve(sentinel);
    },
  };
  Object.defineProperty(Navigator.prototype, 'wakeLock',
                        { configurable: true, get: () => wakeLock });
})();
"""


# Every visible text node's colour against the first opaque background behind it, composited
# over the page's own, as WCAG's relative luminance gives their contrast. The game's own
# colours are left out: the counters and the author link.
CONTRASTS = """
(() => {
  const parse = (css) => {
    const v = css.match(/[\\d.]+/g).map(Number);
    return [v[0], v[1], v[2], v.length > 3 ? v[3] : 1];
  };
  const over = (top, bottom) => top.slice(0, 3).map((c, i) => c * top[3] + bottom[i] * (1 - top[3]));
  const background = (element) => {
    const layers = [];
    for (let e = element; e; e = e.parentElement) {
      const colour = parse(getComputedStyle(e).backgroundColor);
      if (colour[3] > 0) layers.push(colour);
      if (colour[3] === 1) break;
    }
    let colour = [255, 255, 255];
    for (const layer of layers.reverse()) colour = over(layer, colour);
    return colour;
  };
  const luminance = (rgb) => rgb.map((c) => c / 255)
      .map((c) => (c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4))
      .reduce((sum, c, i) => sum + c * [0.2126, 0.7152, 0.0722][i], 0);
  const texts = [];
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    const element = node.parentElement;
    if (!node.textContent.trim() || !element.getClientRects().length ||
        element.closest('.sr-only, script, .counter, #Label3') ||
        getComputedStyle(element).visibility !== 'visible') continue;
    const back = background(element);
    const text = over(parse(getComputedStyle(element).color), back);
    const [light, dark] = [luminance(text), luminance(back)].sort((a, b) => b - a);
    texts.push([node.textContent.trim(), (light + 0.05) / (dark + 0.05),
                getComputedStyle(element).color, back.join(',')]);
  }
  return texts;
})()
"""


def deserialize(value):
    """A plain value from WebDriver BiDi's serialization of it."""
    kind = value.get("type")
    if kind in ("undefined", "null"):
        return None
    if kind == "array":
        return [deserialize(v) for v in value.get("value", [])]
    if kind == "object":
        return {k if isinstance(k, str) else deserialize(k): deserialize(v)
                for k, v in value.get("value", [])}
    return value.get("value")


class StaticServer:
    """A folder on a plain static web server on the loopback interface, as `scripts/web` serves
    the browser build: Python's own, on a port that the system picks."""

    def __init__(self, folder):
        self.process = subprocess.Popen(
            [sys.executable, "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
             "--directory", str(folder)],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            # "Serving HTTP on 127.0.0.1 port 40123 (http://127.0.0.1:40123/) ..."
            port = read_line(self.process.stdout, "Serving HTTP on ", timeout=10).split()[2]
        except queue.Empty:
            self.stop()
            raise RuntimeError(f"no web server for {folder}") from None
        self.url = f"http://127.0.0.1:{port}/"

    def stop(self):
        """Ends the server; from then on nothing answers at its address."""
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
            self.process.stdout.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
