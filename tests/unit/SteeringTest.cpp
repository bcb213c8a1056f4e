// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "KeyCodes.h"
#include "KeyRule.h"
#include "sim/Simulation.h"

#include <gtest/gtest.h>

using namespace zirvel;

namespace {

struct SteeringRow {
    Player player;
    std::uint16_t key;
    std::uint8_t before;
    std::uint8_t after;
};

constexpr Player P1 = Player::One;
constexpr Player P2 = Player::Two;

// One row per key and starting direction: the direction it sets, or the one it keeps when the
// guard refuses a turn straight back. The other player's direction never changes.
const SteeringRow SteeringRows[] = {
    {P1, keys::Up, 4, 8},    {P1, keys::Up, 2, 2},      {P1, keys::Up, 8, 8},
    {P1, keys::Down, 6, 2},  {P1, keys::Down, 8, 8},    {P1, keys::Left, 8, 4},
    {P1, keys::Left, 6, 6},  {P1, keys::Right, 2, 6},   {P1, keys::Right, 4, 4},
    {P1, keys::Right, 0, 6}, {P1, keys::W, 4, 4},       {P1, keys::Shift, 2, 2},
    {P2, keys::W, 40, 80},   {P2, keys::W, 20, 20},     {P2, keys::S, 60, 20},
    {P2, keys::S, 80, 80},   {P2, keys::A, 80, 40},     {P2, keys::A, 60, 60},
    {P2, keys::D, 20, 60},   {P2, keys::D, 40, 40},     {P2, keys::D, 0, 60},
    {P2, keys::Up, 40, 40},  {P2, keys::Space, 20, 20},
};

} // namespace

TEST(Steering, DirectionKeysTurnWithTheOppositeGuard) {
    for (const SteeringRow& row : SteeringRows) {
        SCOPED_TRACE(testing::Message() << "player " << number(row.player) << ", key " << row.key
                                        << " from " << int(row.before));
        const Player other = row.player == P1 ? P2 : P1;
        const std::uint8_t otherDirection = row.player == P1 ? 20 : 2;
        sim::Simulation sim;
        sim.game.state().direction(row.player) = row.before;
        sim.game.state().direction(other) = otherDirection;
        sim.game.Form_KeyDown(row.key, 0);
        EXPECT_EQ(sim.game.state().direction(row.player), row.after);
        EXPECT_EQ(sim.game.state().direction(other), otherDirection);
    }
}

TEST(Steering, TwoQuickPressesCanReverseAHead) {
    sim::Simulation sim;
    sim.game.mnunowagra_Click();
    sim.game.Form_KeyDown(keys::Left, 0);
    sim.game.Form_KeyDown(keys::Down, 0);
    EXPECT_EQ(sim.game.state().Kierunek1, 2);
    // The next cell is the player's own trail: the scan ends the round.
    sim.game.ZnajdzKoniec();
    EXPECT_EQ(sim.window.counterCaption(Player::One), "1");
}

TEST(Steering, TurboKeysAreIndependentAndIgnoreModifiers) {
    sim::Simulation sim;
    GameState& state = sim.game.state();
    sim.game.Form_KeyDown(keys::Shift, 1);
    EXPECT_EQ(state.Turbo1, Bool16::True);
    EXPECT_EQ(state.Turbo2, Bool16::False);
    sim.game.Form_KeyDown(keys::Space, 7);
    sim.game.Form_KeyDown(keys::Space, 0); // auto-repeat sets it again
    EXPECT_EQ(state.Turbo2, Bool16::True);

    sim.game.Form_KeyUp(keys::Space, 1);
    EXPECT_EQ(state.Turbo1, Bool16::True);
    EXPECT_EQ(state.Turbo2, Bool16::False);
    sim.game.Form_KeyUp(keys::Up, 0);
    EXPECT_EQ(state.Turbo1, Bool16::True);
    sim.game.Form_KeyUp(keys::Shift, 0);
    EXPECT_EQ(state.Turbo1, Bool16::False);
}

TEST(Steering, OtherKeysChangeNothing) {
    sim::Simulation sim;
    sim.game.mnunowagra_Click();
    const GameState before = sim.game.state();
    for (int key = 0; key <= 0xFFFF; ++key) {
        if (key == keys::Up || key == keys::Down || key == keys::Left || key == keys::Right ||
            key == keys::W || key == keys::A || key == keys::S || key == keys::D ||
            key == keys::Shift || key == keys::Space) {
            continue;
        }
        sim.game.Form_KeyDown(static_cast<std::uint16_t>(key), 0);
        sim.game.Form_KeyUp(static_cast<std::uint16_t>(key), 0);
    }
    const GameState& after = sim.game.state();
    EXPECT_EQ(after.Kierunek1, before.Kierunek1);
    EXPECT_EQ(after.Kierunek2, before.Kierunek2);
    EXPECT_EQ(after.Turbo1, before.Turbo1);
    EXPECT_EQ(after.Turbo2, before.Turbo2);
}

TEST(Steering, ResetDropsAHeldTurbo) {
    sim::Simulation sim;
    sim.game.Form_KeyDown(keys::Shift, 0);
    sim.game.mnunowagra_Click();
    EXPECT_EQ(sim.game.state().Turbo1, Bool16::False);
    sim.game.Form_KeyDown(keys::Shift, 0);
    EXPECT_EQ(sim.game.state().Turbo1, Bool16::True);
}

// The rule both front ends map their keys through, fed as a browser reports keys: named keys,
// and the character on the key in the active layout with the key's position.
TEST(Steering, KeysCountByLabelOrOnNonLatinLayoutsByPosition) {
    using enum KeyPosition;
    const struct {
        KeyIdentity key;
        std::optional<std::uint16_t> code;
    } rows[] = {
        {{NamedKey::Up, 0, Other}, keys::Up},
        {{NamedKey::Shift, 0, Other}, keys::Shift},
        {{NamedKey::Space, 0, Other}, keys::Space},
        {{NamedKey::None, U'w', W}, keys::W},
        {{NamedKey::None, U'D', D}, keys::D},
        {{NamedKey::None, U'w', Other}, keys::W},           // W wherever it is labelled
        {{NamedKey::None, U'z', W}, std::nullopt},          // AZERTY: Z on the key of W
        {{NamedKey::None, U',', W}, std::nullopt},          // not a letter outside ASCII
        {{NamedKey::None, U'\u0444', A}, keys::A},          // ф on the key of A
        {{NamedKey::None, U'\u03c3', S}, keys::S},          // σ on the key of S
        {{NamedKey::None, U'\u0444', Other}, std::nullopt}, // ф elsewhere
        {{NamedKey::None, U'q', Other}, std::nullopt},
        {{NamedKey::None, 0, Other}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "character " << static_cast<std::uint32_t>(row.key.character));
        EXPECT_EQ(virtualKeyCode(row.key), row.code);
    }
}
