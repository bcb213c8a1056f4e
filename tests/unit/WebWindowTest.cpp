// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WebWindow.h"

#include "Page.h"
#include "RoomPicture.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using namespace zirvel;

namespace {

// What the page's script would see: its clock, which the test sets, and the one wake-up the
// game has armed.
struct FakePage {
    double clock = 0;
    std::optional<double> wakeAt;
    // What the page was told about the round, in order: S started, R running, - neither.
    std::string rounds;
    // The cells painted, in order, and when the window's and the room's picture asked to end
    // their holds.
    std::vector<int> painted;
    std::optional<double> holdEndAt;
    std::optional<double> roomHoldEndAt;
};

FakePage fakePage;

// Runs every wake-up the page has armed by `until`, on time.
void runUntil(WebWindow& window, double until) {
    while (fakePage.wakeAt && *fakePage.wakeAt <= until) {
        fakePage.clock = *fakePage.wakeAt;
        fakePage.wakeAt.reset();
        window.wakeUp();
    }
    fakePage.clock = until;
}

} // namespace

extern "C" double emscripten_get_now() {
    return fakePage.clock;
}

namespace page {

void armWakeUp(double milliseconds) {
    fakePage.wakeAt =
        milliseconds < 0 ? std::nullopt : std::optional<double>(fakePage.clock + milliseconds);
}
void armHoldEnd(double milliseconds) {
    fakePage.holdEndAt = fakePage.clock + milliseconds;
}
void paintCell(int index, int, int, int) {
    fakePage.painted.push_back(index);
}
void setCounter(int, const char*) {}
void setCountdown(const char*, bool) {}
void setMenu(int, bool, bool) {}
void setSeat(int, int) {}
void showGameOver(const char*, const char*) {}
void setRound(bool started, bool running) {
    fakePage.rounds += started ? (running ? "SR " : "S ") : "- ";
}
void timerFired(int, double, double) {}
void openSocket(const char*) {}
void sendSocket(const char*) {}
void closeSocket() {}
void armRoomWakeUp(double) {}
void armRoomHoldEnd(double milliseconds) {
    fakePage.roomHoldEndAt = fakePage.clock + milliseconds;
}
void roomEntered() {}
void roomLeft() {}
void showRoomStatus(const char*, int, int, int, int, int, bool) {}
void closeGameOver() {}
void tell(const char*) {}

} // namespace page

// A hidden page stands still: shown again, every timer is postponed by the time it was hidden,
// the countdown with the ticks, and the wake-up is armed again for the postponed moment.
TEST(WebWindow, AHiddenPageTakesUpItsTimersWhereTheyWere) {
    const struct {
        const char* name;
        double hiddenAt;  // after "Nowa gra" at 0
        double wakeUpDue; // before hiding
        std::string countdown;
        bool ticking;
        std::string countdownAfter; // once the postponed moment has come
        bool tickingAfter;
    } cases[] = {
        {"during the countdown", 500, 700, "4", false, "3", false},
        {"at the countdown's last digit", 2500, 2800, "1", false, "4", true},
        {"during the round", 3010, 3050, "4", true, "4", true},
    };
    constexpr double HiddenFor = 5000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakePage = {};
        WebWindow window(1000.0 / 60);
        window.command(WebWindow::Command::NowaGra);
        runUntil(window, c.hiddenAt);
        ASSERT_EQ(fakePage.wakeAt, c.wakeUpDue);
        window.setHidden(true);
        EXPECT_EQ(fakePage.wakeAt, std::nullopt);
        fakePage.clock += HiddenFor;
        window.setHidden(true); // still hidden: changes nothing
        window.setHidden(false);
        EXPECT_EQ(fakePage.wakeAt, c.wakeUpDue + HiddenFor);
        runUntil(window, c.wakeUpDue + HiddenFor - 1);
        EXPECT_EQ(window.countdownCaption(), c.countdown);
        EXPECT_EQ(window.timerEnabled(Timer::Timer1), c.ticking);
        runUntil(window, c.wakeUpDue + HiddenFor);
        EXPECT_EQ(window.countdownCaption(), c.countdownAfter);
        EXPECT_EQ(window.timerEnabled(Timer::Timer1), c.tickingAfter);
        EXPECT_GT(fakePage.wakeAt, fakePage.clock); // and the next one is armed
    }
}

// The page hears of every change between no game, a running round (countdown included) and a
// paused one, once each, whatever started or ended it: a crash runs on into the next round.
TEST(WebWindow, ThePageHearsWhetherARoundRuns) {
    fakePage = {};
    WebWindow window(1000.0 / 60);
    EXPECT_EQ(fakePage.rounds, "");
    window.command(WebWindow::Command::Pauza); // disabled before any game
    window.command(WebWindow::Command::NowaGra);
    runUntil(window, 3000);
    window.command(WebWindow::Command::Pauza);
    runUntil(window, 4000);
    window.command(WebWindow::Command::Pauza);
    // Both heads run up into the top edge; the next round's countdown follows.
    runUntil(window, 9000);
    window.command(WebWindow::Command::KoniecGry);
    runUntil(window, 12000);
    window.command(WebWindow::Command::NowaGra);
    EXPECT_EQ(fakePage.rounds, "SR S SR - SR ");
}

// A resting finger asks the page to check back when it may take turbo, and stops asking once
// it has, once it has swiped, or once it is lifted.
TEST(WebWindow, ARestingFingerAsksForOneCheckAtItsHoldDelay) {
    fakePage = {};
    WebWindow window(1000.0 / 60);
    constexpr float Width = 800;
    EXPECT_EQ(window.touchDown(1, {600, 300}, Width), Touches::HoldDelay);
    fakePage.clock = 100;
    EXPECT_EQ(window.touchMove(1, {605, 310}), Touches::HoldDelay - 100);
    EXPECT_EQ(window.touchDown(2, {100, 300}, Width), Touches::HoldDelay - 100);
    fakePage.clock = Touches::HoldDelay;
    EXPECT_EQ(window.touchCheck(), 100);
    EXPECT_EQ(window.touchMove(2, {100, 200}), -1);
    EXPECT_EQ(window.touchDown(3, {700, 300}, Width), Touches::HoldDelay);
    EXPECT_EQ(window.touchUp(3), -1);
    window.quit();
    EXPECT_EQ(window.touchDown(4, {700, 300}, Width), -1);
}

// Pads as the page hands them over: Start gives "Nowa gra" and Back "Pauza", with the menu's
// enabled states; a pad that waits gives nothing until one that plays has gone.
TEST(WebWindow, PadsGiveTheMenuCommandsAndHandOverTheirPlayer) {
    enum class Act { Connect, Disconnect, Start, Back };
    struct Step {
        Act act;
        PadId pad;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
        bool started;
        bool paused;
    } cases[] = {
        {"Start", {{Act::Connect, 0}, {Act::Start, 0}}, true, false},
        {"Back before any game", {{Act::Connect, 0}, {Act::Back, 0}}, false, false},
        {"Start, then Back", {{Act::Connect, 0}, {Act::Start, 0}, {Act::Back, 0}}, true, true},
        {"a second pad", {{Act::Connect, 0}, {Act::Connect, 1}, {Act::Start, 1}}, true, false},
        {"a third pad, which waits",
         {{Act::Connect, 0}, {Act::Connect, 1}, {Act::Connect, 2}, {Act::Start, 2}},
         false,
         false},
        {"a third pad, once the first has gone",
         {{Act::Connect, 0},
          {Act::Connect, 1},
          {Act::Connect, 2},
          {Act::Disconnect, 0},
          {Act::Start, 2}},
         true,
         false},
        {"a pad that has gone",
         {{Act::Connect, 0}, {Act::Disconnect, 0}, {Act::Start, 0}},
         false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakePage = {};
        WebWindow window(1000.0 / 60);
        for (const Step& step : c.steps) {
            switch (step.act) {
            case Act::Connect:
                window.padConnected(step.pad);
                break;
            case Act::Disconnect:
                window.padDisconnected(step.pad);
                break;
            case Act::Start:
            case Act::Back:
                window.padChanged(step.pad,
                                  {step.act == Act::Start ? padButtons::Start : padButtons::Back});
                window.padChanged(step.pad, {});
                break;
            }
        }
        EXPECT_EQ(window.menuEnabled(MenuItem::Pauza), c.started);
        EXPECT_EQ(window.menuChecked(MenuItem::Pauza), c.paused);
    }
}

// With the computer on both sides the page's game plays itself, round after round: the
// computers act after the timer events that the page's wake-ups fire.
TEST(WebWindow, TwoComputersPlayRoundAfterRound) {
    fakePage = {};
    WebWindow window(1000.0 / 60);
    window.command(WebWindow::Command::Speed4);
    window.choosePlayer(Player::One, opponent::Level::Easy);
    window.choosePlayer(Player::Two, opponent::Level::Hard);
    window.command(WebWindow::Command::NowaGra);
    const auto rounds = [&] {
        return std::stoi(window.counterCaption(Player::One)) +
               std::stoi(window.counterCaption(Player::Two));
    };
    for (double until = 100; rounds() < 2; until += 100) {
        runUntil(window, until);
        ASSERT_LT(until, 240'000) << "the rounds did not end";
    }
}

// The window paints its changed cells when the rules repaint, and holds them as a room's
// picture does (below); a timer that wakes early arms it again. While a room covers the page the
// window's cells wait, and once the room has gone its whole picture comes back as it stood.
TEST(WebWindow, ARepaintHoldsTheNextCellsForOneFrameAndARoomCoversThem) {
    constexpr double Frame = 1000.0 / 60;
    constexpr double MoveAt = 100;
    const Colour red{255, 0, 0};
    const struct {
        const char* name;
        double repaintAfter; // the move, cell 7
        bool inRoom;         // from after the move
        std::vector<int> paintedAtOnce;
        std::optional<double> holdEnds;
        std::vector<int> paintedOnceHeld;
    } cases[] = {
        {"right after the move", 2, false, {7}, MoveAt + Frame, {7, 8}},
        {"a frame after the move", Frame, false, {7, 8}, std::nullopt, {7, 8}},
        {"under a room", Frame, true, {7}, std::nullopt, {7}},
        {"under a room, right after the move", 2, true, {7}, MoveAt + Frame, {7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakePage = {};
        WebWindow window(Frame);
        window.repaintNow(); // the board as the rules start it
        fakePage = {};
        fakePage.clock = MoveAt;
        window.setCellColour(7, red);
        window.repaintNow();
        if (c.inRoom) {
            window.enterRoom();
        }
        fakePage.clock = MoveAt + c.repaintAfter;
        window.setCellColour(8, red);
        window.repaintNow();
        EXPECT_EQ(fakePage.painted, c.paintedAtOnce);
        EXPECT_EQ(fakePage.holdEndAt, c.holdEnds);
        if (c.holdEnds) {
            fakePage.clock = *c.holdEnds - 0.5;
            window.holdEnded();
            EXPECT_EQ(fakePage.holdEndAt, *c.holdEnds + 0.5);
            EXPECT_EQ(fakePage.painted, c.paintedAtOnce);
            fakePage.clock = *c.holdEnds + 0.5;
            window.holdEnded();
        }
        EXPECT_EQ(fakePage.painted, c.paintedOnceHeld);
        if (c.inRoom) {
            window.leaveRoom();
            EXPECT_EQ(fakePage.painted.size(), c.paintedOnceHeld.size() + board::CellCount);
            window.repaintNow(); // cell 8 is on screen already
            EXPECT_EQ(fakePage.painted.size(), c.paintedOnceHeld.size() + board::CellCount);
        }
    }
}

// A room's crash arrives as its last move, a repaint, and at once the next round's board: the
// move stays on screen one whole frame before the new board replaces it. Without a move shown
// within the last frame nothing is held. A fresh picture, the next room's, lets go of what was
// held.
TEST(RoomPicture, ARepaintHoldsTheNextCellsForOneFrame) {
    constexpr double Frame = 1000.0 / 60;
    const Colour red{255, 0, 0};
    const struct {
        const char* name;
        double repaintAt; // the last move is painted at 0
        std::vector<int> paintedAtOnce;
        std::optional<double> holdEnds;
        bool freshPicture; // before the hold ends
    } cases[] = {
        {"right after the move", 2, {7}, Frame, false},
        {"a frame after the move", Frame, {7, 8}, std::nullopt, false},
        {"right after the move, then a fresh picture", 2, {7}, Frame, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakePage = {};
        RoomPicture picture([] { return Frame; });
        picture.show();
        fakePage.painted.clear();
        picture.setCellColour(7, red);
        fakePage.clock = c.repaintAt;
        picture.repaintNow();
        picture.setCellColour(8, red);
        EXPECT_EQ(fakePage.painted, c.paintedAtOnce);
        EXPECT_EQ(fakePage.roomHoldEndAt, c.holdEnds);
        if (c.holdEnds && c.freshPicture) {
            picture.show();
            fakePage.painted.clear();
            fakePage.clock = *c.holdEnds;
            picture.holdEnded();
            EXPECT_EQ(fakePage.painted, std::vector<int>{});
            EXPECT_EQ(picture.cellColour(8), Colour{});
        } else if (c.holdEnds) {
            fakePage.clock = *c.holdEnds;
            picture.holdEnded();
            EXPECT_EQ(fakePage.painted, (std::vector<int>{7, 8}));
        }
    }
}
