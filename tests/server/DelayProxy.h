// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <memory>
#include <random>
#include <vector>

namespace zirvel::server::testing {

// A TCP proxy on loopback that makes a distant player of a local one: every byte waits half the
// round trip, give or take the jitter, in each direction. Bytes keep their order, as TCP's do:
// a chunk never overtakes the one before it, however the jitter falls.
class DelayProxy : public QObject {
public:
    // Forwards to `target` on loopback; `jitter` is the most a one-way delay strays either side.
    DelayProxy(quint16 target, int roundTripMilliseconds, int jitterMilliseconds);
    ~DelayProxy() override;

    // The port to connect to instead of the target; 0 when listening failed.
    quint16 port() const { return listener_.serverPort(); }

private:
    // One direction of one connection.
    struct Leg {
        QTcpSocket* to = nullptr;
        std::deque<std::pair<qint64, QByteArray>> queued; // due moment, bytes
        QTimer timer;
    };
    struct Link {
        std::unique_ptr<QTcpSocket> near;
        std::unique_ptr<QTcpSocket> far;
        Leg up;   // near to far
        Leg down; // far to near
    };

    void accept();
    void queue(Leg& leg, QByteArray bytes);
    void deliver(Leg& leg);

    quint16 target_;
    int oneWay_;
    std::uniform_int_distribution<int> jitter_;
    std::mt19937 random_{20260}; // the same jitter every run
    QTcpServer listener_;
    QElapsedTimer clock_;
    std::vector<std::unique_ptr<Link>> links_;
};

} // namespace zirvel::server::testing
