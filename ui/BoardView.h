// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Board.h"
#include "PictureHold.h"

#include <QElapsedTimer>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <optional>

// Paints the board's 920 cells from the cell model. Only cells reported as changed are
// repainted.
//
// The view keeps the colours it has put on screen, so that it can hold them: a new round's
// board waits until the last move has been on screen for one refresh of the display, and the
// last cell before a crash is seen even when the crash follows its move by less than a frame.
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
    // Keeps the picture on screen until the last move painted has been there for one refresh:
    // paints meanwhile show that picture, and the board catches up when the hold ends.
    void holdLastMove();
    bool holding() const { return holdUntil_.has_value(); }
    // One refresh of the screen the board is on; 60 Hz where the toolkit does not know it.
    double refreshInterval() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void endHold();
    double now() const;

    const zirvel::board::CellGrid& cells_;
    zirvel::board::CellGrid shown_;
    QRegion changed_;
    QElapsedTimer clock_;
    zirvel::PictureHold hold_;
    std::optional<double> holdUntil_;
    QTimer holdTimer_;
};
