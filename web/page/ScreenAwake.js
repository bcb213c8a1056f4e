// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Keeps the screen from dimming and locking while a round runs, through the Screen Wake Lock
// API where the browser has it: players steering by keys or pads touch no screen for minutes.
// A browser lets go of the lock whenever the page is hidden, so it is asked again when the page
// shows; where it refuses, the game plays on without.
class ScreenAwake {
  constructor(listeners) {
    this.listeners = listeners;
    this.wanted = false;
    this.lock = null;
    this.asking = false;
  }

  start() {
    this.listeners.on(document, 'visibilitychange', () => this.update());
  }

  set(wanted) {
    this.wanted = wanted;
    this.update();
  }

  update() {
    const wanted = this.wanted && !document.hidden;
    if (wanted && !this.lock && !this.asking && navigator.wakeLock) {
      this.asking = true;
      navigator.wakeLock.request('screen').then((lock) => {
        this.asking = false;
        this.lock = lock;
        lock.addEventListener('release', () => {
          if (this.lock === lock) {
            this.lock = null;
          }
        });
        // The round may have ended while the browser answered.
        this.update();
      }, () => {
        this.asking = false;
      });
    } else if (!wanted && this.lock) {
      const lock = this.lock;
      this.lock = null;
      lock.release();
    }
  }
}
