// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a real desktop does to the window: focus taken away mid-key, minimising, menu keys
// during play, and closing the window in the middle of a round.
#include "BoardView.h"
#include "MainWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QTimer>
#include <QtTest>

using namespace zirvel;

namespace {

// Collects what the board paints.
class PaintRecorder : public QObject {
public:
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

} // namespace

class HardCasesTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window;

    QWidget* board() const { return window->boardView(); }
    void startRound() {
        window->findChild<QAction*>(QStringLiteral("mnunowagra"))->trigger();
        for (int tick = 0; tick < 4; ++tick) {
            window->game().Timer3_Timer();
        }
    }

private slots:
    void init() {
        window = std::make_unique<MainWindow>([](const QUrl&) {});
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void losingFocusLetsGoOfHeldTurboKeys() {
        startRound();
        QTest::keyPress(board(), Qt::Key_Shift);
        QTest::keyPress(board(), Qt::Key_Space);
        QCOMPARE(window->game().state().Turbo1, Bool16::True);

        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        // The releases go to the other window; the game must not keep the turbo on.
        QCOMPARE(window->game().state().Turbo1, Bool16::False);
        QCOMPARE(window->game().state().Turbo2, Bool16::False);
        QVERIFY(window->timerEnabled(Timer::Timer1));
    }

    void minimisedOrHiddenTheGameGoesOnAndTheBoardIsRepaintedWhole() {
        startRound();
        PaintRecorder recorder;
        board()->installEventFilter(&recorder);
        window->showMinimized();
        window->hide();
        QTest::qWait(600); // ticks keep coming while nobody sees the window
        const std::int16_t head = window->game().state().Poczatek1;
        QVERIFY(head != 390);
        window->showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY(recorder.painted.contains(board()->rect()));
        QVERIFY(window->timerEnabled(Timer::Timer1));
    }

    void menuKeysDuringPlayOpenTheMenuAndGameKeysStillArrive() {
        startRound();
        QMenu* plik = window->findChild<QMenu*>(QStringLiteral("mnuplik"));
        for (const QKeyCombination& opener :
             {QKeyCombination(Qt::Key_F10), QKeyCombination(Qt::AltModifier, Qt::Key_P)}) {
            QTest::keyPress(board(), Qt::Key_Shift);
            QTest::keyClick(window.get(), opener.key(), opener.keyboardModifiers());
            QTRY_VERIFY(plik->isVisible());
            QTest::keyClick(plik, Qt::Key_Escape);
            if (plik->isVisible()) {
                QTest::keyClick(plik, Qt::Key_Escape);
            }
            QTRY_VERIFY(!plik->isVisible());
            // The menu took the keyboard, so the turbo was let go.
            QCOMPARE(window->game().state().Turbo1, Bool16::False);
            board()->setFocus();
            QTest::keyClick(board(), Qt::Key_Left);
            QCOMPARE(window->game().state().Kierunek1, 4);
            QTest::keyClick(board(), Qt::Key_Up);
        }
    }

    void closingTheWindowMidRoundEndsCleanly() {
        startRound();
        QTimer::singleShot(300, window.get(), [this] { window->close(); });
        QTimer::singleShot(5000, this, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
    }
};

QTEST_MAIN(HardCasesTest)
#include "HardCasesTest.moc"
