// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomClient.h"

#include "Board.h"
#include "Codec.h"
#include "KeyCodes.h"
#include "Overloaded.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace zirvel::client {

namespace {

using protocol::Key;

constexpr struct {
    std::uint16_t code;
    Key key;
} KeyTable[] = {
    {keys::Up, Key::Up},       {keys::Down, Key::Down},   {keys::Left, Key::Left},
    {keys::Right, Key::Right}, {keys::Shift, Key::Shift}, {keys::W, Key::W},
    {keys::A, Key::A},         {keys::S, Key::S},         {keys::D, Key::D},
    {keys::Space, Key::Space},
};

std::optional<protocol::KeyOrigin> originOf(KeySource source) {
    switch (source) {
    case KeySource::Keyboard:
        return protocol::KeyOrigin::Keyboard;
    case KeySource::Pad:
        return protocol::KeyOrigin::Pad;
    case KeySource::Touch:
        return protocol::KeyOrigin::Touch;
    case KeySource::Computer:
        break;
    }
    return std::nullopt;
}

Colour colourOf(std::uint32_t rgb) {
    return Colour{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                  static_cast<std::uint8_t>(rgb)};
}

protocol::PlayerState stateOf(const protocol::Presence& presence, protocol::Seat seat) {
    return seat == protocol::Seat::Red ? presence.red : presence.blue;
}

} // namespace

std::optional<protocol::Key> protocolKey(std::uint16_t keyCode) {
    const auto found = std::find_if(std::begin(KeyTable), std::end(KeyTable),
                                    [keyCode](const auto& entry) { return entry.code == keyCode; });
    if (found == std::end(KeyTable)) {
        return std::nullopt;
    }
    return found->key;
}

RoomClient::RoomClient(Connection& connection, RoomScreen& screen, protocol::RandomBytes random)
    : connection_(connection)
    , screen_(screen)
    , random_(std::move(random)) {}

void RoomClient::create(const std::string& server) {
    if (state_ != State::Idle) {
        return;
    }
    server_ = server;
    createAttempts_ = 1;
    code_ = protocol::newRoomCode(random_);
    open(Purpose::Create);
}

void RoomClient::join(const std::string& server, const std::string& code) {
    if (state_ != State::Idle) {
        return;
    }
    server_ = server;
    // The server would refuse it as no message at all; to the user it is a wrong code.
    if (!protocol::isRoomCode(code)) {
        screen_.tell(messageFor(protocol::Refused{protocol::Reason::NoSuchRoom}));
        return;
    }
    code_ = code;
    open(Purpose::Join);
}

void RoomClient::open(Purpose purpose) {
    const std::optional<std::string> url = webSocketUrl(server_, code_);
    if (!url) {
        stop(messageFor(Notice::BadAddress, server_));
        return;
    }
    purpose_ = purpose;
    greeted_ = false;
    url_ = *url;
    if (purpose != Purpose::Rejoin) {
        state_ = State::Connecting;
        arm(ConnectTimeout);
    }
    connection_.open(url_);
}

void RoomClient::leave() {
    if (state_ == State::InRoom) {
        send(protocol::LeaveRoom{});
    }
    stop({});
}

bool RoomClient::playing() const {
    return status_.seat != protocol::Seat::Watcher;
}

bool RoomClient::commandsAllowed() const {
    return state_ == State::Idle || state_ == State::Connecting || playing();
}

void RoomClient::key(std::uint16_t keyCode, bool down, KeySource source) {
    const std::optional<Key> key = protocolKey(keyCode);
    const std::optional<protocol::KeyOrigin> origin = originOf(source);
    if (state_ == State::InRoom && playing() && key && origin) {
        send(protocol::KeyEvent{*key, down, *origin});
    }
}

void RoomClient::command(protocol::Command command) {
    if (state_ == State::InRoom && playing()) {
        send(protocol::MenuCommand{command});
    }
}

void RoomClient::speed(int level) {
    if (state_ == State::InRoom && playing() && level >= 1 && level <= 4) {
        send(protocol::ChooseSpeed{level});
    }
}

void RoomClient::closeGameOver(bool resetCounters) {
    if (state_ == State::InRoom && playing()) {
        send(protocol::CloseGameOver{resetCounters});
    }
}

void RoomClient::connected() {
    if (state_ == State::Idle) {
        return;
    }
    send(protocol::Hello{});
    switch (purpose_) {
    case Purpose::Create:
        send(protocol::CreateRoom{code_});
        break;
    case Purpose::Join:
        send(protocol::JoinRoom{code_});
        break;
    case Purpose::Rejoin:
        // A watcher holds no seat: it comes back as anybody joining does.
        if (token_.empty()) {
            send(protocol::JoinRoom{code_});
        } else {
            send(protocol::Rejoin{code_, token_});
        }
        break;
    }
}

void RoomClient::received(std::string_view text) {
    // A message this version cannot read changes nothing on screen.
    if (state_ != State::Idle) {
        if (const std::optional<protocol::ServerMessage> message = protocol::decodeServer(text)) {
            handle(*message);
        }
    }
}

void RoomClient::handle(const protocol::ServerMessage& message) {
    GameWindow& window = screen_.window();
    const bool inRoom = state_ == State::InRoom;
    std::visit(protocol::Overloaded{
                   [&](const protocol::HelloAnswer& answer) {
                       if (answer.version != protocol::Version) {
                           stop(messageFor(
                               protocol::Refused{protocol::Reason::OtherVersion, answer.version}));
                           return;
                       }
                       greeted_ = true;
                   },
                   [&](const protocol::Welcome& entered) { welcome(entered); },
                   [&](const protocol::Refused& refusal) { refused(refusal); },
                   [&](const protocol::Ping& ping) {
                       send(protocol::Pong{ping.id});
                       if (inRoom) {
                           arm(SilenceLimit);
                       }
                   },
                   [&](const protocol::Stopping&) { stop(messageFor(Notice::Stopping)); },
                   [&](const protocol::Paint& paint) {
                       if (inRoom) {
                           for (const protocol::Cell& cell : paint.cells) {
                               window.setCellColour(cell.index, colourOf(cell.rgb));
                           }
                       }
                   },
                   [&](const protocol::Counters& counters) {
                       if (inRoom) {
                           window.setCounterCaption(Player::One, counters.red);
                           window.setCounterCaption(Player::Two, counters.blue);
                       }
                   },
                   [&](const protocol::Countdown& countdown) {
                       if (inRoom) {
                           window.setCountdownCaption(countdown.caption);
                           window.setCountdownVisible(countdown.visible);
                       }
                   },
                   [&](const protocol::Menu& items) {
                       if (inRoom) {
                           menu(items);
                       }
                   },
                   [&](const protocol::Repaint&) {
                       if (inRoom) {
                           window.repaintNow();
                       }
                   },
                   [&](const protocol::GameOverOpened& opened) {
                       if (inRoom) {
                           screen_.openGameOver(opened.red, opened.blue);
                       }
                   },
                   [&](const protocol::GameOverClosed&) {
                       if (inRoom) {
                           screen_.closeGameOver();
                       }
                   },
                   [&](const protocol::Presence& now) {
                       if (inRoom) {
                           presence(now);
                       }
                   },
               },
               message);
}

void RoomClient::welcome(const protocol::Welcome& welcome) {
    if (state_ != State::Connecting && state_ != State::Reconnecting) {
        return;
    }
    const bool rejoined = state_ == State::Reconnecting;
    arm(SilenceLimit);
    state_ = State::InRoom;
    code_ = welcome.code;
    token_ = welcome.token;
    status_.code = welcome.code;
    status_.seat = welcome.seat;
    status_.reconnecting = false;
    rejoinConnecting_ = false;
    if (rejoined) {
        // The room's picture comes again from a black board, with the game-over window if it
        // is still open.
        GameWindow& window = screen_.window();
        for (int index = 1; index <= board::CellCount; ++index) {
            window.setCellColour(index, colours::Free);
        }
        screen_.closeGameOver();
    } else {
        status_.presence = {};
        screen_.enteredRoom();
    }
    screen_.showStatus(status_);
}

void RoomClient::refused(const protocol::Refused& refused) {
    switch (state_) {
    case State::Connecting:
        if (refused.reason == protocol::Reason::RoomTaken && purpose_ == Purpose::Create &&
            createAttempts_ < CreateAttempts) {
            ++createAttempts_;
            code_ = protocol::newRoomCode(random_);
            // On a connection of its own: the address routes by the code.
            open(Purpose::Create);
            return;
        }
        stop(messageFor(refused));
        return;
    case State::Reconnecting:
        stop(messageFor(refused));
        return;
    case State::Idle:
    case State::InRoom:
        // A command that crossed a change of the menu's states: the screen follows the server.
        return;
    }
}

void RoomClient::presence(const protocol::Presence& presence) {
    const protocol::Presence before = std::exchange(status_.presence, presence);
    screen_.showStatus(status_);
    for (protocol::Seat seat : {protocol::Seat::Red, protocol::Seat::Blue}) {
        if (seat != status_.seat && stateOf(before, seat) == protocol::PlayerState::Away &&
            stateOf(presence, seat) == protocol::PlayerState::Empty) {
            screen_.tell(
                messageFor(seat == protocol::Seat::Red ? Notice::RedLeft : Notice::BlueLeft));
        }
    }
}

void RoomClient::menu(const protocol::Menu& menu) {
    GameWindow& window = screen_.window();
    for (std::size_t index = 0; index < menu.items.size(); ++index) {
        const auto item = static_cast<MenuItem>(index);
        window.setMenuEnabled(item, menu.items[index].enabled && playing());
        window.setMenuChecked(item, menu.items[index].checked);
    }
}

void RoomClient::disconnected() {
    switch (state_) {
    case State::Idle:
        return;
    case State::Connecting:
        stop(messageFor(greeted_ ? Notice::ConnectionLost : Notice::Unreachable, server_));
        return;
    case State::InRoom:
        state_ = State::Reconnecting;
        status_.reconnecting = true;
        rejoinAttempts_ = 0;
        rejoinSpent_ = 0;
        rejoinConnecting_ = false;
        screen_.showStatus(status_);
        retryRejoin();
        return;
    case State::Reconnecting:
        rejoinConnecting_ = false;
        retryRejoin();
        return;
    }
}

void RoomClient::retryRejoin() {
    if (rejoinSpent_ >= RejoinTime) {
        stop(messageFor(Notice::RejoinFailed));
        return;
    }
    constexpr auto waits = std::size(RejoinWaits);
    arm(RejoinWaits[std::min(static_cast<std::size_t>(rejoinAttempts_), waits - 1)]);
}

void RoomClient::wakeUp() {
    const std::optional<double> fired = std::exchange(armed_, std::nullopt);
    if (!fired) {
        return;
    }
    switch (state_) {
    case State::Idle:
        return;
    case State::InRoom:
        connection_.close();
        disconnected();
        return;
    case State::Connecting:
        stop(messageFor(Notice::Unreachable, server_));
        return;
    case State::Reconnecting:
        rejoinSpent_ += *fired;
        if (rejoinConnecting_) {
            connection_.close();
            rejoinConnecting_ = false;
            retryRejoin();
            return;
        }
        if (rejoinSpent_ >= RejoinTime) {
            stop(messageFor(Notice::RejoinFailed));
            return;
        }
        ++rejoinAttempts_;
        rejoinConnecting_ = true;
        arm(RejoinAttemptTime);
        open(Purpose::Rejoin);
        return;
    }
}

void RoomClient::stop(const std::string& message) {
    const bool entered = state_ == State::InRoom || state_ == State::Reconnecting;
    connection_.close();
    arm(std::nullopt);
    state_ = State::Idle;
    status_ = RoomStatus{};
    token_.clear();
    greeted_ = false;
    rejoinConnecting_ = false;
    if (entered) {
        screen_.leftRoom();
    }
    if (!message.empty()) {
        screen_.tell(message);
    }
}

void RoomClient::arm(std::optional<double> milliseconds) {
    armed_ = milliseconds;
    screen_.armWakeUp(milliseconds);
}

void RoomClient::send(const protocol::ClientMessage& message) {
    connection_.send(protocol::encode(message));
}

} // namespace zirvel::client
