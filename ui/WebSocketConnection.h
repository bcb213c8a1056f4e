// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RoomClient.h"

#include <QObject>
#include <QWebSocket>
#include <memory>

// The desktop's WebSocket for online play: each open() takes a new socket, and what it reports
// goes to the room client.
class WebSocketConnection : public QObject, public zirvel::client::Connection {
    Q_OBJECT

public:
    explicit WebSocketConnection(QObject* parent = nullptr);
    ~WebSocketConnection() override;

    // Set once, before the first open().
    void setClient(zirvel::client::RoomClient& client) { client_ = &client; }

    void open(const std::string& url) override;
    void send(const std::string& text) override;
    void close() override;

signals:
    // After every report to the client: the screen can bring itself up to date.
    void reported();

private:
    void report(void (zirvel::client::RoomClient::*what)());

    zirvel::client::RoomClient* client_ = nullptr;
    std::unique_ptr<QWebSocket> socket_;
};
