// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A message for the user, in the page's own small window: a refusal, a lost connection, the
// server stopping. It stays until "OK", Escape or Enter dismisses it, and a newer message
// takes its place. It takes no keys from the board: the game goes on under it.
class MessageBox {
  constructor(elements, listeners) {
    this.frame = elements.frame;
    this.text = elements.text;
    this.ok = elements.ok;
    this.listeners = listeners;
  }

  start() {
    this.listeners.on(this.ok, 'click', () => this.close());
  }

  isOpen() {
    return !this.frame.hidden;
  }

  show(message) {
    this.text.textContent = message;
    this.frame.hidden = false;
  }

  close() {
    this.frame.hidden = true;
  }
}
