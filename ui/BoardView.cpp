// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BoardView.h"

#include "Colours.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

using namespace zirvel;

BoardView::BoardView(const board::CellGrid& cells, QWidget* parent)
    : QWidget(parent)
    , cells_(cells) {
    setFixedSize(board::Columns * CellSize, board::Rows * CellSize);
    // Every pixel is painted by the cells, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Plansza"));
}

QRect BoardView::cellRect(int index) {
    return {board::columnOf(index) * CellSize, board::rowOf(index) * CellSize, CellSize, CellSize};
}

void BoardView::cellChanged(int index) {
    changed_ += cellRect(index);
    update(cellRect(index));
}

void BoardView::paintChangedCells() {
    if (!changed_.isEmpty()) {
        repaint(changed_);
    }
}

void BoardView::paintEvent(QPaintEvent* event) {
    changed_ -= event->region();
    QPainter painter(this);
    for (const QRect& dirty : event->region()) {
        const int firstColumn = std::max(0, dirty.left() / CellSize);
        const int lastColumn = std::min(board::Columns - 1, dirty.right() / CellSize);
        const int firstRow = std::max(0, dirty.top() / CellSize);
        const int lastRow = std::min(board::Rows - 1, dirty.bottom() / CellSize);
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const int index = row * board::Columns + column + 1;
                painter.fillRect(cellRect(index), toQColor(cells_.at(index)));
            }
        }
    }
}
