// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WebConnection.h"

#include "Page.h"

void WebConnection::open(const std::string& url) {
    page::openSocket(url.c_str());
}

void WebConnection::send(const std::string& text) {
    page::sendSocket(text.c_str());
}

void WebConnection::close() {
    page::closeSocket();
}
