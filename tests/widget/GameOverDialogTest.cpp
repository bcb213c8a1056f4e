// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Pointer moves go through the window system, so that they reach the control under the
// pointer the way real ones do.
#define QTEST_QPA_MOUSE_HANDLING

#include "GameOverDialog.h"

#include "MainWindow.h"
#include "VirtualPad.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace zirvel;

class GameOverDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window;
    QList<QUrl> opened;

    // Opens the game-over window through the menu and runs `whileOpen` inside it; fails the
    // test if the window is still open afterwards.
    void withGameOver(const std::function<void(GameOverDialog&)>& whileOpen) {
        bool ran = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = window->findChild<GameOverDialog*>();
            QVERIFY(dialog);
            QTRY_COMPARE(QApplication::activeWindow(), dialog);
            ran = true;
            whileOpen(*dialog);
            if (dialog->isVisible()) {
                dialog->reject();
                QFAIL("the game-over window stayed open");
            }
        });
        window->findChild<QAction*>(QStringLiteral("mnukoniecgry"))->trigger();
        QVERIFY(ran);
    }

    static QLabel* label(GameOverDialog& dialog, const char* name) {
        return dialog.findChild<QLabel*>(QString::fromLatin1(name));
    }
    static bool underlined(GameOverDialog& dialog) {
        return label(dialog, "Label3")->font().underline();
    }

private slots:
    void init() {
        opened.clear();
        window = std::make_unique<MainWindow>([this](const QUrl& url) { opened << url; });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() { window.reset(); }

    void layoutAndTexts() {
        window->setCounterCaption(Player::One, "12");
        window->setCounterCaption(Player::Two, "7");
        const QPoint mainCentre = window->frameGeometry().center();
        withGameOver([mainCentre](GameOverDialog& dialog) {
            QCOMPARE(dialog.size(), QSize(312, 213));
            QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
            QVERIFY(dialog.isModal());
            QCOMPARE(dialog.palette().color(QPalette::Window), QColor(64, 0, 0));
            QCOMPARE(label(dialog, "Label1(0)")->text(), QStringLiteral("Gracz pierwszy"));
            QCOMPARE(label(dialog, "Label1(1)")->text(), QStringLiteral("Gracz drugii"));
            QCOMPARE(label(dialog, "Label1(0)")->pos(), QPoint(48, 24));
            QCOMPARE(label(dialog, "Label1(1)")->pos(), QPoint(192, 24));
            QLabel* final1 = label(dialog, "Label2(0)");
            QLabel* final2 = label(dialog, "Label2(1)");
            QCOMPARE(final1->text(), QStringLiteral("12"));
            QCOMPARE(final2->text(), QStringLiteral("7"));
            QCOMPARE(final1->pos(), QPoint(77, 48));
            QCOMPARE(final2->pos(), QPoint(218, 48));
            QVERIFY(final1->width() > final2->width()); // grows to the right
            QVERIFY(final1->font().bold());
            QCOMPARE(final1->font().pointSizeF(), 15.75);
            QCOMPARE(final1->palette().color(QPalette::WindowText), QColor(255, 128, 128));
            auto* line = dialog.findChild<QFrame*>(QStringLiteral("Line1"));
            QCOMPARE(line->geometry(), QRect(150, 16, 5, 169));
            auto* button = dialog.findChild<QPushButton*>(QStringLiteral("cmdkoniec"));
            QCOMPARE(button->text(), QStringLiteral("Zamknij"));
            QCOMPARE(button->geometry(), QRect(256, 192, 49, 17));
            QCOMPARE(QApplication::focusWidget(), button);
            QLabel* link = label(dialog, "Label3");
            QCOMPARE(link->text(), QStringLiteral("Morvid"));
            QCOMPARE(link->pos(), QPoint(8, 192));
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(!link->font().underline());
            // Centred over the main window.
            QVERIFY((dialog.frameGeometry().center() - mainCentre).manhattanLength() <= 2);
            dialog.reject();
        });
    }

    void enterOrSpaceOnZamknijResetsTheCounters() {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
            window->setCounterCaption(Player::One, "3");
            window->setCounterCaption(Player::Two, "9");
            withGameOver([key](GameOverDialog& dialog) {
                QTest::keyClick(QApplication::focusWidget(), key);
                QVERIFY(!dialog.isVisible());
            });
            QCOMPARE(window->counterCaption(Player::One), "0");
            QCOMPARE(window->counterCaption(Player::Two), "0");
        }
    }

    // A pad acts on nothing behind the window, as keys do, and on the board again after it.
    void padsActOnNothingBehindIt() {
        const GameState& state = window->game().state();
        VirtualPad pad;
        QTRY_COMPARE(window->pads().player(pad.id()), Player::One);
        QSignalSpy handled(&window->padReader(), &PadReader::handled);
        withGameOver([&](GameOverDialog& dialog) {
            pad.click(SDL_CONTROLLER_BUTTON_START);
            pad.click(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
            QTRY_COMPARE(handled.count(), 4);
            QCOMPARE(state.Poczatek1, 0);
            QCOMPARE(state.Kierunek1, 0);
            dialog.reject();
        });
        // As a window manager gives the window back its keyboard.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        pad.click(SDL_CONTROLLER_BUTTON_START);
        QTRY_COMPARE(state.Poczatek1, 390);
    }

    void escapeClosesAndKeepsTheCounters() {
        window->setCounterCaption(Player::One, "3");
        withGameOver(
            [](GameOverDialog&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); });
        QCOMPARE(window->counterCaption(Player::One), "3");
        QVERIFY(opened.isEmpty());
    }

    void linkOpensTheAuthorPageOnceAndKeepsTheCounters() {
        window->setCounterCaption(Player::Two, "4");
        withGameOver([this](GameOverDialog& dialog) {
            // Only the primary button follows the link.
            for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
                QTest::mouseClick(label(dialog, "Label3"), button);
                QVERIFY(dialog.isVisible());
            }
            // A press and its release both have to be on the link: a player who changes their
            // mind drags away before letting go.
            const QPoint onLink = label(dialog, "Label3")->geometry().center();
            const struct {
                QPoint press, release;
            } changedMinds[] = {
                {onLink, {300, 100}}, // released on the background
                {onLink, {60, 30}},   // released on a caption
                {onLink, {280, 200}}, // released on "Zamknij"
                {{300, 100}, onLink}, // pressed on the background
                {{60, 30}, onLink},   // pressed on a caption
            };
            for (const auto& gesture : changedMinds) {
                QTest::mousePress(&dialog, Qt::LeftButton, {}, gesture.press);
                QTest::mouseMove(&dialog, gesture.release);
                QTest::mouseRelease(&dialog, Qt::LeftButton, {}, gesture.release);
                QVERIFY(dialog.isVisible());
            }
            // Dragged off the link and back onto it, the press still counts.
            QTest::mousePress(&dialog, Qt::LeftButton, {}, onLink);
            QTest::mouseMove(&dialog, {300, 100});
            QTest::mouseMove(&dialog, onLink + QPoint(3, 0));
            QTest::mouseRelease(&dialog, Qt::LeftButton, {}, onLink + QPoint(3, 0));
            QVERIFY(!dialog.isVisible());
            QCOMPARE(opened, QList<QUrl>{GameOverDialog::AuthorPage});
            opened.clear();
        });
        withGameOver([](GameOverDialog& dialog) {
            QTest::mouseClick(label(dialog, "Label3"), Qt::LeftButton);
        });
        QCOMPARE(opened, QList<QUrl>{GameOverDialog::AuthorPage});
        QVERIFY(GameOverDialog::AuthorPage.isValid());
        QVERIFY(GameOverDialog::AuthorPage.scheme().startsWith(QStringLiteral("http")));
        QCOMPARE(window->counterCaption(Player::Two), "4");
    }

    void underlineFollowsThePointer() {
        withGameOver([](GameOverDialog& dialog) {
            QTest::mouseMove(&dialog, QPoint(300, 100));
            QTest::mouseMove(label(dialog, "Label3"));
            QVERIFY(underlined(dialog));
            // Over the other controls neither handler runs.
            for (const char* name : {"Label1(0)", "Label2(1)"}) {
                QTest::mouseMove(label(dialog, name));
                QVERIFY(underlined(dialog));
            }
            QTest::mouseMove(dialog.findChild<QPushButton*>());
            QVERIFY(underlined(dialog));
            QTest::mouseMove(&dialog, QPoint(152, 100)); // the divider is background
            QVERIFY(!underlined(dialog));
            QTest::mouseMove(label(dialog, "Label3"));

            // A pointer that arrives without moving: only an enter event says where it is.
            const struct {
                QPoint at; // in the window
                bool underlined;
            } arrivals[] = {
                {{20, 198}, true},                        // on the link
                {{300, 100}, false},                      // on the background
                {{20, 198}, true},   {{152, 100}, false}, // on the divider
                {{20, 198}, true},   {{60, 30}, true},    // on a caption: neither handler
            };
            for (const auto& arrival : arrivals) {
                QWidget* under = dialog.childAt(arrival.at);
                QEnterEvent toWindow(arrival.at, arrival.at, dialog.mapToGlobal(arrival.at));
                QApplication::sendEvent(&dialog, &toWindow);
                if (under) {
                    const QPoint local = under->mapFrom(&dialog, arrival.at);
                    QEnterEvent toChild(local, local, dialog.mapToGlobal(arrival.at));
                    QApplication::sendEvent(under, &toChild);
                }
                QCOMPARE(underlined(dialog), arrival.underlined);
            }
            dialog.reject();
        });
        // A second opening is built afresh, without underline and with today's counters.
        window->setCounterCaption(Player::One, "5");
        withGameOver([](GameOverDialog& dialog) {
            QVERIFY(!underlined(dialog));
            QCOMPARE(label(dialog, "Label2(0)")->text(), QStringLiteral("5"));
            dialog.reject();
        });
    }

    void beforeAnyGameShowsZeros() {
        withGameOver([](GameOverDialog& dialog) {
            QCOMPARE(label(dialog, "Label2(0)")->text(), QStringLiteral("0"));
            QCOMPARE(label(dialog, "Label2(1)")->text(), QStringLiteral("0"));
            dialog.reject();
        });
    }

    void nothingTicksBehindTheWindowDuringACountdown() {
        window->findChild<QAction*>(QStringLiteral("mnunowagra"))->trigger();
        withGameOver([this](GameOverDialog& dialog) {
            // Longer than a whole countdown plus several ticks.
            QTest::qWait(3500);
            QVERIFY(!window->timerEnabled(Timer::Timer1));
            QVERIFY(!window->timerEnabled(Timer::Timer3));
            dialog.reject();
        });
        QCOMPARE(window->game().state().Poczatek1, 390);
        QCOMPARE(window->counterCaption(Player::One), "0");
        QCOMPARE(window->counterCaption(Player::Two), "0");
        QVERIFY(!window->countdownVisible());
    }

    void manyOpeningsLeaveNothingBehind() {
        const qsizetype topLevels = QApplication::topLevelWidgets().size();
        for (int i = 0; i < 50; ++i) {
            withGameOver([](GameOverDialog& dialog) { dialog.reject(); });
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
        QVERIFY(!window->findChild<GameOverDialog*>());
    }
};

QTEST_MAIN(GameOverDialogTest)
#include "GameOverDialogTest.moc"
