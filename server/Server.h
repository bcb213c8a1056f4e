// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Lobby.h"
#include "QtClock.h"

#include <QDir>
#include <QHostAddress>
#include <QHttpServer>
#include <QJsonObject>
#include <QObject>
#include <QWebSocket>
#include <map>
#include <memory>
#include <optional>

namespace zirvel::server {

// One port for both: the site's files over HTTP, and the game's WebSocket endpoint at
// WebSocketPath, whose connections play in the lobby's rooms. StatusPath tells operators and
// balancers' checks how busy the process is.
class Server : public QObject {
public:
    static constexpr const char* WebSocketPath = "/ws";
    static constexpr const char* StatusPath = "/status";
    static constexpr const char* StartPage = "zirvel2.html";

    explicit Server(const QDir& site, QObject* parent = nullptr);
    ~Server() override;

    // The port listened on (the one asked for, or a free one for 0); empty when it failed.
    std::optional<quint16> listen(const QHostAddress& address, quint16 port);
    // How late the rooms' timers and the server's other alarms wake.
    Lateness& lateness() { return clock_.lateness(); }
    const Lobby& lobby() const { return lobby_; }

private:
    QHttpServerResponse file(const QString& path) const;
    QJsonObject status() const;
    void acceptWebSockets();
    void send(MemberId to, const std::string& text);
    void close(MemberId to, std::uint16_t code, const std::string& reason);

    QDir site_;
    QHttpServer http_;
    QtClock clock_;
    Lobby lobby_;
    MemberId lastId_ = 0;
    std::map<MemberId, std::unique_ptr<QWebSocket>> sockets_;
};

} // namespace zirvel::server
