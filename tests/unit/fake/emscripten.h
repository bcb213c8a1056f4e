// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Stands in for the browser build's header, so that the page's window runs in native unit
// tests. The test defines the clock.
extern "C" double emscripten_get_now();
