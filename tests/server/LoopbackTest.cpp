// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EpollTestMain.h"
#include "Server.h"
#include "SocketClient.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace zirvel::protocol;
using namespace zirvel::server;
using zirvel::server::testing::SocketClient;
using zirvel::server::testing::seatTwo;

class LoopbackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(site.isValid());
        QFile page(site.filePath(QStringLiteral("zirvel2.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<!doctype html>page");
        page.close();
        server = std::make_unique<Server>(QDir(site.path()));
        const std::optional<quint16> listening = server->listen(QHostAddress::LocalHost, 0);
        QVERIFY(listening);
        port = *listening;
    }

    // The site's files on the same port as the game, and nothing outside the folder.
    void servesTheSite() {
        QNetworkAccessManager network;
        const struct {
            const char* path;
            int status;
        } cases[] = {{"/", 200}, {"/zirvel2.html", 200}, {"/missing.js", 404}};
        for (const auto& entry : cases) {
            std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(address(entry.path))));
            QTRY_VERIFY(reply->isFinished());
            QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                     entry.status);
            if (entry.status == 200) {
                QCOMPARE(reply->readAll(), QByteArray("<!doctype html>page"));
            }
        }
    }

    // Two clients create and join a room and play a round: both screens show the same board
    // and the same counters, with the crash counted.
    void twoClientsSeeTheSameRound() {
        QUrl url = address("/ws");
        url.setScheme(QStringLiteral("ws"));
        SocketClient red(url);
        SocketClient blue(url);
        seatTwo(red, blue);
        if (QTest::currentTestFailed()) {
            return;
        }
        QTRY_COMPARE(red.view.presence.blue, PlayerState::Here);

        blue.say(ChooseSpeed{4});
        red.say(MenuCommand{Command::NowaGra});
        blue.say(KeyEvent{Key::Left, true, KeyOrigin::Keyboard});
        // The countdown, then heads 9 or 10 cells from the edges at 50 ms a move.
        QTRY_VERIFY_WITH_TIMEOUT(red.view.counters != (std::array<std::string, 2>{"0", "0"}), 6000);
        QTRY_COMPARE(blue.view.counters, red.view.counters);
        QCOMPARE(std::stoi(red.view.counters[0]) + std::stoi(red.view.counters[1]), 1);
        // The new round's board, while its countdown runs.
        QTRY_VERIFY(red.view.countdownVisible && blue.view.countdownVisible);
        QCOMPARE(blue.view.cells, red.view.cells);
        QVERIFY(red.view.refusals.empty());
        QVERIFY(blue.view.refusals.empty());
        // Leaving frees the seats at once; a dropped connection's seat would be held.
        red.say(LeaveRoom{});
        blue.say(LeaveRoom{});
    }

    // The status counts every connection, greeted or not, and every room, and forgets both
    // when they go (a room on the lobby's next tick once its players have left); it is JSON of the
    // site's port, for any HTTP client.
    void statusCountsRoomsAndConnections() {
        QTRY_COMPARE(status(), statusOf(0, 0));
        QUrl url = address("/ws");
        url.setScheme(QStringLiteral("ws"));
        {
            SocketClient red(url);
            SocketClient blue(url);
            SocketClient idle(url);
            QTRY_COMPARE(status(), statusOf(0, 3));
            red.say(Hello{Version});
            blue.say(Hello{Version});
            red.say(CreateRoom{newRoomCode(systemRandomBytes)});
            QTRY_COMPARE(red.view.seat, std::optional<Seat>(Seat::Red));
            QCOMPARE(status(), statusOf(1, 3));
            blue.say(JoinRoom{red.view.code});
            QTRY_COMPARE(blue.view.seat, std::optional<Seat>(Seat::Blue));
            QCOMPARE(status(), statusOf(1, 3));
            red.say(LeaveRoom{});
            blue.say(LeaveRoom{});
        }
        QTRY_COMPARE(status(), statusOf(0, 0));
    }

    // A client of another version is told so, and the server's version with it.
    void refusesAnotherVersion() {
        QUrl url = address("/ws");
        url.setScheme(QStringLiteral("ws"));
        SocketClient client(url);
        QTRY_COMPARE(client.socket.state(), QAbstractSocket::ConnectedState);
        client.say(Hello{Version + 1});
        QTRY_COMPARE(client.view.refusals.size(), std::size_t{1});
        QCOMPARE(client.view.refusals[0], Reason::OtherVersion);
    }

private:
    static QJsonObject statusOf(int rooms, int connections) {
        return QJsonObject{{QStringLiteral("version"), Version},
                           {QStringLiteral("rooms"), rooms},
                           {QStringLiteral("connections"), connections}};
    }

    QJsonObject status() const {
        QNetworkAccessManager network;
        std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(address("/status"))));
        if (!QTest::qWaitFor([&] { return reply->isFinished(); }) ||
            reply->error() != QNetworkReply::NoError ||
            !reply->header(QNetworkRequest::ContentTypeHeader)
                 .toString()
                 .startsWith(QLatin1String("application/json"))) {
            return {};
        }
        return QJsonDocument::fromJson(reply->readAll()).object();
    }

    QUrl address(const char* path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QLatin1String(path)));
    }

    QTemporaryDir site;
    std::unique_ptr<Server> server;
    quint16 port = 0;
};

ZIRVEL2_EPOLL_TEST_MAIN(LoopbackTest)
#include "LoopbackTest.moc"
