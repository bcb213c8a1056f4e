// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <string>
#include <vector>

namespace zirvel::server {

// Whether the peer is one of the proxies the administrator trusts to name their clients.
bool trusted(const QHostAddress& peer, const std::vector<std::string>& proxies);

// The address a connection's limits count it by. Behind a trusted proxy every connection comes
// from the proxy: its client is the last address of X-Forwarded-For, the one the proxy itself
// added (anything before it the client may have written). Anyone else's header is ignored.
QString clientAddress(const QHostAddress& peer, const QByteArray& forwardedFor,
                      const std::vector<std::string>& proxies);

} // namespace zirvel::server
