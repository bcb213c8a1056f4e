// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The board: one canvas with a pixel for every device pixel it covers, and every cell a square
// of the same whole number of them. A move paints only the cells it changed; a new cell size
// paints the whole board once.
class BoardView {
  constructor(canvas) {
    this.canvas = canvas;
    this.context = canvas.getContext('2d', { alpha: false });
    // The colour of every cell as drawn, to draw the board again at another size.
    this.shown = new Uint8Array((BoardView.CellCount + 1) * 3);
    this.cellSize = 0;
    this.origin = [0, 0];
    this.spare = [0, 0];
  }

  paintCell(index, red, green, blue) {
    this.shown.set([red, green, blue], index * 3);
    this.drawCell(index);
  }

  // Puts the board's top left corner near device pixel `left`, `top` of the viewport, with
  // cells of `size` device pixels, and returns where it went.
  //
  // A browser lays pages out in fractions of a CSS pixel, but a canvas whose edges fall between
  // device pixels is drawn blurred or stretched, and Chromium draws a canvas on whole CSS
  // pixels: at a pixel ratio of 2 one placed on a half is drawn a device pixel further, or a
  // device pixel taller. So the canvas's edges go to the nearest device pixels that are whole
  // CSS pixels too, its pixels match the device pixels it covers, and the board lies in its
  // middle, with the client area's grey in the few pixels to spare.
  place(left, top, size) {
    const ratio = window.devicePixelRatio || 1;
    const width = exactDevicePixels(BoardView.Columns * size, ratio, 1);
    const height = exactDevicePixels(BoardView.Rows * size, ratio, 1);
    const x = exactDevicePixels(left, ratio, -1);
    const y = exactDevicePixels(top, ratio, -1);
    const style = this.canvas.style;
    style.left = x / ratio + 'px';
    style.top = y / ratio + 'px';
    style.width = width / ratio + 'px';
    style.height = height / ratio + 'px';
    this.spare = [Math.floor((width - BoardView.Columns * size) / 2),
                  Math.floor((height - BoardView.Rows * size) / 2)];
    this.origin = [x + this.spare[0], y + this.spare[1]];
    if (size === this.cellSize && width === this.canvas.width && height === this.canvas.height) {
      return;
    }
    this.cellSize = size;
    // A canvas loses its pixels when its size is set.
    this.canvas.width = width;
    this.canvas.height = height;
    this.context.fillStyle = BoardView.Surround;
    this.context.fillRect(0, 0, width, height);
    for (let index = 1; index <= BoardView.CellCount; ++index) {
      this.drawCell(index);
    }
  }

  drawCell(index) {
    const size = this.cellSize;
    const c = index * 3;
    this.context.fillStyle = `rgb(${this.shown[c]}, ${this.shown[c + 1]}, ${this.shown[c + 2]})`;
    this.context.fillRect(this.spare[0] + ((index - 1) % BoardView.Columns) * size,
                          this.spare[1] + Math.floor((index - 1) / BoardView.Columns) * size, size,
                          size);
  }
}

// The device pixel count nearest to `pixels` (only more where `direction` is 1, either way
// where it is -1) that is a whole number of CSS pixels.
function exactDevicePixels(pixels, ratio, direction) {
  const exact = (device) => {
    const css = device / ratio;
    return Math.abs(css - Math.round(css)) < 1e-6;
  };
  for (let step = 0; step < 256; ++step) {
    const candidates = direction > 0 ? [pixels + step] : [pixels + step, pixels - step];
    const found = candidates.find(exact);
    if (found !== undefined) {
      return found;
    }
  }
  return pixels;
}

BoardView.Columns = 40;
BoardView.Rows = 23;
BoardView.CellCount = 920;
// The client area's grey, around the board.
BoardView.Surround = 'rgb(64, 64, 64)';
