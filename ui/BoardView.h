// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Board.h"

#include <QRegion>
#include <QWidget>

// Paints the board's 920 cells from the cell model. Only cells reported as changed are
// repainted.
class BoardView : public QWidget {
public:
    static constexpr int CellSize = 16;

    explicit BoardView(const zirvel::board::CellGrid& cells, QWidget* parent = nullptr);

    // Where cell `index` (1..920) lies in the board's own coordinates.
    static QRect cellRect(int index);
    void cellChanged(int index);
    // Paints the cells changed since the last paint at once, rather than when the event loop
    // gets round to it.
    void paintChangedCells();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const zirvel::board::CellGrid& cells_;
    QRegion changed_;
};
