// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>

// A font as the layout names it. Where the family is not installed, the style hint leads the
// toolkit to its closest match.
inline QFont designFont(const QString& family, qreal pointSize, bool bold,
                        QFont::StyleHint hint = QFont::SansSerif) {
    QFont font(family);
    font.setStyleHint(hint);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
