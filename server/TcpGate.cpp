// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TcpGate.h"

#include "ClientAddress.h"

namespace zirvel::server {

QString addressKey(const QHostAddress& address) {
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4) {
        return QHostAddress(ipv4).toString();
    }
    Q_IPV6ADDR network = address.toIPv6Address();
    std::fill(std::begin(network.c) + 8, std::end(network.c), quint8{0});
    return QHostAddress(network).toString() + QStringLiteral("/64");
}

TcpGate::TcpGate(std::chrono::milliseconds handshake, int perAddress,
                 std::vector<std::string> trustedProxies, QObject* parent)
    : QTcpServer(parent)
    , handshake_(handshake)
    , perAddress_(perAddress)
    , trustedProxies_(std::move(trustedProxies)) {}

void TcpGate::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    // Moves are small messages that must leave at once: Nagle's algorithm held one behind the
    // last until the player's delayed acknowledgement, up to 40 ms.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const QString address = addressKey(socket->peerAddress());
    int& count = perAddressWaiting_[address];
    if (count >= perAddress_ && !trusted(socket->peerAddress(), trustedProxies_)) {
        if (count == 0) {
            perAddressWaiting_.erase(address);
        }
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++count;
    const Peer peer{socket->peerAddress().toString(), socket->peerPort()};
    auto* deadline = new QTimer(this);
    deadline->setSingleShot(true);
    const QPointer<QTcpSocket> guarded(socket);
    connect(deadline, &QTimer::timeout, this, [this, peer, guarded] {
        release(peer);
        if (guarded) {
            guarded->abort();
        }
    });
    connect(socket, &QAbstractSocket::disconnected, this, [this, peer] { release(peer); });
    deadline->start(handshake_);
    waiting_[peer] = Waiting{address, deadline, guarded};
    addPendingConnection(socket);
}

void TcpGate::upgraded(const QHostAddress& peer, quint16 port, int sendBuffer) {
    const auto found = waiting_.find(Peer{peer.toString(), port});
    if (found != waiting_.end() && found->second.socket) {
        found->second.socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption,
                                              sendBuffer);
    }
    release(Peer{peer.toString(), port});
}

void TcpGate::release(const Peer& peer) {
    const auto found = waiting_.find(peer);
    if (found == waiting_.end()) {
        return;
    }
    const auto count = perAddressWaiting_.find(found->second.address);
    if (--count->second == 0) {
        perAddressWaiting_.erase(count);
    }
    // Released from its own timeout, too.
    found->second.deadline->stop();
    found->second.deadline->deleteLater();
    waiting_.erase(found);
}

} // namespace zirvel::server
