// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BoardView.h"
#include "GameOverDialog.h"
#include "MainWindow.h"
#include "OnlineScreen.h"
#include "RoomInviteDialog.h"
#include "Server.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <memory>

using namespace zirvel;
using State = client::RoomClient::State;

namespace {

// Everything the window shows of a game, to compare before and after a room.
struct Picture {
    std::vector<Colour> cells;
    std::string counters;
    std::string countdown;
    std::vector<bool> menu;

    explicit Picture(MainWindow& window) {
        for (int index = 1; index <= board::CellCount; ++index) {
            cells.push_back(window.cellColour(index));
        }
        counters = window.counterCaption(Player::One) + " " + window.counterCaption(Player::Two);
        countdown = window.countdownCaption() + (window.countdownVisible() ? " shown" : "");
        for (int item = 0; item < 6; ++item) {
            menu.push_back(window.menuEnabled(static_cast<MenuItem>(item)));
            menu.push_back(window.menuChecked(static_cast<MenuItem>(item)));
        }
        menu.push_back(window.findChild<QAction*>(QStringLiteral("mnunowagra"))->isEnabled());
    }
    bool operator==(const Picture&) const = default;
};

// Where the player's head is on the board: its column and row.
std::optional<QPoint> head(MainWindow& window, Player player) {
    const Colour colour = player == Player::One ? colours::Player1Head : colours::Player2Head;
    for (int index = 1; index <= board::CellCount; ++index) {
        if (window.cellColour(index) == colour) {
            return QPoint((index - 1) % board::Columns, (index - 1) / board::Columns);
        }
    }
    return std::nullopt;
}

} // namespace

class OnlineTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir site;
    std::unique_ptr<server::Server> server;
    QString address;

    std::unique_ptr<MainWindow> open() {
        auto window = std::make_unique<MainWindow>([](const QUrl&) {});
        window->show();
        return window;
    }
    // The window's questions get these answers, in order.
    static void answer(MainWindow& window, QStringList answers) {
        auto queue = std::make_shared<std::deque<QString>>(answers.begin(), answers.end());
        window.online().setAsk([queue](const QString&, const QString&) -> std::optional<QString> {
            if (queue->empty()) {
                return std::nullopt;
            }
            QString next = queue->front();
            queue->pop_front();
            return next;
        });
    }
    static QAction* action(MainWindow& window, const char* name) {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    }
    // The message shown to the user, closed once read; empty while there is none.
    static QString message(MainWindow& window) {
        auto* box = window.findChild<QMessageBox*>(QStringLiteral("komunikat"));
        if (!box) {
            return {};
        }
        const QString text = box->text();
        box->accept();
        return text;
    }
    static QString status(MainWindow& window) { return window.online().statusLine()->text(); }
    static void key(MainWindow& window, Qt::Key key) {
        QTest::keyPress(window.boardView(), key);
        QTest::keyRelease(window.boardView(), key);
    }

private slots:
    void initTestCase() {
        QVERIFY(site.isValid());
        QFile page(site.filePath(QStringLiteral("zirvel2.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<!doctype html>");
        page.close();
        server = std::make_unique<server::Server>(QDir(site.path()));
        const std::optional<quint16> port = server->listen(QHostAddress::LocalHost, 0);
        QVERIFY(port);
        address = QStringLiteral("http://127.0.0.1:%1/").arg(*port);
    }

    // One window creates a room, the other joins it with the invite link; each steers only its
    // own head, both show the same round, and leaving brings each local game back as it stood.
    void twoWindowsPlayARoom() {
        std::unique_ptr<MainWindow> red = open();
        std::unique_ptr<MainWindow> blue = open();
        action(*red, "mnunowagra")->trigger();
        QTest::qWait(100);
        const Picture redLocal(*red);
        const Picture blueLocal(*blue);
        const QSize localSize = red->size();
        QVERIFY(!red->statusBar()->isVisible());

        answer(*red, {address});
        action(*red, "mnuzaloz")->trigger();
        QTRY_COMPARE(red->online().client().state(), State::InRoom);
        const std::string code = red->online().client().status().code;
        auto* invite = red->findChild<RoomInviteDialog*>(QStringLiteral("dlgpokoj"));
        QVERIFY(invite);
        QCOMPARE(invite->findChild<QLabel*>(QStringLiteral("kod"))->text().toStdString(), code);
        const QString link = invite->findChild<QLabel*>(QStringLiteral("link"))->text();
        QCOMPARE(link,
                 address + QStringLiteral("zirvel2.html?pokoj=") + QString::fromStdString(code));
        invite->accept();
        QVERIFY(!red->timers().wakeUp().isActive());
        QVERIFY(!action(*red, "mnuzaloz")->isEnabled());
        QVERIFY(!action(*red, "mnudolacz")->isEnabled());
        QVERIFY(action(*red, "mnuopusc")->isEnabled());
        QVERIFY(!red->findChild<QMenu*>(QStringLiteral("mnugracz1"))->isEnabled());
        QVERIFY(red->statusBar()->isVisible());
        QCOMPARE(red->centralWidget()->geometry().size(), QSize(674, 452));

        // A pasted link, in any case and with stray spaces.
        answer(*blue, {address, QStringLiteral("  ") + link.toLower() + QStringLiteral(" ")});
        action(*blue, "mnudolacz")->trigger();
        QTRY_COMPARE(blue->online().client().state(), State::InRoom);
        QCOMPARE(blue->online().client().status().seat, protocol::Seat::Blue);
        QTRY_VERIFY2(status(*red).startsWith(
                         QStringLiteral("Pokój %1 · czerwony · niebieski: jest · opóźnienie ")
                             .arg(QString::fromStdString(code))),
                     qPrintable(status(*red)));

        action(*red, "mnuspeed(4)")->trigger();
        QTRY_VERIFY(blue->menuChecked(MenuItem::Speed4));
        action(*blue, "mnunowagra")->trigger();
        // Both heads start up the board; each window's arrow steers its own seat's head.
        QTRY_VERIFY(head(*red, Player::One) && head(*red, Player::Two));
        const std::optional<QPoint> redStart = head(*red, Player::One);
        const std::optional<QPoint> blueStart = head(*red, Player::Two);
        QTRY_VERIFY_WITH_TIMEOUT(head(*red, Player::One) != redStart, 5000);
        key(*red, Qt::Key_Left);
        QTRY_VERIFY(head(*red, Player::One)->x() < redStart->x());
        QCOMPARE(head(*red, Player::Two)->x(), blueStart->x());
        key(*blue, Qt::Key_Left);
        QTRY_VERIFY(head(*blue, Player::Two)->x() < blueStart->x());

        // The round ends with a crash: both windows count it alike, on the same board.
        QTRY_VERIFY_WITH_TIMEOUT(red->counterCaption(Player::One) != "0" ||
                                     red->counterCaption(Player::Two) != "0",
                                 5000);
        QTRY_VERIFY(Picture(*red) == Picture(*blue));

        // The room's game-over window opens on both screens and closes on both.
        action(*red, "mnukoniecgry")->trigger();
        QTRY_VERIFY(red->online().gameOver() && blue->online().gameOver());
        blue->online().gameOver()->findChild<QPushButton*>(QStringLiteral("cmdkoniec"))->click();
        QTRY_VERIFY(!red->online().gameOver() && !blue->online().gameOver());
        QTRY_COMPARE(red->counterCaption(Player::One) + red->counterCaption(Player::Two), "00");

        action(*red, "mnuopusc")->trigger();
        QCOMPARE(red->online().client().state(), State::Idle);
        QVERIFY(Picture(*red) == redLocal);
        QVERIFY(red->timers().wakeUp().isActive());
        QVERIFY(action(*red, "mnuzaloz")->isEnabled());
        QVERIFY(red->findChild<QMenu*>(QStringLiteral("mnugracz1"))->isEnabled());
        QVERIFY(!red->statusBar()->isVisible());
        QTRY_COMPARE(red->size(), localSize);
        QTRY_VERIFY2(status(*blue).contains(QStringLiteral("czerwony: brak")),
                     qPrintable(status(*blue)));
        action(*blue, "mnuopusc")->trigger();
        QVERIFY(Picture(*blue) == blueLocal);
        QCOMPARE(message(*red), QString());
        QCOMPARE(message(*blue), QString());
    }

    // Refusals and failures before any room: a message, and the local game goes on untouched.
    void failuresLeaveTheLocalGame() {
        const struct {
            const char* name;
            const char* action;
            QStringList answers;
            QString message;
        } rows[] = {
            {"a wrong code",
             "mnudolacz",
             {address, QStringLiteral("ZZZZZZZZZZ")},
             QString::fromStdString(
                 client::messageFor(protocol::Refused{protocol::Reason::NoSuchRoom}))},
            {"no code at all",
             "mnudolacz",
             {address, QStringLiteral("hej")},
             QString::fromStdString(
                 client::messageFor(protocol::Refused{protocol::Reason::NoSuchRoom}))},
            {"an unreachable server",
             "mnuzaloz",
             {QStringLiteral("http://127.0.0.1:1/")},
             QStringLiteral("Nie można połączyć się z serwerem http://127.0.0.1:1/.")},
        };
        for (const auto& row : rows) {
            std::unique_ptr<MainWindow> window = open();
            const Picture local(*window);
            answer(*window, row.answers);
            action(*window, row.action)->trigger();
            QTRY_COMPARE_WITH_TIMEOUT(message(*window), row.message, 5000);
            QCOMPARE(window->online().client().state(), State::Idle);
            QVERIFY2(Picture(*window) == local, row.name);
            QVERIFY(!window->statusBar()->isVisible());
            QVERIFY(action(*window, "mnuzaloz")->isEnabled());
        }
    }
};

QTEST_MAIN(OnlineTest)
#include "OnlineTest.moc"
