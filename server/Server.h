// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Limits.h"
#include "Lobby.h"
#include "QtClock.h"
#include "TokenBucket.h"

#include <QDir>
#include <QHostAddress>
#include <QHttpServer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <QWebSocket>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace zirvel::server {

class TcpGate;

// One port for both: the site's files over HTTP, and the game's WebSocket endpoint at
// WebSocketPath, whose connections play in the lobby's rooms. StatusPath tells operators and
// balancers' checks how busy the process is. A connection that goes past the limits is closed
// with a WebSocket close code and a reason; nobody else notices.
class Server : public QObject {
public:
    static constexpr const char* WebSocketPath = "/ws";
    static constexpr const char* StatusPath = "/status";
    static constexpr const char* StartPage = "zirvel2.html";

    explicit Server(const QDir& site, const Limits& limits = {}, QObject* parent = nullptr);
    ~Server() override;

    // The port listened on (the one asked for, or a free one for 0); empty when it failed.
    std::optional<quint16> listen(const QHostAddress& address, quint16 port);
    // How late the rooms' timers and the server's other alarms wake.
    Lateness& lateness() { return clock_.lateness(); }
    const Lobby& lobby() const { return lobby_; }

    // Takes no more connections, tells every client that the server stops, closes them all
    // and calls `stopped` once they are gone, or after a short grace.
    void stop(std::function<void()> stopped);

    // Open WebSockets, closing ones included.
    std::size_t connectionCount() const { return connections_.size(); }

private:
    struct Connection {
        Connection(std::unique_ptr<QWebSocket> webSocket, TokenBucket bucket)
            : socket(std::move(webSocket))
            , messages(bucket) {}

        std::unique_ptr<QWebSocket> socket;
        QString address; // counted in perAddress_ when not empty
        TokenBucket messages;
        // The Hello's deadline, then the idle one; after a close, the peer's time to answer.
        QTimer deadline;
        double heard = 0.0; // the clock's time of the last message since the Hello
        bool idleWatched = false;
        bool closing = false;
        bool behind = false; // too much waiting to go out: closed once the room's handler ends
    };

    QHttpServerResponse file(const QString& path) const;
    QJsonObject status() const;
    void acceptWebSockets();
    void accept(std::unique_ptr<QWebSocket> socket);
    void received(MemberId id, const QString& text);
    void deadlinePassed(MemberId id);
    void close(MemberId id, QWebSocketProtocol::CloseCode code, const QString& reason);
    void gone(MemberId id);
    void send(MemberId to, const std::string& text);

    QDir site_;
    Limits limits_;
    QHttpServer http_;
    TcpGate* gate_ = nullptr; // the HTTP server's child
    QtClock clock_;
    Lobby lobby_;
    MemberId lastId_ = 0;
    std::map<MemberId, std::unique_ptr<Connection>> connections_;
    std::map<QString, int> perAddress_;
    std::function<void()> stopped_;
    bool stopping_ = false;
};

} // namespace zirvel::server
