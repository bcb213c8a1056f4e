// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace zirvel::server {

// SIGTERM and SIGINT as events of the event loop, read from a signalfd: no handler runs inside
// a signal, so the whole server may answer one.
class StopSignals : public QObject {
public:
    // Must come before any thread starts, so that every thread inherits the signals blocked and
    // none of them is ever interrupted by one.
    static void block();

    // `received` is called once for every signal; empty when the descriptor failed.
    static std::unique_ptr<StopSignals> listen(std::function<void()> received);
    ~StopSignals() override;

private:
    StopSignals(int descriptor, std::function<void()> received);

    int descriptor_;
    std::function<void()> received_;
    QSocketNotifier notifier_;
};

} // namespace zirvel::server
