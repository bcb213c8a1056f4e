// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The two browser timers the game arms: its one wake-up for the next due timer moment, and the
// end of a picture hold. And one frame of the display, measured from the page's own frames.
class FormTimers {
  constructor(game) {
    this.game = game;
    this.wakeTimer = null;
    this.holdTimer = null;
  }

  armWakeUp(milliseconds) {
    clearTimeout(this.wakeTimer);
    this.wakeTimer = null;
    if (milliseconds >= 0) {
      // Browsers count whole milliseconds; never wake before the moment is due.
      this.wakeTimer = setTimeout(() => {
        this.wakeTimer = null;
        this.game('wake_up');
      }, Math.ceil(milliseconds));
    }
  }

  armHoldEnd(milliseconds) {
    clearTimeout(this.holdTimer);
    this.holdTimer = setTimeout(() => this.game('hold_ended'), Math.ceil(milliseconds));
  }

  stop() {
    clearTimeout(this.wakeTimer);
    clearTimeout(this.holdTimer);
  }

  // Calls `measured` with the median gap between the next animation frames, where it is one a
  // display could have.
  measureRefreshInterval(measured) {
    const frames = [];
    const frame = (time) => {
      frames.push(time);
      if (frames.length < 9) {
        requestAnimationFrame(frame);
        return;
      }
      const gaps = frames.slice(1).map((t, i) => t - frames[i]).sort((a, b) => a - b);
      const median = gaps[Math.floor(gaps.length / 2)];
      if (median >= 4 && median <= 50) {
        measured(median);
      }
    };
    requestAnimationFrame(frame);
  }
}

FormTimers.DefaultRefreshInterval = 1000 / 60;
