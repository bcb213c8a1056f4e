// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "KeyCodes.h"
#include "KeyRule.h"
#include "Pads.h"
#include "Seats.h"
#include "sim/Simulation.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

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

namespace {

// One thing that happens to the pads, the keyboard or the game.
struct PadStep {
    enum Kind {
        Connect,
        Disconnect,
        State,
        KeyDown,
        KeyUp,
        FocusLost,
        NewRound,
        Listen,
        Deaf,
        Computer,
        Person,
        Divert,
        Undivert
    };
    Kind kind;
    PadId pad = 0;
    PadSnapshot state{};
    std::uint16_t key = 0;
    Player player = Player::One;
};

PadStep connect(PadId pad) {
    return {PadStep::Connect, pad};
}
PadStep gone(PadId pad) {
    return {PadStep::Disconnect, pad};
}
PadStep pad(PadId pad, std::uint32_t buttons, float x = 0, float y = 0, float trigger = 0) {
    return {PadStep::State, pad, {buttons, x, y, trigger}};
}
PadStep down(std::uint16_t key) {
    return {PadStep::KeyDown, 0, {}, key};
}
PadStep up(std::uint16_t key) {
    return {PadStep::KeyUp, 0, {}, key};
}
PadStep computer(Player player) {
    return {PadStep::Computer, 0, {}, 0, player};
}
PadStep person(Player player) {
    return {PadStep::Person, 0, {}, 0, player};
}
const PadStep FocusLost{PadStep::FocusLost};
const PadStep NewRound{PadStep::NewRound};
const PadStep Listen{PadStep::Listen};
const PadStep Deaf{PadStep::Deaf};
const PadStep Divert{PadStep::Divert};
const PadStep Undivert{PadStep::Undivert};

struct PadOutcome {
    std::uint8_t kierunek1, kierunek2;
    bool turbo1, turbo2;
    const char* commands; // N for "Nowa gra", P for "Pauza", in order
    // The events the divert heard, in order: + or - for down or up, the key code, and k for
    // the keyboard or p for a pad.
    const char* diverted = "";
};

struct PadRow {
    const char* name;
    PadOutcome outcome;
    std::vector<PadStep> steps;
};

constexpr std::uint32_t Up = padButtons::Up, Down = padButtons::Down, Left = padButtons::Left,
                        Right = padButtons::Right, South = padButtons::South,
                        Start = padButtons::Start, Back = padButtons::Back;
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// Each row starts from a new round, both heads going up; `connect` steps are spelled out.
const PadRow PadRows[] = {
    {"D-pad steers the first pad's player", {4, 80, false, false, ""}, {connect(1), pad(1, Left)}},
    {"the second pad plays player 2",
     {8, 60, false, false, ""},
     {connect(1), connect(2), pad(2, Right)}},
    {"the opposite guard refuses a turn back",
     {8, 80, false, false, ""},
     {connect(1), pad(1, Down)}},
    {"two quick presses reverse a head, as keys do",
     {2, 80, false, false, ""},
     {connect(1), pad(1, Left), pad(1, Down)}},
    {"a held direction is one press",
     {8, 80, false, false, ""},
     {connect(1), pad(1, Left), down(keys::Up), pad(1, Left, 0.1F), pad(1, Left, 0, 0, 0.2F)}},
    {"a diagonal on the D-pad presses up or down, then left or right",
     {4, 80, false, false, ""},
     {connect(1), down(keys::Right), pad(1, Down | Left)}},
    {"a stick inside the dead zone never steers",
     {8, 80, false, false, ""},
     {connect(1), pad(1, 0, -0.45F, 0.3F), pad(1, 0, 0.49F, -0.49F), pad(1, 0, -0.3F, 0.1F)}},
    {"a stick past the dead zone steers",
     {4, 80, false, false, ""},
     {connect(1), pad(1, 0, -0.6F, 0.3F)}},
    {"the stick steers by its dominant axis",
     {8, 80, false, false, ""},
     {connect(1), pad(1, 0, 0.6F, -0.9F)}},
    {"the stick steers by its dominant axis, sideways",
     {6, 80, false, false, ""},
     {connect(1), pad(1, 0, 0.9F, -0.6F)}},
    {"a held stick is one press",
     {8, 80, false, false, ""},
     {connect(1), pad(1, 0, -0.9F), down(keys::Up), pad(1, 0, -1.0F, 0.2F)}},
    {"a stick turned round without resting presses each direction",
     {2, 80, false, false, ""},
     {connect(1), pad(1, 0, -0.9F), pad(1, 0, -0.1F, 0.9F)}},
    {"a stick that reports no number rests",
     {4, 80, false, false, ""},
     {connect(1), pad(1, 0, NaN, 0.9F), pad(1, 0, -0.9F, NaN)}},
    {"the south button holds turbo", {8, 80, true, false, ""}, {connect(1), pad(1, South)}},
    {"the trigger holds turbo past half way",
     {8, 80, true, false, ""},
     {connect(2), connect(3), pad(2, 0, 0, 0, 0.6F)}},
    {"a light pull on the trigger is no turbo",
     {8, 80, false, false, ""},
     {connect(1), pad(1, 0, 0, 0, 0.4F)}},
    {"turbo ends with its release",
     {8, 80, false, false, ""},
     {connect(1), connect(2), pad(1, South), pad(2, 0, 0, 0, 1), pad(1, 0), pad(2, 0, 0, 0, 0.3F)}},
    {"the trigger keeps the turbo the button started",
     {8, 80, true, false, ""},
     {connect(1), pad(1, South), pad(1, South, 0, 0, 1), pad(1, 0, 0, 0, 1)}},
    {"the keyboard lets go, the pad still holds turbo",
     {8, 80, true, false, ""},
     {connect(1), pad(1, South), down(keys::Shift), up(keys::Shift)}},
    {"the pad lets go, the keyboard still holds turbo",
     {8, 80, false, true, ""},
     {connect(1), connect(2), down(keys::Space), pad(2, South), pad(2, 0)}},
    {"the keyboard's focus lost, the pad still holds turbo",
     {8, 80, true, false, ""},
     {connect(1), pad(1, South), down(keys::Shift), FocusLost}},
    {"a pad's turbo lasts into the next round",
     {8, 80, false, true, ""},
     {connect(1), connect(2), pad(2, South), NewRound}},
    {"a pad gone while holding turbo lets go",
     {8, 80, false, false, ""},
     {connect(1), pad(1, South), gone(1), NewRound}},
    {"a pad connected later takes the free player",
     {4, 60, false, false, ""},
     {connect(1), connect(2), gone(1), connect(3), pad(3, Left), pad(2, Right)}},
    {"a third pad waits, then takes the freed player without a press",
     {8, 80, false, false, ""},
     {connect(1), connect(2), connect(3), pad(3, Left | South | Start), gone(2),
      pad(3, Left | South | Start, 0, 0, 0.2F)}},
    {"a pad never connected acts on nothing",
     {8, 80, false, false, ""},
     {pad(7, Left | South | Start)}},
    {"Start is Nowa gra, once per press",
     {4, 80, false, false, "NN"},
     {connect(1), pad(1, Start), pad(1, Start | Left), pad(1, 0), pad(1, Start)}},
    {"Back is Pauza",
     {8, 80, false, false, "PP"},
     {connect(1), connect(2), pad(2, Back), pad(2, 0), pad(1, Back)}},
    {"not listening, pads act on nothing",
     {8, 80, false, false, ""},
     {connect(1), Deaf, pad(1, Left | South | Start | Back)}},
    {"not listening, a pad lets go of its turbo",
     {8, 80, false, false, ""},
     {connect(1), pad(1, South), Deaf}},
    {"listening again, what is held presses nothing",
     {8, 80, false, false, ""},
     {connect(1), connect(2), Deaf, pad(1, Left | South | Start), pad(2, Back), Listen,
      pad(1, Left | South | Start, 0, 0, 0.2F), pad(2, Back, 0.1F)}},
    {"listening again, a fresh press acts",
     {4, 80, true, false, ""},
     {connect(1), Deaf, pad(1, Left | South), Listen, pad(1, 0), pad(1, Left | South)}},
    {"the computer's player ignores the keyboard; the other player keeps it",
     {8, 40, false, true, ""},
     {computer(P1), down(keys::Left), down(keys::Shift), down(keys::A), down(keys::Space)}},
    {"the computer takes a player whose turbo key is held: it is let go",
     {8, 80, false, false, ""},
     {down(keys::Shift), computer(P1), up(keys::Shift), NewRound}},
    {"a person again: the keyboard steers that player once more",
     {4, 80, true, false, ""},
     {computer(P1), down(keys::Shift), person(P1), down(keys::Left), down(keys::Shift)}},
    {"the first pad goes to the first player a person plays",
     {8, 40, false, true, ""},
     {computer(P1), connect(1), pad(1, Left | South)}},
    {"a pad whose player the computer takes lets go, and plays the free player",
     {8, 60, false, false, ""},
     {connect(1), pad(1, South), computer(P1), pad(1, South | Right, 0, 0, 0.2F), pad(1, Right)}},
    {"with the computer on both sides, pads wait",
     {8, 80, false, false, ""},
     {connect(1), connect(2), computer(P1), computer(P2), pad(1, Left | South),
      pad(2, Right | Start)}},
    {"diverted, keys reach the divert and not the rules",
     {8, 80, false, false, "", "+37k +16k -16k +65k"},
     {Divert, down(keys::Left), down(keys::Shift), up(keys::Shift), down(keys::A)}},
    {"diverted, the keys of the computer's player go too",
     {8, 80, false, false, "", "+37k"},
     {computer(P1), Divert, down(keys::Left)}},
    {"diverting lets go of the turbo the rules hear as held",
     {8, 80, false, false, ""},
     {connect(1), down(keys::Shift), pad(1, South), down(keys::Space), Divert}},
    {"diverted, a new round presses no held turbo",
     {8, 80, false, false, "", "+32k"},
     {Divert, down(keys::Space), NewRound}},
    {"diverted, focus lost lets go of what the keyboard holds, through the divert",
     {8, 80, false, false, "", "+16k +32k -32k +32p -16k"},
     {connect(2), connect(1), Divert, down(keys::Shift), down(keys::Space), up(keys::Space),
      pad(1, South), FocusLost}},
    {"diverted, pads press through the divert",
     {8, 80, false, false, "", "+37p +16p -37p -16p"},
     {connect(1), Divert, pad(1, Left | South), pad(1, 0)}},
    {"diverted, a pad no longer heard lets go through the divert",
     {8, 80, false, false, "", "+16p -16p"},
     {connect(1), Divert, pad(1, South), Deaf}},
    {"back from the divert, the rules hear keys, and forget the turbo held meanwhile",
     {4, 80, false, false, "", "+16k"},
     {Divert, down(keys::Shift), Undivert, NewRound, down(keys::Left)}},
};

} // namespace

// The pad rule fed as both front ends feed it: the keyboard and pads share the window's held
// keys, and a new round presses the turbo keys still held, as the windows do.
TEST(Steering, PadsPressTheirPlayersKeys) {
    for (const PadRow& row : PadRows) {
        SCOPED_TRACE(row.name);
        sim::Simulation sim;
        HeldKeys keys(sim.game);
        std::string commands;
        Pads pads(keys, [&](PadCommand command) {
            commands += command == PadCommand::NowaGra ? 'N' : 'P';
        });
        Seats seats(sim.game, sim.window, keys, pads, 1);
        std::string diverted;
        const HeldKeys::Divert divert = [&](std::uint16_t key, bool isDown, KeySource source) {
            diverted += (diverted.empty() ? "" : " ") + std::string(isDown ? "+" : "-") +
                        std::to_string(key) + (source == KeySource::Pad ? "p" : "k");
        };
        sim.game.mnunowagra_Click();
        for (const PadStep& step : row.steps) {
            switch (step.kind) {
            case PadStep::Connect:
                pads.connect(step.pad);
                break;
            case PadStep::Disconnect:
                pads.disconnect(step.pad);
                break;
            case PadStep::State:
                pads.update(step.pad, step.state);
                break;
            case PadStep::KeyDown:
                keys.keyDown(step.key, 0);
                break;
            case PadStep::KeyUp:
                keys.keyUp(step.key, 0);
                break;
            case PadStep::FocusLost:
                keys.releaseAll();
                break;
            case PadStep::NewRound:
                sim.game.mnunowagra_Click();
                keys.pressHeldTurboKeys();
                break;
            case PadStep::Listen:
            case PadStep::Deaf:
                pads.setListening(step.kind == PadStep::Listen);
                break;
            case PadStep::Computer:
            case PadStep::Person:
                seats.choose(step.player, step.kind == PadStep::Computer
                                              ? std::optional(opponent::Level::Easy)
                                              : std::nullopt);
                break;
            case PadStep::Divert:
            case PadStep::Undivert:
                keys.divertTo(step.kind == PadStep::Divert ? divert : nullptr);
                break;
            }
        }
        const GameState& state = sim.game.state();
        EXPECT_EQ(state.Kierunek1, row.outcome.kierunek1);
        EXPECT_EQ(state.Kierunek2, row.outcome.kierunek2);
        EXPECT_EQ(state.Turbo1, toBool16(row.outcome.turbo1));
        EXPECT_EQ(state.Turbo2, toBool16(row.outcome.turbo2));
        EXPECT_EQ(commands, row.outcome.commands);
        EXPECT_EQ(diverted, row.outcome.diverted);
    }
}
