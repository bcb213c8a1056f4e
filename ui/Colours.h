// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Colour.h"

#include <QColor>

inline QColor toQColor(zirvel::Colour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}
