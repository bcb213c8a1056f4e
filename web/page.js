// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's part of the game: it draws what the game hands it, owns the menu and the
// game-over dialog, turns the browser's keys, focus and visibility into the game's events, and
// keeps the two browser timers the game arms. The game itself runs in WebAssembly.
(function () {
  'use strict';

  const Columns = 40;
  const CellSize = 16;
  const CellCount = 920;
  // The numbers of the game's NamedKey, KeyPosition and WebWindow::Command.
  const NamedKeys = { ArrowUp: 1, ArrowDown: 2, ArrowLeft: 3, ArrowRight: 4, Shift: 5, ' ': 6 };
  const Positions = { KeyW: 1, KeyA: 2, KeyS: 3, KeyD: 4 };
  // Ctrl shortcuts by key position: "Nowa gra" and "Pauza".
  const Shortcuts = { KeyN: 0, KeyP: 1 };
  const DefaultRefreshInterval = 1000 / 60;

  const $ = (id) => document.getElementById(id);
  const listening = new AbortController();
  const on = (target, type, handler, options) =>
    target.addEventListener(type, handler, Object.assign({ signal: listening.signal }, options));

  const windowElement = $('window');
  const board = $('board');
  const context = board.getContext('2d', { alpha: false });
  const plik = $('mnuplik');
  const plikMenu = $('menu-plik');
  const speedItem = $('mnupredkoscgry');
  const speedMenu = $('menu-speed');
  const dialog = $('frmKoniecgry');
  const veil = $('veil');
  const link = $('Label3');
  const zamknij = $('cmdkoniec');
  const countdown = $('Label2');

  // The colour of every cell as drawn, to draw the board again at another pixel ratio.
  const shown = new Uint8Array((CellCount + 1) * 3);
  let scale = 1;
  let started = false;
  let ended = false;
  let wakeTimer = null;
  let holdTimer = null;

  // Measurements for the benchmarks; nothing is kept unless they ask.
  const stats = {
    recording: false,
    ticks: [],
    firstBoard: null,
    refreshInterval: DefaultRefreshInterval,
  };

  function game(name, ...args) {
    return started && !ended ? Module['_zirvel_' + name](...args) : 0;
  }

  // Cell edges fall on whole device pixels at any pixel ratio, so no cell is smoothed.
  function drawCell(index) {
    const column = (index - 1) % Columns;
    const row = Math.floor((index - 1) / Columns);
    const left = Math.round(column * CellSize * scale);
    const top = Math.round(row * CellSize * scale);
    const right = Math.round((column + 1) * CellSize * scale);
    const bottom = Math.round((row + 1) * CellSize * scale);
    const c = index * 3;
    context.fillStyle = `rgb(${shown[c]}, ${shown[c + 1]}, ${shown[c + 2]})`;
    context.fillRect(left, top, right - left, bottom - top);
  }

  // The window stands centred, on whole device pixels, and the board's canvas has one pixel
  // for every device pixel it covers.
  function fitToScreen() {
    scale = window.devicePixelRatio || 1;
    const snap = (css) => Math.round(Math.max(0, css) * scale) / scale;
    windowElement.style.left = snap((window.innerWidth - windowElement.offsetWidth) / 2) + 'px';
    windowElement.style.top = snap((window.innerHeight - windowElement.offsetHeight) / 2) + 'px';
    board.width = Math.round(640 * scale);
    board.height = Math.round(368 * scale);
    for (let index = 1; index <= CellCount; ++index) {
      drawCell(index);
    }
    matchMedia(`(resolution: ${scale}dppx)`).addEventListener('change', fitToScreen, {
      once: true,
      signal: listening.signal,
    });
  }

  // One frame of the display, from the page's own frames.
  function measureRefreshInterval() {
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
        stats.refreshInterval = median;
        game('set_refresh_interval', median);
      }
    };
    requestAnimationFrame(frame);
  }

  Module.page = {
    armWakeUp(milliseconds) {
      clearTimeout(wakeTimer);
      wakeTimer = null;
      if (milliseconds >= 0) {
        // Browsers count whole milliseconds; never wake before the moment is due.
        wakeTimer = setTimeout(() => {
          wakeTimer = null;
          game('wake_up');
        }, Math.ceil(milliseconds));
      }
    },
    armHoldEnd(milliseconds) {
      clearTimeout(holdTimer);
      holdTimer = setTimeout(() => game('hold_ended'), Math.ceil(milliseconds));
    },
    paintCell(index, red, green, blue) {
      shown.set([red, green, blue], index * 3);
      drawCell(index);
    },
    setCounter(player, caption) {
      $(`Label3(${player})`).querySelector('.count').textContent = caption;
    },
    setCountdown(caption, visible) {
      countdown.textContent = caption;
      countdown.hidden = !visible;
    },
    setMenu(item, enabled, checked) {
      const element = document.querySelector(`[data-item="${item}"]`);
      element.setAttribute('aria-disabled', String(!enabled));
      element.setAttribute('aria-checked', String(checked));
    },
    showGameOver(counter1, counter2) {
      $('Label2(0)').textContent = counter1;
      $('Label2(1)').textContent = counter2;
      link.classList.remove('underlined');
      veil.hidden = false;
      dialog.hidden = false;
      // Centred over the window.
      dialog.style.left = Math.round((windowElement.offsetWidth - dialog.offsetWidth) / 2) + 'px';
      dialog.style.top =
        Math.round((windowElement.offsetHeight - dialog.offsetHeight) / 2 - 20) + 'px';
      game('focus_lost');
      zamknij.focus();
    },
    timerFired(timer, due, clock) {
      if (stats.recording) {
        stats.ticks.push([timer, due, clock]);
      }
    },
    stats,
  };

  // Keys.

  function keyIdentity(event) {
    const named = NamedKeys[event.key] || (event.code === 'Space' ? NamedKeys[' '] : 0);
    const characters = [...event.key];
    const character = !named && characters.length === 1 ? characters[0].codePointAt(0) : 0;
    return [named, character, Positions[event.code] || 0];
  }

  function modifierMask(event) {
    return (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0) | (event.altKey ? 4 : 0);
  }

  function onlyCtrl(event) {
    return event.ctrlKey && !event.altKey && !event.shiftKey && !event.metaKey;
  }

  on(document, 'keydown', (event) => {
    if (ended) {
      return;
    }
    if (!dialog.hidden) {
      dialogKey(event);
      return;
    }
    if (!plikMenu.hidden) {
      menuKey(event);
      return;
    }
    if (onlyCtrl(event) && event.code in Shortcuts) {
      event.preventDefault();
      command(Shortcuts[event.code]);
      return;
    }
    if (onlyCtrl(event) && event.code === 'KeyK') {
      event.preventDefault();
      quit();
      return;
    }
    const altP = event.altKey && !event.ctrlKey && event.code === 'KeyP';
    const f10 = event.key === 'F10' && !event.altKey && !event.ctrlKey && !event.shiftKey;
    if (altP || f10) {
      event.preventDefault();
      openMenu();
      return;
    }
    if (game('key', 1, ...keyIdentity(event), modifierMask(event))) {
      event.preventDefault();
    }
  });

  on(document, 'keyup', (event) => {
    if (game('key', 0, ...keyIdentity(event), modifierMask(event))) {
      event.preventDefault();
    }
  });

  // A key let go while the page did not have the keyboard never reports its release.
  on(window, 'blur', () => game('focus_lost'));
  on(document, 'visibilitychange', () => {
    // Nobody can see the board, and no key release reaches a hidden page.
    if (document.hidden) {
      game('focus_lost');
    }
    game('set_hidden', document.hidden ? 1 : 0);
  });

  function command(number) {
    game('command', number);
  }

  // "Koniec": nothing runs any more. A page may close only a window that a script opened, so
  // where it cannot, it says that the game has ended.
  function quit() {
    game('quit');
    ended = true;
    clearTimeout(wakeTimer);
    clearTimeout(holdTimer);
    listening.abort();
    window.close();
    windowElement.hidden = true;
    $('ended').hidden = false;
  }

  // The menu "Plik".

  function menuItems(menu) {
    return [...menu.children].filter((el) => el.getAttribute('role').startsWith('menuitem'));
  }

  // The item under the keyboard or the pointer is marked as well as focused: a window
  // without the keyboard shows no focus.
  function focusItem(item) {
    for (const other of document.querySelectorAll('.current')) {
      other.classList.remove('current');
    }
    item.classList.add('current');
    item.focus();
  }

  function isEnabled(item) {
    return item.getAttribute('aria-disabled') !== 'true';
  }

  function openMenu() {
    if (!plikMenu.hidden) {
      return;
    }
    plikMenu.hidden = false;
    plik.setAttribute('aria-expanded', 'true');
    // The board loses the keyboard to the menu, as on the desktop.
    game('focus_lost');
    focusItem(menuItems(plikMenu).find(isEnabled));
  }

  function closeSubmenu() {
    speedMenu.hidden = true;
    speedItem.setAttribute('aria-expanded', 'false');
  }

  function closeMenu() {
    closeSubmenu();
    for (const item of document.querySelectorAll('.current')) {
      item.classList.remove('current');
    }
    plikMenu.hidden = true;
    plik.setAttribute('aria-expanded', 'false');
    board.focus({ preventScroll: true });
  }

  function openSubmenu(focusFirst) {
    speedMenu.hidden = false;
    speedItem.setAttribute('aria-expanded', 'true');
    if (focusFirst) {
      focusItem(menuItems(speedMenu).find(isEnabled));
    }
  }

  function activate(item) {
    if (!isEnabled(item)) {
      return;
    }
    if (item === speedItem) {
      openSubmenu(true);
      return;
    }
    closeMenu();
    if (item.dataset.command === 'quit') {
      quit();
    } else {
      command(Number(item.dataset.command));
    }
  }

  function moveFocus(items, current, step) {
    const enabled = items.filter(isEnabled);
    const at = enabled.indexOf(current);
    focusItem(enabled[(at + step + enabled.length) % enabled.length]);
  }

  function menuKey(event) {
    // The marked item, not the focused one: a page without the window's focus may not move
    // the focus at all.
    const current = document.querySelector('.current') || menuItems(plikMenu)[0];
    const menu = current.closest('[role="menu"]') || plikMenu;
    const items = menuItems(menu);
    event.preventDefault();
    switch (event.key) {
      case 'ArrowDown':
        moveFocus(items, current, 1);
        break;
      case 'ArrowUp':
        moveFocus(items, current, -1);
        break;
      case 'Home':
        focusItem(items.find(isEnabled));
        break;
      case 'End':
        focusItem(items.filter(isEnabled).pop());
        break;
      case 'ArrowRight':
        if (current === speedItem) {
          openSubmenu(true);
        }
        break;
      case 'ArrowLeft':
        if (menu === speedMenu) {
          closeSubmenu();
          focusItem(speedItem);
        }
        break;
      case 'Enter':
      case ' ':
        activate(current);
        break;
      case 'Escape':
        if (menu === speedMenu) {
          closeSubmenu();
          focusItem(speedItem);
        } else {
          closeMenu();
        }
        break;
      case 'Tab':
      case 'F10':
      case 'Alt':
        closeMenu();
        break;
      default:
        break;
    }
  }

  on(plik, 'mousedown', (event) => {
    event.preventDefault();
    if (plikMenu.hidden && dialog.hidden) {
      openMenu();
    } else {
      closeMenu();
    }
  });
  on(plikMenu, 'mouseover', (event) => {
    const item = event.target.closest('[role^="menuitem"]');
    if (!item) {
      return;
    }
    focusItem(item);
    if (item === speedItem) {
      openSubmenu(false);
    } else if (item.parentElement === plikMenu) {
      closeSubmenu();
    }
  });
  on(plikMenu, 'click', (event) => {
    const item = event.target.closest('[role^="menuitem"]');
    if (item) {
      activate(item);
    }
  });
  on(document, 'mousedown', (event) => {
    if (!plikMenu.hidden && !event.target.closest('.menubar')) {
      closeMenu();
    }
  });

  // The game-over dialog.

  function closeGameOver(resetCounters) {
    dialog.hidden = true;
    veil.hidden = true;
    game('game_over_closed', resetCounters ? 1 : 0);
    board.focus({ preventScroll: true });
  }

  function dialogKey(event) {
    const focused = document.activeElement;
    if (event.key === 'Escape') {
      event.preventDefault();
      closeGameOver(false);
    } else if (event.key === 'Enter' || (event.key === ' ' && focused === zamknij)) {
      // Enter works the focused control, as a dialog's keys do on the desktop.
      event.preventDefault();
      (focused === link ? link : zamknij).click();
    } else if (event.key === 'Tab') {
      // The keyboard stays in the dialog.
      event.preventDefault();
      (document.activeElement === zamknij ? link : zamknij).focus();
    }
  }

  on(zamknij, 'click', () => closeGameOver(true));
  on(link, 'click', (event) => {
    event.preventDefault();
    window.open(link.href, '_blank', 'noopener,noreferrer');
    closeGameOver(false);
  });
  // Only the primary button follows the link, as on the desktop.
  on(link, 'auxclick', (event) => event.preventDefault());
  // The link is underlined while the pointer is on it, until the pointer reaches the dialog's
  // background; an arrival without a move counts as a move.
  for (const type of ['mouseover', 'mousemove']) {
    on(dialog, type, (event) => {
      if (event.target === link) {
        link.classList.add('underlined');
      } else if (event.target === dialog || event.target.id === 'Line1') {
        link.classList.remove('underlined');
      }
    });
  }

  fitToScreen();
  on(window, 'resize', fitToScreen);

  Module.onRuntimeInitialized = () => {
    started = true;
    Module._zirvel_start(DefaultRefreshInterval);
    if (document.hidden) {
      game('set_hidden', 1);
    }
    board.focus({ preventScroll: true });
    stats.firstBoard = performance.now();
    requestAnimationFrame(() => {
      stats.firstFrame = performance.now();
      measureRefreshInterval();
    });
  };
})();
