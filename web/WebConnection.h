// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RoomClient.h"

// The browser's WebSocket, kept by the page's script: text frames both ways. Its events come
// back through the entry points zirvel_socket_opened, _message and _closed.
class WebConnection : public zirvel::client::Connection {
public:
    void open(const std::string& url) override;
    void send(const std::string& text) override;
    void close() override;
};
