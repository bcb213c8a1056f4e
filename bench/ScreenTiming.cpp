// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How moves reach the screen on the real main window. At every speed level: how long the last
// cell a head entered stays on screen before the crash that follows it is shown. On an X
// display also: how soon after its tick a move can be read back from the X server.
//
// Each round is cut short: the countdown's four ticks run at once, and player 1 turns
// straight back after one or two moves, into its own trail. One and two moves put the crash
// both on and between the moments when normal and fast ticks coincide.
#include "BenchSupport.h"
#include "BoardView.h"
#include "KeyCodes.h"
#include "MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using namespace zirvel;

namespace {

struct Level {
    std::int16_t index;
    const char* caption;
    int fast; // ms
    // The shortest time on screen wanted, in ms; empty for one refresh of the screen. At
    // "B. Szybko" a fast tick can follow a normal move by 10 ms, and only the board's hold
    // keeps that move on screen for a whole frame.
    std::optional<double> goal;
};

constexpr Level Levels[] = {{1, "Wolno", 400, 398.0},
                            {2, "Średnio", 200, 198.0},
                            {3, "Szybko", 50, 48.0},
                            {4, "B. Szybko", 20, std::nullopt}};

double milliseconds(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Pads a UTF-8 caption to `width` characters, which printf would count in bytes.
std::string padded(const char* caption, std::size_t width) {
    std::string text(caption);
    const auto characters =
        static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    return text + std::string(width > characters ? width - characters : 0, ' ');
}

// Notes when the board's last paint ended.
class PaintClock : public QObject {
public:
    explicit PaintClock(const QElapsedTimer& clock)
        : clock_(clock) {}
    double lastPaint = 0.0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) {
            return false;
        }
        watched->event(event);
        lastPaint = milliseconds(clock_);
        return true;
    }

private:
    const QElapsedTimer& clock_;
};

// Starts the round's ticks as the countdown's last tick does, without waiting for it.
void skipCountdown(Game& game, const GameWindow& window) {
    while (!window.timerEnabled(Timer::Timer1)) {
        game.Timer3_Timer();
    }
}

// Reads the screen pixel at the centre of a board cell until it shows `colour`, for at most
// 50 ms; returns when it did, or a negative value.
double readBack(const MainWindow& window, int cell, QColor colour, const QElapsedTimer& clock) {
    const QPoint at = window.boardView()->mapToGlobal(BoardView::cellRect(cell).center());
    QScreen* screen = window.screen();
    const double deadline = milliseconds(clock) + 50.0;
    while (milliseconds(clock) < deadline) {
        if (screen->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0) == colour) {
            return milliseconds(clock);
        }
    }
    return -1.0;
}

struct Result {
    std::vector<double> lastCellOnScreen; // ms
    std::vector<double> moveToScreen;     // ms
};

Result play(const Level& level, int crashes, bool readScreen) {
    Result result;
    MainWindow window;
    bench::showExposed(window);
    Game& game = window.game();
    game.mnuspeed_Click(level.index);

    QElapsedTimer clock;
    clock.start();
    PaintClock paints(clock);
    window.boardView()->installEventFilter(&paints);

    QEventLoop loop;
    int moves = 0;
    int movesBeforeTurn = 1;
    bool moved = false;
    double tick = 0.0;
    double movePainted = 0.0;
    std::string score = window.counterCaption(Player::One);

    // These run after the game's own handlers.
    QObject::connect(&window.timers(), &FormTimers::timeout, &loop, [&](Timer timer) {
        if (timer == Timer::Timer1) {
            tick = milliseconds(clock);
            moved = true;
            if (++moves == movesBeforeTurn) {
                // Straight back in two presses: the next scan finds the head's own trail.
                game.Form_KeyDown(keys::Left, 0);
                game.Form_KeyDown(keys::Down, 0);
            }
        } else if (timer == Timer::Timer2 && window.counterCaption(Player::One) != score) {
            // The scan ended the round. Its reset's board is painted now, or once the last
            // move has been on screen for a refresh.
            score = window.counterCaption(Player::One);
            while (window.boardView()->holding()) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
            result.lastCellOnScreen.push_back(paints.lastPaint - movePainted);
            if (static_cast<int>(result.lastCellOnScreen.size()) == crashes) {
                loop.quit();
                return;
            }
            moves = 0;
            movesBeforeTurn = 3 - movesBeforeTurn;
            skipCountdown(game, window);
        }
    });
    QObject::connect(&window.timers(), &FormTimers::settled, &loop, [&] {
        if (!moved) {
            return;
        }
        moved = false;
        movePainted = paints.lastPaint;
        if (readScreen) {
            const double seen = readBack(window, game.state().Poczatek1, QColor(255, 0, 0), clock);
            if (seen >= 0.0) {
                result.moveToScreen.push_back(seen - tick);
            }
        }
    });

    game.mnunowagra_Click();
    skipCountdown(game, window);
    loop.exec();
    return result;
}

} // namespace

int main(int argc, char* argv[]) {
    bench::offscreenUnlessChosen();
    const int crashes = bench::countOption(argc, argv, "--crashes", 20);
    QApplication app(argc, argv);
    const bool readScreen = QGuiApplication::platformName() == QLatin1String("xcb");

    std::printf("\nLast cell before a crash on screen, from the paint of the move to the paint of "
                "the reset, %d crashes a level (platform %s)\n",
                crashes, qPrintable(QGuiApplication::platformName()));
    const double refresh = MainWindow().boardView()->refreshInterval();
    std::printf("One refresh of the screen: %.2f ms\n", refresh);
    std::printf("| level     | fast tick | goal      | shortest | median |  (ms)\n");
    std::vector<double> moveToScreen;
    for (const Level& level : Levels) {
        const Result r = play(level, crashes, readScreen);
        const auto shortest =
            *std::min_element(r.lastCellOnScreen.begin(), r.lastCellOnScreen.end());
        std::printf("| %s | %9d | >= %6.2f | %8.2f | %6.2f |\n", padded(level.caption, 9).c_str(),
                    level.fast, level.goal.value_or(refresh), shortest,
                    bench::percentile(r.lastCellOnScreen, 0.5));
        moveToScreen.insert(moveToScreen.end(), r.moveToScreen.begin(), r.moveToScreen.end());
    }
    if (readScreen) {
        std::printf(
            "\nMove to screen, from the normal tick to the head's pixel read back from the X "
            "server: %zu moves, p50 %.2f ms, p99 %.2f ms, max %.2f ms (goal p99 <= 3 ms)\n",
            moveToScreen.size(), bench::percentile(moveToScreen, 0.5),
            bench::percentile(moveToScreen, 0.99),
            moveToScreen.empty() ? 0.0
                                 : *std::max_element(moveToScreen.begin(), moveToScreen.end()));
    }
    return 0;
}
