// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Server.h"

#include "ClientAddress.h"
#include "Codec.h"
#include "TcpGate.h"

#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QUrl>
#include <cmath>

namespace zirvel::server {

namespace {

using namespace std::chrono_literals;

// How long a closed connection's client has to answer the close before it is cut off.
constexpr std::chrono::milliseconds CloseGrace = 3s;
// How long a stopping server waits for its clients to take their close.
constexpr std::chrono::milliseconds StopGrace = 2s;
// Messages leave as soon as they are made, so what waits for a client that does not read piles
// up in the kernel first and only then in the socket's buffer, which the pending-bytes limit
// counts. This bounds the kernel's part; Linux doubles it for its bookkeeping.
constexpr int SendBuffer = 64 * 1024;

} // namespace

Server::Server(const QDir& site, const Limits& limits, QObject* parent)
    : QObject(parent)
    , site_(site)
    , limits_(limits)
    , lobby_(
          clock_, protocol::systemRandomBytes,
          [this](MemberId to, const std::string& text) { send(to, text); },
          [this](MemberId to, std::uint16_t code, const std::string& reason) {
              close(to, static_cast<QWebSocketProtocol::CloseCode>(code),
                    QString::fromStdString(reason));
          }) {
    lobby_.limitRooms(limits_.rooms);
    // The upgrade to a WebSocket goes through only on a path with a route whose handler writes
    // no answer, leaving the connection untouched for the handshake.
    http_.route(QString::fromLatin1(WebSocketPath),
                [](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                    if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) != 0) {
                        responder.write(QHttpServerResponder::StatusCode::UpgradeRequired);
                    }
                });
    http_.route(QString::fromLatin1(StatusPath), QHttpServerRequest::Method::Get,
                [this] { return status(); });
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
    for (const auto& entry : connections_) {
        disconnect(entry.second->socket.get(), nullptr, this, nullptr);
    }
}

std::optional<quint16> Server::listen(const QHostAddress& address, quint16 port) {
    auto gate = std::make_unique<TcpGate>(limits_.handshake, limits_.connectionsPerAddress,
                                          limits_.trustedProxies, &http_);
    if (!gate->listen(address, port)) {
        return std::nullopt;
    }
    gate_ = gate.release();
    http_.bind(gate_);
    return gate_->serverPort();
}

void Server::stop(std::function<void()> stopped) {
    if (stopping_) {
        return;
    }
    stopping_ = true;
    stopped_ = std::move(stopped);
    if (gate_) {
        gate_->close();
    }
    const std::string stopping = protocol::encode(protocol::Stopping{});
    std::vector<MemberId> open;
    for (const auto& [id, connection] : connections_) {
        open.push_back(id);
    }
    for (MemberId id : open) {
        send(id, stopping);
        close(id, QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("Serwer kończy pracę."));
    }
    QTimer::singleShot(connections_.empty() ? 0ms : StopGrace, this, [this] {
        if (stopped_) {
            std::exchange(stopped_, nullptr)();
        }
    });
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

// The protocol's version, so that an operator sees which clients the process serves.
QJsonObject Server::status() const {
    return QJsonObject{{QStringLiteral("version"), protocol::Version},
                       {QStringLiteral("rooms"), static_cast<qint64>(lobby_.roomCount())},
                       {QStringLiteral("connections"), static_cast<qint64>(connections_.size())}};
}

void Server::acceptWebSockets() {
    while (http_.hasPendingWebSocketConnections()) {
        accept(http_.nextPendingWebSocketConnection());
    }
}

void Server::accept(std::unique_ptr<QWebSocket> socket) {
    if (gate_) {
        gate_->upgraded(socket->peerAddress(), socket->peerPort(), SendBuffer);
    }
    socket->setMaxAllowedIncomingMessageSize(limits_.messageBytes);
    socket->setMaxAllowedIncomingFrameSize(limits_.messageBytes);
    QWebSocket* raw = socket.get();
    const MemberId id = ++lastId_;
    Connection& added =
        *connections_
             .emplace(id, std::make_unique<Connection>(std::move(socket),
                                                       TokenBucket(limits_.messagesPerSecond,
                                                                   limits_.messageBurst,
                                                                   clock_.milliseconds())))
             .first->second;

    connect(raw, &QWebSocket::textMessageReceived, this,
            [this, id](const QString& text) { received(id, text); });
    connect(raw, &QWebSocket::binaryMessageReceived, this, [this, id] {
        close(id, QWebSocketProtocol::CloseCodeDatatypeNotSupported,
              QStringLiteral("Tylko wiadomości tekstowe."));
    });
    connect(raw, &QWebSocket::disconnected, this, [this, id] { gone(id); });
    added.deadline.setSingleShot(true);
    connect(&added.deadline, &QTimer::timeout, this, [this, id] { deadlinePassed(id); });

    if (stopping_) {
        close(id, QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("Serwer kończy pracę."));
        return;
    }
    const QString address = clientAddress(
        raw->peerAddress(), raw->request().rawHeader("X-Forwarded-For"), limits_.trustedProxies);
    int& count = perAddress_[address];
    if (count >= limits_.connectionsPerAddress) {
        if (count == 0) {
            perAddress_.erase(address);
        }
        close(id, QWebSocketProtocol::CloseCodePolicyViolated,
              QStringLiteral("Za dużo połączeń z tego adresu."));
        return;
    }
    ++count;
    added.address = address;
    lobby_.connected(id, address.toStdString());
    added.deadline.start(limits_.hello);
}

void Server::received(MemberId id, const QString& text) {
    const auto found = connections_.find(id);
    if (found == connections_.end() || found->second->closing || found->second->behind) {
        return;
    }
    Connection& connection = *found->second;
    // Qt's own limit closes with the same code; this one holds for a message that came
    // before the limit was set.
    const std::string utf8 = text.toStdString();
    if (utf8.size() > limits_.messageBytes) {
        close(id, QWebSocketProtocol::CloseCodeTooMuchData,
              QStringLiteral("Wiadomość jest za długa."));
        return;
    }
    if (!connection.messages.take(clock_.milliseconds())) {
        close(id, QWebSocketProtocol::CloseCodePolicyViolated,
              QStringLiteral("Za dużo wiadomości."));
        return;
    }
    lobby_.received(id, utf8);
    // Only an accepted Hello ends the wait for it; any message then puts off the idle close,
    // which looks at the last one only when it comes due: restarting a Qt timer for every
    // message costs a search through all of the process's timers.
    if (!connection.closing && lobby_.greeted(id)) {
        connection.heard = clock_.milliseconds();
        if (!std::exchange(connection.idleWatched, true)) {
            connection.deadline.start(limits_.idle);
        }
    }
}

void Server::deadlinePassed(MemberId id) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) {
        return;
    }
    Connection& connection = *found->second;
    if (connection.closing) {
        connection.socket->abort();
    } else if (!lobby_.greeted(id)) {
        close(id, QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("Brak powitania."));
    } else if (lobby_.inRoom(id)) {
        connection.deadline.start(limits_.idle);
    } else if (const double left = static_cast<double>(limits_.idle.count()) -
                                   (clock_.milliseconds() - connection.heard);
               left > 0) {
        connection.deadline.start(static_cast<int>(std::ceil(left)));
    } else {
        close(id, QWebSocketProtocol::CloseCodeGoingAway,
              QStringLiteral("Połączenie było bezczynne."));
    }
}

// The connection leaves the lobby at once, and its socket goes when the client has taken the
// close, or when it has not within the grace.
void Server::close(MemberId id, QWebSocketProtocol::CloseCode code, const QString& reason) {
    const auto found = connections_.find(id);
    if (found == connections_.end() || found->second->closing) {
        return;
    }
    Connection& connection = *found->second;
    connection.closing = true;
    connection.deadline.start(CloseGrace);
    lobby_.disconnected(id);
    connection.socket->close(code, reason);
}

void Server::gone(MemberId id) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) {
        return;
    }
    lobby_.disconnected(id);
    const QString& address = found->second->address;
    if (!address.isEmpty()) {
        const auto count = perAddress_.find(address);
        if (--count->second == 0) {
            perAddress_.erase(count);
        }
    }
    found->second->socket.release()->deleteLater();
    connections_.erase(found);
    if (stopping_ && connections_.empty() && stopped_) {
        QTimer::singleShot(0ms, this, [this] {
            if (stopped_) {
                std::exchange(stopped_, nullptr)();
            }
        });
    }
}

void Server::send(MemberId to, const std::string& text) {
    const auto found = connections_.find(to);
    if (found == connections_.end() || found->second->closing) {
        return;
    }
    Connection& connection = *found->second;
    connection.socket->sendTextMessage(QString::fromStdString(text));
    // Out at once, rather than when the event loop next finds the socket writable: a tick
    // sends to every member, and a move should not wait behind other rooms' writes.
    connection.socket->flush();
    // Closed after the room's handler has finished: it may be sending to its members still.
    if (!connection.behind &&
        static_cast<std::size_t>(connection.socket->bytesToWrite()) > limits_.pendingBytes) {
        connection.behind = true;
        QTimer::singleShot(0ms, this, [this, to] {
            close(to, QWebSocketProtocol::CloseCodePolicyViolated,
                  QStringLiteral("Klient nie odbiera wiadomości."));
        });
    }
}

} // namespace zirvel::server
