// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Room.h"

#include <algorithm>

namespace zirvel::server {

namespace {

Player playerOf(protocol::Seat seat) {
    return seat == protocol::Seat::Red ? Player::One : Player::Two;
}

} // namespace

Room::Room(std::string code, Clock& clock, protocol::RandomBytes random, Send send)
    : code_(std::move(code))
    , random_(std::move(random))
    , send_(std::move(send))
    , window_(
          clock,
          [this](Timer timer) {
              game_.timerElapsed(timer);
              heldKeys_.pressHeldTurboKeys();
          },
          [this] { settle(); }) {
    game_.Form_Load();
    window_.takeChanges();
}

std::optional<protocol::Seat> Room::join(MemberId member) {
    const auto seated = [this](protocol::Seat seat) {
        return std::any_of(members_.begin(), members_.end(),
                           [seat](const auto& entry) { return entry.second.seat == seat; });
    };
    Member joining{protocol::Seat::Watcher, std::nullopt};
    for (protocol::Seat seat : {protocol::Seat::Red, protocol::Seat::Blue}) {
        if (!seated(seat)) {
            joining = {seat, SeatKeys(playerOf(seat))};
            break;
        }
    }
    if (joining.seat == protocol::Seat::Watcher && presence().watchers >= protocol::MaxWatchers) {
        return std::nullopt;
    }
    members_.emplace(member, joining);
    const MemberId to[] = {member};
    send_(to, protocol::Welcome{joining.seat, code_,
                                joining.keys ? protocol::newSeatToken(random_) : std::string()});
    for (const protocol::ServerMessage& message : window_.picture()) {
        send_(to, message);
    }
    sendToAll(presence());
    return joining.seat;
}

void Room::leave(MemberId member) {
    const auto found = members_.find(member);
    if (found == members_.end()) {
        return;
    }
    if (found->second.keys) {
        for (const RulesKey& release : found->second.keys->releaseAll()) {
            press(release);
        }
    }
    members_.erase(found);
    if (!members_.empty()) {
        settle();
        sendToAll(presence());
    }
}

Room::Member* Room::player(MemberId member) {
    const auto found = members_.find(member);
    if (found == members_.end()) {
        return nullptr;
    }
    if (!found->second.keys) {
        refuse(member, protocol::Reason::Watcher);
        return nullptr;
    }
    return &found->second;
}

// Behind the game-over window the keyboard does not reach the board.
void Room::receive(MemberId member, const protocol::KeyEvent& key) {
    Member* sender = player(member);
    if (!sender || window_.gameOverOpen()) {
        return;
    }
    if (const std::optional<RulesKey> rulesKey = sender->keys->map(key)) {
        press(*rulesKey);
        settle();
    }
}

void Room::receive(MemberId member, const protocol::MenuCommand& command) {
    if (!player(member)) {
        return;
    }
    if (window_.gameOverOpen()) {
        refuse(member, protocol::Reason::Disabled);
        return;
    }
    switch (command.command) {
    case protocol::Command::NowaGra:
        game_.mnunowagra_Click();
        break;
    case protocol::Command::Pauza:
        if (!window_.menuEnabled(MenuItem::Pauza)) {
            refuse(member, protocol::Reason::Disabled);
            return;
        }
        game_.mnupauza_Click();
        break;
    case protocol::Command::KoniecGry:
        if (!window_.menuEnabled(MenuItem::KoniecGry)) {
            refuse(member, protocol::Reason::Disabled);
            return;
        }
        game_.mnukoniecgry_Click();
        // The game-over window takes the keyboard from both boards: no release of a key held
        // now would reach the rules.
        for (auto& [id, seated] : members_) {
            if (seated.keys) {
                for (const RulesKey& release : seated.keys->releaseAll()) {
                    press(release);
                }
            }
        }
        break;
    }
    settle();
}

void Room::receive(MemberId member, const protocol::ChooseSpeed& speed) {
    if (!player(member)) {
        return;
    }
    const auto item = static_cast<MenuItem>(static_cast<int>(MenuItem::Speed1) + speed.level - 1);
    if (window_.gameOverOpen() || !window_.menuEnabled(item)) {
        refuse(member, protocol::Reason::Disabled);
        return;
    }
    game_.mnuspeed_Click(static_cast<std::int16_t>(speed.level));
    settle();
}

void Room::receive(MemberId member, const protocol::CloseGameOver& close) {
    if (!player(member)) {
        return;
    }
    if (!window_.gameOverOpen()) {
        refuse(member, protocol::Reason::NoGameOver);
        return;
    }
    window_.closeGameOver(close.resetCounters);
    settle();
}

void Room::refuse(MemberId member, protocol::Reason reason) {
    const MemberId to[] = {member};
    send_(to, protocol::Refused{reason, protocol::Version});
}

void Room::press(const RulesKey& key) {
    if (key.down) {
        heldKeys_.keyDown(key.code, 0, key.source);
    } else {
        heldKeys_.keyUp(key.code, 0, key.source);
    }
}

void Room::settle() {
    heldKeys_.pressHeldTurboKeys();
    for (const protocol::ServerMessage& message : window_.takeChanges()) {
        sendToAll(message);
    }
}

void Room::sendToAll(const protocol::ServerMessage& message) {
    const std::vector<MemberId> to = everyone();
    send_(to, message);
}

std::vector<MemberId> Room::everyone() const {
    std::vector<MemberId> ids;
    ids.reserve(members_.size());
    for (const auto& entry : members_) {
        ids.push_back(entry.first);
    }
    return ids;
}

protocol::Presence Room::presence() const {
    protocol::Presence result;
    for (const auto& entry : members_) {
        switch (entry.second.seat) {
        case protocol::Seat::Red:
            result.red = protocol::PlayerState::Here;
            break;
        case protocol::Seat::Blue:
            result.blue = protocol::PlayerState::Here;
            break;
        case protocol::Seat::Watcher:
            ++result.watchers;
            break;
        }
    }
    return result;
}

} // namespace zirvel::server
