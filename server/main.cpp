// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zirvel2-server: the site and the rooms of online play on one address.
#include "LatenessReport.h"
#include "Server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <memory>

int main(int argc, char* argv[]) {
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
    parser.addOptions({address, port, site, stats});
    parser.process(application);

    QTextStream err(stderr);
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

    zirvel::server::Server server(folder);
    const std::optional<quint16> listening = server.listen(host, static_cast<quint16>(portNumber));
    if (!listening) {
        err << "zirvel2-server: cannot listen on " << host.toString() << " port " << portNumber
            << Qt::endl;
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
