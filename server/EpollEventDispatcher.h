// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractEventDispatcher>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zirvel::server {

// Qt's event loop on Linux's epoll, for a thread with thousands of sockets. Qt's own loop hands
// the kernel every socket at each pass, which with two thousand players took half the server's
// time; here the kernel keeps the set, and a pass costs what happened in it. Timers are kept in
// order of their due moments and wake to the nanosecond.
//
// Install it before the application object: QCoreApplication::setEventDispatcher.
class EpollEventDispatcher final : public QAbstractEventDispatcher {
public:
    explicit EpollEventDispatcher(QObject* parent = nullptr);
    ~EpollEventDispatcher() override;

    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;

    void registerSocketNotifier(QSocketNotifier* notifier) override;
    void unregisterSocketNotifier(QSocketNotifier* notifier) override;

    void registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                       QObject* object) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject* object) override;
    QList<TimerInfo> registeredTimers(QObject* object) const override;
    int remainingTime(int timerId) override;

    void wakeUp() override;
    void interrupt() override;

private:
    using Clock = std::chrono::steady_clock;
    using Due = std::pair<Clock::time_point, int>; // and the timer's id, for equal moments

    struct Timer {
        qint64 interval;
        Qt::TimerType type;
        QObject* object;
        Clock::time_point due;
        std::uint64_t armedInPass;
    };
    // The notifiers of one descriptor, by QSocketNotifier::Type, and the events the kernel
    // was last told of.
    struct Watched {
        std::array<QSocketNotifier*, 3> notifiers{};
        std::uint32_t events = 0;
        bool changed = false; // on the list of changes
    };

    bool wait(QEventLoop::ProcessEventsFlags flags);
    int activateSocketNotifiers();
    int activateTimers();
    void changed(int descriptor, Watched& watched);
    static std::uint32_t wanted(const Watched& watched);
    void tellTheKernel();

    int epoll_;
    int wakeUps_; // an eventfd, written by wakeUp from any thread
    std::atomic<bool> interrupted_{false};
    std::unordered_map<int, Watched> watched_;
    std::vector<int> changes_; // descriptors whose notifiers changed since the last wait
    std::vector<QSocketNotifier*> pending_; // activated by the last wait, not yet told
    std::unordered_map<int, Timer> timers_;
    std::set<Due> queue_;
    std::uint64_t pass_ = 0;
};

} // namespace zirvel::server
