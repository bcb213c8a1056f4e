// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomCode.h"
#include "SocketClient.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <vector>

using namespace zirvel::protocol;
using zirvel::server::testing::SocketClient;

class StopTest : public QObject {
    Q_OBJECT

private slots:
    // The real zirvel2-server, stopped by a signal: every client hears Stopping, then a close
    // with 1001, and the process ends with 0.
    void aSignalStopsTheServerCleanly() {
        const struct {
            const char* name;
            int signal;
            int clients;
        } cases[] = {
            {"SIGTERM with a room and a client in none", SIGTERM, 2},
            {"SIGINT", SIGINT, 1},
            {"SIGTERM with nobody connected", SIGTERM, 0},
        };
        QTemporaryDir site;
        QVERIFY(site.isValid());
        for (const auto& entry : cases) {
            qInfo() << entry.name;
            QProcess server;
            server.setProgram(QStringLiteral(ZIRVEL2_SERVER));
            server.setArguments({QStringLiteral("--port"), QStringLiteral("0"),
                                 QStringLiteral("--site"), site.path()});
            server.start();
            QVERIFY(server.waitForStarted());
            QString printed;
            QTRY_VERIFY((printed += QString::fromUtf8(server.readAllStandardOutput()))
                            .contains(QLatin1Char('\n')));
            const QRegularExpressionMatch port =
                QRegularExpression(QStringLiteral(":(\\d+)/")).match(printed);
            QVERIFY2(port.hasMatch(), qPrintable(printed));
            const QUrl url(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port.captured(1)));

            std::vector<std::unique_ptr<SocketClient>> clients;
            for (int i = 0; i < entry.clients; ++i) {
                clients.push_back(std::make_unique<SocketClient>(url));
                QTRY_COMPARE(clients.back()->socket.state(), QAbstractSocket::ConnectedState);
                clients.back()->say(Hello{Version});
                QTRY_VERIFY(clients.back()->view.greeted);
            }
            if (!clients.empty()) {
                clients.front()->say(CreateRoom{newRoomCode(systemRandomBytes)});
                QTRY_VERIFY(clients.front()->view.seat);
            }

            QElapsedTimer stopping;
            stopping.start();
            QCOMPARE(::kill(static_cast<pid_t>(server.processId()), entry.signal), 0);
            for (const auto& client : clients) {
                QTRY_COMPARE(client->socket.state(), QAbstractSocket::UnconnectedState);
                QVERIFY(client->stoppingBeforeClose);
                QCOMPARE(client->socket.closeCode(), QWebSocketProtocol::CloseCodeGoingAway);
                QCOMPARE(client->socket.closeReason(), QStringLiteral("Serwer kończy pracę."));
            }
            QTRY_COMPARE_WITH_TIMEOUT(server.state(), QProcess::NotRunning, 5000);
            QCOMPARE(server.exitStatus(), QProcess::NormalExit);
            QCOMPARE(server.exitCode(), 0);
            qInfo("Stopped in %lld ms", static_cast<long long>(stopping.elapsed()));
        }
    }
};

QTEST_GUILESS_MAIN(StopTest)
#include "StopTest.moc"
