// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "GameWindow.h"

#include <QDialog>
#include <QUrl>
#include <array>
#include <functional>

class QLabel;
class QPushButton;

// The game-over window: both final counters, "Zamknij" to reset them, and the author link.
// Built afresh at every opening.
class GameOverDialog : public QDialog {
    Q_OBJECT

public:
    using UrlOpener = std::function<void(const QUrl&)>;

    static const QUrl AuthorPage;

    // How the window was closed: "Zamknij" with true, the author link with false.
    using Closed = std::function<void(bool resetCounters)>;

    GameOverDialog(zirvel::GameWindow& mainWindow, UrlOpener openUrl, QWidget* parent = nullptr);

    // In a room the server resets the counters: the window leaves them alone and reports how
    // it was closed instead.
    void reportClosingTo(Closed closed) { closed_ = std::move(closed); }

    void cmdkoniec_Click();
    void Label3_Click();
    void Form_MouseMove();
    void Label3_MouseMove();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void setLinkUnderlined(bool underlined);

    zirvel::GameWindow& mainWindow_;
    UrlOpener openUrl_;
    Closed closed_;
    std::array<QLabel*, 2> finalCounters_{};
    QPushButton* cmdkoniec_ = nullptr;
    QLabel* link_ = nullptr;
};
