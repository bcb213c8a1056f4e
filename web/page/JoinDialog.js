// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// "Dołącz do pokoju…": asks for a room's code in a small modal window of the page. The code is
// read as a person types it: small letters count as capitals, and spaces and dashes between
// the characters are left out. Enter joins, Escape or "Anuluj" gives up; by tap as by keys.
class JoinDialog {
  // `window.joinRoom(code)`: join with this code; `window.joinClosed()`: the dialog has closed.
  constructor(elements, window, listeners) {
    this.frame = elements.frame;
    this.form = elements.form;
    this.code = elements.code;
    this.error = elements.error;
    this.cancel = elements.cancel;
    this.window = window;
    this.listeners = listeners;
  }

  start() {
    const on = (target, type, handler) => this.listeners.on(target, type, handler);
    on(this.form, 'submit', (event) => {
      event.preventDefault();
      const code = JoinDialog.normalise(this.code.value);
      if (!JoinDialog.isCode(code)) {
        this.error.textContent = 'Kod pokoju to ' + JoinDialog.Length +
            ' znaków: cyfry i wielkie litery.';
        this.code.setAttribute('aria-invalid', 'true');
        this.code.focus();
        return;
      }
      this.close();
      this.window.joinRoom(code);
    });
    on(this.cancel, 'click', () => this.close());
  }

  isOpen() {
    return !this.frame.hidden;
  }

  show() {
    this.code.value = '';
    this.error.textContent = '';
    this.code.removeAttribute('aria-invalid');
    this.frame.hidden = false;
    this.code.focus();
  }

  close() {
    this.frame.hidden = true;
    this.window.joinClosed();
  }

  // The dialog's keys stay in it: typing, Tab between its controls, Enter, Escape.
  key(event) {
    if (event.key === 'Escape') {
      event.preventDefault();
      this.close();
    } else if (event.key === 'Tab') {
      const controls = [...this.form.querySelectorAll('input, button')];
      const at = controls.indexOf(document.activeElement);
      event.preventDefault();
      const by = event.shiftKey ? -1 : 1;
      controls[(at + by + controls.length) % controls.length].focus();
    }
  }

  static normalise(text) {
    return text.replace(/[\s-]/g, '').toUpperCase();
  }

  static isCode(code) {
    return code.length === JoinDialog.Length &&
        [...code].every((character) => JoinDialog.Alphabet.includes(character));
  }
}

// The room codes' length and alphabet, as the protocol has them.
JoinDialog.Length = 10;
JoinDialog.Alphabet = '0123456789ABCDEFGHJKMNPQRSTVWXYZ';
