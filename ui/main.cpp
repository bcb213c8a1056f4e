// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindow.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zirvel 2"));
    QGuiApplication::setDesktopFileName(QStringLiteral("pl.morvid.Zirvel2"));
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1/pl.morvid.Zirvel2.png").arg(size));
    }
    QApplication::setWindowIcon(icon);

    MainWindow window;
    window.show();
    const int code = QApplication::exec();
    // On Wayland the toolkit's teardown of its connection can deadlock: its event thread
    // waits for a read that the main thread prepared and never finishes. The game keeps
    // nothing to save, so there it ends without that teardown; the system closes the
    // connection with the process.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
