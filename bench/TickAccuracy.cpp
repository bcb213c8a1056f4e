// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Plays the real main window for a while at a speed level and reports how well the ticks
// keep their schedule and how much the board repaints; then, at every speed level, how long
// the last cell before a crash stays on screen. On an X display it also measures how soon a
// move can be read back from the X server.
//
// Two scripted players run serpentines through their own halves of the board, so that a
// round lasts longer than the measurement and the ticks never pause for a countdown. A last run
// lets the computer play both sides at its hardest level instead, countdowns and all, to show
// what its thinking after every timer event costs the ticks.
#include "BenchSupport.h"
#include "Board.h"
#include "BoardView.h"
#include "KeyCodes.h"
#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace zirvel;

namespace {

struct Level {
    std::int16_t index;
    const char* caption;
    int normal;
    int fast;
    bool computers = false;
};

struct Measurement {
    std::vector<double> normalLateness; // ms after the tick's moment on the schedule
    std::vector<double> fastLateness;
    std::vector<double> paintMicroseconds;
    long long paintedArea = 0;
    int resetPaints = 0; // board paints of a new-round reset after the play
    long long resetArea = 0;
    int crashes = 0;
    double cpuSeconds = 0.0; // user and system time of this process while measuring
};

// Turns at the top and bottom rows: player 1 works its way right, player 2 left.
void steer(Game& game, Player player) {
    const GameState& state = game.state();
    const int row = board::rowOf(state.head(player));
    const std::optional<Heading> heading = headingOf(player, state.direction(player));
    const bool one = player == Player::One;
    const std::uint16_t sideways = one ? keys::Right : keys::A;
    const std::uint16_t up = one ? keys::Up : keys::W;
    const std::uint16_t down = one ? keys::Down : keys::S;
    if ((heading == Heading::Up && row == 0) ||
        (heading == Heading::Down && row == board::Rows - 1)) {
        game.Form_KeyDown(sideways, 0);
    } else if (heading != Heading::Up && heading != Heading::Down) {
        game.Form_KeyDown(row == 0 ? down : up, 0);
    }
}

// Times and measures every paint of the board.
class PaintMeter : public QObject {
public:
    explicit PaintMeter(Measurement& measurement)
        : measurement_(measurement) {}
    bool recording = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !recording) {
            return false;
        }
        long long area = 0;
        for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) {
            area += static_cast<long long>(rect.width()) * rect.height();
        }
        QElapsedTimer clock;
        clock.start();
        watched->event(event);
        measurement_.paintMicroseconds.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e3);
        measurement_.paintedArea += area;
        return true;
    }

private:
    Measurement& measurement_;
};

Measurement play(const Level& level, int seconds) {
    Measurement result;
    MainWindow window;
    bench::showExposed(window);
    Game& game = window.game();
    game.mnuspeed_Click(level.index);

    PaintMeter meter(result);
    window.boardView()->installEventFilter(&meter);
    if (level.computers) {
        for (const char* hard : {"mnugracz1(3)", "mnugracz2(3)"}) {
            window.findChild<QAction*>(QString::fromLatin1(hard))->trigger();
        }
    }

    QEventLoop loop;
    QElapsedTimer clock;
    // How long after its due moment a tick's handler ran, on the timers' own clock.
    const auto lateness = [&] {
        return static_cast<double>(window.timers().clock().nsecsElapsed()) / 1e6 -
               static_cast<double>(window.timers().now());
    };

    // These run after the game's own handlers: the countdown's last tick starts the clock.
    QObject::connect(&window.timers(), &FormTimers::timeout, &loop, [&](Timer timer) {
        switch (timer) {
        case Timer::Timer3:
            if (window.timerEnabled(Timer::Timer1) && !clock.isValid()) {
                clock.start();
                result.cpuSeconds = -bench::processCpuSeconds();
                meter.recording = true;
                QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
            }
            break;
        case Timer::Timer1:
            result.normalLateness.push_back(lateness());
            if (!level.computers) {
                steer(game, Player::One);
                steer(game, Player::Two);
            }
            break;
        case Timer::Timer2:
            result.fastLateness.push_back(lateness());
            break;
        }
    });

    game.mnunowagra_Click();
    loop.exec();
    result.cpuSeconds += bench::processCpuSeconds();

    // A reset of the played board repaints at once: measured apart from the moves.
    const std::size_t paintsBefore = result.paintMicroseconds.size();
    const long long areaBefore = result.paintedArea;
    game.mnunowagra_Click();
    result.resetPaints = static_cast<int>(result.paintMicroseconds.size() - paintsBefore);
    result.resetArea = result.paintedArea - areaBefore;
    result.paintMicroseconds.resize(paintsBefore);
    result.paintedArea = areaBefore;
    for (Player player : BothPlayers) {
        result.crashes += std::stoi(window.counterCaption(player));
    }
    return result;
}

void printTimer(const char* name, const std::vector<double>& lateness, int interval, int seconds) {
    std::printf("| %-7s | %5zu | %7d | %8.3f | %8.3f | %8.3f |\n", name, lateness.size(),
                seconds * 1000 / interval, bench::percentile(lateness, 0.5),
                bench::percentile(lateness, 0.99),
                lateness.empty() ? 0.0 : *std::max_element(lateness.begin(), lateness.end()));
}

} // namespace

int main(int argc, char* argv[]) {
    bench::offscreenUnlessChosen();
    const int seconds = bench::countOption(argc, argv, "--seconds", 10);
    QApplication app(argc, argv);

    const Level levels[] = {{4, "B. Szybko", 50, 20},
                            {3, "Szybko", 200, 50},
                            {4, "B. Szybko, the computer on both sides (trudny)", 50, 20, true}};
    for (const Level& level : levels) {
        const Measurement m = play(level, seconds);
        std::printf("\n%s, %d s of play, %d crash%s\n", level.caption, seconds, m.crashes,
                    m.crashes == 1 ? "" : "es");
        std::printf("| timer   | ticks | nominal | late p50 | late p99 | late max |  (ms)\n");
        printTimer("normal", m.normalLateness, level.normal, seconds);
        printTimer("fast", m.fastLateness, level.fast, seconds);
        const double moves = 2.0 * static_cast<double>(m.normalLateness.size());
        std::printf("board paints: %zu, area per move %.0f px^2 (cell 256 px^2), paint time "
                    "p50 %.1f us, p99 %.1f us\n",
                    m.paintMicroseconds.size(),
                    moves > 0 ? static_cast<double>(m.paintedArea) / moves : 0.0,
                    bench::percentile(m.paintMicroseconds, 0.5),
                    bench::percentile(m.paintMicroseconds, 0.99));
        std::printf("reset after play: %d board paint(s) of %lld px^2 (whole board %d px^2)\n",
                    m.resetPaints, m.resetArea,
                    board::CellCount * BoardView::CellSize * BoardView::CellSize);
        std::printf("CPU while playing: %.2f %% of one core\n", 100.0 * m.cpuSeconds / seconds);
    }
    return 0;
}
