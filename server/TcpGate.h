// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zirvel::server {

// The listening socket under the HTTP server. Qt's HTTP server keeps a connection open for as
// long as its client likes, so the gate closes every connection that has not become a
// WebSocket within the handshake time, whatever it is doing, and takes at most `perAddress`
// such connections from one address at a time.
class TcpGate : public QTcpServer {
public:
    // A trusted proxy's connections are many clients': they are not capped.
    TcpGate(std::chrono::milliseconds handshake, int perAddress,
            std::vector<std::string> trustedProxies, QObject* parent = nullptr);

    // The connection from this peer is a WebSocket now: the gate lets it be, and bounds what
    // the kernel keeps for it unsent to `sendBuffer` bytes.
    void upgraded(const QHostAddress& peer, quint16 port, int sendBuffer);
    // Connections not upgraded yet.
    std::size_t waiting() const { return waiting_.size(); }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    using Peer = std::pair<QString, quint16>;
    struct Waiting {
        QString address;
        QTimer* deadline; // the gate's child
        QPointer<QTcpSocket> socket;
    };

    void release(const Peer& peer);

    std::chrono::milliseconds handshake_;
    int perAddress_;
    std::vector<std::string> trustedProxies_;
    std::map<Peer, Waiting> waiting_;
    std::map<QString, int> perAddressWaiting_;
};

// The key that limits count by: an IPv4 address, or an IPv6 address's /64 network, which one
// subscriber usually holds whole.
QString addressKey(const QHostAddress& address);

} // namespace zirvel::server
