// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The game-over window, modal inside the page: both counters, "Zamknij", which resets them,
// and the author's link, which opens in a new tab and keeps them.
class GameOverDialog {
  // `window.gameOverClosed(resetCounters)`: the dialog has closed.
  constructor(elements, window, listeners) {
    this.frame = elements.frame;
    this.client = elements.client;
    this.veil = elements.veil;
    this.link = elements.link;
    this.zamknij = elements.zamknij;
    this.counters = elements.counters;
    this.current = this.zamknij;
    this.window = window;
    this.listeners = listeners;
  }

  start() {
    const on = (target, type, handler) => this.listeners.on(target, type, handler);
    on(this.zamknij, 'click', () => this.close(true));
    on(this.link, 'click', (event) => {
      event.preventDefault();
      window.open(this.link.href, '_blank', 'noopener,noreferrer');
      this.close(false);
    });
    for (const control of [this.link, this.zamknij]) {
      on(control, 'focus', () => {
        this.current = control;
      });
    }
    // Only the primary button follows the link, as on the desktop.
    on(this.link, 'auxclick', (event) => event.preventDefault());
    // The link is underlined while the pointer is on it, until the pointer reaches the dialog's
    // background; an arrival without a move counts as a move.
    for (const type of ['mouseover', 'mousemove']) {
      on(this.client, type, (event) => {
        if (event.target === this.link) {
          this.link.classList.add('underlined');
        } else if (event.target === this.client || event.target.id === 'Line1') {
          this.link.classList.remove('underlined');
        }
      });
    }
  }

  isOpen() {
    return !this.frame.hidden;
  }

  show(counter1, counter2) {
    this.counters[0].textContent = counter1;
    this.counters[1].textContent = counter2;
    this.link.classList.remove('underlined');
    this.veil.hidden = false;
    this.frame.hidden = false;
    this.moveFocus(this.zamknij);
  }

  // The dialog keeps its own record of the control with the keyboard: a page without the
  // window's focus may not move the focus at all.
  moveFocus(control) {
    this.current = control;
    control.focus();
  }

  close(resetCounters) {
    this.hide();
    this.window.gameOverClosed(resetCounters);
  }

  // Closes the window without a word to the game: in a room, another player has closed it.
  hide() {
    this.frame.hidden = true;
    this.veil.hidden = true;
  }

  key(event) {
    const focused = this.current;
    if (event.key === 'Escape') {
      event.preventDefault();
      this.close(false);
    } else if (event.key === 'Enter' || (event.key === ' ' && focused === this.zamknij)) {
      // Enter works the focused control, as a dialog's keys do on the desktop.
      event.preventDefault();
      focused.click();
    } else if (event.key === 'Tab') {
      // The keyboard stays in the dialog.
      event.preventDefault();
      this.moveFocus(focused === this.zamknij ? this.link : this.zamknij);
    }
  }
}
