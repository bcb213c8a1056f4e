// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DelayProxy.h"

#include <algorithm>

namespace zirvel::server::testing {

DelayProxy::DelayProxy(quint16 target, int roundTripMilliseconds, int jitterMilliseconds)
    : target_(target)
    , oneWay_(roundTripMilliseconds / 2)
    , jitter_(-jitterMilliseconds, jitterMilliseconds) {
    clock_.start();
    connect(&listener_, &QTcpServer::newConnection, this, &DelayProxy::accept);
    listener_.listen(QHostAddress::LocalHost, 0);
}

// Sockets still open must not report their closing into a half-destroyed proxy.
DelayProxy::~DelayProxy() {
    for (const auto& link : links_) {
        link->near->disconnect(this);
        link->far->disconnect(this);
    }
}

void DelayProxy::accept() {
    while (QTcpSocket* accepted = listener_.nextPendingConnection()) {
        auto link = std::make_unique<Link>();
        link->near.reset(accepted);
        accepted->setParent(nullptr);
        link->far = std::make_unique<QTcpSocket>();
        link->up.to = link->far.get();
        link->down.to = link->near.get();
        Link& made = *link;
        for (Leg* leg : {&made.up, &made.down}) {
            leg->timer.setSingleShot(true);
            leg->timer.setTimerType(Qt::PreciseTimer);
            connect(&leg->timer, &QTimer::timeout, this, [this, leg] { deliver(*leg); });
        }
        // Bytes from the near end wait in their queue until the far end is connected.
        connect(made.near.get(), &QTcpSocket::readyRead, this,
                [this, &made] { queue(made.up, made.near->readAll()); });
        connect(made.far.get(), &QTcpSocket::readyRead, this,
                [this, &made] { queue(made.down, made.far->readAll()); });
        connect(made.far.get(), &QTcpSocket::connected, this, [this, &made] { deliver(made.up); });
        // Either end closing closes the other, as the connection would end for both.
        connect(made.near.get(), &QTcpSocket::disconnected, made.far.get(),
                &QTcpSocket::disconnectFromHost);
        connect(made.far.get(), &QTcpSocket::disconnected, made.near.get(),
                &QTcpSocket::disconnectFromHost);
        made.far->connectToHost(QHostAddress::LocalHost, target_);
        links_.push_back(std::move(link));
    }
}

void DelayProxy::queue(Leg& leg, QByteArray bytes) {
    const qint64 wanted = clock_.elapsed() + oneWay_ + jitter_(random_);
    const qint64 due = leg.queued.empty() ? wanted : std::max(wanted, leg.queued.back().first);
    leg.queued.emplace_back(due, std::move(bytes));
    if (!leg.timer.isActive()) {
        deliver(leg);
    }
}

void DelayProxy::deliver(Leg& leg) {
    if (leg.to->state() != QAbstractSocket::ConnectedState) {
        return;
    }
    const qint64 now = clock_.elapsed();
    while (!leg.queued.empty() && leg.queued.front().first <= now) {
        leg.to->write(leg.queued.front().second);
        leg.queued.pop_front();
    }
    if (!leg.queued.empty()) {
        leg.timer.start(static_cast<int>(leg.queued.front().first - now));
    }
}

} // namespace zirvel::server::testing
