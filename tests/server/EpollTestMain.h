// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "EpollEventDispatcher.h"

#include <QCoreApplication>
#include <QTest>

// QTEST_GUILESS_MAIN on the event loop zirvel2-server runs on, so that the real-socket tests
// exercise it too.
#define ZIRVEL2_EPOLL_TEST_MAIN(TestObject)                                                        \
    int main(int argc, char* argv[]) {                                                             \
        QCoreApplication::setEventDispatcher(new zirvel::server::EpollEventDispatcher);            \
        QCoreApplication app(argc, argv);                                                          \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
