// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Server.h"

#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QUrl>

namespace zirvel::server {

Server::Server(const QDir& site, QObject* parent)
    : QObject(parent)
    , site_(site)
    , lobby_(
          clock_, protocol::systemRandomBytes,
          [this](MemberId to, const std::string& text) { send(to, text); },
          [this](MemberId to, std::uint16_t code, const std::string& reason) {
              close(to, code, reason);
          }) {
    // The upgrade to a WebSocket goes through only on a path with a route whose handler writes
    // no answer, leaving the connection untouched for the handshake.
    http_.route(QString::fromLatin1(WebSocketPath),
                [](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                    if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) != 0) {
                        responder.write(QHttpServerResponder::StatusCode::UpgradeRequired);
                    }
                });
    // Files are what no route takes: a route for every path would take the WebSocket
    // endpoint's upgrade requests as well.
    http_.setMissingHandler(
        [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
            if (request.method() != QHttpServerRequest::Method::Get) {
                responder.write(QHttpServerResponder::StatusCode::MethodNotAllowed);
                return;
            }
            const QString path = request.url().path();
            file(path == QLatin1String("/") ? QString::fromLatin1(StartPage) : path.mid(1))
                .write(std::move(responder));
        });
    connect(&http_, &QAbstractHttpServer::newWebSocketConnection, this, &Server::acceptWebSockets);
}

// A socket closed by its deletion reports it; nobody must hear that while the server goes.
Server::~Server() {
    for (const auto& entry : sockets_) {
        disconnect(entry.second.get(), nullptr, this, nullptr);
    }
}

std::optional<quint16> Server::listen(const QHostAddress& address, quint16 port) {
    const quint16 listening = http_.listen(address, port);
    if (listening == 0) {
        return std::nullopt;
    }
    return listening;
}

// Only files inside the site folder, whatever the path says.
QHttpServerResponse Server::file(const QString& path) const {
    const QString root = site_.canonicalPath();
    const QFileInfo info(site_.filePath(path));
    const QString canonical = info.canonicalFilePath();
    if (root.isEmpty() || canonical.isEmpty() || !canonical.startsWith(root + QLatin1Char('/')) ||
        !info.isFile()) {
        return QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound);
    }
    return QHttpServerResponse::fromFile(canonical);
}

void Server::acceptWebSockets() {
    while (http_.hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = http_.nextPendingWebSocketConnection();
        QWebSocket* raw = socket.get();
        const MemberId id = ++lastId_;
        connect(raw, &QWebSocket::textMessageReceived, this,
                [this, id](const QString& text) { lobby_.received(id, text.toStdString()); });
        connect(raw, &QWebSocket::binaryMessageReceived, this, [raw] {
            raw->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported,
                       QStringLiteral("text messages only"));
        });
        connect(raw, &QWebSocket::disconnected, this, [this, id] {
            lobby_.disconnected(id);
            const auto found = sockets_.find(id);
            if (found != sockets_.end()) {
                found->second.release()->deleteLater();
                sockets_.erase(found);
            }
        });
        sockets_.emplace(id, std::move(socket));
    }
}

void Server::send(MemberId to, const std::string& text) {
    const auto found = sockets_.find(to);
    if (found != sockets_.end()) {
        found->second->sendTextMessage(QString::fromStdString(text));
    }
}

void Server::close(MemberId to, std::uint16_t code, const std::string& reason) {
    const auto found = sockets_.find(to);
    if (found != sockets_.end()) {
        found->second->close(static_cast<QWebSocketProtocol::CloseCode>(code),
                             QString::fromStdString(reason));
    }
}

} // namespace zirvel::server
