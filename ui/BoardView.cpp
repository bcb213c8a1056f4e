// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BoardView.h"

#include "Colours.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

using namespace zirvel;

namespace {

constexpr double FallbackRefreshRate = 60.0; // Hz

} // namespace

BoardView::BoardView(const board::CellGrid& cells, QWidget* parent)
    : QWidget(parent)
    , cells_(cells) {
    setFixedSize(board::Columns * CellSize, board::Rows * CellSize);
    // Every pixel is painted by the cells, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Plansza"));
    clock_.start();
    holdTimer_.setSingleShot(true);
    holdTimer_.setTimerType(Qt::PreciseTimer);
    connect(&holdTimer_, &QTimer::timeout, this, &BoardView::endHold);
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

double BoardView::refreshInterval() const {
    const qreal rate = screen() ? screen()->refreshRate() : 0.0;
    return 1000.0 / (rate >= 1.0 ? rate : FallbackRefreshRate);
}

double BoardView::now() const {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e6;
}

void BoardView::holdLastMove() {
    if (holding()) {
        return;
    }
    holdUntil_ = hold_.holdUntil(now(), refreshInterval());
    if (holdUntil_) {
        // The clock has moved on since the hold was decided and may have passed its end.
        holdTimer_.start(PictureHold::timerInterval(*holdUntil_, now()));
    }
}

void BoardView::endHold() {
    // The Qt timer counts whole milliseconds and may wake a little early.
    if (now() < *holdUntil_) {
        holdTimer_.start(1);
        return;
    }
    holdUntil_.reset();
    repaint();
}

void BoardView::paintEvent(QPaintEvent* event) {
    // While a hold lasts, the picture on screen stays as it is, whoever asks for a paint.
    const bool showModel = !holding();
    bool showedChange = false;
    QPainter painter(this);
    for (const QRect& dirty : event->region()) {
        const int firstColumn = std::max(0, dirty.left() / CellSize);
        const int lastColumn = std::min(board::Columns - 1, dirty.right() / CellSize);
        const int firstRow = std::max(0, dirty.top() / CellSize);
        const int lastRow = std::min(board::Rows - 1, dirty.bottom() / CellSize);
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const int index = row * board::Columns + column + 1;
                if (showModel) {
                    showedChange |= shown_.set(index, cells_.at(index));
                }
                painter.fillRect(cellRect(index), toQColor(shown_.at(index)));
            }
        }
    }
    if (showModel) {
        changed_ -= event->region();
        if (showedChange) {
            hold_.shown(now());
        }
    }
}
