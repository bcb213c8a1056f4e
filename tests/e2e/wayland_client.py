# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""A Wayland client of just what a click needs: a virtual pointer (the wlroots protocol
zwlr_virtual_pointer_v1) that moves to a point of the layout and presses its left button.
A headless compositor has no pointer of its own, so without one no client gets a click.

It speaks the wire protocol itself: each message is the object's id, the message's size and
opcode, and its arguments as 32-bit words, strings padded to whole words."""

import socket
import struct
import time
from pathlib import Path

DISPLAY_ID = 1
BUTTON_LEFT = 0x110  # BTN_LEFT of the Linux input codes


def string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


class VirtualPointer:
    def __init__(self, runtime_dir, wayland_display):
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.socket.connect(str(Path(runtime_dir) / wayland_display))
        self.ids = iter(range(DISPLAY_ID + 1, 1 << 24))
        self.received = b""
        registry = next(self.ids)
        self.send(DISPLAY_ID, 1, struct.pack("<I", registry))  # wl_display.get_registry
        globals_ = {}
        for sender, opcode, args in self.round_trip():
            if sender == registry and opcode == 0:  # wl_registry.global
                name, length = struct.unpack_from("<II", args)
                globals_[args[8:8 + length - 1].decode()] = name
        interface = "zwlr_virtual_pointer_manager_v1"
        manager = next(self.ids)
        self.send(registry, 0, struct.pack("<I", globals_[interface]) + string(interface)
                  + struct.pack("<II", 1, manager))  # wl_registry.bind
        self.pointer = next(self.ids)
        # create_virtual_pointer on the default seat
        self.send(manager, 0, struct.pack("<II", 0, self.pointer))
        self.round_trip()

    def send(self, sender, opcode, payload=b""):
        self.socket.sendall(struct.pack("<II", sender, (8 + len(payload)) << 16 | opcode)
                            + payload)

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

    def click(self, x, y, width, height):
        """Moves to (x, y) of a layout of width x height logical pixels and clicks there."""
        def now():
            return int(time.monotonic() * 1000) & 0xFFFFFFFF

        self.send(self.pointer, 1, struct.pack("<IIIII", now(), x, y, width, height))
        self.send(self.pointer, 4)  # frame
        self.round_trip()
        time.sleep(0.2)
        for state in (1, 0):  # pressed, released
            self.send(self.pointer, 2, struct.pack("<III", now(), BUTTON_LEFT, state))
            self.send(self.pointer, 4)
            self.round_trip()
            time.sleep(0.05)

    def close(self):
        self.send(self.pointer, 8)  # destroy
        self.round_trip()
        self.socket.close()
