// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zirvel2-server: the site and the rooms of online play on one address.
#include "EpollEventDispatcher.h"
#include "LatenessReport.h"
#include "Server.h"
#include "StopSignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

using zirvel::server::Limits;

// A limit of the command line: a whole number from 1 to `most`.
struct LimitOption {
    QCommandLineOption option;
    unsigned most;
    std::function<void(Limits&, unsigned)> set;
};

LimitOption limitOption(const char* name, const char* valueName, const char* what,
                        unsigned defaultValue, unsigned most,
                        std::function<void(Limits&, unsigned)> set) {
    return {QCommandLineOption(
                QString::fromLatin1(name),
                QStringLiteral("%1 (default %2).").arg(QLatin1String(what)).arg(defaultValue),
                QString::fromLatin1(valueName), QString::number(defaultValue)),
            most, std::move(set)};
}

std::vector<LimitOption> limitOptions() {
    using std::chrono::seconds;
    const Limits defaults;
    const auto inSeconds = [](std::chrono::milliseconds duration) {
        return static_cast<unsigned>(std::chrono::duration_cast<seconds>(duration).count());
    };
    constexpr unsigned Day = 24 * 60 * 60;
    return {
        limitOption("max-message-bytes", "BYTES",
                    "Close a connection whose message is longer, with code 1009",
                    static_cast<unsigned>(defaults.messageBytes), 1 << 20,
                    [](Limits& limits, unsigned value) { limits.messageBytes = value; }),
        limitOption("messages-per-second", "COUNT",
                    "Close a connection that sends more messages a second than this, beyond "
                    "its burst, with code 1008",
                    static_cast<unsigned>(defaults.messagesPerSecond), 1'000'000,
                    [](Limits& limits, unsigned value) { limits.messagesPerSecond = value; }),
        limitOption("message-burst", "COUNT", "Messages a connection may send at once",
                    static_cast<unsigned>(defaults.messageBurst), 1'000'000,
                    [](Limits& limits, unsigned value) { limits.messageBurst = value; }),
        limitOption("max-connections-per-address", "COUNT",
                    "Close, with code 1008, a WebSocket from an address (an IPv6 /64) that "
                    "has this many open",
                    static_cast<unsigned>(defaults.connectionsPerAddress), 1'000'000,
                    [](Limits& limits, unsigned value) {
                        limits.connectionsPerAddress = static_cast<int>(value);
                    }),
        limitOption("max-rooms", "COUNT", "Refuse new rooms beyond this many",
                    static_cast<unsigned>(defaults.rooms), 100'000'000,
                    [](Limits& limits, unsigned value) { limits.rooms = value; }),
        limitOption("max-pending-bytes", "BYTES",
                    "Close a connection with more bytes than this waiting to go out to it, "
                    "beyond the kernel's 64 KiB",
                    static_cast<unsigned>(defaults.pendingBytes), 1U << 30,
                    [](Limits& limits, unsigned value) { limits.pendingBytes = value; }),
        limitOption("handshake-timeout", "SECONDS",
                    "Cut a connection that has not become a WebSocket after this long",
                    inSeconds(defaults.handshake), Day,
                    [](Limits& limits, unsigned value) { limits.handshake = seconds(value); }),
        limitOption("hello-timeout", "SECONDS",
                    "Close, with code 1008, a WebSocket without a hello after this long",
                    inSeconds(defaults.hello), Day,
                    [](Limits& limits, unsigned value) { limits.hello = seconds(value); }),
        limitOption("idle-timeout", "SECONDS",
                    "Close, with code 1001, a WebSocket in no room silent for this long",
                    inSeconds(defaults.idle), Day,
                    [](Limits& limits, unsigned value) { limits.idle = seconds(value); }),
    };
}

} // namespace

int main(int argc, char* argv[]) {
    zirvel::server::StopSignals::block();
    QCoreApplication::setEventDispatcher(new zirvel::server::EpollEventDispatcher);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zirvel2-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZIRVEL2_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the Zirvel 2 page and the rooms where two players duel over the "
                       "network, on one address."));
    parser.addHelpOption();
    const QCommandLineOption address(
        QStringLiteral("address"),
        QStringLiteral("Listen on this address (default %1).").arg(QStringLiteral("127.0.0.1")),
        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Listen on this port (default 8642)."),
                                  QStringLiteral("PORT"), QStringLiteral("8642"));
    const QCommandLineOption site(QStringLiteral("site"),
                                  QStringLiteral("Serve the page from this folder (default %1).")
                                      .arg(QStringLiteral(ZIRVEL2_SITE_DIR)),
                                  QStringLiteral("FOLDER"), QStringLiteral(ZIRVEL2_SITE_DIR));
    const QCommandLineOption stats(
        QStringLiteral("stats"),
        QStringLiteral("On every SIGUSR1, print how late the timers woke since the last one."));
    const QCommandLineOption trustedProxy(
        QStringLiteral("trusted-proxy"),
        QStringLiteral("A reverse proxy in front of the server, by address (given once for each): "
                       "the per-address limits count the client it names in X-Forwarded-For."),
        QStringLiteral("ADDRESS"));
    parser.addOptions({address, port, site, stats, trustedProxy});
    const std::vector<LimitOption> limitsGiven = limitOptions();
    for (const LimitOption& limit : limitsGiven) {
        parser.addOption(limit.option);
    }
    parser.process(application);

    QTextStream err(stderr);
    Limits limits;
    for (const LimitOption& limit : limitsGiven) {
        const QString given = parser.value(limit.option);
        bool isNumber = false;
        const uint value = given.toUInt(&isNumber);
        if (!isNumber || value < 1 || value > limit.most) {
            err << "zirvel2-server: --" << limit.option.names().constFirst()
                << " takes a whole number from 1 to " << limit.most << ", not " << given
                << Qt::endl;
            return 2;
        }
        limit.set(limits, value);
    }
    for (const QString& proxy : parser.values(trustedProxy)) {
        if (QHostAddress(proxy).isNull()) {
            err << "zirvel2-server: not an IP address: " << proxy << Qt::endl;
            return 2;
        }
        limits.trustedProxies.push_back(proxy.toStdString());
    }
    const QHostAddress host(parser.value(address));
    if (host.isNull()) {
        err << "zirvel2-server: not an IP address: " << parser.value(address) << Qt::endl;
        return 2;
    }
    bool isNumber = false;
    const uint portNumber = parser.value(port).toUInt(&isNumber);
    if (!isNumber || portNumber > 65535) {
        err << "zirvel2-server: not a port number: " << parser.value(port) << Qt::endl;
        return 2;
    }
    const QDir folder(parser.value(site));
    if (!folder.exists()) {
        err << "zirvel2-server: no such folder: " << folder.path() << Qt::endl;
        return 2;
    }

    zirvel::server::Server server(folder, limits);
    const std::optional<quint16> listening = server.listen(host, static_cast<quint16>(portNumber));
    if (!listening) {
        err << "zirvel2-server: cannot listen on " << host.toString() << " port " << portNumber
            << Qt::endl;
        return 1;
    }
    // The first signal stops the server as it should, a second one at once.
    bool stopping = false;
    const auto stopWatch = zirvel::server::StopSignals::listen([&server, &stopping] {
        if (std::exchange(stopping, true)) {
            QCoreApplication::exit(0);
            return;
        }
        server.stop([] { QCoreApplication::exit(0); });
    });
    if (!stopWatch) {
        err << "zirvel2-server: cannot watch for SIGTERM and SIGINT" << Qt::endl;
        return 1;
    }
    std::unique_ptr<zirvel::server::LatenessReport> report;
    if (parser.isSet(stats)) {
        report = std::make_unique<zirvel::server::LatenessReport>(server.lateness());
    }
    const QString shown = host.protocol() == QAbstractSocket::IPv6Protocol
                              ? QLatin1Char('[') + host.toString() + QLatin1Char(']')
                              : host.toString();
    QTextStream(stdout) << "Zirvel 2: http://" << shown << ':' << *listening << '/'
                        << zirvel::server::Server::StartPage << Qt::endl;
    return QCoreApplication::exec();
}
