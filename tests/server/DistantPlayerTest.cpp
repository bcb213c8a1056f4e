// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DelayProxy.h"
#include "EpollTestMain.h"
#include "Server.h"
#include "SocketClient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

using namespace zirvel::protocol;
using namespace zirvel::server;
using zirvel::server::testing::DelayProxy;
using zirvel::server::testing::SocketClient;

namespace {

constexpr int Turns = 4;
// The proxy's timers and the hold's count whole milliseconds, and each may wake up to one late.
constexpr double TimerSlack = 2;

QUrl roomUrl(quint16 port, const std::string& room) {
    QUrl url(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port));
    QUrlQuery query;
    query.addQueryItem(QString::fromLatin1(RoomQuery.data(), RoomQuery.size()),
                       QString::fromStdString(room));
    url.setQuery(query);
    return url;
}

// A player's client: it answers pings at once, as every client must, and notes when its hello
// was answered.
struct Client : SocketClient {
    Client(quint16 port, const std::string& room)
        : SocketClient(roomUrl(port, room)) {
        heard = [this](const ServerMessage& message) {
            if (const auto* ping = std::get_if<Ping>(&message)) {
                say(Pong{ping->id});
            }
            if (std::holds_alternative<HelloAnswer>(message)) {
                greetedAfter = clock.elapsed();
            }
        };
        clock.start();
    }

    QElapsedTimer clock;
    qint64 greetedAfter = -1; // ms from opening the connection to the answer to hello
};

// Runs the event loop until `done` holds or the time is up. QTest's own waits sleep 10 ms between
// their rounds of events, which would add to every delay here: the server, the proxy and the
// clients all run on this thread.
bool runUntil(const std::function<bool()>& done, int milliseconds) {
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(1);
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    if (!done()) {
        loop.exec();
    }
    return done();
}

} // namespace

class DelayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(site.isValid());
        server = std::make_unique<Server>(QDir(site.path()));
        const std::optional<quint16> listening = server->listen(QHostAddress::LocalHost, 0);
        QVERIFY(listening);
        port = *listening;
    }

    void distantAndNearPlayersDuel_data() {
        QTest::addColumn<int>("roundTrip");
        QTest::addColumn<int>("jitter");
        QTest::newRow("50 ms") << 50 << 5;
        QTest::newRow("150 ms") << 150 << 5;
    }

    // Red plays through the proxy, blue over plain loopback. The round is played and counted on
    // both screens.
    void distantAndNearPlayersDuel() {
        QFETCH(int, roundTrip);
        QFETCH(int, jitter);
        DelayProxy proxy(port, roundTrip, jitter);
        QVERIFY(proxy.port() != 0);
        const std::string code = newRoomCode(systemRandomBytes);
        Client red(proxy.port(), code);
        Client blue(port, code);
        QVERIFY(runUntil(
            [&] {
                return red.socket.state() == QAbstractSocket::ConnectedState &&
                       blue.socket.state() == QAbstractSocket::ConnectedState;
            },
            5000));
        red.clock.restart();
        red.say(Hello{Version});
        blue.say(Hello{Version});
        QVERIFY(runUntil([&] { return red.view.greeted && blue.view.greeted; }, 5000));
        // The proxy adds what it should: the hello went there and back through it.
        QVERIFY2(red.greetedAfter >= roundTrip - 2 * jitter,
                 qPrintable(QString::number(red.greetedAfter)));
        red.say(CreateRoom{code});
        QVERIFY(runUntil([&] { return red.view.seat == Seat::Red; }, 5000));
        blue.say(JoinRoom{code});
        QVERIFY(runUntil([&] { return blue.view.seat == Seat::Blue; }, 5000));

        // The server has measured both distances: the delay it announces is the far player's.
        const int oneWay = roundTrip / 2;
        // A one-way jitter of j moves a round trip by up to 2j, and so its half by j.
        const double tolerance = jitter + TimerSlack;
        QVERIFY(runUntil([&] { return std::abs(blue.view.presence.delay - oneWay) <= tolerance; },
                         5000));

        red.say(ChooseSpeed{4});
        red.say(MenuCommand{Command::NowaGra});
        // Both turn sideways and back once the countdown is over, until a head meets an edge.
        QVERIFY(runUntil([&] { return red.view.countdownVisible; }, 5000));
        QVERIFY(runUntil([&] { return !red.view.countdownVisible; }, 5000));
        for (int turn = 0; turn < Turns; ++turn) {
            const bool sideways = turn % 2 == 0;
            red.say(KeyEvent{sideways ? Key::Right : Key::Up, true, KeyOrigin::Keyboard});
            blue.say(KeyEvent{sideways ? Key::A : Key::W, true, KeyOrigin::Keyboard});
            runUntil([] { return false; }, 60);
        }
        QVERIFY(runUntil(
            [&] {
                return red.view.counters != (std::array<std::string, 2>{"0", "0"}) &&
                       blue.view.counters == red.view.counters;
            },
            5000));
        QCOMPARE(std::stoi(red.view.counters[0]) + std::stoi(red.view.counters[1]), 1);
        QVERIFY(red.view.refusals.empty());
        QVERIFY(blue.view.refusals.empty());

        // The server's own record of the turns: each took effect the far player's one-way delay
        // after it was made, the near player's after waiting for the difference.
        const Room* room = server->lobby().room(code);
        QVERIFY(room);
        const std::vector<double> far = room->delays(zirvel::Player::One).last(Turns);
        const std::vector<double> near = room->delays(zirvel::Player::Two).last(Turns);
        QCOMPARE(far.size(), std::size_t{Turns});
        QCOMPARE(near.size(), std::size_t{Turns});
        for (int turn = 0; turn < Turns; ++turn) {
            const QString shown = QStringLiteral("turn %1: red %2 ms, blue %3 ms")
                                      .arg(turn)
                                      .arg(far[turn])
                                      .arg(near[turn]);
            QVERIFY2(std::abs(far[turn] - oneWay) <= tolerance, qPrintable(shown));
            QVERIFY2(std::abs(near[turn] - far[turn]) <= tolerance, qPrintable(shown));
        }
    }

    // A hold whose moment passed while the server was busy must still end: an alarm armed for
    // the past wakes at once.
    void alarmsDueInThePastWake() {
        QtClock clock;
        for (double milliseconds : {-40.0, -0.4, 0.0}) {
            bool woke = false;
            const std::unique_ptr<Alarm> alarm = clock.alarm([&woke] { woke = true; });
            alarm->arm(milliseconds);
            QVERIFY2(runUntil([&woke] { return woke; }, 1000),
                     qPrintable(QString::number(milliseconds)));
        }
    }

    // The clock's alarms share one timer: each wakes once, at its own latest arming, in the
    // order of their moments, whatever a wake does to the others.
    void alarmsShareOneTimer() {
        struct Arming {
            int alarm;
            std::optional<double> milliseconds;
        };
        struct Case {
            const char* name;
            std::vector<Arming> armings;
            std::vector<int> woke;
        };
        const std::vector<Case> cases{
            {"by their moments", {{0, 30}, {1, 10}, {2, 20}}, {1, 2, 0}},
            {"the same moment in arming order", {{0, 5}, {1, 5}, {2, 5}}, {0, 1, 2}},
            {"armed again", {{0, 10}, {1, 20}, {0, 30}}, {1, 0}},
            {"cancelled", {{0, 10}, {1, 20}, {1, std::nullopt}}, {0}},
            {"the earliest cancelled", {{0, 5}, {1, 15}, {0, std::nullopt}}, {1}},
        };
        for (const Case& test : cases) {
            QtClock clock;
            std::vector<int> woke;
            std::vector<std::unique_ptr<Alarm>> alarms;
            for (int i = 0; i < 3; ++i) {
                alarms.push_back(clock.alarm([&woke, i] { woke.push_back(i); }));
            }
            for (const Arming& arming : test.armings) {
                alarms[static_cast<std::size_t>(arming.alarm)]->arm(arming.milliseconds);
            }
            runUntil([] { return false; }, 60);
            QCOMPARE(woke, test.woke);
            QVERIFY2(clock.lateness().count() == woke.size(), test.name);
        }

        // A wake that destroys the next alarm due, and one that arms itself at once again,
        // which wakes on the next pass with the sockets' events between.
        QtClock clock;
        int again = 0;
        std::unique_ptr<Alarm> doomed;
        std::unique_ptr<Alarm> killer = clock.alarm([&doomed] { doomed.reset(); });
        doomed = clock.alarm([] { QFAIL("a destroyed alarm woke"); });
        std::unique_ptr<Alarm> eager;
        eager = clock.alarm([&] {
            if (++again < 3) {
                eager->arm(0);
            }
        });
        killer->arm(5);
        doomed->arm(5);
        eager->arm(0);
        bool otherEvents = false;
        QTimer::singleShot(0, [&otherEvents] { otherEvents = true; });
        QVERIFY(runUntil([&] { return again == 3 && otherEvents; }, 1000));
        runUntil([] { return false; }, 20);
        QCOMPARE(again, 3);
    }

private:
    QTemporaryDir site;
    std::unique_ptr<Server> server;
    quint16 port = 0;
};

ZIRVEL2_EPOLL_TEST_MAIN(DelayTest)
#include "DistantPlayerTest.moc"
