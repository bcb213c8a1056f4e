// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the program prints, kept on the page for the benchmark script to read.
Module.output = [];
Module.print = function (text) {
  Module.output.push(text);
};
