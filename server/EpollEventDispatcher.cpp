// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EpollEventDispatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimerEvent>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zirvel::server {

namespace {

// Few at a time, so that timers due meanwhile wake between them, not behind a long run of
// sockets: every write on loopback also does the receiver's part of TCP.
constexpr int MaxEventsPerWait = 32;

// A hang-up or an error is news to every notifier of the descriptor, as in Qt's own loop: each
// then reads or writes and so learns of it, instead of the loop waking to it forever.
constexpr std::array<std::uint32_t, 3> ActivatingEvents{
    EPOLLIN | EPOLLHUP | EPOLLERR,  // QSocketNotifier::Read
    EPOLLOUT | EPOLLHUP | EPOLLERR, // QSocketNotifier::Write
    EPOLLPRI | EPOLLHUP | EPOLLERR, // QSocketNotifier::Exception
};
constexpr std::array<std::uint32_t, 3> AskedEvents{EPOLLIN, EPOLLOUT, EPOLLPRI};

// The loop cannot run without epoll, which fails only when the process is out of descriptors
// at the start, or on a programming error.
[[noreturn]] void fail(const char* what) {
    qFatal("EpollEventDispatcher: %s: %s", what, std::strerror(errno));
}

std::size_t slot(QSocketNotifier::Type type) {
    return static_cast<std::size_t>(type);
}

} // namespace

EpollEventDispatcher::EpollEventDispatcher(QObject* parent)
    : QAbstractEventDispatcher(parent)
    , epoll_(epoll_create1(EPOLL_CLOEXEC))
    , wakeUps_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (epoll_ < 0 || wakeUps_ < 0) {
        fail("epoll");
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = wakeUps_;
    if (epoll_ctl(epoll_, EPOLL_CTL_ADD, wakeUps_, &event) != 0) {
        fail("epoll_ctl");
    }
}

EpollEventDispatcher::~EpollEventDispatcher() {
    close(wakeUps_);
    close(epoll_);
}

bool EpollEventDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags) {
    interrupted_ = false;
    emit awake();
    QCoreApplication::sendPostedEvents();
    ++pass_;
    const bool woken = wait(flags);
    int told = 0;
    if (!flags.testFlag(QEventLoop::ExcludeSocketNotifiers)) {
        told += activateSocketNotifiers();
    }
    if (!flags.testFlag(QEventLoop::X11ExcludeTimers)) {
        told += activateTimers();
    }
    return woken || told > 0;
}

// Waits for the descriptors, the next timer or a wake-up, and marks the notifiers to tell.
// Returns whether a wake-up came. A pass that leaves sockets out may wake early for them.
bool EpollEventDispatcher::wait(QEventLoop::ProcessEventsFlags flags) {
    std::optional<timespec> timeout;
    const bool mayBlock = flags.testFlag(QEventLoop::WaitForMoreEvents) && !interrupted_;
    if (!mayBlock) {
        timeout = timespec{};
    } else if (!queue_.empty()) {
        const auto left = std::max(Clock::duration::zero(), queue_.begin()->first - Clock::now());
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        timeout = timespec{static_cast<time_t>(seconds.count()),
                           static_cast<long>((left - seconds).count())};
    }
    if (mayBlock) {
        emit aboutToBlock();
    }
    tellTheKernel();
    std::array<epoll_event, MaxEventsPerWait> events{};
    int count = epoll_pwait2(epoll_, events.data(), MaxEventsPerWait, timeout ? &*timeout : nullptr,
                             nullptr);
    if (count < 0 && errno == ENOSYS) {
        // Kernels before 5.11 wait in whole milliseconds; rounding up never wakes early.
        const int milliseconds =
            timeout
                ? static_cast<int>(timeout->tv_sec * 1000 + (timeout->tv_nsec + 999999) / 1000000)
                : -1;
        count = epoll_wait(epoll_, events.data(), MaxEventsPerWait, milliseconds);
    }
    if (count < 0) {
        if (errno == EINTR) {
            return false;
        }
        fail("epoll_wait");
    }
    bool woken = false;
    for (const epoll_event& event : std::span(events.data(), static_cast<std::size_t>(count))) {
        if (event.data.fd == wakeUps_) {
            eventfd_t ignored = 0;
            eventfd_read(wakeUps_, &ignored);
            woken = true;
            continue;
        }
        // A pass that leaves sockets out leaves their news to the next pass, which is told it
        // again: the kernel reports a socket as long as it stays readable or writable.
        const auto found = watched_.find(event.data.fd);
        if (found == watched_.end() || flags.testFlag(QEventLoop::ExcludeSocketNotifiers)) {
            continue;
        }
        for (std::size_t type = 0; type < ActivatingEvents.size(); ++type) {
            QSocketNotifier* notifier = found->second.notifiers[type];
            if (notifier && (event.events & ActivatingEvents[type]) != 0) {
                pending_.push_back(notifier);
            }
        }
    }
    return woken;
}

// A notifier unregistered by the handler of another is taken off the list before its turn.
int EpollEventDispatcher::activateSocketNotifiers() {
    int told = 0;
    while (!pending_.empty()) {
        QSocketNotifier* notifier = pending_.front();
        pending_.erase(pending_.begin());
        QEvent event(QEvent::SockAct);
        QCoreApplication::sendEvent(notifier, &event);
        ++told;
    }
    return told;
}

// The timers due at the start; one armed or re-armed during the pass waits for the next, so
// that a timer of no interval cannot keep the loop from the sockets.
int EpollEventDispatcher::activateTimers() {
    const Clock::time_point now = Clock::now();
    std::vector<int> due;
    for (auto entry = queue_.begin(); entry != queue_.end() && entry->first <= now; ++entry) {
        due.push_back(entry->second);
    }
    int told = 0;
    for (const int id : due) {
        const auto found = timers_.find(id);
        if (found == timers_.end() || found->second.armedInPass == pass_) {
            continue;
        }
        Timer& timer = found->second;
        queue_.erase({timer.due, id});
        // A timer that fell behind starts its rhythm afresh instead of firing in a burst.
        timer.due += std::chrono::milliseconds(timer.interval);
        if (timer.due < now) {
            timer.due = now + std::chrono::milliseconds(timer.interval);
        }
        timer.armedInPass = pass_;
        queue_.insert({timer.due, id});
        QTimerEvent event(id);
        QCoreApplication::sendEvent(timer.object, &event);
        ++told;
    }
    return told;
}

void EpollEventDispatcher::registerSocketNotifier(QSocketNotifier* notifier) {
    const int descriptor = static_cast<int>(notifier->socket());
    Watched& watched = watched_[descriptor];
    watched.notifiers[slot(notifier->type())] = notifier;
    changed(descriptor, watched);
}

void EpollEventDispatcher::unregisterSocketNotifier(QSocketNotifier* notifier) {
    std::erase(pending_, notifier);
    const int descriptor = static_cast<int>(notifier->socket());
    const auto found = watched_.find(descriptor);
    if (found == watched_.end() || found->second.notifiers[slot(notifier->type())] != notifier) {
        return;
    }
    found->second.notifiers[slot(notifier->type())] = nullptr;
    changed(descriptor, found->second);
}

// A socket writes as soon as it has something to send and then needs its notifier no more:
// the kernel is told the events only just before the wait, so that on and off in one pass cost
// nothing. A descriptor left without notifiers leaves the set at once, though, while it is
// still open: closed, its number may come back for another socket before the wait.
void EpollEventDispatcher::changed(int descriptor, Watched& watched) {
    if (wanted(watched) != 0) {
        if (!std::exchange(watched.changed, true)) {
            changes_.push_back(descriptor);
        }
        return;
    }
    if (watched.events != 0) {
        epoll_event event{};
        epoll_ctl(epoll_, EPOLL_CTL_DEL, descriptor, &event);
    }
    watched_.erase(descriptor);
}

std::uint32_t EpollEventDispatcher::wanted(const Watched& watched) {
    std::uint32_t events = 0;
    for (std::size_t type = 0; type < AskedEvents.size(); ++type) {
        if (watched.notifiers[type]) {
            events |= AskedEvents[type];
        }
    }
    return events;
}

void EpollEventDispatcher::tellTheKernel() {
    for (const int descriptor : changes_) {
        const auto found = watched_.find(descriptor);
        if (found == watched_.end() || !std::exchange(found->second.changed, false)) {
            continue;
        }
        Watched& watched = found->second;
        const std::uint32_t events = wanted(watched);
        if (events == watched.events) {
            continue;
        }
        epoll_event event{};
        event.events = events;
        event.data.fd = descriptor;
        if (epoll_ctl(epoll_, watched.events == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, descriptor,
                      &event) != 0) {
            qWarning("EpollEventDispatcher: cannot watch socket %d: %s", descriptor,
                     std::strerror(errno));
        }
        watched.events = events;
    }
    changes_.clear();
}

void EpollEventDispatcher::registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                                         QObject* object) {
    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(interval);
    timers_.insert_or_assign(timerId, Timer{interval, timerType, object, due, pass_});
    queue_.insert({due, timerId});
}

bool EpollEventDispatcher::unregisterTimer(int timerId) {
    const auto found = timers_.find(timerId);
    if (found == timers_.end()) {
        return false;
    }
    queue_.erase({found->second.due, timerId});
    timers_.erase(found);
    return true;
}

bool EpollEventDispatcher::unregisterTimers(QObject* object) {
    const std::size_t before = timers_.size();
    std::erase_if(timers_, [&](const auto& entry) {
        if (entry.second.object != object) {
            return false;
        }
        queue_.erase({entry.second.due, entry.first});
        return true;
    });
    return timers_.size() != before;
}

QList<QAbstractEventDispatcher::TimerInfo>
EpollEventDispatcher::registeredTimers(QObject* object) const {
    QList<TimerInfo> found;
    for (const auto& [id, timer] : timers_) {
        if (timer.object == object) {
            found.append(TimerInfo(id, static_cast<int>(timer.interval), timer.type));
        }
    }
    return found;
}

int EpollEventDispatcher::remainingTime(int timerId) {
    const auto found = timers_.find(timerId);
    if (found == timers_.end()) {
        return -1;
    }
    const auto left = found->second.due - Clock::now();
    return static_cast<int>(
        std::max<std::int64_t>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count()));
}

void EpollEventDispatcher::wakeUp() {
    eventfd_write(wakeUps_, 1);
}

void EpollEventDispatcher::interrupt() {
    interrupted_ = true;
    wakeUp();
}

} // namespace zirvel::server
