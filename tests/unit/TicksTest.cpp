// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "KeyCodes.h"
#include "Staging.h"
#include "sim/Simulation.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <vector>

using namespace zirvel;
using namespace zirvel::testing;

namespace {

// A game at "Szybko" (normal tick 200 ms, fast tick 50 ms), just reset with "Nowa gra".
struct TicksTest : ::testing::Test {
    TicksTest() { sim.game.mnunowagra_Click(); }

    const GameState& state() const { return sim.game.state(); }
    std::string counter(Player player) const { return sim.window.counterCaption(player); }

    sim::Simulation sim;
};

// Ticks start 2800 ms after the reset: four countdown ticks of 700 ms.
constexpr std::int64_t CountdownLength = 2800;

} // namespace

TEST_F(TicksTest, StartUpChoosesSzybko) {
    sim::Simulation fresh;
    EXPECT_TRUE(fresh.window.menuChecked(MenuItem::Speed3));
    EXPECT_FALSE(fresh.window.menuChecked(MenuItem::Speed1));
    EXPECT_EQ(fresh.window.timerInterval(Timer::Timer1), 200);
    EXPECT_EQ(fresh.window.timerInterval(Timer::Timer2), 50);
    EXPECT_EQ(fresh.window.timerInterval(Timer::Timer3), 700);
    EXPECT_EQ(fresh.game.state().Odliczanie, 4);
    EXPECT_FALSE(fresh.window.timerEnabled(Timer::Timer1));
}

TEST_F(TicksTest, CountdownShowsThreeTwoOneThenStartsTheTicks) {
    struct Step {
        std::int64_t at;
        bool visible;
        const char* caption;
    };
    const Step steps[] = {{699, false, "4"},
                          {700, true, "3"},
                          {1400, true, "2"},
                          {2100, true, "1"},
                          {2800, false, "4"}};
    for (const Step& step : steps) {
        sim.advance(step.at - sim.window.clock().now());
        SCOPED_TRACE(step.at);
        EXPECT_EQ(sim.window.countdownVisible(), step.visible);
        EXPECT_EQ(sim.window.countdownCaption(), step.caption);
    }
    EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer1));
    EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer2));
    EXPECT_FALSE(sim.window.timerEnabled(Timer::Timer3));

    // The first normal move comes one normal interval after the countdown.
    sim.advance(199);
    EXPECT_EQ(state().Poczatek1, 390);
    sim.advance(1);
    EXPECT_EQ(state().Poczatek1, 350);
    EXPECT_EQ(state().Poczatek2, 330);
}

// At the moment of a normal tick the fast tick runs first, so the move into the top row
// stays in the window until the next fast tick finds both heads about to leave the board.
TEST(TicksAtEveryLevel, HeadsLeftAloneShowTheTopRowUntilTheNextFastTick) {
    const struct {
        std::int16_t level;
        std::int64_t normal;
        std::int64_t onScreen; // from the ninth move to the next fast tick
    } levels[] = {{1, 800, 400}, {2, 600, 200}, {3, 200, 50}, {4, 50, 10}};
    for (const auto& level : levels) {
        SCOPED_TRACE(level.level);
        sim::Simulation sim;
        sim.game.mnuspeed_Click(level.level);
        sim.game.mnunowagra_Click();
        sim.advance(CountdownLength + 9 * level.normal);
        const std::map<int, Colour> topRow{{10, colours::Player2Head}, {30, colours::Player1Head}};
        const auto headsShown = [&] {
            return std::map<int, Colour>{{10, sim.window.cellColour(10)},
                                         {30, sim.window.cellColour(30)}};
        };
        EXPECT_EQ(headsShown(), topRow);
        sim.advance(level.onScreen - 1);
        EXPECT_EQ(headsShown(), topRow);
        EXPECT_EQ(sim.window.counterCaption(Player::One), "0");

        sim.advance(1);
        EXPECT_EQ(sim.window.counterCaption(Player::One), "1");
        EXPECT_EQ(sim.window.counterCaption(Player::Two), "0");
        EXPECT_EQ(occupiedCells(sim.window), StartLayout);
        EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer3));
        EXPECT_FALSE(sim.window.timerEnabled(Timer::Timer1));
        // The scan found the crash, so "Pauza" stays enabled.
        EXPECT_TRUE(sim.window.menuEnabled(MenuItem::Pauza));

        // The next round starts by itself.
        sim.advance(CountdownLength + level.normal);
        EXPECT_EQ(sim.game.state().Poczatek1, 350);
    }
}

// A player in turbo is scanned on the fast tick only: the normal tick due with its fast move
// leaves it a whole fast interval to turn away from what lies ahead.
TEST_F(TicksTest, NormalTickLeavesATurboPlayerToTheFastTick) {
    sim.window.setCellColour(190, colours::Player2Trail);
    sim.game.Form_KeyDown(keys::Shift, 0);
    sim.advance(CountdownLength + 200); // the fourth fast move lands below cell 190
    EXPECT_EQ(state().Poczatek1, 230);
    EXPECT_EQ(state().Poczatek2, 330);
    EXPECT_EQ(counter(Player::One), "0");

    sim.game.Form_KeyDown(keys::Left, 0);
    sim.advance(50);
    EXPECT_EQ(state().Poczatek1, 229);
    EXPECT_EQ(counter(Player::One), "0");
}

TEST_F(TicksTest, TurboPlayersMoveOnTheFastTick) {
    sim.game.Form_KeyDown(keys::Shift, 0);
    sim.advance(CountdownLength + 50);
    EXPECT_EQ(state().Poczatek1, 350);
    EXPECT_EQ(state().Poczatek2, 370);
    sim.advance(150);
    EXPECT_EQ(state().Poczatek1, 230); // four fast moves
    EXPECT_EQ(state().Poczatek2, 330); // one normal move

    sim.game.Form_KeyUp(keys::Shift, 0);
    sim.game.Form_KeyDown(keys::Space, 0);
    sim.advance(200);
    EXPECT_EQ(state().Poczatek1, 190);
    EXPECT_EQ(state().Poczatek2, 170);

    sim.game.Form_KeyDown(keys::Shift, 0);
    sim.game.Form_KeyDown(keys::Right, 0);
    sim.game.Form_KeyDown(keys::D, 0);
    sim.advance(100);
    EXPECT_EQ(state().Poczatek1, 192);
    EXPECT_EQ(state().Poczatek2, 172);
}

TEST_F(TicksTest, SpeedChangesBothIntervalsMidRound) {
    sim.advance(CountdownLength + 200);
    EXPECT_EQ(state().Poczatek1, 350);
    const struct {
        std::int16_t level;
        int normal;
        int fast;
    } levels[] = {{1, 800, 400}, {2, 600, 200}, {3, 200, 50}, {4, 50, 20}};
    for (const auto& level : levels) {
        sim.game.mnuspeed_Click(level.level);
        EXPECT_EQ(sim.window.timerInterval(Timer::Timer1), level.normal);
        EXPECT_EQ(sim.window.timerInterval(Timer::Timer2), level.fast);
        EXPECT_EQ(sim.window.timerInterval(Timer::Timer3), 700);
        EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer1));
        for (std::int16_t other = 1; other <= 4; ++other) {
            EXPECT_EQ(sim.window.menuChecked(
                          static_cast<MenuItem>(static_cast<int>(MenuItem::Speed1) + other - 1)),
                      other == level.level);
        }
    }
    sim.advance(100); // two moves at 50 ms
    EXPECT_EQ(state().Poczatek1, 270);

    sim.game.mnuspeed_Click(0);
    sim.game.Speed(5);
    EXPECT_EQ(sim.window.timerInterval(Timer::Timer1), 50);
    EXPECT_TRUE(sim.window.menuChecked(MenuItem::Speed4));
}

TEST_F(TicksTest, PauseStopsAndResumesTheTicks) {
    sim.advance(CountdownLength + 200);
    sim.game.Form_KeyDown(keys::Space, 0); // a player in turbo stops as well
    sim.game.mnupauza_Click();
    EXPECT_TRUE(sim.window.menuChecked(MenuItem::Pauza));
    sim.game.Form_KeyDown(keys::Left, 0); // steering still works while paused
    sim.advance(5000);
    EXPECT_EQ(state().Poczatek1, 350);
    EXPECT_EQ(state().Poczatek2, 330);
    EXPECT_EQ(counter(Player::Two), "0");
    sim.game.mnupauza_Click();
    EXPECT_FALSE(sim.window.menuChecked(MenuItem::Pauza));
    sim.advance(200);
    EXPECT_EQ(state().Poczatek1, 349);
    EXPECT_EQ(state().Poczatek2, 170); // four fast moves
}

TEST_F(TicksTest, PauseDuringTheCountdownStillStartsTheTicks) {
    sim.advance(1000);
    sim.game.mnupauza_Click();
    sim.advance(CountdownLength - 1000 + 200);
    EXPECT_TRUE(sim.window.menuChecked(MenuItem::Pauza));
    EXPECT_EQ(state().Poczatek1, 350);
    // The next click resumes: the ticks are already running, so this only clears the mark.
    sim.game.mnupauza_Click();
    EXPECT_FALSE(sim.window.menuChecked(MenuItem::Pauza));
    EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer1));
}

TEST_F(TicksTest, NowaGraWhilePausedRunsACountdownAndTheTicks) {
    sim.advance(CountdownLength + 400);
    sim.game.mnupauza_Click();
    sim.game.mnunowagra_Click();
    sim.advance(CountdownLength + 200);
    EXPECT_TRUE(sim.window.menuChecked(MenuItem::Pauza));
    EXPECT_EQ(state().Poczatek1, 350);
}

TEST_F(TicksTest, NowaGraDuringACountdownContinuesIt) {
    sim.advance(1400);
    EXPECT_EQ(sim.window.countdownCaption(), "2");
    sim.game.mnunowagra_Click();
    sim.advance(700);
    EXPECT_EQ(sim.window.countdownCaption(), "1");
    sim.advance(700);
    EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer1));
}

TEST_F(TicksTest, NowaGraDuringARoundKeepsTheTicksRunning) {
    sim.advance(CountdownLength + 200);
    sim.game.mnunowagra_Click();
    sim.advance(200);
    // The heads move during the countdown of the new round.
    EXPECT_EQ(state().Poczatek1, 350);
    EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer3));
}

// A turn made after the last fast-tick scan must not carry a head through a trail or across a
// side edge on the normal tick: the normal tick scans first.
TEST_F(TicksTest, NormalTickCatchesATurnMadeSinceTheLastScan) {
    struct Row {
        const char* name;
        std::int16_t head;
        std::uint16_t key;
        int obstacle; // 0: none
    };
    const Row rows[] = {
        {"into a trail", 500, keys::Left, 499},
        {"across the left edge", 81, keys::Left, 0},
        {"across the right edge", 120, keys::Right, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim::Simulation fresh;
        fresh.game.mnunowagra_Click();
        fresh.game.Timer3_Timer();
        place(fresh.game, Player::One, row.head, 8);
        if (row.obstacle != 0) {
            fresh.window.setCellColour(row.obstacle, colours::Player2Trail);
        }
        fresh.game.Timer2_Timer(); // scan sees a free cell above
        EXPECT_EQ(fresh.window.counterCaption(Player::One), "0");
        fresh.game.Form_KeyDown(row.key, 0);

        fresh.game.Timer1_Timer();

        EXPECT_EQ(fresh.window.counterCaption(Player::One), "1");
        EXPECT_EQ(occupiedCells(fresh.window), StartLayout);
        EXPECT_EQ(fresh.game.state().KoniecGry, Bool16::False);
    }
}

namespace {

// A window whose next write to each chosen cell fails its lookup, so that a move can fail
// after the scan has passed: the only way to reach the tick's crash path for a failed move.
class FailingWritesWindow : public sim::MemoryWindow {
public:
    std::vector<int> failing;
    void setCellColour(int index, Colour colour) override {
        if (const auto found = std::find(failing.begin(), failing.end(), index);
            found != failing.end()) {
            failing.erase(found);
            throw board::CellLookupError(index);
        }
        MemoryWindow::setCellColour(index, colour);
    }
};

} // namespace

TEST(TickCrashPath, FailedMoveEndsTheRoundAndDisablesPauza) {
    struct Row {
        const char* name;
        bool fastTick;
        std::vector<int> failing;
        const char* counter1;
        const char* counter2;
    };
    const Row rows[] = {
        {"player 1 on the normal tick skips player 2", false, {350}, "1", "0"},
        {"player 2 on the normal tick", false, {330}, "0", "1"},
        {"player 1 on the fast tick", true, {350}, "1", "0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FailingWritesWindow window;
        Game game(window);
        game.Form_Load();
        game.mnunowagra_Click();
        game.Timer3_Timer();
        if (row.fastTick) {
            game.Form_KeyDown(keys::Shift, 0);
        }
        window.failing = row.failing;

        row.fastTick ? game.Timer2_Timer() : game.Timer1_Timer();

        EXPECT_EQ(window.counterCaption(Player::One), row.counter1);
        EXPECT_EQ(window.counterCaption(Player::Two), row.counter2);
        EXPECT_FALSE(window.menuEnabled(MenuItem::Pauza));
        EXPECT_FALSE(window.timerEnabled(Timer::Timer1));
        EXPECT_FALSE(window.timerEnabled(Timer::Timer2));
        EXPECT_TRUE(window.timerEnabled(Timer::Timer3));
        // Nothing moved after the crash path: both heads stand on their start cells.
        EXPECT_EQ(game.state().Poczatek1, 390);
        EXPECT_EQ(game.state().Poczatek2, 370);
    }
}

TEST_F(TicksTest, KoniecGryStopsTheGameAndTheCountdown) {
    sim.advance(1400);
    sim.window.setCounterCaption(Player::One, "12");
    int shown = 0;
    sim.window.whileGameOverShown = [&] {
        ++shown;
        // Time passes while the game-over window is open: nothing may tick.
        sim.advance(60'000);
    };
    sim.game.mnukoniecgry_Click();

    EXPECT_EQ(shown, 1);
    EXPECT_EQ(counter(Player::One), "12");
    EXPECT_EQ(counter(Player::Two), "0");
    for (Timer timer : {Timer::Timer1, Timer::Timer2, Timer::Timer3}) {
        EXPECT_FALSE(sim.window.timerEnabled(timer));
    }
    EXPECT_FALSE(sim.window.countdownVisible());
    EXPECT_EQ(state().Odliczanie, 4);
    EXPECT_EQ(occupiedCells(sim.window), StartLayout);

    // The next "Nowa gra" runs a full countdown.
    sim.game.mnunowagra_Click();
    sim.advance(CountdownLength - 1);
    EXPECT_FALSE(sim.window.timerEnabled(Timer::Timer1));
    sim.advance(1);
    EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer1));
}

TEST_F(TicksTest, KoniecGryKeepsTheBoardAndPauseForAResume) {
    sim.advance(CountdownLength + 400);
    sim.game.mnukoniecgry_Click();
    EXPECT_EQ(state().Poczatek1, 310);
    EXPECT_TRUE(sim.window.menuEnabled(MenuItem::Pauza));
    EXPECT_FALSE(sim.window.menuChecked(MenuItem::Pauza));
    // The first click only sets the check mark; the second resumes the ended game.
    sim.game.mnupauza_Click();
    sim.advance(400);
    EXPECT_EQ(state().Poczatek1, 310);
    sim.game.mnupauza_Click();
    sim.advance(200);
    EXPECT_EQ(state().Poczatek1, 270);
}
