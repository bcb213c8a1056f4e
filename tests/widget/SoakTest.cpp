// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Random keys and menu commands on the real main window at the fastest speed, and many
// openings of the game-over window: nothing may crash, leak windows or corrupt the board.
#include "Board.h"
#include "BoardView.h"
#include "GameOverDialog.h"
#include "MainWindow.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <random>

using namespace zirvel;

class SoakTest : public QObject {
    Q_OBJECT

private:
    static void checkBoard(const MainWindow& window) {
        const Colour allowed[] = {colours::Free, colours::Player1Head, colours::Player1Trail,
                                  colours::Player2Head, colours::Player2Trail};
        for (int i = 1; i <= board::CellCount; ++i) {
            QVERIFY(std::find(std::begin(allowed), std::end(allowed), window.cellColour(i)) !=
                    std::end(allowed));
        }
        for (Player player : BothPlayers) {
            bool number = false;
            QString::fromStdString(window.counterCaption(player)).toLongLong(&number);
            QVERIFY(number);
        }
    }

private slots:
    void randomPlayAtTheFastestSpeed() {
        // Ten seconds reach every line and branch of the rules and the window that twenty do:
        // the commands restart the countdown so often that its first tick comes after about
        // eight. ZIRVEL2_SOAK_SECONDS plays longer.
        const int seconds = qEnvironmentVariableIntValue("ZIRVEL2_SOAK_SECONDS") > 0
                                ? qEnvironmentVariableIntValue("ZIRVEL2_SOAK_SECONDS")
                                : 10;
        int opened = 0;
        MainWindow window([&opened](const QUrl&) { ++opened; });
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.findChild<QAction*>(QStringLiteral("mnuspeed(4)"))->trigger();
        QWidget* board = window.boardView();

        const Qt::Key keys[] = {Qt::Key_Up,    Qt::Key_Down,  Qt::Key_Left, Qt::Key_Right,
                                Qt::Key_W,     Qt::Key_S,     Qt::Key_A,    Qt::Key_D,
                                Qt::Key_Shift, Qt::Key_Space, Qt::Key_Q,    Qt::Key_F1};
        const char* commands[] = {"mnunowagra",  "mnupauza",    "mnuspeed(1)", "mnuspeed(2)",
                                  "mnuspeed(3)", "mnuspeed(4)", "mnukoniecgry"};
        std::mt19937 random(20261207);
        const auto pick = [&](int to) { return std::uniform_int_distribution<int>(0, to)(random); };

        QElapsedTimer clock;
        clock.start();
        int events = 0;
        while (clock.elapsed() < seconds * 1000) {
            if (pick(9) < 8) {
                const Qt::Key key = keys[pick(std::size(keys) - 1)];
                pick(2) == 0 ? QTest::keyRelease(board, key) : QTest::keyPress(board, key);
            } else {
                QAction* action = window.findChild<QAction*>(
                    QString::fromLatin1(commands[pick(std::size(commands) - 1)]));
                if (action->objectName() == QStringLiteral("mnukoniecgry")) {
                    // Leave the game-over window by one of its three ways out.
                    const int way = pick(2);
                    QTimer::singleShot(pick(50), &window, [&window, way] {
                        auto* dialog = window.findChild<GameOverDialog*>();
                        if (!dialog) {
                            return;
                        }
                        way == 0   ? dialog->cmdkoniec_Click()
                        : way == 1 ? dialog->Label3_Click()
                                   : dialog->reject();
                    });
                }
                action->trigger();
            }
            ++events;
            QTest::qWait(pick(15));
        }
        checkBoard(window);
        qInfo("%d events in %d s", events, seconds);
    }

    void gameOverWindowOpensAndClosesFiveHundredTimes() {
        int opened = 0;
        MainWindow window([&opened](const QUrl&) { ++opened; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QAction* koniecGry = window.findChild<QAction*>(QStringLiteral("mnukoniecgry"));
        const qsizetype topLevels = QApplication::topLevelWidgets().size();

        for (int i = 0; i < 500; ++i) {
            QTimer::singleShot(0, &window, [&window, i] {
                auto* dialog = window.findChild<GameOverDialog*>();
                QVERIFY(dialog);
                i % 3 == 0   ? dialog->cmdkoniec_Click()
                : i % 3 == 1 ? dialog->Label3_Click()
                             : dialog->reject();
            });
            koniecGry->trigger();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
        QVERIFY(!window.findChild<GameOverDialog*>());
        QCOMPARE(opened, 167);
    }
};

QTEST_MAIN(SoakTest)
#include "SoakTest.moc"
