// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ClientView.h"
#include "DelayProxy.h"
#include "Server.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QWebSocket>
#include <memory>

using namespace zirvel::protocol;
using namespace zirvel::server;
using zirvel::server::testing::ClientView;
using zirvel::server::testing::DelayProxy;

namespace {

// A player's client over a real socket: it answers pings at once, as every client must, and
// notes when each message came.
struct Client {
    Client(quint16 port, const std::string& room) {
        QUrl url(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port));
        QUrlQuery query;
        query.addQueryItem(QString::fromLatin1(RoomQuery.data(), RoomQuery.size()),
                           QString::fromStdString(room));
        url.setQuery(query);
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& text) {
            const std::optional<ServerMessage> message = decodeServer(text.toStdString());
            QVERIFY2(message, qPrintable(text));
            if (const auto* ping = std::get_if<Ping>(&*message)) {
                say(Pong{ping->id});
            }
            if (std::holds_alternative<HelloAnswer>(*message)) {
                greetedAfter = clock.elapsed();
            }
            view.apply(*message);
        });
        clock.start();
        socket.open(url);
    }
    void say(const ClientMessage& message) {
        socket.sendTextMessage(QString::fromStdString(encode(message)));
    }

    QWebSocket socket;
    ClientView view;
    QElapsedTimer clock;
    qint64 greetedAfter = -1; // ms from opening the connection to the answer to hello
};

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
        QTRY_COMPARE(red.socket.state(), QAbstractSocket::ConnectedState);
        QTRY_COMPARE(blue.socket.state(), QAbstractSocket::ConnectedState);
        red.clock.restart();
        red.say(Hello{Version});
        blue.say(Hello{Version});
        QTRY_VERIFY(red.view.greeted && blue.view.greeted);
        // The proxy adds what it should: the hello went there and back through it.
        QVERIFY2(red.greetedAfter >= roundTrip - 2 * jitter,
                 qPrintable(QString::number(red.greetedAfter)));
        red.say(CreateRoom{code});
        QTRY_COMPARE(red.view.seat, std::optional<Seat>(Seat::Red));
        blue.say(JoinRoom{code});
        QTRY_COMPARE(blue.view.seat, std::optional<Seat>(Seat::Blue));

        red.say(ChooseSpeed{4});
        red.say(MenuCommand{Command::NowaGra});
        // Both turn sideways and back once the countdown is over, until a head meets an edge.
        QTRY_VERIFY(red.view.countdownVisible);
        QTRY_VERIFY_WITH_TIMEOUT(!red.view.countdownVisible, 5000);
        for (int turn = 0; turn < 4; ++turn) {
            const bool sideways = turn % 2 == 0;
            red.say(KeyEvent{sideways ? Key::Right : Key::Up, true, KeyOrigin::Keyboard});
            blue.say(KeyEvent{sideways ? Key::A : Key::W, true, KeyOrigin::Keyboard});
            QTest::qWait(60);
        }
        QTRY_VERIFY_WITH_TIMEOUT(red.view.counters != (std::array<std::string, 2>{"0", "0"}), 5000);
        QTRY_COMPARE(blue.view.counters, red.view.counters);
        QCOMPARE(std::stoi(red.view.counters[0]) + std::stoi(red.view.counters[1]), 1);
        QVERIFY(red.view.refusals.empty());
        QVERIFY(blue.view.refusals.empty());
    }

private:
    QTemporaryDir site;
    std::unique_ptr<Server> server;
    quint16 port = 0;
};

QTEST_GUILESS_MAIN(DelayTest)
#include "DelayTest.moc"
