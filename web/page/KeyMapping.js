// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Keys and the keyboard focus: the browser's key events become the window's shortcuts, the
// open menu's or dialog's keys, or the game's keys; and a page that loses the keyboard tells
// the game, since the release of a key held then never arrives.

const ModifierBits = { Shift: 1, Control: 2, Alt: 4 };

function modifierMask(event) {
  return (event.shiftKey ? ModifierBits.Shift : 0) | (event.ctrlKey ? ModifierBits.Control : 0) |
         (event.altKey ? ModifierBits.Alt : 0);
}

// The window's shortcuts. "Nowa gra" has F2, which no browser keeps for itself; Ctrl+N works
// where the browser hands it to the page (in full screen, for one).
const WindowShortcuts = [
  { key: 'F2', modifiers: 0, action: 'nowaGra' },
  { code: 'KeyN', modifiers: ModifierBits.Control, action: 'nowaGra' },
  { code: 'KeyP', modifiers: ModifierBits.Control, action: 'pauza' },
  { code: 'KeyK', modifiers: ModifierBits.Control, action: 'quit' },
  { code: 'KeyP', modifiers: ModifierBits.Alt, action: 'menu', menu: 0 },
  { code: 'KeyP', modifiers: ModifierBits.Alt | ModifierBits.Shift, action: 'menu', menu: 0 },
  { code: 'KeyG', modifiers: ModifierBits.Alt, action: 'menu', menu: 1 },
  { code: 'KeyG', modifiers: ModifierBits.Alt | ModifierBits.Shift, action: 'menu', menu: 1 },
  { key: 'F10', modifiers: 0, action: 'menu', menu: 0 },
];

// Letters count by key position, so that the shortcuts work on any layout.
function windowShortcut(event) {
  if (event.metaKey) {
    return null;
  }
  const mask = modifierMask(event);
  return WindowShortcuts.find((shortcut) => shortcut.modifiers === mask &&
      (shortcut.key ? shortcut.key === event.key : shortcut.code === event.code)) || null;
}

// The numbers of the game's NamedKey and KeyPosition.
const NamedKeys = { ArrowUp: 1, ArrowDown: 2, ArrowLeft: 3, ArrowRight: 4, Shift: 5, ' ': 6 };
const Positions = { KeyW: 1, KeyA: 2, KeyS: 3, KeyD: 4 };

// A key as the game's key rule takes it: named key, the character on its label, its position.
function keyIdentity(event) {
  const named = NamedKeys[event.key] || (event.code === 'Space' ? NamedKeys[' '] : 0);
  const characters = [...event.key];
  const character = !named && characters.length === 1 ? characters[0].codePointAt(0) : 0;
  return [named, character, Positions[event.code] || 0];
}

class KeyMapping {
  // `window`: what the keys act on: its menu, its dialog, its board, its commands.
  constructor(window, listeners) {
    this.window = window;
    this.listeners = listeners;
  }

  start() {
    const on = (target, type, handler) => this.listeners.on(target, type, handler);
    on(document, 'keydown', (event) => this.keyDown(event));
    on(document, 'keyup', (event) => {
      if (this.window.game('key', 0, ...keyIdentity(event), modifierMask(event))) {
        event.preventDefault();
      }
    });
    on(window, 'blur', () => this.window.game('focus_lost'));
    on(document, 'visibilitychange', () => {
      // Nobody can see the board, and no key release reaches a hidden page.
      if (document.hidden) {
        this.window.game('focus_lost');
      }
      this.window.game('set_hidden', document.hidden ? 1 : 0);
    });
  }

  keyDown(event) {
    const { dialog, joinDialog, messages, menu, board } = this.window;
    if (dialog.isOpen()) {
      dialog.key(event);
      return;
    }
    if (joinDialog.isOpen()) {
      joinDialog.key(event);
      return;
    }
    if (messages.isOpen() && event.key === 'Escape' && !menu.isOpen()) {
      event.preventDefault();
      messages.close();
      return;
    }
    const shortcut = windowShortcut(event);
    if (shortcut) {
      event.preventDefault();
      if (shortcut.action === 'menu') {
        menu.toggle(shortcut.menu);
      } else {
        menu.close();
        this.window.run(shortcut.action);
      }
      return;
    }
    if (menu.isOpen()) {
      menu.key(event);
      return;
    }
    if (menu.buttonKey(event)) {
      return;
    }
    if (event.key === 'Tab' && document.activeElement === board) {
      // Once a game has started the keyboard stays on the board, as on the desktop: Tab sits
      // beside player 2's keys. Before, the menu bar is the window's other place for it, and it
      // shows when it has it.
      event.preventDefault();
      if (!this.window.round.started) {
        menu.button.focus();
      }
      return;
    }
    if (this.window.game('key', 1, ...keyIdentity(event), modifierMask(event))) {
      event.preventDefault();
    }
  }
}
