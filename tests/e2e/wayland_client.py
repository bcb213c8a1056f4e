# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""A Wayland client of just what the tests need beyond wtype: a virtual pointer that clicks
(zwlr_virtual_pointer_v1; a headless compositor has no pointer of its own), and a virtual
keyboard with a keymap of our choosing (zwp_virtual_keyboard_v1), which presses keys by
their position whatever letters the layout puts on them.

It speaks the wire protocol itself: each message is the object's id, the message's size and
opcode, and its arguments as 32-bit words, strings padded to whole words; a file descriptor
travels beside the message."""

import array
import os
import socket
import struct
import time
from pathlib import Path

DISPLAY_ID = 1
BUTTON_LEFT = 0x110  # BTN_LEFT of the Linux input codes
KEYMAP_XKB_V1 = 1
EVDEV_OFFSET = 8  # xkb key codes are the kernel's key codes plus 8


def string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def now():
    return int(time.monotonic() * 1000) & 0xFFFFFFFF


class Connection:
    def __init__(self, runtime_dir, wayland_display):
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.socket.connect(str(Path(runtime_dir) / wayland_display))
        self.ids = iter(range(DISPLAY_ID + 1, 1 << 24))
        self.received = b""
        self.registry = next(self.ids)
        self.send(DISPLAY_ID, 1, struct.pack("<I", self.registry))  # wl_display.get_registry
        self.globals = {}
        for sender, opcode, args in self.round_trip():
            if sender == self.registry and opcode == 0:  # wl_registry.global
                name, length = struct.unpack_from("<II", args)
                self.globals[args[8:8 + length - 1].decode()] = name

    def bind(self, interface, version=1):
        new = next(self.ids)
        self.send(self.registry, 0, struct.pack("<I", self.globals[interface]) + string(interface)
                  + struct.pack("<II", version, new))  # wl_registry.bind
        return new

    def send(self, sender, opcode, payload=b"", fd=None):
        message = struct.pack("<II", sender, (8 + len(payload)) << 16 | opcode) + payload
        if fd is None:
            self.socket.sendall(message)
        else:
            self.socket.sendmsg([message], [(socket.SOL_SOCKET, socket.SCM_RIGHTS,
                                             array.array("i", [fd]))])

    def round_trip(self):
        """Waits until the compositor has handled every request sent; returns its events."""
        callback = next(self.ids)
        self.send(DISPLAY_ID, 0, struct.pack("<I", callback))  # wl_display.sync
        events = []
        while True:
            while len(self.received) < 8 or \
                    len(self.received) < struct.unpack_from("<I", self.received, 4)[0] >> 16:
                chunk = self.socket.recv(65536)
                if not chunk:
                    raise ConnectionError("the compositor closed the connection")
                self.received += chunk
            sender, word = struct.unpack_from("<II", self.received)
            size, opcode = word >> 16, word & 0xFFFF
            args, self.received = self.received[8:size], self.received[size:]
            if sender == DISPLAY_ID and opcode == 0:  # wl_display.error
                raise RuntimeError(f"Wayland error: {args[12:].rstrip(bytes(1)).decode()}")
            if sender == callback:
                return events
            events.append((sender, opcode, args))

    def close(self):
        self.socket.close()


class VirtualPointer:
    def __init__(self, connection):
        self.connection = connection
        manager = connection.bind("zwlr_virtual_pointer_manager_v1")
        self.pointer = next(connection.ids)
        # create_virtual_pointer on the default seat
        connection.send(manager, 0, struct.pack("<II", 0, self.pointer))
        connection.round_trip()

    def move(self, x, y, width, height):
        """Puts the pointer at (x, y) of a layout of width x height logical pixels at once."""
        self.connection.send(self.pointer, 1, struct.pack("<IIIII", now(), x, y, width, height))
        self.connection.send(self.pointer, 4)  # frame
        self.connection.round_trip()

    def click(self, x, y, width, height):
        """Moves to (x, y) of a layout of width x height logical pixels and clicks there."""
        send = self.connection.send
        self.move(x, y, width, height)
        time.sleep(0.2)
        for state in (1, 0):  # pressed, released
            send(self.pointer, 2, struct.pack("<III", now(), BUTTON_LEFT, state))
            send(self.pointer, 4)
            self.connection.round_trip()
            time.sleep(0.05)

    def close(self):
        self.connection.send(self.pointer, 8)  # destroy
        self.connection.round_trip()


class VirtualKeyboard:
    def __init__(self, connection, keymap):
        self.connection = connection
        seat = connection.bind("wl_seat")
        manager = connection.bind("zwp_virtual_keyboard_manager_v1")
        self.keyboard = next(connection.ids)
        connection.send(manager, 0, struct.pack("<II", seat, self.keyboard))
        data = keymap.encode() + b"\0"
        fd = os.memfd_create("keymap")
        try:
            os.write(fd, data)
            connection.send(self.keyboard, 0, struct.pack("<II", KEYMAP_XKB_V1, len(data)), fd)
            connection.round_trip()
        finally:
            os.close(fd)

    def press(self, xkb_keycode):
        """Presses and releases the key with this xkb key code."""
        for state in (1, 0):
            self.connection.send(self.keyboard, 1,
                                 struct.pack("<III", now(), xkb_keycode - EVDEV_OFFSET, state))
            self.connection.round_trip()
            time.sleep(0.06)

    def close(self):
        self.connection.send(self.keyboard, 3)  # destroy
        self.connection.round_trip()
