// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ClientAddress.h"
#include "EpollTestMain.h"
#include "Server.h"
#include "SocketClient.h"
#include "TcpGate.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWebSocket>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

using namespace std::chrono_literals;
using namespace zirvel::protocol;
using namespace zirvel::server;
using zirvel::server::testing::SocketClient;
using zirvel::server::testing::seatTwo;

namespace {

// Short enough that the whole table runs while one round is played.
Limits testLimits() {
    Limits limits;
    limits.connectionsPerAddress = 6;
    limits.handshake = 300ms;
    limits.hello = 300ms;
    limits.idle = 500ms;
    return limits;
}

} // namespace

class AbuseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(site.isValid());
        server = std::make_unique<Server>(QDir(site.path()), testLimits());
        const std::optional<quint16> listening = server->listen(QHostAddress::LocalHost, 0);
        QVERIFY(listening);
        port = *listening;
    }

    // Each abuse closes the abuser's connection with its code and reason, while a round in
    // another room plays on to its crash on both screens.
    void abusersAreClosedAndARoundPlaysOn() {
        SocketClient red(url());
        SocketClient blue(url());
        seatTwo(red, blue);
        if (QTest::currentTestFailed()) {
            return;
        }
        blue.say(ChooseSpeed{4});
        red.say(MenuCommand{Command::NowaGra});
        blue.say(KeyEvent{Key::Left, true, KeyOrigin::Keyboard});

        const auto hello = [](SocketClient& client) { client.say(Hello{Version}); };
        const struct {
            const char* name;
            int companions; // greeted connections open beside the round's two
            std::function<void(SocketClient&)> abuse;
            QWebSocketProtocol::CloseCode code;
            const char* reason;
        } webSocketCases[] = {
            {"an oversized message", 0,
             [&](SocketClient& client) {
                 hello(client);
                 client.socket.sendTextMessage(QString(5000, QLatin1Char(' ')));
             },
             QWebSocketProtocol::CloseCodeTooMuchData, nullptr},
            {"one byte too many, checked on receipt", 0,
             [&](SocketClient& client) {
                 hello(client);
                 client.socket.sendTextMessage(QString(4097, QLatin1Char(' ')));
             },
             QWebSocketProtocol::CloseCodeTooMuchData, nullptr},
            {"a flood of keys in the abuser's own room", 0,
             [&](SocketClient& client) {
                 hello(client);
                 client.say(CreateRoom{newRoomCode(systemRandomBytes)});
                 for (int i = 0; i < 300; ++i) {
                     client.say(KeyEvent{Key::Up, i % 2 == 0, KeyOrigin::Keyboard});
                 }
             },
             QWebSocketProtocol::CloseCodePolicyViolated, "Za dużo wiadomości."},
            {"a binary frame", 0,
             [&](SocketClient& client) {
                 hello(client);
                 client.socket.sendBinaryMessage(QByteArray("{}"));
             },
             QWebSocketProtocol::CloseCodeDatatypeNotSupported, "Tylko wiadomości tekstowe."},
            {"no hello", 0, [](SocketClient&) {}, QWebSocketProtocol::CloseCodePolicyViolated,
             "Brak powitania."},
            {"messages that are not a hello do not put it off", 0,
             [](SocketClient& client) {
                 client.say(JoinRoom{"0000000000"});
                 QTest::qWait(150);
                 client.socket.sendTextMessage(QStringLiteral("{"));
             },
             QWebSocketProtocol::CloseCodePolicyViolated, "Brak powitania."},
            {"silence outside a room", 0, hello, QWebSocketProtocol::CloseCodeGoingAway,
             "Połączenie było bezczynne."},
            {"one connection too many from an address", 4, [](SocketClient&) {},
             QWebSocketProtocol::CloseCodePolicyViolated, "Za dużo połączeń z tego adresu."},
        };
        for (const auto& entry : webSocketCases) {
            qInfo() << entry.name;
            std::vector<std::unique_ptr<SocketClient>> companions;
            for (int i = 0; i < entry.companions; ++i) {
                companions.push_back(std::make_unique<SocketClient>(url()));
                QTRY_COMPARE(companions.back()->socket.state(), QAbstractSocket::ConnectedState);
                hello(*companions.back());
            }
            SocketClient abuser(url());
            QTRY_VERIFY(abuser.opened);
            entry.abuse(abuser);
            QTRY_COMPARE(abuser.socket.state(), QAbstractSocket::UnconnectedState);
            QCOMPARE(abuser.socket.closeCode(), entry.code);
            if (entry.reason) {
                QCOMPARE(abuser.socket.closeReason(), QString::fromUtf8(entry.reason));
            }
            for (const auto& companion : companions) {
                QCOMPARE(companion->socket.state(), QAbstractSocket::ConnectedState);
            }
        }

        // Below the WebSocket: connections that never upgrade are cut, and an address may have
        // only so many waiting for their upgrade.
        const struct {
            const char* name;
            int companions; // connections waiting beside the abuser
            QByteArray sent;
        } tcpCases[] = {
            {"a connection that sends nothing", 0, QByteArray()},
            {"a request never finished", 0, "GET /ws HTTP/1.1\r\nHost: localhost\r\n"},
            {"a request finished, and the connection kept", 0,
             "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n"},
            {"one waiting connection too many from an address", 6, QByteArray()},
        };
        for (const auto& entry : tcpCases) {
            qInfo() << entry.name;
            std::vector<std::unique_ptr<QTcpSocket>> companions;
            for (int i = 0; i < entry.companions; ++i) {
                companions.push_back(std::make_unique<QTcpSocket>());
                companions.back()->connectToHost(QHostAddress::LocalHost, port);
                QVERIFY(companions.back()->waitForConnected(5000));
            }
            QTcpSocket abuser;
            abuser.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(abuser.waitForConnected(5000));
            abuser.write(entry.sent);
            QTRY_COMPARE(abuser.state(), QAbstractSocket::UnconnectedState);
            for (const auto& companion : companions) {
                QCOMPARE(companion->state(), QAbstractSocket::ConnectedState);
            }
        }

        QTRY_VERIFY_WITH_TIMEOUT(red.view.counters != (std::array<std::string, 2>{"0", "0"}), 8000);
        QTRY_COMPARE(blue.view.counters, red.view.counters);
        QCOMPARE(std::stoi(red.view.counters[0]) + std::stoi(red.view.counters[1]), 1);
        QVERIFY(red.view.refusals.empty());
        QVERIFY(blue.view.refusals.empty());
        QCOMPARE(red.socket.state(), QAbstractSocket::ConnectedState);
        QCOMPARE(blue.socket.state(), QAbstractSocket::ConnectedState);
        const Lateness& lateness = server->lateness();
        qInfo("The server's timers: %llu wakes, p99 %.2f ms late, the latest %.1f ms",
              static_cast<unsigned long long>(lateness.count()), lateness.percentile(0.99),
              lateness.max());
        // The machine is shared: only a stall far beyond any tick fails.
        QVERIFY(lateness.max() < 500);
    }

    // A client that asks and asks but never reads its answers is dropped before they pile up
    // in the server's memory.
    void aClientThatStopsReadingIsDropped() {
        Limits limits;
        limits.messagesPerSecond = 1e6;
        limits.messageBurst = 1e6;
        limits.pendingBytes = 64 * 1024;
        Server flooded(QDir(site.path()), limits);
        const std::optional<quint16> listening = flooded.listen(QHostAddress::LocalHost, 0);
        QVERIFY(listening);
        const QUrl floodedUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(*listening));

        // In a thread of its own that writes without ever reading, while the server goes on.
        QSemaphore finish;
        std::atomic<bool> sent = false;
        std::unique_ptr<QThread> client(QThread::create([&] {
            QWebSocket socket;
            QEventLoop loop;
            QObject::connect(&socket, &QWebSocket::connected, &loop, &QEventLoop::quit);
            QTimer::singleShot(10s, &loop, &QEventLoop::quit);
            socket.open(floodedUrl);
            loop.exec();
            // Every hello after the first is refused with an answer of about 50 bytes.
            for (int i = 0; i < 50'000; ++i) {
                socket.sendTextMessage(QString::fromStdString(encode(Hello{Version})));
            }
            QElapsedTimer writing;
            writing.start();
            while (socket.bytesToWrite() > 0 && !writing.hasExpired(10'000)) {
                socket.flush();
                QThread::msleep(1);
            }
            sent = true;
            finish.acquire();
        }));
        client->start();
        const auto ended = qScopeGuard([&] {
            finish.release();
            client->wait();
        });
        QTRY_VERIFY_WITH_TIMEOUT(sent, 30'000);
        QTRY_COMPARE_WITH_TIMEOUT(flooded.connectionCount(), std::size_t{0}, 15'000);
    }

    // Behind a trusted proxy every connection comes from the proxy's address: the limits count
    // the client the proxy names last in X-Forwarded-For, and nobody else may name one.
    void clientsBehindATrustedProxyCountApart() {
        const struct {
            const char* peer;
            QByteArray forwardedFor;
            std::vector<std::string> trustedProxies;
            const char* counted;
        } cases[] = {
            {"127.0.0.1", "203.0.113.7", {"127.0.0.1"}, "203.0.113.7"},
            {"127.0.0.1", "198.51.100.1, 203.0.113.7", {"127.0.0.1"}, "203.0.113.7"},
            {"127.0.0.1", "203.0.113.7", {}, "127.0.0.1"},
            {"192.0.2.9", "203.0.113.7", {"127.0.0.1"}, "192.0.2.9"},
            {"127.0.0.1", "not an address", {"127.0.0.1"}, "127.0.0.1"},
            {"::ffff:127.0.0.1", "2001:db8:1:2:3:4:5:6", {"127.0.0.1"}, "2001:db8:1:2::/64"},
        };
        for (const auto& entry : cases) {
            const QString counted = clientAddress(QHostAddress(QString::fromLatin1(entry.peer)),
                                                  entry.forwardedFor, entry.trustedProxies);
            QCOMPARE(counted,
                     addressKey(QHostAddress(
                         QString::fromLatin1(entry.counted).section(QLatin1Char('/'), 0, 0))));
        }

        Limits limits;
        limits.connectionsPerAddress = 2;
        limits.trustedProxies = {"127.0.0.1"};
        Server proxied(QDir(site.path()), limits);
        const std::optional<quint16> listening = proxied.listen(QHostAddress::LocalHost, 0);
        QVERIFY(listening);
        const QUrl proxiedUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(*listening));
        std::vector<std::unique_ptr<SocketClient>> clients;
        for (const QByteArray forwardedFor :
             {"203.0.113.1", "203.0.113.2", "203.0.113.3", "203.0.113.1", "203.0.113.1"}) {
            clients.push_back(std::make_unique<SocketClient>(proxiedUrl, forwardedFor));
            QTRY_VERIFY(clients.back()->opened);
        }
        // Only the third from 203.0.113.1 goes past its two.
        QTRY_COMPARE(clients[4]->socket.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
        for (std::size_t first = 0; first < 4; ++first) {
            QCOMPARE(clients[first]->socket.state(), QAbstractSocket::ConnectedState);
        }
    }

private:
    QUrl url() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)); }

    QTemporaryDir site;
    std::unique_ptr<Server> server;
    quint16 port = 0;
};

ZIRVEL2_EPOLL_TEST_MAIN(AbuseTest)
#include "AbuseTest.moc"
