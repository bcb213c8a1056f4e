// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The room's WebSocket: the browser's own, to the server the page came from, its text frames
// handed to the game as they come. Only the socket opened last reports: one closed or replaced
// says nothing more. The browser's WebSockets never pass through the page's service worker.
class RoomSocket {
  // `window.game(name, ...)` and `window.gameWithTexts(name, texts)`: the game's entry points.
  constructor(window) {
    this.window = window;
    this.socket = null;
  }

  // Where the page's server is, http(s)://host[:port]/; empty for a page opened from disk.
  static server() {
    return /^https?:$/.test(location.protocol) ? location.origin + '/' : '';
  }

  // Whether the page's server has the rooms' WebSocket endpoint: it answers a connection there.
  // `done(available)` is called once.
  static probe(done) {
    if (!RoomSocket.server()) {
      done(false);
      return;
    }
    let socket;
    try {
      socket = new WebSocket(location.origin.replace(/^http/, 'ws') + RoomSocket.Path);
    } catch (refused) {
      done(false);
      return;
    }
    socket.onopen = () => {
      socket.onclose = null;
      socket.close();
      done(true);
    };
    socket.onclose = () => done(false);
  }

  open(url) {
    this.close();
    let socket;
    try {
      socket = new WebSocket(url);
    } catch (refused) {
      // An address the browser refuses is a connection that failed, told as the others are.
      setTimeout(() => this.window.game('socket_closed'));
      return;
    }
    this.socket = socket;
    const mine = (handler) => (event) => {
      if (this.socket === socket) {
        handler(event);
      }
    };
    socket.onopen = mine(() => this.window.game('socket_opened'));
    socket.onmessage = mine((event) => {
      // The protocol is text; anything else is not its message and goes unread.
      if (typeof event.data === 'string') {
        this.window.gameWithTexts('socket_message', [event.data]);
      }
    });
    socket.onclose = mine(() => {
      this.socket = null;
      this.window.game('socket_closed');
    });
  }

  send(text) {
    if (this.socket && this.socket.readyState === WebSocket.OPEN) {
      this.socket.send(text);
    }
  }

  close() {
    const socket = this.socket;
    this.socket = null;
    if (socket) {
      socket.close();
    }
  }
}

RoomSocket.Path = '/ws';
