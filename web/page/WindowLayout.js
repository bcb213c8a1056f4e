// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window fills the browser window: it is zoomed, keeping its proportions, to the largest
// size that fits and at which a board cell is a whole number of device pixels, and it stands
// centred. The help goes beside or below the window, where the window leaves room; only where
// no margin can hold it does the window give up a little of its size for it. On a touch
// screen the menu bar is a finger's height whatever the zoom, and the window fits with it. In a
// room, the room's status line goes right under the window, and the window leaves it room.
class WindowLayout {
  // `stats`: where the benchmarks find how long each fit took, when they ask.
  constructor(elements, boardView, listeners, stats) {
    this.window = elements.window;
    this.help = elements.help;
    this.room = elements.room;
    this.boardView = boardView;
    this.listeners = listeners;
    this.stats = stats;
    this.touchScreen = matchMedia('(pointer: coarse)');
  }

  // Fits the window again whenever the viewport changes size or density: an observer of the
  // viewport's device pixels sees both where the browser has one, a resize elsewhere, and a
  // change of resolution everywhere.
  start() {
    this.fit();
    this.observer = new ResizeObserver(() => this.fit());
    try {
      this.observer.observe(document.documentElement, { box: 'device-pixel-content-box' });
    } catch (unsupported) {
      this.listeners.on(window, 'resize', () => this.fit());
    }
    // The room's status line grows when its invitation shows, and the window makes room.
    this.observer.observe(this.room);
    this.watchPixelRatio();
    this.listeners.on(this.touchScreen, 'change', () => this.fit());
  }

  stop() {
    this.observer.disconnect();
  }

  watchPixelRatio() {
    // Kept: a query nobody holds may be collected, and its listener with it.
    this.pixelRatioQuery = matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
    this.listeners.on(this.pixelRatioQuery, 'change', () => {
      this.fit();
      this.watchPixelRatio();
    }, { once: true });
  }

  fit() {
    const started = performance.now();
    const ratio = window.devicePixelRatio || 1;
    // The visible size: on a phone the page's own overflow would widen the layout viewport
    // that innerWidth reports, and the window would never shrink back into the screen.
    const width = document.documentElement.clientWidth;
    const viewportHeight = document.documentElement.clientHeight;
    let room = this.roomHeight(width, viewportHeight);
    let place = this.place(width, viewportHeight - room, ratio);
    if (room) {
      // As wide as the window, the line may wrap where the whole viewport's width did not.
      const placed = this.roomHeightAt(WindowLayout.Width * place.zoom);
      if (placed > room) {
        room = placed;
        place = this.place(width, viewportHeight - room, ratio);
      }
    }
    this.apply(place, ratio);
    if (room) {
      this.placeRoom(place, room, ratio);
    }
    if (this.stats.recording) {
      this.stats.layouts.push(performance.now() - started);
    }
  }

  // Where the window (and the help, if it finds room) goes in `width` × `height` CSS pixels.
  place(width, height, ratio) {
    const clientHeight = WindowLayout.Height - WindowLayout.MenuBar;
    const fits = Math.min(width / WindowLayout.Width, height / WindowLayout.Height,
                          (height - this.touchBar()) / clientHeight);
    const largest = Math.max(1, Math.floor(WindowLayout.CellPixels * fits * ratio));
    let place = null;
    if (!this.help.hidden) {
      const smallest = Math.max(1, Math.floor(largest * WindowLayout.LeastShare));
      for (let cell = largest; cell >= smallest && !place; --cell) {
        place = this.placeWithHelp(cell, ratio, width, height);
      }
      this.help.style.visibility = place ? 'visible' : 'hidden';
    }
    return place || this.placeAlone(largest, ratio, width, height);
  }

  // The height the room's status line takes under the window, with its gap, in CSS pixels; 0
  // outside a room. Its text is sized for the window's zoom that the whole viewport would give.
  roomHeight(width, height) {
    if (this.room.hidden) {
      return 0;
    }
    const zoom = Math.min(width / WindowLayout.Width, height / WindowLayout.Height);
    this.room.style.fontSize = Math.min(20, Math.max(12, Math.round(7.5 * zoom))) + 'px';
    return this.roomHeightAt(Math.min(width, WindowLayout.Width * zoom));
  }

  // The same at a width of `width` CSS pixels.
  roomHeightAt(width) {
    this.room.style.width = width + 'px';
    return this.room.offsetHeight + WindowLayout.Gap;
  }

  // Under the window, as wide as it; the help, where it went below the window, goes below it.
  placeRoom(place, room, ratio) {
    const device = (css) => Math.round(Math.max(0, css) * ratio) / ratio;
    const top = place.top + this.windowHeight(place.zoom) + WindowLayout.Gap;
    this.room.style.left = device(place.left) + 'px';
    this.room.style.top = device(top) + 'px';
    this.room.style.width = WindowLayout.Width * place.zoom + 'px';
    if (place.help && this.help.classList.contains('below')) {
      this.help.style.top = device(place.help.top + room) + 'px';
    }
  }

  // The menu bar's least height in CSS pixels: a finger's on a touch screen.
  touchBar() {
    return this.touchScreen.matches ? WindowLayout.TouchBar : 0;
  }

  // The menu bar's height in CSS pixels at a zoom, as the page's style gives it.
  menuBarHeight(zoom) {
    return Math.max(this.touchBar(), WindowLayout.MenuBar * zoom);
  }

  windowHeight(zoom) {
    return (WindowLayout.Height - WindowLayout.MenuBar) * zoom + this.menuBarHeight(zoom);
  }

  placeAlone(cell, ratio, width, height) {
    const zoom = cell / (WindowLayout.CellPixels * ratio);
    return { cell, zoom, left: (width - WindowLayout.Width * zoom) / 2,
             top: (height - this.windowHeight(zoom)) / 2 };
  }

  // Where the window and the help go with cells of `cell` device pixels; null where the help
  // finds room in no margin.
  placeWithHelp(cell, ratio, width, height) {
    const place = this.placeAlone(cell, ratio, width, height);
    const gap = WindowLayout.Gap;
    const help = this.help;
    help.style.fontSize = Math.min(20, Math.max(12, Math.round(7.5 * place.zoom))) + 'px';
    const beside = place.left - 2 * gap;
    if (beside >= WindowLayout.LeastHelpWidth) {
      help.className = 'help';
      help.style.width = Math.min(beside, 320) + 'px';
      if (help.offsetHeight <= height - 2 * gap) {
        place.help = { left: width - place.left + gap, top: (height - help.offsetHeight) / 2 };
        return place;
      }
    }
    const windowHeight = this.windowHeight(place.zoom);
    help.className = 'help below';
    help.style.width = WindowLayout.Width * place.zoom + 'px';
    const below = help.offsetHeight + gap;
    if (windowHeight + below + gap <= height) {
      place.top = (height - windowHeight - below) / 2;
      place.help = { left: place.left, top: place.top + windowHeight + gap };
      return place;
    }
    return null;
  }

  apply(place, ratio) {
    const device = (css) => Math.round(Math.max(0, css) * ratio);
    const left = device(place.left);
    const top = device(place.top);
    this.window.style.zoom = String(place.zoom);
    // For the style: one CSS pixel in the window's own pixels, and the zoom that shows an
    // element of the window in CSS pixels, or at the window's zoom where that is larger.
    this.window.style.setProperty('--px', 1 / place.zoom + 'px');
    this.window.style.setProperty('--unzoom', String(1 / place.zoom));
    this.window.style.setProperty('--least-zoom', String(Math.max(1, place.zoom) / place.zoom));
    // A zoomed element's own offsets are zoomed too.
    this.window.style.left = left / ratio / place.zoom + 'px';
    this.window.style.top = top / ratio / place.zoom + 'px';
    // The board lies over the window where the window's layout would put it, under the menu
    // bar; outside the zoomed layout, its edges fall on whole device pixels.
    const cell = place.cell;
    const scale = cell / WindowLayout.CellPixels;
    const underBar = WindowLayout.Board[1] - WindowLayout.MenuBar;
    this.boardView.place(left + Math.round(WindowLayout.Board[0] * scale),
                         top + Math.round(this.menuBarHeight(place.zoom) * ratio +
                                          underBar * scale),
                         cell);
    if (place.help) {
      this.help.style.left = device(place.help.left) / ratio + 'px';
      this.help.style.top = device(place.help.top) / ratio + 'px';
    }
  }
}

// The desktop window's client area and menu bar, in its own pixels, and a cell's side there.
WindowLayout.Width = 674;
WindowLayout.Height = 472;
WindowLayout.CellPixels = 16;
WindowLayout.MenuBar = 20;
// A finger's least height for a control, in CSS pixels.
WindowLayout.TouchBar = 44;
// Where the board starts in the window, under the menu bar.
WindowLayout.Board = [16, 60];
WindowLayout.Gap = 12;
WindowLayout.LeastHelpWidth = 100;
// The window shrinks at most to this share of its largest size to make room for the help.
WindowLayout.LeastShare = 0.8;
