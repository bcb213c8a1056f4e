// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The menu bar: "Plik" with its submenu "Prędkość gry", and "Gracze" with a submenu for each
// player; by keyboard and by pointer, as a desktop window's menu bar works. The bar is one stop
// of the Tab key: the arrows move between its buttons, and between its open menus.
class MenuBar {
  // `elements.menus`: each top-level menu as { button, menu }, in the bar's order.
  // `window.menuOpened()`: the board has lost the keyboard; `window.menuClosed()`: it may take
  // it back; `window.choose(item)`: an enabled command item was chosen.
  constructor(elements, window, listeners) {
    this.menus = elements.menus;
    this.window = window;
    this.listeners = listeners;
    this.current = null; // the index of the open menu
  }

  start() {
    const on = (target, type, handler) => this.listeners.on(target, type, handler);
    this.menus.forEach(({ button, menu }, index) => {
      on(button, 'mousedown', (event) => {
        event.preventDefault();
        if (this.isOpen() || !this.window.modalOpen()) {
          this.toggle(index);
        }
      });
      // With a menu open, the pointer opens whichever menu of the bar it moves onto.
      on(button, 'mouseover', () => {
        if (this.isOpen() && this.current !== index) {
          this.open(index);
        }
      });
      on(menu, 'mouseover', (event) => {
        const item = event.target.closest('[role^="menuitem"]');
        if (!item) {
          return;
        }
        this.mark(item);
        this.closeSubmenus(item.parentElement, item);
        if (MenuBar.submenu(item)) {
          this.openSubmenu(item, false);
        }
      });
      on(menu, 'click', (event) => {
        const item = event.target.closest('[role^="menuitem"]');
        if (item) {
          this.activate(item);
        }
      });
    });
    on(document, 'mousedown', (event) => {
      if (this.isOpen() && !event.target.closest('.menubar')) {
        this.close();
      }
    });
  }

  isOpen() {
    return this.current !== null;
  }

  // The bar's button that Tab stops at.
  get button() {
    return this.menus.find(({ button }) => button.tabIndex === 0).button;
  }

  // Opens the menu, or closes it when it is the open one.
  toggle(index = 0) {
    if (this.current === index) {
      this.close();
    } else {
      this.open(index);
    }
  }

  open(index = 0) {
    if (this.current === index) {
      return;
    }
    const wasOpen = this.isOpen();
    if (wasOpen) {
      this.hide(this.current);
    }
    const { button, menu } = this.menus[index];
    // Under its button; a menu drawn at a zoom of its own counts its position in that zoom.
    const zoom = parseFloat(getComputedStyle(menu).zoom) || 1;
    menu.style.left = `${button.offsetLeft / zoom}px`;
    menu.hidden = false;
    button.setAttribute('aria-expanded', 'true');
    this.current = index;
    this.rove(index);
    if (!wasOpen) {
      this.window.menuOpened();
    }
    this.mark(MenuBar.items(menu).find(MenuBar.isEnabled));
  }

  close() {
    if (!this.isOpen()) {
      return;
    }
    this.hide(this.current);
    this.current = null;
    this.window.menuClosed();
  }

  hide(index) {
    const { button, menu } = this.menus[index];
    this.closeSubmenus(menu);
    this.unmark();
    menu.hidden = true;
    button.setAttribute('aria-expanded', 'false');
  }

  // Only the button last used stays in the Tab order.
  rove(index) {
    this.menus.forEach(({ button }, at) => {
      button.tabIndex = at === index ? 0 : -1;
    });
  }

  // Keys on a focused button of the bar while no menu is open: open its menu, or go to the
  // next button. Returns whether the key was the bar's.
  buttonKey(event) {
    const at = this.menus.findIndex(({ button }) => button === document.activeElement);
    if (at < 0) {
      return false;
    }
    if (['Enter', ' ', 'ArrowDown'].includes(event.key)) {
      event.preventDefault();
      this.open(at);
      return true;
    }
    if (event.key === 'ArrowRight' || event.key === 'ArrowLeft') {
      event.preventDefault();
      const next = this.neighbour(at, event.key === 'ArrowRight' ? 1 : -1);
      this.rove(next);
      this.menus[next].button.focus();
      return true;
    }
    return false;
  }

  neighbour(index, by) {
    return (index + by + this.menus.length) % this.menus.length;
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
    for (const top of this.menus) {
      for (const other of top.menu.querySelectorAll('.current')) {
        other.classList.remove('current');
      }
    }
  }

  openSubmenu(item, markFirst) {
    const submenu = MenuBar.submenu(item);
    submenu.hidden = false;
    item.setAttribute('aria-expanded', 'true');
    if (markFirst) {
      this.mark(MenuBar.items(submenu).find(MenuBar.isEnabled));
    }
  }

  // Closes the open submenus of a menu, but the one of `keep`.
  closeSubmenus(menu, keep = null) {
    for (const item of MenuBar.items(menu)) {
      const submenu = MenuBar.submenu(item);
      if (submenu && item !== keep) {
        this.closeSubmenus(submenu);
        submenu.hidden = true;
        item.setAttribute('aria-expanded', 'false');
      }
    }
  }

  activate(item) {
    if (!MenuBar.isEnabled(item)) {
      return;
    }
    if (MenuBar.submenu(item)) {
      this.openSubmenu(item, true);
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
    const top = this.menus[this.current].menu;
    const current = top.querySelector('.current') || MenuBar.items(top)[0];
    const menu = current.closest('[role="menu"]') || top;
    const parent = menu === top ? null : menu.parentElement;
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
        if (MenuBar.submenu(current) && MenuBar.isEnabled(current)) {
          this.openSubmenu(current, true);
        } else {
          this.open(this.neighbour(this.current, 1));
        }
        break;
      case 'ArrowLeft':
        if (parent) {
          this.closeSubmenus(parent.parentElement);
          this.mark(parent);
        } else {
          this.open(this.neighbour(this.current, -1));
        }
        break;
      case 'Escape':
        if (parent) {
          this.closeSubmenus(parent.parentElement);
          this.mark(parent);
        } else {
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

  static submenu(item) {
    return item.querySelector(':scope > [role="menu"]');
  }

  static isEnabled(item) {
    return item.getAttribute('aria-disabled') !== 'true';
  }
}
