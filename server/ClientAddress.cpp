// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ClientAddress.h"

#include "TcpGate.h"

#include <algorithm>

namespace zirvel::server {

bool trusted(const QHostAddress& peer, const std::vector<std::string>& proxies) {
    return std::any_of(proxies.begin(), proxies.end(), [&peer](const std::string& proxy) {
        return peer.isEqual(QHostAddress(QString::fromStdString(proxy)),
                            QHostAddress::TolerantConversion);
    });
}

QString clientAddress(const QHostAddress& peer, const QByteArray& forwardedFor,
                      const std::vector<std::string>& proxies) {
    if (!forwardedFor.isEmpty() && trusted(peer, proxies)) {
        const QHostAddress client(QString::fromLatin1(forwardedFor.split(',').last().trimmed()));
        if (!client.isNull()) {
            return addressKey(client);
        }
    }
    return addressKey(peer);
}

} // namespace zirvel::server
