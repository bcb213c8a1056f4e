// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What every part of the page uses: elements by id, and listeners that all go at once when the
// game ends.

const $ = (id) => document.getElementById(id);

class Listeners {
  constructor() {
    this.controller = new AbortController();
  }

  on(target, type, handler, options) {
    target.addEventListener(type, handler,
                            Object.assign({ signal: this.controller.signal }, options));
  }

  removeAll() {
    this.controller.abort();
  }
}
