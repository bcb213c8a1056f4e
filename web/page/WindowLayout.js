// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window fills the browser window: it is zoomed, keeping its proportions, to the largest
// size that fits and at which a board cell is a whole number of device pixels, and it stands
// centred. The help goes beside or below the window, where the window leaves room; only where
// no margin can hold it does the window give up a little of its size for it.
class WindowLayout {
  // `stats`: where the benchmarks find how long each fit took, when they ask.
  constructor(elements, boardView, listeners, stats) {
    this.window = elements.window;
    this.help = elements.help;
    this.boardView = boardView;
    this.listeners = listeners;
    this.stats = stats;
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
    this.watchPixelRatio();
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
    const width = window.innerWidth;
    const height = window.innerHeight;
    const fits = Math.min(width / WindowLayout.Width, height / WindowLayout.Height);
    const largest = Math.max(1, Math.floor(WindowLayout.CellPixels * fits * ratio));
    let place = null;
    if (!this.help.hidden) {
      const smallest = Math.max(1, Math.floor(largest * WindowLayout.LeastShare));
      for (let cell = largest; cell >= smallest && !place; --cell) {
        place = this.placeWithHelp(cell, ratio, width, height);
      }
      this.help.style.visibility = place ? 'visible' : 'hidden';
    }
    if (!place) {
      place = this.placeAlone(largest, ratio, width, height);
    }
    this.apply(place, ratio);
    if (this.stats.recording) {
      this.stats.layouts.push(performance.now() - started);
    }
  }

  placeAlone(cell, ratio, width, height) {
    const zoom = cell / (WindowLayout.CellPixels * ratio);
    return { cell, zoom, left: (width - WindowLayout.Width * zoom) / 2,
             top: (height - WindowLayout.Height * zoom) / 2 };
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
    const windowHeight = WindowLayout.Height * place.zoom;
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
    // A zoomed element's own offsets are zoomed too.
    this.window.style.left = left / ratio / place.zoom + 'px';
    this.window.style.top = top / ratio / place.zoom + 'px';
    // The board lies over the window where the window's layout would put it; outside the
    // zoomed layout, its edges fall on whole device pixels.
    const cell = place.cell;
    this.boardView.place(left + Math.round(WindowLayout.Board[0] * cell / WindowLayout.CellPixels),
                         top + Math.round(WindowLayout.Board[1] * cell / WindowLayout.CellPixels),
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
// Where the board starts in the window, under the menu bar.
WindowLayout.Board = [16, 60];
WindowLayout.Gap = 12;
WindowLayout.LeastHelpWidth = 100;
// The window shrinks at most to this share of its largest size to make room for the help.
WindowLayout.LeastShare = 0.8;
