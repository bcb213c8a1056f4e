# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The two display systems the end-to-end scenarios run on, each private to one game: a
virtual X server, and a headless Wayland compositor. Both send real key events, read pixels
back from the screen and find windows by title, so one set of scenarios serves both.

Coordinates are device pixels of the screen, as the grabs have them."""

import json
import os
import subprocess
import time
import unittest
from pathlib import Path


def rgb_from_bgrx(data):
    """Drops the pad byte of 32-bit pixels stored blue, green, red, pad."""
    out = bytearray(len(data) // 4 * 3)
    out[0::3], out[1::3], out[2::3] = data[2::4], data[1::4], data[0::4]
    return bytes(out)


class Desktop:
    """A display system that the native game runs on."""

    def start(self, binary, env):
        return subprocess.Popen([binary], env=env)

    def ended(self, process, timeout):
        """Whether the game has ended at once and cleanly."""
        return process.wait(timeout=timeout) == 0

    def opened_address(self, record, timeout):
        """The web address the game handed the desktop's browser, which the test's own
        xdg-open writes into `record`."""
        deadline = time.monotonic() + timeout
        while not record.exists() and time.monotonic() < deadline:
            time.sleep(0.05)
        return record.read_text() if record.exists() else ""

    def icon_sizes(self, window, env):
        icon = subprocess.run(["xprop", "-id", window, "_NET_WM_ICON"], env=env,
                              capture_output=True, text=True, check=True).stdout
        return [size for size in (16, 22, 24, 32, 48, 64, 128, 256)
                if f"Icon ({size} x {size})" in icon]


class X11(Desktop):
    """Xvfb with real X key events from xdotool; no window manager, so nothing decorates,
    places or focuses a window but the game and the tests."""

    name = "x11"
    READ_INTERVAL = 0.001

    def __init__(self, size, scale, runtime_dir):
        self.scale = scale
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{size[0]}x{size[1]}x24", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env = {"DISPLAY": f":{number}", "QT_QPA_PLATFORM": "xcb",
                    "XDG_RUNTIME_DIR": runtime_dir}
        if scale != 1:
            self.env["QT_SCALE_FACTOR"] = str(scale)
        from Xlib.display import Display
        self.connection = Display(self.env["DISPLAY"])

    def close(self):
        self.connection.close()
        self.server.terminate()
        self.server.wait(timeout=10)

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=dict(os.environ, **self.env), check=True,
                              capture_output=True, text=True).stdout

    def keys(self, keys):
        self.xdotool("key", "--delay", "60", *keys)

    def type(self, text):
        self.xdotool("type", "--delay", "30", text)

    def hold(self, keys, seconds):
        self.xdotool("keydown", "--delay", "60", *keys)
        time.sleep(seconds)
        self.xdotool("keyup", *reversed(keys))

    def grab(self, x, y, width, height):
        from Xlib import X
        root = self.connection.screen().root
        return rgb_from_bgrx(root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data)

    def windows(self, title):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                               env=dict(os.environ, **self.env), capture_output=True, text=True)
        return found.stdout.split()

    def geometry(self, window):
        lines = self.xdotool("getwindowgeometry", "--shell", window).split()
        values = dict(line.split("=") for line in lines)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def focus(self, window):
        # There is no window manager on the display: give the window the keyboard ourselves.
        self.xdotool("windowfocus", "--sync", window)
        time.sleep(0.1)

    def request_close(self, window):
        """Asks the window to close, as a window manager's close button does."""
        from Xlib import X
        from Xlib.protocol import event

        target = self.connection.create_resource_object("window", int(window))
        protocols = self.connection.intern_atom("WM_PROTOCOLS")
        delete = self.connection.intern_atom("WM_DELETE_WINDOW")
        target.send_event(event.ClientMessage(
            window=target, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0])))
        # A round trip: the server has handled the request before the test goes on.
        self.connection.sync()

    def click(self, x, y):
        self.point(x, y)
        self.xdotool("click", "1")

    def point(self, x, y):
        self.xdotool("mousemove", "--sync", str(x), str(y))

    def press_on_layout(self, layout, keycodes):
        # Xvfb keeps its US keymap: it takes a keymap upload without an error and ignores it.
        raise unittest.SkipTest("Xvfb cannot switch its keyboard layout")


class Wayland(Desktop):
    """sway on its headless backend, in a user namespace because it will not run as root.
    Keys come from wtype's virtual keyboards, pixels from grim, windows from sway's tree.

    A virtual keyboard lives as long as its wtype call, and a menu it opened closes when it
    goes: so every key sequence is one call, and one that opens a menu waits at its end until
    the menu has done its work."""

    name = "wayland"
    READ_INTERVAL = 0.02
    MENU_SETTLE_MS = 1500

    def __init__(self, size, scale, runtime_dir):
        self.size = size
        self.scale = scale
        self.runtime_dir = runtime_dir
        config = Path(runtime_dir) / "sway.conf"
        config.write_text(
            f"output HEADLESS-1 resolution {size[0]}x{size[1]} position 0 0 scale {scale}\n"
            "default_border none\ndefault_floating_border none\n"
            "focus_on_window_activation focus\n")
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime_dir, WLR_BACKENDS="headless",
                   WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman")
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("DISPLAY", None)
        self.server = subprocess.Popen(
            ["unshare", "--user", "--map-user=1000", "--map-group=1000", "sway", "-c",
             str(config)],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        while not (sockets := sorted(Path(runtime_dir).glob("wayland-[0-9]"))) or \
                not (ipc := sorted(Path(runtime_dir).glob("sway-ipc.*.sock"))):
            if self.server.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("sway did not start")
            time.sleep(0.05)
        self.env = {"WAYLAND_DISPLAY": sockets[0].name, "SWAYSOCK": str(ipc[0]),
                    "QT_QPA_PLATFORM": "wayland", "XDG_RUNTIME_DIR": runtime_dir,
                    "DISPLAY": ""}
        self.virtual_pointer = None

    def close(self):
        if self.virtual_pointer:
            self.virtual_pointer.close()
            self.pointer_connection.close()
        self.server.terminate()
        self.server.wait(timeout=10)

    def run(self, *command, **kwargs):
        return subprocess.run(command, env=dict(os.environ, **self.env), check=True,
                              capture_output=True, **kwargs).stdout

    def keys(self, keys):
        args = ["-s", "50"]
        for key in keys:
            *modifiers, name = key.split("+")
            for modifier in modifiers:
                args += ["-M", modifier]
            args += ["-k", name]
            for modifier in reversed(modifiers):
                args += ["-m", modifier]
            args += ["-s", "60"]
        if any(key.startswith("alt+") for key in keys):
            args += ["-s", str(self.MENU_SETTLE_MS)]
        self.run("wtype", *args)

    def hold(self, keys, seconds):
        args = ["-s", "50"]
        for key in keys:
            args += ["-P", key, "-s", "60"]
        args += ["-s", str(int(seconds * 1000))]
        for key in reversed(keys):
            args += ["-p", key]
        self.run("wtype", *args)

    def grab(self, x, y, width, height):
        # grim takes the region in the layout's logical pixels and returns device pixels.
        s = self.scale
        ppm = self.run("grim", "-t", "ppm", "-g", f"{x // s},{y // s} {width // s}x{height // s}",
                       "-")
        # A binary PPM: "P6", width, height and maximum value as text, then the pixels.
        _, got_width, got_height, _ = ppm.split(maxsplit=4)[:4]
        if (int(got_width), int(got_height)) != (width, height):
            raise RuntimeError(f"grim gave {got_width}x{got_height}, not {width}x{height}")
        return ppm[-width * height * 3:]

    def views(self):
        tree = json.loads(self.run("swaymsg", "-t", "get_tree", text=True))
        stack = [tree]
        while stack:
            node = stack.pop()
            stack += node.get("nodes", []) + node.get("floating_nodes", [])
            if node.get("pid"):
                yield node

    def windows(self, title):
        return [str(view["id"]) for view in self.views()
                if view.get("name") == title and view.get("visible")]

    def view(self, window):
        return next(view for view in self.views() if str(view["id"]) == window)

    def geometry(self, window):
        view = self.view(window)
        rect, inner = view["rect"], view["window_rect"]
        s = self.scale
        return ((rect["x"] + inner["x"]) * s, (rect["y"] + inner["y"]) * s,
                inner["width"] * s, inner["height"] * s)

    def app_id(self, window):
        return self.view(window).get("app_id")

    def focus(self, window):
        self.run("swaymsg", f"[con_id={window}] focus")
        time.sleep(0.1)

    def request_close(self, window):
        """Asks the window to close, as the compositor's close binding does."""
        self.run("swaymsg", f"[con_id={window}] kill")

    def pointer(self):
        """One virtual pointer for the display's whole life: the seat keeps its position."""
        if not self.virtual_pointer:
            from wayland_client import Connection, VirtualPointer

            self.pointer_connection = Connection(self.runtime_dir, self.env["WAYLAND_DISPLAY"])
            self.virtual_pointer = VirtualPointer(self.pointer_connection)
            # The seat has had no pointer: give the clients a moment to take the new one.
            time.sleep(0.3)
        return self.virtual_pointer

    def click(self, x, y):
        s = self.scale
        self.pointer().click(x // s, y // s, self.size[0] // s, self.size[1] // s)
        time.sleep(0.3)

    def point(self, x, y):
        """Puts the pointer at (x, y) in one jump, as a compositor warps it."""
        s = self.scale
        self.pointer().move(x // s, y // s, self.size[0] // s, self.size[1] // s)

    def press_on_layout(self, layout, keycodes):
        """Presses keys by their xkb key codes on a keyboard with this layout active."""
        from wayland_client import Connection, VirtualKeyboard

        keymap = self.run("xkbcli", "compile-keymap", "--layout", layout, text=True)
        connection = Connection(self.runtime_dir, self.env["WAYLAND_DISPLAY"])
        keyboard = VirtualKeyboard(connection, keymap)
        # Clients learn the new keyboard's keymap when it first sends a key.
        time.sleep(0.2)
        for keycode in keycodes:
            keyboard.press(keycode)
        time.sleep(0.3)
        keyboard.close()
        connection.close()


def browsers():
    # Imported only when asked for: the desktop runs need no WebSocket client.
    from browsers import Chromium, Firefox
    return Chromium, Firefox


DISPLAYS = {display.name: display for display in (X11, Wayland)}
BROWSERS = ("chromium", "firefox")


def display_class(name):
    if name in BROWSERS:
        return {browser.name: browser for browser in browsers()}[name]
    return DISPLAYS[name]
