// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the benchmarks that play the real window share.
#include <QByteArray>
#include <QCoreApplication>
#include <QWidget>
#include <QWindow>
#include <QtGlobal>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <vector>

namespace bench {

// The value at fraction `p` of the sorted values, nearest rank.
inline double percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[rank];
}

// A whole number of at least 1 given as `option N`, or `fallback`.
inline int countOption(int argc, char* argv[], const char* option, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0) {
            return std::max(1, std::atoi(argv[i + 1]));
        }
    }
    return fallback;
}

// User and system time of this process so far.
inline double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Plays on the offscreen platform unless a platform is chosen.
inline void offscreenUnlessChosen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// Shows a window and returns once it is on screen.
inline void showExposed(QWidget& window) {
    window.show();
    while (!window.windowHandle()->isExposed()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace bench
