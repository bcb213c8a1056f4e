// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The menu "Plik" and its submenu "Prędkość gry", by keyboard and by pointer.
class MenuBar {
  // `window.menuOpened()`: the board has lost the keyboard; `window.menuClosed()`: it may take
  // it back; `window.choose(item)`: an enabled command item was chosen.
  constructor(elements, window, listeners) {
    this.button = elements.button;
    this.menu = elements.menu;
    this.speedItem = elements.speedItem;
    this.speedMenu = elements.speedMenu;
    this.window = window;
    this.listeners = listeners;
  }

  start() {
    const on = (target, type, handler) => this.listeners.on(target, type, handler);
    on(this.button, 'mousedown', (event) => {
      event.preventDefault();
      if (this.isOpen() || !this.window.dialog.isOpen()) {
        this.toggle();
      }
    });
    on(this.menu, 'mouseover', (event) => {
      const item = event.target.closest('[role^="menuitem"]');
      if (!item) {
        return;
      }
      this.mark(item);
      if (item === this.speedItem) {
        this.openSubmenu(false);
      } else if (item.parentElement === this.menu) {
        this.closeSubmenu();
      }
    });
    on(this.menu, 'click', (event) => {
      const item = event.target.closest('[role^="menuitem"]');
      if (item) {
        this.activate(item);
      }
    });
    on(document, 'mousedown', (event) => {
      if (this.isOpen() && !event.target.closest('.menubar')) {
        this.close();
      }
    });
  }

  isOpen() {
    return !this.menu.hidden;
  }

  toggle() {
    if (this.isOpen()) {
      this.close();
    } else {
      this.open();
    }
  }

  open() {
    if (this.isOpen()) {
      return;
    }
    this.menu.hidden = false;
    this.button.setAttribute('aria-expanded', 'true');
    this.window.menuOpened();
    this.mark(MenuBar.items(this.menu).find(MenuBar.isEnabled));
  }

  close() {
    if (!this.isOpen()) {
      return;
    }
    this.closeSubmenu();
    this.unmark();
    this.menu.hidden = true;
    this.button.setAttribute('aria-expanded', 'false');
    this.window.menuClosed();
  }

  // Shows the item's state: enabled, and checked.
  setItem(element, enabled, checked) {
    element.setAttribute('aria-disabled', String(!enabled));
    element.setAttribute('aria-checked', String(checked));
  }

  // The item under the keyboard or the pointer is marked as well as focused: a window without
  // the keyboard shows no focus.
  mark(item) {
    this.unmark();
    item.classList.add('current');
    item.focus();
  }

  unmark() {
    for (const other of this.menu.querySelectorAll('.current')) {
      other.classList.remove('current');
    }
  }

  openSubmenu(markFirst) {
    this.speedMenu.hidden = false;
    this.speedItem.setAttribute('aria-expanded', 'true');
    if (markFirst) {
      this.mark(MenuBar.items(this.speedMenu).find(MenuBar.isEnabled));
    }
  }

  closeSubmenu() {
    this.speedMenu.hidden = true;
    this.speedItem.setAttribute('aria-expanded', 'false');
  }

  activate(item) {
    if (!MenuBar.isEnabled(item)) {
      return;
    }
    if (item === this.speedItem) {
      this.openSubmenu(true);
      return;
    }
    this.close();
    this.window.choose(item);
  }

  // Walks the enabled items of one menu, round from the last to the first and back.
  step(items, current, by) {
    const enabled = items.filter(MenuBar.isEnabled);
    const at = enabled.indexOf(current);
    this.mark(enabled[(at + by + enabled.length) % enabled.length]);
  }

  key(event) {
    // The marked item, not the focused one: a page without the window's focus may not move
    // the focus at all.
    const current = this.menu.querySelector('.current') || MenuBar.items(this.menu)[0];
    const menu = current.closest('[role="menu"]') || this.menu;
    const items = MenuBar.items(menu);
    event.preventDefault();
    switch (event.key) {
      case 'ArrowDown':
        this.step(items, current, 1);
        break;
      case 'ArrowUp':
        this.step(items, current, -1);
        break;
      case 'Home':
        this.mark(items.find(MenuBar.isEnabled));
        break;
      case 'End':
        this.mark(items.filter(MenuBar.isEnabled).pop());
        break;
      case 'ArrowRight':
        if (current === this.speedItem) {
          this.openSubmenu(true);
        }
        break;
      case 'ArrowLeft':
      case 'Escape':
        if (menu === this.speedMenu) {
          this.closeSubmenu();
          this.mark(this.speedItem);
        } else if (event.key === 'Escape') {
          this.close();
        }
        break;
      case 'Enter':
      case ' ':
        this.activate(current);
        break;
      case 'Tab':
      case 'Alt':
        this.close();
        break;
      default:
        break;
    }
  }

  static items(menu) {
    return [...menu.children].filter((el) => el.getAttribute('role').startsWith('menuitem'));
  }

  static isEnabled(item) {
    return item.getAttribute('aria-disabled') !== 'true';
  }
}
