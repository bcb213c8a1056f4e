// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The room's status line under the window, never over the board: the room's code, this
// screen's seat, the other player's state, the delay, or that the connection is being taken
// back; and the invitation, the link that opens the page straight into the room, with a
// button that copies it.
class RoomBar {
  constructor(elements, listeners) {
    this.bar = elements.bar;
    this.status = elements.status;
    this.link = elements.link;
    this.copy = elements.copy;
    this.copied = elements.copied;
    this.listeners = listeners;
  }

  start() {
    this.listeners.on(this.copy, 'click', () => this.copyLink());
  }

  isShown() {
    return !this.bar.hidden;
  }

  show(shown) {
    this.bar.hidden = !shown;
    if (!shown) {
      this.code = null;
      this.status.textContent = '';
    }
  }

  // `seat`, `red`, `blue`: the numbers of protocol::Seat and protocol::PlayerState.
  update(code, seat, red, blue, watchers, delay, reconnecting) {
    if (code !== this.code) {
      this.code = code;
      this.link.value = RoomBar.invitation(code);
      this.copied.textContent = '';
    }
    const parts = [`Pokój ${code}`];
    if (reconnecting) {
      parts.push('Wracam do pokoju…');
    } else {
      const states = [red, blue];
      if (seat === RoomBar.Watcher) {
        parts.push('Oglądasz', ...RoomBar.Seats.map((name, at) =>
          `${name}: ${RoomBar.States[states[at]]}`));
      } else {
        const other = 1 - seat;
        parts.push(`Grasz: ${RoomBar.Seats[seat].toLowerCase()}`,
                   `${RoomBar.Seats[other]}: ${RoomBar.States[states[other]]}`);
      }
      if (watchers > 0) {
        parts.push(`Widzowie: ${watchers}`);
      }
      parts.push(`Opóźnienie: ${delay} ms`);
    }
    this.status.textContent = parts.join(' · ');
  }

  // The page's own address with the room's code as `pokoj`.
  static invitation(code) {
    const url = new URL(location.href);
    url.search = '';
    url.hash = '';
    url.searchParams.set(RoomBar.Query, code);
    return url.href;
  }

  copyLink() {
    const done = () => {
      this.copied.textContent = 'Skopiowano.';
    };
    const byHand = () => {
      this.link.focus();
      this.link.select();
      this.copied.textContent = document.execCommand('copy') ? 'Skopiowano.'
                                                             : 'Skopiuj zaznaczony link.';
    };
    if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(this.link.value).then(done, byHand);
    } else {
      byHand();
    }
  }
}

RoomBar.Query = 'pokoj';
RoomBar.Watcher = 2;
RoomBar.Seats = ['Czerwony', 'Niebieski'];
RoomBar.States = ['brak', 'jest', 'nieobecny'];
