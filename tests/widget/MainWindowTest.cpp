// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindow.h"

#include "BoardView.h"
#include "DeviceWatch.h"
#include "KeyCodes.h"
#include "KeyMapping.h"
#include "VirtualPad.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace zirvel;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window;

    QAction* action(const char* name) const {
        auto* found = window->findChild<QAction*>(QString::fromLatin1(name));
        if (!found) {
            qFatal("no action %s", name);
        }
        return found;
    }
    QWidget* board() const { return window->boardView(); }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyPress(board(), static_cast<Qt::Key>(key), modifiers);
    }
    void release(int key, bool autoRepeat = false) {
        QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(board(), &event);
    }
    void pressRepeated(int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(board(), &event);
    }

private slots:
    void init() {
        window = std::make_unique<MainWindow>();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void layoutMatchesTheDesign() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Zirvel 2"));
        QWidget* client = window->centralWidget();
        QCOMPARE(client->size(), QSize(674, 452));
        QCOMPARE(client->palette().color(QPalette::Window), QColor(64, 64, 64));
        QCOMPARE(board()->geometry(), QRect(16, 40, 640, 368));
        const std::pair<int, QRect> cells[] = {{1, QRect(16, 40, 16, 16)},
                                               {40, QRect(640, 40, 16, 16)},
                                               {41, QRect(16, 56, 16, 16)},
                                               {920, QRect(640, 392, 16, 16)}};
        for (const auto& [index, rect] : cells) {
            QCOMPARE(BoardView::cellRect(index).translated(board()->pos()), rect);
        }
        auto* counter1 = client->findChild<QLabel*>(QStringLiteral("Label3(1)"));
        auto* counter2 = client->findChild<QLabel*>(QStringLiteral("Label3(2)"));
        QVERIFY(counter1 && counter2);
        QCOMPARE(counter1->geometry(), QRect(16, 16, 33, 17));
        QCOMPARE(counter2->geometry(), QRect(624, 16, 33, 17));
        QCOMPARE(counter1->text(), QStringLiteral("0"));
        QCOMPARE(counter2->toolTip(), QStringLiteral("Ilosc punktow gracza nr 2"));
        QVERIFY(counter1->font().bold());
        auto* countdown = client->findChild<QLabel*>(QStringLiteral("Label2"));
        QVERIFY(countdown);
        QVERIFY(!countdown->isVisible());
        QCOMPARE(countdown->pos(), QPoint(312, 56));
        QCOMPARE(countdown->text(), QStringLiteral("4"));
        QVERIFY(!board()->accessibleName().isEmpty());
        // Only the board can take the keyboard focus.
        for (QWidget* widget : client->findChildren<QWidget*>()) {
            QCOMPARE(widget->focusPolicy() == Qt::NoFocus, widget != board());
        }
        QCOMPARE(QApplication::focusWidget(), board());
    }

    void menuTreeMatchesTheDesign() {
        QList<QAction*> top = window->menuBar()->actions();
        QCOMPARE(top.size(), 2);
        QCOMPARE(top[0]->text(), QStringLiteral("&Plik"));
        QCOMPARE(top[1]->text(), QStringLiteral("&Gracze"));
        const QList<QAction*> items = top[0]->menu()->actions();
        const QStringList captions{QStringLiteral("Nowa gra"),     QStringLiteral("Pauza"),
                                   QStringLiteral("Koniec gry"),   QString(),
                                   QStringLiteral("Prędkość gry"), QString(),
                                   QStringLiteral("Koniec")};
        QCOMPARE(items.size(), captions.size());
        for (qsizetype i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i]->isSeparator(), captions[i].isEmpty());
            QCOMPARE(items[i]->text(), captions[i]);
        }
        QCOMPARE(items[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(items[1]->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(items[6]->shortcut(), QKeySequence(QStringLiteral("Ctrl+K")));
        QVERIFY(!items[1]->isEnabled());
        QVERIFY(items[2]->isEnabled());
        QVERIFY(!items[1]->isChecked());

        const QList<QAction*> speeds = items[4]->menu()->actions();
        const QStringList speedCaptions{QStringLiteral("Wolno"), QStringLiteral("Średnio"),
                                        QStringLiteral("Szybko"), QStringLiteral("B. Szybko")};
        QCOMPARE(speeds.size(), 4);
        for (qsizetype i = 0; i < speeds.size(); ++i) {
            QCOMPARE(speeds[i]->text(), speedCaptions[i]);
            QCOMPARE(speeds[i]->objectName(), QStringLiteral("mnuspeed(%1)").arg(i + 1));
            QCOMPARE(speeds[i]->isChecked(), i == 2); // "Szybko" at start-up
        }
        QVERIFY(speeds[0]->actionGroup() && speeds[0]->actionGroup() == speeds[3]->actionGroup());
    }

    // "Gracze" holds a submenu per player, each with one check mark, "Człowiek" at start-up.
    // A choice takes effect at once: the computer's player no longer hears its keys, the other
    // player still does.
    void playersMenuHandsAPlayerToTheComputer() {
        const QList<QAction*> seats = window->menuBar()->actions()[1]->menu()->actions();
        // After the seats, online play: a room can be created or joined, not left.
        const struct {
            const char* caption;
            bool enabled;
        } gracze[] = {
            {"Czerwony – strzałki", true}, {"Niebieski – W A S D", true}, {"", true},
            {"Załóż pokój", true},         {"Dołącz do pokoju…", true},   {"Opuść pokój", false}};
        QCOMPARE(seats.size(), std::size(gracze));
        for (qsizetype i = 0; i < seats.size(); ++i) {
            QCOMPARE(seats[i]->text(), QString::fromUtf8(gracze[i].caption));
            QCOMPARE(seats[i]->isSeparator(), *gracze[i].caption == '\0');
            QCOMPARE(seats[i]->isEnabled(), gracze[i].enabled);
        }
        const QStringList captions{QStringLiteral("Człowiek"), QStringLiteral("Komputer: łatwy"),
                                   QStringLiteral("Komputer: średni"),
                                   QStringLiteral("Komputer: trudny")};
        for (int player = 1; player <= 2; ++player) {
            const QList<QAction*> items = seats[player - 1]->menu()->actions();
            QCOMPARE(items.size(), captions.size());
            for (qsizetype i = 0; i < items.size(); ++i) {
                QCOMPARE(items[i]->text(), captions[i]);
                QCOMPARE(items[i]->objectName(),
                         QStringLiteral("mnugracz%1(%2)").arg(player).arg(i));
                QCOMPARE(items[i]->isChecked(), i == 0);
                QCOMPARE(items[i]->actionGroup(), items[0]->actionGroup());
            }
        }
        QVERIFY(seats[0]->menu()->actions()[0]->actionGroup() !=
                seats[1]->menu()->actions()[0]->actionGroup());

        action("mnunowagra")->trigger();
        action("mnugracz1(3)")->trigger();
        QVERIFY(action("mnugracz1(3)")->isChecked());
        QVERIFY(!action("mnugracz1(0)")->isChecked());
        QVERIFY(action("mnugracz2(0)")->isChecked());
        QCOMPARE(window->seats().level(Player::One), opponent::Level::Hard);
        const GameState& state = window->game().state();
        press(Qt::Key_Left);
        press(Qt::Key_Shift);
        press(Qt::Key_A);
        QCOMPARE(state.Kierunek1, 8);
        QCOMPARE(state.Turbo1, Bool16::False);
        QCOMPARE(state.Kierunek2, 40);

        action("mnugracz1(0)")->trigger();
        QCOMPARE(window->seats().level(Player::One), std::nullopt);
        press(Qt::Key_Left);
        QCOMPARE(state.Kierunek1, 4);
    }

    // With the computer on both sides the game plays itself, round after round, and the board
    // shows it.
    void twoComputersPlayRoundsOnTheBoard() {
        action("mnuspeed(4)")->trigger();
        action("mnugracz1(1)")->trigger();
        action("mnugracz2(2)")->trigger();
        action("mnunowagra")->trigger();
        const GameState& state = window->game().state();
        const auto crashes = [this] {
            return window->counterCaption(Player::One) + window->counterCaption(Player::Two);
        };
        QTRY_VERIFY_WITH_TIMEOUT(state.Poczatek1 != 390 && state.Poczatek2 != 370, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(crashes() != "00", 60000);
        // The next round starts by itself, and its moves reach the screen.
        QTRY_VERIFY_WITH_TIMEOUT(state.Poczatek1 != 390 && state.Poczatek2 != 370, 10000);
        QTRY_VERIFY(!window->boardView()->holding());
        const QImage shown = window->boardView()->grab().toImage();
        for (Player player : BothPlayers) {
            const QRect cell = BoardView::cellRect(state.head(player));
            const Colour head = window->cellColour(state.head(player));
            QCOMPARE(shown.pixelColor(cell.center()), QColor(head.red, head.green, head.blue));
        }
    }

    void speedChoiceChecksExactlyOneItem() {
        const std::tuple<int, int, int> levels[] = {
            {1, 800, 400}, {4, 50, 20}, {2, 600, 200}, {2, 600, 200}, {3, 200, 50}};
        for (const auto& [level, normal, fast] : levels) {
            action(QStringLiteral("mnuspeed(%1)").arg(level).toLatin1().constData())->trigger();
            for (int other = 1; other <= 4; ++other) {
                QCOMPARE(action(QStringLiteral("mnuspeed(%1)").arg(other).toLatin1().constData())
                             ->isChecked(),
                         other == level);
            }
            QCOMPARE(window->timerInterval(Timer::Timer1), normal);
            QCOMPARE(window->timerInterval(Timer::Timer2), fast);
        }
    }

    void shortcutsFollowTheEnabledState() {
        QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(!action("mnupauza")->isChecked());
        QVERIFY(!window->timerEnabled(Timer::Timer3));

        window->setCellColour(100, colours::Player1Trail);
        QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(window->cellColour(100), colours::Free);
        QCOMPARE(window->cellColour(370), colours::Player2Head);
        QCOMPARE(window->cellColour(390), colours::Player1Head);
        QCOMPARE(window->cellColour(410), colours::Player2Trail);
        QCOMPARE(window->cellColour(430), colours::Player1Trail);
        QVERIFY(window->timerEnabled(Timer::Timer3));
        QVERIFY(action("mnupauza")->isEnabled());

        QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(action("mnupauza")->isChecked());
        QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(!action("mnupauza")->isChecked());
        QVERIFY(window->timerEnabled(Timer::Timer1));
        QVERIFY(window->timerEnabled(Timer::Timer2));
    }

    void pauseClickDecidesFromTheCheckMarkShown() {
        action("mnunowagra")->trigger();
        action("mnupauza")->trigger();
        QVERIFY(action("mnupauza")->isChecked());
        QVERIFY(!window->timerEnabled(Timer::Timer1));
        action("mnupauza")->trigger();
        QVERIFY(!action("mnupauza")->isChecked());
        QVERIFY(window->timerEnabled(Timer::Timer1));
    }

    void ctrlKQuits() {
        QTimer::singleShot(
            0, this, [this] { QTest::keyClick(window.get(), Qt::Key_K, Qt::ControlModifier); });
        // A safety net: without the shortcut the loop would never end.
        QTimer::singleShot(5000, this, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
    }

    void gameKeysReachTheRules() {
        action("mnunowagra")->trigger();
        const GameState& state = window->game().state();

        press(Qt::Key_Left, Qt::ControlModifier); // modifiers are ignored
        QCOMPARE(state.Kierunek1, 4);
        press(Qt::Key_Right);
        QCOMPARE(state.Kierunek1, 4); // refused: straight back
        press(Qt::Key_Up, Qt::KeypadModifier);
        press(Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(state.Kierunek1, 6);
        // The Shift held for Shift+A is player 1's turbo key, pressed and released around it.
        QTest::keyClick(board(), Qt::Key_A, Qt::ShiftModifier);
        QCOMPARE(state.Kierunek2, 40);
        press(Qt::Key_S);
        press(Qt::Key_D);
        QCOMPARE(state.Kierunek2, 60);

        for (int key : {Qt::Key_Q, Qt::Key_Enter, Qt::Key_F1, Qt::Key_8, Qt::Key_Escape}) {
            press(key);
            release(key);
        }
        QCOMPARE(state.Kierunek1, 6);
        QCOMPARE(state.Kierunek2, 60);
        QCOMPARE(state.Turbo1, Bool16::False);
    }

    // Latin letters count by their label; other letters by the key they come from, so that
    // player 2 can steer under a Cyrillic or Greek layout.
    void player2KeysCountByPositionOnNonLatinLayouts() {
        const struct {
            int key;
            std::uint32_t scanCode;
            std::optional<std::uint16_t> code;
        } rows[] = {
            {0x0426, 25, keys::W}, // Ц on the key of W
            {0x0424, 38, keys::A}, // Ф
            {0x042B, 39, keys::S}, // Ы
            {0x0412, 40, keys::D}, // В
            {0x03A3, 39, keys::S}, // Σ
            {0x0394, 40, keys::D}, // Δ
            {0x0426, 24, std::nullopt},
            {0x03A3, 0, std::nullopt},
            {Qt::Key_Z, 25, std::nullopt}, // AZERTY: Z on the key of W
            {Qt::Key_W, 52, keys::W},      // and W where it is labelled
            {Qt::Key_Comma, 25, std::nullopt},
            {Qt::Key_Up, 25, keys::Up},
        };
        for (const auto& row : rows) {
            QCOMPARE(virtualKeyCode(row.key, row.scanCode), row.code);
        }

        // The window hands the key's scan code on.
        QKeyEvent event(QEvent::KeyPress, 0x0424, Qt::NoModifier, 38, 0, 0);
        QApplication::sendEvent(board(), &event);
        QCOMPARE(window->game().state().Kierunek2, 40);
    }

    void heldTurboSurvivesAutoRepeat() {
        const GameState& state = window->game().state();
        for (int key : {Qt::Key_Shift, Qt::Key_Space}) {
            const Bool16& turbo = key == Qt::Key_Shift ? state.Turbo1 : state.Turbo2;
            press(key);
            QCOMPARE(turbo, Bool16::True);
            release(key, true);
            QCOMPARE(turbo, Bool16::True);
            pressRepeated(key);
            QCOMPARE(turbo, Bool16::True);
            release(key);
            QCOMPARE(turbo, Bool16::False);
        }
    }

    // The offscreen platform repeats no key, as X11 and Wayland do not repeat Shift: a turbo key
    // held into a new round must give its player turbo there all the same.
    void heldTurboKeysLastIntoTheNextRound() {
        const GameState& state = window->game().state();
        const std::pair<const char*, std::function<void()>> newRounds[] = {
            {"Nowa gra", [this] { action("mnunowagra")->trigger(); }},
            {"a crash found by the fast tick",
             [this] {
                 window->game().state().Poczatek1 = 30; // on the top row, heading up
                 emit window->timers().timeout(Timer::Timer2);
             }},
        };
        const struct {
            std::vector<int> pressed, released;
            bool focusLost;
            Bool16 turbo1, turbo2;
        } holds[] = {
            {{Qt::Key_Shift}, {}, false, Bool16::True, Bool16::False},
            {{Qt::Key_Space}, {}, false, Bool16::False, Bool16::True},
            {{Qt::Key_Shift, Qt::Key_Space}, {}, false, Bool16::True, Bool16::True},
            {{Qt::Key_Shift, Qt::Key_Space}, {Qt::Key_Space}, false, Bool16::True, Bool16::False},
            // Released where the board could not hear it.
            {{Qt::Key_Shift, Qt::Key_Space}, {}, true, Bool16::False, Bool16::False},
        };
        for (const auto& [name, newRound] : newRounds) {
            for (const auto& hold : holds) {
                action("mnunowagra")->trigger();
                for (int key : hold.pressed) {
                    press(key);
                }
                for (int key : hold.released) {
                    release(key);
                }
                if (hold.focusLost) {
                    board()->clearFocus();
                    board()->setFocus();
                }
                const std::string before = window->counterCaption(Player::One);
                newRound();
                QVERIFY2(state.Poczatek1 == 390, name);
                QVERIFY2(state.Turbo1 == hold.turbo1, name);
                QVERIFY2(state.Turbo2 == hold.turbo2, name);
                release(Qt::Key_Shift);
                release(Qt::Key_Space);
            }
        }
        QCOMPARE(window->counterCaption(Player::One), "5");
    }

    // Two of SDL's virtual pads through the window's own reader: the first plugged in plays
    // red, the second blue. They steer, hold turbo into the round after a crash, and give the
    // menu's commands with the menu's enabled states.
    void padsPlayAsTheirPlayersKeys() {
        const GameState& state = window->game().state();
        QSignalSpy handled(&window->padReader(), &PadReader::handled);
        VirtualPad red;
        VirtualPad blue;
        QTRY_COMPARE(window->pads().player(red.id()), Player::One);
        QTRY_COMPARE(window->pads().player(blue.id()), Player::Two);
        red.click(SDL_CONTROLLER_BUTTON_BACK); // "Pauza" is disabled until a round starts
        red.click(SDL_CONTROLLER_BUTTON_START);
        QTRY_COMPARE(state.Poczatek1, 390);
        QVERIFY(!action("mnupauza")->isChecked());

        red.click(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        blue.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
        QTRY_COMPARE(state.Kierunek1, 4);
        QTRY_COMPARE(state.Kierunek2, 60);
        // The left stick steers up and down too; the right stick steers nothing.
        blue.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
        blue.axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
        red.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
        QTRY_COMPARE(state.Kierunek2, 20);
        QTRY_COMPARE(state.Kierunek1, 8);
        qsizetype before = handled.count();
        red.axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
        red.axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
        red.axis(SDL_CONTROLLER_AXIS_RIGHTY, 32767);
        red.click(SDL_CONTROLLER_BUTTON_A);
        QTRY_COMPARE(handled.count(), before + 3);
        QCOMPARE(state.Kierunek1, 8);

        red.button(SDL_CONTROLLER_BUTTON_A, true);
        blue.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
        QTRY_VERIFY(state.Turbo1 == Bool16::True && state.Turbo2 == Bool16::True);
        press(Qt::Key_Shift);
        release(Qt::Key_Shift);
        QCOMPARE(state.Turbo1, Bool16::True); // the pad still holds it

        window->game().state().Kierunek1 = 8;
        window->game().state().Poczatek1 = 30; // on the top row, heading up
        emit window->timers().timeout(Timer::Timer2);
        QCOMPARE(window->counterCaption(Player::One), "1");
        QCOMPARE(state.Poczatek1, 390);
        QCOMPARE(state.Turbo1, Bool16::True);
        QCOMPARE(state.Turbo2, Bool16::True);

        red.button(SDL_CONTROLLER_BUTTON_A, false);
        QTRY_COMPARE(state.Turbo1, Bool16::False);
        blue.unplug(); // its trigger still pulled
        QTRY_COMPARE(state.Turbo2, Bool16::False);
        VirtualPad green;
        QTRY_COMPARE(window->pads().player(green.id()), Player::Two);
        green.click(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        QTRY_COMPARE(state.Kierunek2, 40);

        red.click(SDL_CONTROLLER_BUTTON_BACK);
        QTRY_VERIFY(action("mnupauza")->isChecked());

        // Without the keyboard the board hears no pad either.
        board()->clearFocus();
        before = handled.count();
        red.click(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        QTRY_COMPARE(handled.count(), before + 2);
        QCOMPARE(state.Kierunek1, 8);
        board()->setFocus();
        red.click(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        QTRY_COMPARE(state.Kierunek1, 4);
    }

    // The pads' device watch, on stand-ins for a pad's device node. A node with input wakes the
    // reader once, and again at its next input; a node that has gone reads as its end, or as an
    // error, for ever, and wakes the reader once, not over and over.
    void deviceWatchWakesOnceForEachInput() {
        QTemporaryDir folder;
        const auto quiet = [] {
            for (int round = 0; round < 10; ++round) {
                QCoreApplication::processEvents();
            }
        };
        const char report[24] = {};
        const auto send = [&](int fd) {
            QCOMPARE(::write(fd, report, sizeof report), ssize_t(sizeof report));
        };
        enum class Node { Reports, PulledOut, Fails };
        for (Node node : {Node::Reports, Node::PulledOut, Node::Fails}) {
            DeviceWatch watch(folder.path(), folder.path());
            QSignalSpy wakes(&watch, &DeviceWatch::wake);
            int ends[2] = {-1, -1};
            QCOMPARE(::pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
            if (node == Node::Fails) {
                // A folder reads only as an error, and always has something to read.
                ::close(ends[0]);
                ::close(ends[1]);
                ends[0] = ::open(QFile::encodeName(folder.path()).constData(),
                                 O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
                ends[1] = -1;
            } else {
                send(ends[1]);
            }
            if (node == Node::Reports) {
                watch.watchInput(1, ends[0]);
                QTRY_COMPARE(wakes.count(), 1);
                quiet();
                QCOMPARE(wakes.count(), 1);
                send(ends[1]);
                QTRY_COMPARE(wakes.count(), 2);
                quiet();
                QCOMPARE(wakes.count(), 2);
            }
            if (ends[1] >= 0) {
                ::close(ends[1]); // the pad is pulled out
            }
            if (node != Node::Reports) {
                watch.watchInput(1, ends[0]);
            }
            const qsizetype gone = node == Node::Reports ? 3 : 1;
            QTRY_COMPARE(wakes.count(), gone);
            quiet();
            QCOMPARE(wakes.count(), gone);
        }
    }

    // A pad plugged in shows as a change in the folder of devices, which may not exist yet;
    // the wakes go on while the system sets the new device up.
    void deviceWatchWakesWhileANewDeviceSettles() {
        QTemporaryDir folder;
        DeviceWatch watch(folder.filePath(QStringLiteral("input")), folder.path());
        QSignalSpy wakes(&watch, &DeviceWatch::wake);
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("input")));
        QTRY_VERIFY(wakes.count() >= 1);
        const qsizetype changed = wakes.count();
        QTRY_VERIFY(wakes.count() >= changed + 3);
    }

    // The board's own rendering, read back from the window's backing store: every move is on
    // it before the next moment's timers can change the board again, even when the event loop
    // falls behind and several moments are due at once. A new round's board follows once the
    // last move has been shown for a refresh.
    void everyMoveIsRenderedBeforeTheNextMoment() {
        auto* view = window->boardView();
        const QWidget* countdown = window->findChild<QLabel*>(QStringLiteral("Label2"));
        // Cells the countdown label covers while it shows are left as they are.
        const auto renderedCells = [&] {
            const QImage image = window->screen()->grabWindow(window->winId()).toImage();
            std::vector<QColor> cells;
            for (int index = 1; index <= board::CellCount; ++index) {
                const QPoint centre =
                    view->mapTo(window.get(), BoardView::cellRect(index).center());
                const bool covered = countdown->isVisible() &&
                                     countdown->geometry().contains(
                                         countdown->parentWidget()->mapFrom(window.get(), centre));
                cells.push_back(covered ? QColor(window->cellColour(index).red,
                                                 window->cellColour(index).green,
                                                 window->cellColour(index).blue)
                                        : image.pixelColor(centre));
            }
            return cells;
        };
        const auto modelCells = [&] {
            std::vector<QColor> cells;
            for (int index = 1; index <= board::CellCount; ++index) {
                const Colour colour = window->cellColour(index);
                cells.emplace_back(colour.red, colour.green, colour.blue);
            }
            return cells;
        };

        FormTimers& timers = window->timers();
        std::optional<std::int64_t> moment;
        bool settledSinceMoment = true;
        int momentsWithoutSettle = 0, renderingsBehind = 0, renderingsChanged = 0, moments = 0;
        std::vector<QColor> lastRendering;
        connect(&timers, &FormTimers::timeout, this, [&](Timer) {
            if (timers.now() == moment) {
                return;
            }
            momentsWithoutSettle += settledSinceMoment ? 0 : 1;
            settledSinceMoment = false;
            moment = timers.now();
            // Now and then a moment takes longer than two fast ticks.
            if (++moments % 8 == 0) {
                QThread::msleep(45);
            }
        });
        connect(&timers, &FormTimers::settled, this, [&] {
            settledSinceMoment = true;
            if (view->holding()) {
                return;
            }
            const std::vector<QColor> rendering = renderedCells();
            renderingsBehind += rendering == modelCells() ? 0 : 1;
            renderingsChanged += rendering == lastRendering ? 0 : 1;
            lastRendering = rendering;
        });

        action("mnuspeed(4)")->trigger();
        action("mnunowagra")->trigger();
        for (int tick = 0; tick < 4; ++tick) {
            window->game().Timer3_Timer();
        }
        // Player 1 runs left in turbo along its row towards player 2's trail; player 2 goes up
        // into the top edge. Whoever gets there first ends the round.
        press(Qt::Key_Left);
        press(Qt::Key_Shift);
        QTRY_VERIFY_WITH_TIMEOUT(window->counterCaption(Player::One) != "0" ||
                                     window->counterCaption(Player::Two) != "0",
                                 5000);
        release(Qt::Key_Shift);

        QCOMPARE(momentsWithoutSettle, 0);
        QCOMPARE(renderingsBehind, 0);
        QVERIFY2(renderingsChanged > 10, "the board was never seen to change");
        QTRY_VERIFY(!view->holding());
        QCOMPARE(renderedCells(), modelCells());
    }

    // A crash can follow the last move by less than a frame. The new round's board then waits
    // until that move has been on screen for one refresh, and follows by itself afterwards.
    void aNewBoardWaitsUntilTheLastMoveWasShownOneRefresh() {
        auto* view = window->boardView();
        const auto rendered = [&](int index) {
            const QImage image = window->screen()->grabWindow(window->winId()).toImage();
            return image.pixelColor(view->mapTo(window.get(), BoardView::cellRect(index).center()));
        };
        QElapsedTimer sinceShown;
        sinceShown.start();
        window->setCellColour(5, colours::Player1Head); // the last move
        view->paintChangedCells();
        window->setCellColour(5, colours::Free); // the new round's board
        window->repaintNow();
        if (sinceShown.nsecsElapsed() / 1e6 >= view->refreshInterval()) {
            QSKIP("the machine took longer than a refresh to get here");
        }
        QVERIFY(view->holding());
        QCOMPARE(rendered(5), QColor(Qt::red));
        QTRY_VERIFY(!view->holding());
        QCOMPARE(rendered(5), QColor(Qt::black));
    }

    void countdownLabelShowsTheDigits() {
        auto* countdown = window->findChild<QLabel*>(QStringLiteral("Label2"));
        action("mnunowagra")->trigger();
        window->game().Timer3_Timer();
        QVERIFY(countdown->isVisible());
        QCOMPARE(countdown->text(), QStringLiteral("3"));
        QCOMPARE(countdown->pos(), QPoint(312, 56));
        window->game().Timer3_Timer();
        window->game().Timer3_Timer();
        window->game().Timer3_Timer();
        QVERIFY(!countdown->isVisible());
        QCOMPARE(countdown->text(), QStringLiteral("4"));
    }

    void timersArePreciseAndIdleUntilAGameStarts() {
        QCOMPARE(window->timers().wakeUp().timerType(), Qt::PreciseTimer);
        QVERIFY(!window->timers().wakeUp().isActive());
        QCOMPARE(window->timerInterval(Timer::Timer3), 700);
    }

    // The rules enable the ticks again at the end of every countdown, even while they run. The
    // countdown timer, on a short interval, stands in for them: its first ticks move nothing.
    void enablingARunningTimerKeepsItsSchedule() {
        std::vector<std::int64_t> fired;
        connect(&window->timers(), &FormTimers::timeout, this,
                [&](Timer) { fired.push_back(window->timers().now()); });
        window->setTimerInterval(Timer::Timer3, 50);
        window->setTimerEnabled(Timer::Timer3, true);
        const std::optional<std::int64_t> due = window->timers().nextDue();
        QVERIFY(due);
        QTest::qWait(20);
        window->setTimerEnabled(Timer::Timer3, true);
        window->setTimerInterval(Timer::Timer3, 50);
        QTRY_COMPARE(fired.size(), std::size_t{2});
        QCOMPARE(fired, (std::vector<std::int64_t>{*due, *due + 50}));

        // A new interval restarts it from now.
        window->setTimerInterval(Timer::Timer3, 60);
        QCOMPARE(window->timers().nextDue(), window->timers().now() + 60);
    }

    void lookupOutsideTheBoardFails() {
        for (int index : {0, -35, 921}) {
            QVERIFY_THROWS_EXCEPTION(board::CellLookupError, window->cellColour(index));
            QVERIFY_THROWS_EXCEPTION(board::CellLookupError,
                                     window->setCellColour(index, colours::Player1Head));
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
