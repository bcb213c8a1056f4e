// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What gamepads cost the real main window: its CPU while idle at the menu with no pad and with
// two pads connected, and how soon a pad's event reaches the rules, at the menu and while
// playing at "B. Szybko".
//
// The pads are SDL's own virtual pads. A second thread plays the device: it changes a D-pad
// button and has SDL read the change, as the kernel hands a real pad's report over, at
// irregular moments; SDL queues the event and stamps it there. The window's reader then has to
// wake on the event loop, read it and hand it to the rules.
#include "BenchSupport.h"
#include "MainWindow.h"
#include "VirtualPad.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void runEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU of this process, in % of one core, while the event loop runs alone.
double idleCpu(int seconds) {
    const double before = bench::processCpuSeconds();
    runEventLoopFor(seconds * 1000);
    return 100.0 * (bench::processCpuSeconds() - before) / seconds;
}

struct Latency {
    std::vector<double> precise; // ms from the device's change to the rules' handler
    std::vector<double> stamped; // ms from SDL's time stamp to the handler, SDL's whole ms
};

// `presses` button changes, 5 to 25 ms apart, taking turns between the pads.
Latency measure(MainWindow& window, VirtualPad& one, VirtualPad& two, int presses) {
    Latency latency;
    std::mutex mutex;
    std::vector<Clock::time_point> sent;
    std::size_t handled = 0;
    const QMetaObject::Connection connection =
        QObject::connect(&window.padReader(), &PadReader::handled, [&](quint32 timestamp) {
            const Clock::time_point now = Clock::now();
            latency.stamped.push_back(static_cast<double>(SDL_GetTicks() - timestamp));
            const std::lock_guard lock(mutex);
            latency.precise.push_back(
                std::chrono::duration<double, std::milli>(now - sent.at(handled++)).count());
        });
    std::thread device([&] {
        std::minstd_rand random(22);
        std::uniform_int_distribution<int> pause(5, 25);
        for (int i = 0; i < presses; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
            {
                const std::lock_guard lock(mutex);
                sent.push_back(Clock::now());
            }
            VirtualPad& pad = i % 4 < 2 ? one : two;
            pad.button(i % 4 < 2 ? SDL_CONTROLLER_BUTTON_DPAD_LEFT
                                 : SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
                       i % 2 == 0);
        }
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const std::lock_guard lock(mutex);
        if (handled == static_cast<std::size_t>(presses)) {
            loop.quit();
        }
    });
    poll.start(50);
    QTimer::singleShot(presses * 25 + 5000, &loop, &QEventLoop::quit);
    loop.exec();
    device.join();
    QObject::disconnect(connection);
    if (latency.precise.size() != static_cast<std::size_t>(presses)) {
        std::printf("only %zu of %d pad events reached the rules\n", latency.precise.size(),
                    presses);
    }
    return latency;
}

void printLatency(const char* where, const Latency& latency) {
    std::printf("| %-24s | %6zu | %5.2f | %5.2f | %5.2f | %7.0f | %7.0f |\n", where,
                latency.precise.size(), bench::percentile(latency.precise, 0.5),
                bench::percentile(latency.precise, 0.99), bench::percentile(latency.precise, 1.0),
                bench::percentile(latency.stamped, 0.99), bench::percentile(latency.stamped, 1.0));
}

} // namespace

int main(int argc, char* argv[]) {
    bench::offscreenUnlessChosen();
    const int seconds = bench::countOption(argc, argv, "--seconds", 10);
    const int presses = bench::countOption(argc, argv, "--presses", 400);
    QApplication app(argc, argv);

    MainWindow window;
    bench::showExposed(window);
    window.activateWindow();
    while (QApplication::activeWindow() != &window) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    runEventLoopFor(100 * seconds); // let start-up settle
    const double noPad = idleCpu(seconds);

    VirtualPad one;
    VirtualPad two;
    while (!window.pads().player(two.id())) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    runEventLoopFor(100 * seconds); // let start-up settle
    const double twoPads = idleCpu(seconds);
    std::printf("\nIdle at the menu, %d s each: CPU with no pad %.3f %%, with two pads "
                "%.3f %% of one core\n",
                seconds, noPad, twoPads);

    const Latency atMenu = measure(window, one, two, presses);
    window.findChild<QAction*>(QStringLiteral("mnuspeed(4)"))->trigger();
    window.findChild<QAction*>(QStringLiteral("mnunowagra"))->trigger();
    const Latency playing = measure(window, one, two, presses);
    std::printf("\nPad event to the rules' handler (ms)\n");
    std::printf("| %-24s | %6s | %5s | %5s | %5s | %7s | %7s |\n", "while", "events", "p50", "p99",
                "max", "SDL p99", "SDL max");
    printLatency("idle at the menu", atMenu);
    printLatency("playing at \"B. Szybko\"", playing);
    return 0;
}
