// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fingers on a touch screen, through Pointer Events: each finger, by its pointer id, goes to the
// game's touch rule, which presses the keys of the player whose half of the screen it touched
// down in (a swipe steers, a finger held still holds turbo). A finger that touches down on the
// menu bar, the game-over window or the "Nowa gra" prompt works that control instead; while
// the menu or the dialog is open, or the page is hidden, fingers act on nothing, as keys do.
// The page's style keeps the browser from scrolling, zooming or selecting on a touch.
class Touches {
  constructor(window, listeners) {
    this.window = window;
    this.listeners = listeners;
    // The fingers handed to the rule, by pointer id, until they lift.
    this.fingers = new Set();
    this.checkTimer = null;
    this.touchedLast = false;
  }

  start() {
    const on = (target, type, handler) => this.listeners.on(target, type, handler);
    on(document, 'pointerdown', (event) => this.down(event));
    // Chromium hands a move over as soon as it arrives as a pointerrawupdate, and only at the
    // next animation frame as a pointermove: where the browser has the first, the page takes
    // moves from it alone.
    on(document, 'onpointerrawupdate' in window ? 'pointerrawupdate' : 'pointermove',
       (event) => this.move(event));
    on(document, 'pointerup', (event) => this.up(event));
    on(document, 'pointercancel', (event) => this.up(event));
    // A finger held for turbo is a long press, which would open the browser's context menu.
    on(document, 'contextmenu', (event) => {
      if (this.touchedLast) {
        event.preventDefault();
      }
    });
  }

  down(event) {
    this.touchedLast = Touches.isFinger(event);
    const { menu } = this.window;
    if (!this.touchedLast || !this.window.started || menu.isOpen() || this.window.modalOpen() ||
        document.hidden || event.target.closest(Touches.Controls)) {
      return;
    }
    this.fingers.add(event.pointerId);
    // The halves are the visible screen's, as the window's fit measures it.
    this.armCheck(this.window.game('touch_down', event.pointerId, event.clientX, event.clientY,
                                   document.documentElement.clientWidth));
  }

  move(event) {
    if (this.fingers.has(event.pointerId)) {
      this.armCheck(this.window.game('touch_move', event.pointerId, event.clientX,
                                     event.clientY));
    }
  }

  up(event) {
    if (this.fingers.delete(event.pointerId)) {
      this.armCheck(this.window.game('touch_up', event.pointerId));
    }
  }

  // The rule's next look at the resting fingers, for turbo, `milliseconds` from now.
  armCheck(milliseconds) {
    clearTimeout(this.checkTimer);
    this.checkTimer = null;
    if (milliseconds >= 0 && !this.window.ended) {
      this.checkTimer = setTimeout(() => this.armCheck(this.window.game('touch_check')),
                                   Math.ceil(milliseconds));
    }
  }

  static isFinger(event) {
    return event.pointerType === 'touch' || event.pointerType === 'pen';
  }
}

// Where a finger works a control rather than steering.
Touches.Controls = '.menubar, .dialog-frame, .prompt, .room-window, .room-bar';
