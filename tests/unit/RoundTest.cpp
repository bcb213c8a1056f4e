// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Staging.h"
#include "sim/Simulation.h"

#include <gtest/gtest.h>

using namespace zirvel;
using namespace zirvel::testing;

TEST(Round, ResetPaintsExactlyTheFourStartCells) {
    sim::Simulation sim;
    for (int i : {1, 371, 500, 920}) {
        sim.window.setCellColour(i, colours::Player1Trail);
    }
    sim.game.mnunowagra_Click();
    EXPECT_EQ(occupiedCells(sim.window), StartLayout);
}

TEST(Round, ResetSetsThePlayersAndStartsTheCountdown) {
    sim::Simulation sim;
    GameState& state = sim.game.state();
    state.Turbo1 = state.Turbo2 = Bool16::True;
    state.KoniecGry = Bool16::True;
    place(sim.game, Player::One, 5, 4);
    place(sim.game, Player::Two, 900, 20);
    const int repaintsBefore = sim.window.repaints();

    sim.game.mnunowagra_Click();

    EXPECT_EQ(state.Kierunek1, 8);
    EXPECT_EQ(state.Kierunek2, 80);
    EXPECT_EQ(state.Poczatek1, 390);
    EXPECT_EQ(state.Poczatek2, 370);
    EXPECT_EQ(state.Turbo1, Bool16::False);
    EXPECT_EQ(state.Turbo2, Bool16::False);
    EXPECT_EQ(state.KoniecGry, Bool16::False);
    EXPECT_TRUE(sim.window.menuEnabled(MenuItem::Pauza));
    EXPECT_TRUE(sim.window.menuEnabled(MenuItem::KoniecGry));
    EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer3));
    EXPECT_EQ(sim.window.repaints(), repaintsBefore + 1);
}

TEST(Round, ResetLeavesCountersCountdownPauseAndTicksAlone) {
    for (const bool ticking : {false, true}) {
        SCOPED_TRACE(ticking);
        sim::Simulation sim;
        sim.window.setCounterCaption(Player::One, "3");
        sim.window.setCounterCaption(Player::Two, "5");
        sim.window.setMenuChecked(MenuItem::Pauza, ticking);
        sim.window.setTimerEnabled(Timer::Timer1, ticking);
        sim.window.setTimerEnabled(Timer::Timer2, ticking);
        sim.game.state().Odliczanie = 2;

        sim.game.mnunowagra_Click();

        EXPECT_EQ(sim.window.counterCaption(Player::One), "3");
        EXPECT_EQ(sim.window.counterCaption(Player::Two), "5");
        EXPECT_EQ(sim.game.state().Odliczanie, 2);
        EXPECT_EQ(sim.window.menuChecked(MenuItem::Pauza), ticking);
        EXPECT_EQ(sim.window.timerEnabled(Timer::Timer1), ticking);
        EXPECT_EQ(sim.window.timerEnabled(Timer::Timer2), ticking);
        EXPECT_EQ(sim.window.timerInterval(Timer::Timer1), 200);
    }
}

TEST(Round, BeforeTheFirstGameNothingIsSetUp) {
    sim::MemoryWindow window;
    Game game(window);
    EXPECT_EQ(game.state().Poczatek1, 0);
    EXPECT_EQ(game.state().Kierunek2, 0);
    EXPECT_TRUE(occupiedCells(window).empty());
    EXPECT_FALSE(window.menuEnabled(MenuItem::Pauza));
    EXPECT_EQ(window.countdownCaption(), "4");
    EXPECT_FALSE(window.countdownVisible());
}

TEST(Round, KoniecResetsStopsTheTicksAndCountsTheCrash) {
    struct Row {
        std::int16_t gracz;
        const char* expected1;
        const char* expected2;
    };
    const Row rows[] = {{1, "4", "5"}, {2, "3", "6"}, {0, "3", "5"}, {3, "3", "5"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.gracz);
        sim::Simulation sim;
        sim.window.setCounterCaption(Player::One, "3");
        sim.window.setCounterCaption(Player::Two, "5");
        sim.window.setTimerEnabled(Timer::Timer1, true);
        sim.window.setTimerEnabled(Timer::Timer2, true);
        place(sim.game, Player::One, 700, 6);

        sim.game.Koniec(row.gracz);

        EXPECT_EQ(sim.window.counterCaption(Player::One), row.expected1);
        EXPECT_EQ(sim.window.counterCaption(Player::Two), row.expected2);
        EXPECT_EQ(occupiedCells(sim.window), StartLayout);
        EXPECT_FALSE(sim.window.timerEnabled(Timer::Timer1));
        EXPECT_FALSE(sim.window.timerEnabled(Timer::Timer2));
        EXPECT_TRUE(sim.window.timerEnabled(Timer::Timer3));
        EXPECT_EQ(sim.game.state().KoniecGry, Bool16::False);
    }
}

TEST(Round, CrashesOfTheSamePlayerAddUp) {
    sim::Simulation sim;
    sim.game.Koniec(2);
    sim.game.mnunowagra_Click();
    sim.game.Koniec(2);
    EXPECT_EQ(sim.window.counterCaption(Player::One), "0");
    EXPECT_EQ(sim.window.counterCaption(Player::Two), "2");
}
