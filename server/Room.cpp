// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Room.h"

#include <algorithm>
#include <cmath>

namespace zirvel::server {

namespace {

constexpr protocol::Seat SeatNames[] = {protocol::Seat::Red, protocol::Seat::Blue};

// The time a comparison takes tells nothing about where two tokens differ.
bool sameToken(const std::string& held, const std::string& given) {
    if (held.size() != given.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t i = 0; i < held.size(); ++i) {
        difference |= static_cast<unsigned char>(held[i] ^ given[i]);
    }
    return difference == 0;
}

} // namespace

Room::Room(std::string code, Clock& clock, protocol::RandomBytes random, Send send)
    : code_(std::move(code))
    , clock_(clock)
    , random_(std::move(random))
    , send_(std::move(send))
    , heldAlarm_(clock.alarm([this] { releaseDue(); }))
    , window_(
          clock,
          [this](Timer timer) {
              game_.timerElapsed(timer);
              heldKeys_.pressHeldTurboKeys();
          },
          [this] { settle(); }) {
    for (std::size_t i = 0; i < seats_.size(); ++i) {
        seats_[i].expiry = clock.alarm([this, i] {
            freeSeat(seats_[i]);
            seatsChanged();
        });
    }
    window_.standStill(true);
    game_.Form_Load();
    window_.takeChanges();
}

std::optional<protocol::Seat> Room::join(MemberId member) {
    protocol::Seat seated = protocol::Seat::Watcher;
    std::string token;
    const auto empty = std::find_if(seats_.begin(), seats_.end(), [](const PlayerSeat& seat) {
        return seat.state == protocol::PlayerState::Empty;
    });
    if (empty != seats_.end()) {
        empty->state = protocol::PlayerState::Here;
        empty->member = member;
        empty->token = protocol::newSeatToken(random_);
        empty->oneWay = 0;
        seated = SeatNames[slot(*empty)];
        token = empty->token;
    } else if (watchers_.size() >= static_cast<std::size_t>(protocol::MaxWatchers)) {
        return std::nullopt;
    } else {
        watchers_.insert(member);
    }
    const MemberId to[] = {member};
    send_(to, protocol::Welcome{seated, code_, token});
    for (const protocol::ServerMessage& message : window_.picture()) {
        send_(to, message);
    }
    seatsChanged();
    return seated;
}

bool Room::rejoin(MemberId member, const std::string& token) {
    const auto held = std::find_if(seats_.begin(), seats_.end(), [&](const PlayerSeat& seat) {
        return seat.state == protocol::PlayerState::Away && sameToken(seat.token, token);
    });
    if (held == seats_.end()) {
        return false;
    }
    held->state = protocol::PlayerState::Here;
    held->member = member;
    held->expiry->arm(std::nullopt);
    const MemberId to[] = {member};
    send_(to, protocol::Welcome{SeatNames[slot(*held)], code_, held->token});
    for (const protocol::ServerMessage& message : window_.picture()) {
        send_(to, message);
    }
    seatsChanged();
    return true;
}

void Room::leave(MemberId member) {
    if (watchers_.erase(member) > 0) {
        sendPresence();
        return;
    }
    if (PlayerSeat* seat = seatOf(member)) {
        vacate(*seat);
        freeSeat(*seat);
        settle();
        seatsChanged();
    }
}

void Room::dropped(MemberId member) {
    PlayerSeat* seat = seatOf(member);
    if (!seat) {
        leave(member);
        return;
    }
    vacate(*seat);
    seat->state = protocol::PlayerState::Away;
    seat->member = 0;
    seat->expiry->arm(SeatHeld);
    settle();
    seatsChanged();
}

bool Room::ended() const {
    return watchers_.empty() && std::all_of(seats_.begin(), seats_.end(), [](const auto& seat) {
               return seat.state == protocol::PlayerState::Empty;
           });
}

void Room::roundTrip(MemberId member, double milliseconds) {
    PlayerSeat* seat = seatOf(member);
    if (!seat) {
        return;
    }
    seat->oneWay = milliseconds / 2;
    if (std::abs(delay() - announcedDelay_) >= DelayStep) {
        sendPresence();
    }
}

void Room::receive(MemberId member, const protocol::KeyEvent& key) {
    if (PlayerSeat* seat = player(member)) {
        hold(*seat, key);
    }
}

void Room::receive(MemberId member, const protocol::MenuCommand& command) {
    if (PlayerSeat* seat = player(member)) {
        hold(*seat, command);
    }
}

void Room::receive(MemberId member, const protocol::ChooseSpeed& speed) {
    if (PlayerSeat* seat = player(member)) {
        hold(*seat, speed);
    }
}

void Room::receive(MemberId member, const protocol::CloseGameOver& close) {
    if (PlayerSeat* seat = player(member)) {
        hold(*seat, close);
    }
}

int Room::delay() const {
    double target = 0;
    for (const PlayerSeat& seat : seats_) {
        if (seat.state == protocol::PlayerState::Here) {
            target = std::max(target, seat.oneWay);
        }
    }
    return static_cast<int>(std::lround(target));
}

const DelayRecord& Room::delays(Player player) const {
    return seats_[player == Player::One ? 0 : 1].delays;
}

protocol::PlayerState Room::state(Player player) const {
    return seats_[player == Player::One ? 0 : 1].state;
}

Room::PlayerSeat* Room::player(MemberId member) {
    if (PlayerSeat* seat = seatOf(member)) {
        return seat;
    }
    if (watchers_.contains(member)) {
        refuse(member, protocol::Reason::Watcher);
    }
    return nullptr;
}

Room::PlayerSeat* Room::seatOf(MemberId member) {
    for (PlayerSeat& seat : seats_) {
        if (seat.state == protocol::PlayerState::Here && seat.member == member) {
            return &seat;
        }
    }
    return nullptr;
}

std::size_t Room::slot(const PlayerSeat& seat) const {
    return &seat == &seats_[0] ? 0 : 1;
}

// The event was made half a round trip before it came. It waits until the other player's
// events, made at the same moment, would come; a player's events never overtake each other.
void Room::hold(PlayerSeat& seat, Event event) {
    const PlayerSeat& other = seats_[1 - slot(seat)];
    const double now = clock_.milliseconds();
    double due =
        now +
        (other.state == protocol::PlayerState::Here ? holdFor(seat.oneWay, other.oneWay) : 0.0);
    for (const HeldEvent& waiting : held_) {
        if (waiting.seat == slot(seat)) {
            due = std::max(due, waiting.due);
        }
    }
    const double made = now - seat.oneWay;
    if (due <= now) {
        seat.delays.add(now - made);
        apply(seat, event);
        settle();
        return;
    }
    const auto at = std::upper_bound(held_.begin(), held_.end(), due,
                                     [](double time, const HeldEvent& e) { return time < e.due; });
    held_.insert(at, HeldEvent{due, slot(seat), made, std::move(event)});
    heldAlarm_->arm(held_.front().due - now);
}

void Room::releaseDue() {
    // The real clock's alarm counts whole milliseconds and may wake up to half of one early.
    constexpr double Early = 0.5;
    const double now = clock_.milliseconds();
    while (!held_.empty() && held_.front().due <= now + Early) {
        const HeldEvent event = std::move(held_.front());
        held_.pop_front();
        PlayerSeat& seat = seats_[event.seat];
        seat.delays.add(std::max(now, event.due) - event.made);
        apply(seat, event.event);
        settle();
    }
    heldAlarm_->arm(held_.empty() ? std::nullopt
                                  : std::optional<double>(std::max(0.0, held_.front().due - now)));
}

void Room::apply(PlayerSeat& seat, const Event& event) {
    std::visit([&](const auto& given) { apply(seat, given); }, event);
}

// Behind the game-over window the keyboard does not reach the board.
void Room::apply(PlayerSeat& seat, const protocol::KeyEvent& key) {
    if (window_.gameOverOpen()) {
        return;
    }
    if (const std::optional<RulesKey> rulesKey = seat.keys.map(key)) {
        press(*rulesKey);
    }
}

void Room::apply(PlayerSeat& seat, const protocol::MenuCommand& command) {
    if (window_.gameOverOpen()) {
        refuse(seat, protocol::Reason::Disabled);
        return;
    }
    switch (command.command) {
    case protocol::Command::NowaGra:
        game_.mnunowagra_Click();
        break;
    case protocol::Command::Pauza:
        if (!window_.menuEnabled(MenuItem::Pauza)) {
            refuse(seat, protocol::Reason::Disabled);
            return;
        }
        game_.mnupauza_Click();
        break;
    case protocol::Command::KoniecGry:
        if (!window_.menuEnabled(MenuItem::KoniecGry)) {
            refuse(seat, protocol::Reason::Disabled);
            return;
        }
        game_.mnukoniecgry_Click();
        // The game-over window takes the keyboard from both boards: no release of a key held
        // now would reach the rules.
        for (PlayerSeat& each : seats_) {
            for (const RulesKey& release : each.keys.releaseAll()) {
                press(release);
            }
        }
        break;
    }
}

void Room::apply(PlayerSeat& seat, const protocol::ChooseSpeed& speed) {
    const auto item = static_cast<MenuItem>(static_cast<int>(MenuItem::Speed1) + speed.level - 1);
    if (window_.gameOverOpen() || !window_.menuEnabled(item)) {
        refuse(seat, protocol::Reason::Disabled);
        return;
    }
    game_.mnuspeed_Click(static_cast<std::int16_t>(speed.level));
}

void Room::apply(PlayerSeat& seat, const protocol::CloseGameOver& close) {
    if (!window_.gameOverOpen()) {
        refuse(seat, protocol::Reason::NoGameOver);
        return;
    }
    window_.closeGameOver(close.resetCounters);
}

void Room::vacate(PlayerSeat& seat) {
    const std::size_t leaving = slot(seat);
    std::deque<HeldEvent> others;
    for (HeldEvent& event : held_) {
        if (event.seat != leaving) {
            others.push_back(std::move(event));
            continue;
        }
        seat.delays.add(clock_.milliseconds() - event.made);
        apply(seat, event.event);
    }
    held_ = std::move(others);
    for (const RulesKey& release : seat.keys.releaseAll()) {
        press(release);
    }
}

void Room::freeSeat(PlayerSeat& seat) {
    seat.state = protocol::PlayerState::Empty;
    seat.member = 0;
    seat.token.clear();
    seat.expiry->arm(std::nullopt);
}

void Room::refuse(MemberId member, protocol::Reason reason) {
    const MemberId to[] = {member};
    send_(to, protocol::Refused{reason, protocol::Version});
}

void Room::refuse(const PlayerSeat& seat, protocol::Reason reason) {
    if (seat.state == protocol::PlayerState::Here) {
        refuse(seat.member, reason);
    }
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

void Room::seatsChanged() {
    window_.standStill(!std::all_of(seats_.begin(), seats_.end(), [](const PlayerSeat& seat) {
        return seat.state == protocol::PlayerState::Here;
    }));
    sendPresence();
}

void Room::sendPresence() {
    const protocol::Presence shown = presence();
    announcedDelay_ = shown.delay;
    sendToAll(shown);
}

void Room::sendToAll(const protocol::ServerMessage& message) {
    const std::vector<MemberId> to = everyone();
    if (!to.empty()) {
        send_(to, message);
    }
}

std::vector<MemberId> Room::everyone() const {
    std::vector<MemberId> ids;
    ids.reserve(watchers_.size() + seats_.size());
    for (const PlayerSeat& seat : seats_) {
        if (seat.state == protocol::PlayerState::Here) {
            ids.push_back(seat.member);
        }
    }
    ids.insert(ids.end(), watchers_.begin(), watchers_.end());
    return ids;
}

protocol::Presence Room::presence() const {
    return protocol::Presence{seats_[0].state, seats_[1].state, static_cast<int>(watchers_.size()),
                              delay()};
}

} // namespace zirvel::server
