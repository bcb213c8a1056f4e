#pragma once

#include "Colour.h"

#include <QColor>

inline QColor toQColor(zirvel::Colour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}
