// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Gamepads, through the browser's Gamepad API in its standard mapping. The browser only says
// what a pad holds when asked, so while a pad is connected the page asks once every animation
// frame and hands each change to the game's pad rule, which presses the players' keys. The
// browser's connection events only wake the reading; what it reports is the truth.
class Gamepads {
  constructor(window, listeners) {
    this.window = window;
    this.listeners = listeners;
    // The last state handed over for each connected pad, by the browser's index.
    this.known = new Map();
    this.listening = null;
    this.hasKeyboard = true;
    this.reading = false;
  }

  start() {
    const on = (target, type, handler) => this.listeners.on(target, type, handler);
    on(window, 'gamepadconnected', () => this.read());
    on(window, 'gamepaddisconnected', () => this.read());
    on(document, 'visibilitychange', () => this.read());
    on(window, 'blur', () => {
      this.hasKeyboard = false;
      this.read();
    });
    on(window, 'focus', () => {
      this.hasKeyboard = true;
      this.read();
    });
    this.read();
  }

  read() {
    if (this.window.ended) {
      return;
    }
    // Pads act only where keys would: not behind the menu or the dialog, nor in a page that
    // does not have the keyboard.
    const { menu, dialog } = this.window;
    const listening = this.hasKeyboard && !document.hidden && !menu.isOpen() && !dialog.isOpen();
    if (listening !== this.listening) {
      this.listening = listening;
      this.window.game('pads_listening', listening ? 1 : 0);
    }
    const connected = new Set();
    for (const pad of Gamepads.standardPads()) {
      connected.add(pad.index);
      if (!this.known.has(pad.index)) {
        this.known.set(pad.index, '');
        this.window.game('pad_connected', pad.index);
      }
      const state = Gamepads.snapshot(pad);
      const key = state.join(' ');
      if (key !== this.known.get(pad.index)) {
        this.known.set(pad.index, key);
        this.window.game('pad', pad.index, ...state);
      }
    }
    for (const index of [...this.known.keys()]) {
      if (!connected.has(index)) {
        this.known.delete(index);
        this.window.game('pad_disconnected', index);
      }
    }
    if (this.known.size && !this.reading) {
      this.reading = true;
      requestAnimationFrame(() => {
        this.reading = false;
        this.read();
      });
    }
  }

  static standardPads() {
    const pads = navigator.getGamepads ? [...navigator.getGamepads()] : [];
    return pads.filter((pad) => pad && pad.connected && pad.mapping === 'standard');
  }

  // [buttons, stick x, stick y, right trigger] as the pad rule takes them.
  static snapshot(pad) {
    // (No destructuring in the loop: the build's JavaScript minifier loses it.)
    let buttons = 0;
    for (const button of Gamepads.Buttons) {
      const held = pad.buttons[button[0]];
      if (held && held.pressed) {
        buttons |= button[1];
      }
    }
    const trigger = pad.buttons[Gamepads.RightTrigger];
    return [buttons, pad.axes[0] || 0, pad.axes[1] || 0, trigger ? trigger.value : 0];
  }
}

// The standard mapping's buttons, and the pad rule's bits for them: the D-pad's four, the
// south face button, Start and Back.
Gamepads.Buttons = [[12, 1], [13, 2], [14, 4], [15, 8], [0, 16], [9, 32], [8, 64]];
Gamepads.RightTrigger = 7;
