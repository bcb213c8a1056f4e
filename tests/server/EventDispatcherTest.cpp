// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The server's epoll event loop where it could part from Qt's own: timers in their order and
// never early, timers and notifiers undone by an earlier handler of the same pass, a timer of
// no interval beside a socket, a hang-up, a socket number used again, and a wake-up from
// another thread.
#include "EpollTestMain.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// Both ends of a local stream socket, closed with the pair.
struct SocketPair {
    SocketPair() { socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends); }
    ~SocketPair() {
        for (int end : ends) {
            if (end >= 0) {
                close(end);
            }
        }
    }
    void send(int end) const { QCOMPARE(write(ends[end], "x", 1), 1); }
    // Writes into the end until the other end's buffer is full.
    void fill(int end) const {
        const std::vector<char> block(4096, 'x');
        while (write(ends[end], block.data(), block.size()) > 0) {
        }
    }
    void closeEnd(int end) { close(std::exchange(ends[end], -1)); }
    int ends[2] = {-1, -1};
};

} // namespace

class EventDispatcherTest : public QObject {
    Q_OBJECT

private slots:
    void runsOnTheEpollLoop() {
        QVERIFY(dynamic_cast<zirvel::server::EpollEventDispatcher*>(
            QAbstractEventDispatcher::instance()));
    }

    // Started together, single-shot timers wake in the order of their intervals, none before
    // its interval has passed; a timer stopped by an earlier one's handler does not wake.
    void timersWakeInOrderAndNeverEarly() {
        const struct {
            const char* name;
            std::vector<int> intervals;
            int stoppedByFirst; // index, or -1
            std::vector<int> woken;
        } cases[] = {
            {"in order of interval", {30, 10, 20, 0}, -1, {3, 1, 2, 0}},
            {"equal intervals, one stopped by the other", {15, 15}, 1, {0}},
            {"a later one stopped by the first", {5, 25, 40}, 2, {0, 1}},
        };
        for (const auto& entry : cases) {
            QElapsedTimer elapsed;
            elapsed.start();
            std::vector<std::unique_ptr<QTimer>> timers;
            std::vector<int> woken;
            for (std::size_t i = 0; i < entry.intervals.size(); ++i) {
                auto& timer = timers.emplace_back(std::make_unique<QTimer>());
                timer->setSingleShot(true);
                timer->setTimerType(Qt::PreciseTimer);
                QObject::connect(timer.get(), &QTimer::timeout, [&, i] {
                    QVERIFY2(elapsed.elapsed() >= entry.intervals[i], entry.name);
                    woken.push_back(static_cast<int>(i));
                    if (woken.size() == 1 && entry.stoppedByFirst >= 0) {
                        timers[static_cast<std::size_t>(entry.stoppedByFirst)]->stop();
                    }
                });
                timer->start(entry.intervals[i]);
            }
            QTest::qWait(*std::max_element(entry.intervals.begin(), entry.intervals.end()) + 30);
            QCOMPARE(woken, entry.woken);
        }
    }

    // A repeating timer held up for several intervals wakes once, not once for each it missed.
    void aLateTimerDoesNotCatchUpInABurst() {
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        int wakes = 0;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (++wakes == 1) {
                QThread::msleep(100);
            }
        });
        timer.start(10);
        QTRY_VERIFY(wakes >= 1);
        QTest::qWait(5);
        QVERIFY2(wakes <= 2, qPrintable(QString::number(wakes)));
        QCOMPARE(timer.remainingTime() <= 10, true);
    }

    // A timer of no interval wakes once a pass and leaves the sockets their turn.
    void aZeroTimerLeavesTheSocketsTheirTurn() {
        SocketPair pair;
        QSocketNotifier readable(pair.ends[1], QSocketNotifier::Read);
        bool read = false;
        QObject::connect(&readable, &QSocketNotifier::activated, [&] { read = true; });
        QTimer spinning;
        int spins = 0;
        QObject::connect(&spinning, &QTimer::timeout, [&] { ++spins; });
        spinning.start(0);
        pair.send(0);
        for (int pass = 0; pass < 3 && !read; ++pass) {
            QCoreApplication::processEvents();
        }
        QVERIFY(read);
        QVERIFY(spins > 0);
    }

    // Notifiers of one pass: each told once, none after another's handler took it away, a
    // writer only when it may write, and a hang-up told to whatever notifier the socket has.
    void notifiersOfOnePass() {
        const struct {
            const char* name;
            QSocketNotifier::Type type;
            bool full;   // the watched end cannot write
            bool hangUp; // the other end closes
            bool takesTheOtherAway;
            int told;
        } cases[] = {
            {"both readable", QSocketNotifier::Read, false, false, false, 2},
            {"the first deletes the second", QSocketNotifier::Read, false, false, true, 1},
            {"both writable", QSocketNotifier::Write, false, false, false, 2},
            {"both full", QSocketNotifier::Write, true, false, false, 0},
            {"hang-up to a reader", QSocketNotifier::Read, false, true, false, 2},
            {"hang-up to a full writer", QSocketNotifier::Write, true, true, false, 2},
        };
        for (const auto& entry : cases) {
            SocketPair pairs[2];
            std::vector<std::unique_ptr<QSocketNotifier>> notifiers;
            int told = 0;
            for (SocketPair& pair : pairs) {
                if (entry.full) {
                    pair.fill(1);
                }
                auto& notifier = notifiers.emplace_back(
                    std::make_unique<QSocketNotifier>(pair.ends[1], entry.type));
                QObject::connect(notifier.get(), &QSocketNotifier::activated,
                                 [&, self = notifier.get()] {
                                     ++told;
                                     self->setEnabled(false);
                                     for (auto& other : notifiers) {
                                         if (entry.takesTheOtherAway && other.get() != self) {
                                             other.reset();
                                         }
                                     }
                                 });
                if (entry.hangUp) {
                    pair.closeEnd(0);
                } else if (entry.type == QSocketNotifier::Read) {
                    pair.send(0);
                }
            }
            QTest::qWait(20);
            QVERIFY2(told == entry.told, entry.name);
        }
    }

    // A pass that leaves sockets out tells none, and the next pass tells each once.
    void aPassWithoutSocketsLeavesThemForTheNext() {
        SocketPair pair;
        QSocketNotifier notifier(pair.ends[1], QSocketNotifier::Read);
        int told = 0;
        QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
            ++told;
            char byte = 0;
            QCOMPARE(read(pair.ends[1], &byte, 1), 1);
        });
        pair.send(0);
        QCoreApplication::processEvents();
        QCOMPARE(told, 1);
        pair.send(0);
        for (int pass = 0; pass < 3; ++pass) {
            QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        }
        QCOMPARE(told, 1);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(told, 2);
    }

    // A socket closed and another opened under the same number in one pass: the new one is
    // watched, not taken for the old one the kernel has forgotten.
    void aNumberUsedAgainIsWatchedAgain() {
        auto old = std::make_unique<SocketPair>();
        const int number = old->ends[1];
        auto oldNotifier = std::make_unique<QSocketNotifier>(number, QSocketNotifier::Read);
        QCoreApplication::processEvents();
        oldNotifier.reset();
        old.reset();
        SocketPair renewed;
        const int watched = renewed.ends[0] == number ? 0 : 1;
        QCOMPARE(renewed.ends[watched], number);
        QSocketNotifier notifier(number, QSocketNotifier::Read);
        bool told = false;
        QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
            told = true;
            notifier.setEnabled(false);
        });
        renewed.send(1 - watched);
        QTRY_VERIFY_WITH_TIMEOUT(told, 1000);
    }

    // A loop asleep with nothing to do wakes for an event posted from another thread, and
    // leaves for an exit asked from there.
    void anotherThreadWakesTheLoop() {
        QEventLoop loop;
        bool delivered = false;
        QElapsedTimer elapsed;
        elapsed.start();
        std::unique_ptr<QThread> poster(QThread::create([&] {
            QThread::msleep(50);
            QMetaObject::invokeMethod(
                &loop, [&] { delivered = true; }, Qt::QueuedConnection);
            QThread::msleep(50);
            QMetaObject::invokeMethod(
                &loop, [&] { loop.exit(7); }, Qt::QueuedConnection);
        }));
        poster->start();
        QCOMPARE(loop.exec(), 7);
        poster->wait();
        QVERIFY(delivered);
        QVERIFY(elapsed.elapsed() < 5000);
    }
};

ZIRVEL2_EPOLL_TEST_MAIN(EventDispatcherTest)

#include "EventDispatcherTest.moc"
