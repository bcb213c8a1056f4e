// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Codec.h"

#include "Overloaded.h"

#include <algorithm>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <utility>

namespace zirvel::protocol {

namespace {

using Json = nlohmann::json;

// A message that breaks the protocol; caught at the top of decoding.
struct Invalid : std::runtime_error {
    using std::runtime_error::runtime_error;
};

template <typename Enum> struct Name {
    Enum value;
    std::string_view name;
};

constexpr Name<Key> KeyNames[] = {{Key::Up, "up"},       {Key::Down, "down"},   {Key::Left, "left"},
                                  {Key::Right, "right"}, {Key::Shift, "shift"}, {Key::W, "w"},
                                  {Key::A, "a"},         {Key::S, "s"},         {Key::D, "d"},
                                  {Key::Space, "space"}};
constexpr Name<KeyOrigin> OriginNames[] = {
    {KeyOrigin::Keyboard, "keyboard"}, {KeyOrigin::Pad, "pad"}, {KeyOrigin::Touch, "touch"}};
constexpr Name<PlayerState> PlayerStateNames[] = {
    {PlayerState::Empty, "empty"}, {PlayerState::Here, "here"}, {PlayerState::Away, "away"}};
constexpr Name<Command> CommandNames[] = {
    {Command::NowaGra, "nowa-gra"}, {Command::Pauza, "pauza"}, {Command::KoniecGry, "koniec-gry"}};
constexpr Name<Seat> SeatNames[] = {
    {Seat::Red, "red"}, {Seat::Blue, "blue"}, {Seat::Watcher, "watcher"}};
constexpr Name<Reason> ReasonNames[] = {
    {Reason::OtherVersion, "other-version"}, {Reason::HelloFirst, "hello-first"},
    {Reason::BadMessage, "bad-message"},     {Reason::NoSuchRoom, "no-such-room"},
    {Reason::RoomFull, "room-full"},         {Reason::InRoom, "in-room"},
    {Reason::NotInRoom, "not-in-room"},      {Reason::Watcher, "watcher"},
    {Reason::Disabled, "disabled"},          {Reason::NoGameOver, "no-game-over"},
    {Reason::RoomTaken, "room-taken"},       {Reason::NoSeat, "no-seat"},
    {Reason::ServerFull, "server-full"}};
constexpr std::array<std::string_view, 6> MenuItemNames{"pauza",  "koniec-gry", "speed1",
                                                        "speed2", "speed3",     "speed4"};

// The longest caption a counter or the countdown can carry: more digits than any game reaches.
constexpr std::size_t MaxCaptionLength = 20;
constexpr int MaxCells = 920;
constexpr std::int64_t MaxVersion = 65535;
// A delay the server reports: far beyond any hold it applies.
constexpr std::int64_t MaxDelay = 60000;
constexpr std::int64_t MaxPingId = 0xFFFFFFFF;

template <typename Enum, std::size_t N>
std::string_view nameOf(const Name<Enum> (&names)[N], Enum value) {
    for (const Name<Enum>& entry : names) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    throw std::logic_error("a value without a name");
}

// The message's fields must be exactly `type` and these.
void expectFields(const Json& message, std::initializer_list<std::string_view> fields) {
    if (message.size() != fields.size() + 1) {
        throw Invalid("wrong number of fields");
    }
    for (std::string_view field : fields) {
        if (!message.contains(field)) {
            throw Invalid("missing field " + std::string(field));
        }
    }
}

const Json& field(const Json& object, std::string_view name) {
    const auto found = object.find(name);
    if (found == object.end()) {
        throw Invalid("missing field " + std::string(name));
    }
    return *found;
}

bool boolean(const Json& object, std::string_view name) {
    const Json& value = field(object, name);
    if (!value.is_boolean()) {
        throw Invalid(std::string(name) + " is not true or false");
    }
    return value.get<bool>();
}

std::int64_t integerValue(const Json& value, std::int64_t lowest, std::int64_t highest,
                          std::string_view name) {
    if (!value.is_number_integer()) {
        throw Invalid(std::string(name) + " is not an integer");
    }
    if (value.is_number_unsigned() &&
        value.get<std::uint64_t>() > static_cast<std::uint64_t>(highest)) {
        throw Invalid(std::string(name) + " out of range");
    }
    const std::int64_t number = value.get<std::int64_t>();
    if (number < lowest || number > highest) {
        throw Invalid(std::string(name) + " out of range");
    }
    return number;
}

std::int64_t integer(const Json& object, std::string_view name, std::int64_t lowest,
                     std::int64_t highest) {
    return integerValue(field(object, name), lowest, highest, name);
}

std::string text(const Json& object, std::string_view name) {
    const Json& value = field(object, name);
    if (!value.is_string()) {
        throw Invalid(std::string(name) + " is not a string");
    }
    return value.get<std::string>();
}

// A counter's or the countdown's caption: a decimal numeral.
std::string caption(const Json& object, std::string_view name) {
    std::string value = text(object, name);
    if (value.empty() || value.size() > MaxCaptionLength ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        throw Invalid(std::string(name) + " is not a numeral");
    }
    return value;
}

template <typename Enum, std::size_t N>
Enum named(const Json& object, std::string_view name, const Name<Enum> (&names)[N]) {
    const std::string value = text(object, name);
    for (const Name<Enum>& entry : names) {
        if (entry.name == value) {
            return entry.value;
        }
    }
    throw Invalid("unknown " + std::string(name));
}

std::string roomCode(const Json& object) {
    std::string code = text(object, "code");
    if (!isRoomCode(code)) {
        throw Invalid("not a room code");
    }
    return code;
}

std::string seatToken(const Json& object) {
    std::string token = text(object, "token");
    if (!isSeatToken(token)) {
        throw Invalid("not a seat token");
    }
    return token;
}

Json parseObject(std::string_view text, std::string& type) {
    // An object that names a field twice would be read as one of its values, silently.
    std::vector<std::set<std::string>> objects;
    bool duplicate = false;
    const Json::parser_callback_t noDuplicates = [&](int, Json::parse_event_t event, Json& parsed) {
        if (event == Json::parse_event_t::object_start) {
            objects.emplace_back();
        } else if (event == Json::parse_event_t::object_end) {
            objects.pop_back();
        } else if (event == Json::parse_event_t::key &&
                   !objects.back().insert(parsed.get<std::string>()).second) {
            duplicate = true;
        }
        return true;
    };
    // Without exceptions: malformed JSON, invalid UTF-8 included, gives a discarded value.
    Json message = Json::parse(text, noDuplicates, false);
    if (message.is_discarded()) {
        throw Invalid("not JSON");
    }
    if (duplicate) {
        throw Invalid("a field named twice");
    }
    if (!message.is_object()) {
        throw Invalid("not an object");
    }
    type = protocol::text(message, "type");
    return message;
}

ClientMessage readClient(std::string_view input) {
    std::string type;
    const Json message = parseObject(input, type);
    if (type == "hello") {
        expectFields(message, {"version"});
        return Hello{static_cast<int>(integer(message, "version", 0, MaxVersion))};
    }
    if (type == "create") {
        expectFields(message, {"code"});
        return CreateRoom{roomCode(message)};
    }
    if (type == "join") {
        expectFields(message, {"code"});
        return JoinRoom{roomCode(message)};
    }
    if (type == "rejoin") {
        expectFields(message, {"code", "token"});
        return Rejoin{roomCode(message), seatToken(message)};
    }
    if (type == "key") {
        expectFields(message, {"key", "down", "origin"});
        return KeyEvent{named(message, "key", KeyNames), boolean(message, "down"),
                        named(message, "origin", OriginNames)};
    }
    if (type == "command") {
        expectFields(message, {"command"});
        return MenuCommand{named(message, "command", CommandNames)};
    }
    if (type == "speed") {
        expectFields(message, {"level"});
        return ChooseSpeed{static_cast<int>(integer(message, "level", 1, 4))};
    }
    if (type == "close-game-over") {
        expectFields(message, {"reset"});
        return CloseGameOver{boolean(message, "reset")};
    }
    if (type == "leave") {
        expectFields(message, {});
        return LeaveRoom{};
    }
    if (type == "pong") {
        expectFields(message, {"id"});
        return Pong{static_cast<std::uint32_t>(integer(message, "id", 0, MaxPingId))};
    }
    throw Invalid("unknown type");
}

std::vector<Cell> cells(const Json& message) {
    const Json& list = field(message, "cells");
    if (!list.is_array() || list.empty() || list.size() > MaxCells) {
        throw Invalid("cells is not a list of 1 to 920 cells");
    }
    std::vector<Cell> result;
    result.reserve(list.size());
    for (const Json& cell : list) {
        if (!cell.is_array() || cell.size() != 2) {
            throw Invalid("a cell is not [index, colour]");
        }
        result.push_back(
            Cell{static_cast<int>(integerValue(cell[0], 1, MaxCells, "index")),
                 static_cast<std::uint32_t>(integerValue(cell[1], 0, 0xFFFFFF, "colour"))});
    }
    return result;
}

Menu menu(const Json& message) {
    Menu result;
    for (std::size_t item = 0; item < MenuItemNames.size(); ++item) {
        const Json& state = field(message, MenuItemNames[item]);
        if (!state.is_object() || state.size() != 2) {
            throw Invalid("a menu item is not {enabled, checked}");
        }
        result.items[item] = MenuState{boolean(state, "enabled"), boolean(state, "checked")};
    }
    return result;
}

ServerMessage readServer(std::string_view input) {
    std::string type;
    const Json message = parseObject(input, type);
    if (type == "hello") {
        expectFields(message, {"version"});
        return HelloAnswer{static_cast<int>(integer(message, "version", 0, MaxVersion))};
    }
    if (type == "welcome") {
        expectFields(message, {"seat", "code", "token"});
        const Seat seat = named(message, "seat", SeatNames);
        // Only players hold a seat to take back.
        std::string token = seat == Seat::Watcher ? text(message, "token") : seatToken(message);
        if (seat == Seat::Watcher && !token.empty()) {
            throw Invalid("a watcher's token");
        }
        return Welcome{seat, roomCode(message), std::move(token)};
    }
    if (type == "paint") {
        expectFields(message, {"cells"});
        return Paint{cells(message)};
    }
    if (type == "counters") {
        expectFields(message, {"red", "blue"});
        return Counters{caption(message, "red"), caption(message, "blue")};
    }
    if (type == "countdown") {
        expectFields(message, {"caption", "visible"});
        return Countdown{caption(message, "caption"), boolean(message, "visible")};
    }
    if (type == "menu") {
        expectFields(message, {"pauza", "koniec-gry", "speed1", "speed2", "speed3", "speed4"});
        return menu(message);
    }
    if (type == "game-over-opened") {
        expectFields(message, {"red", "blue"});
        return GameOverOpened{caption(message, "red"), caption(message, "blue")};
    }
    if (type == "game-over-closed") {
        expectFields(message, {});
        return GameOverClosed{};
    }
    if (type == "repaint") {
        expectFields(message, {});
        return Repaint{};
    }
    if (type == "presence") {
        expectFields(message, {"red", "blue", "watchers", "delay"});
        return Presence{named(message, "red", PlayerStateNames),
                        named(message, "blue", PlayerStateNames),
                        static_cast<int>(integer(message, "watchers", 0, MaxWatchers)),
                        static_cast<int>(integer(message, "delay", 0, MaxDelay))};
    }
    if (type == "ping") {
        expectFields(message, {"id"});
        return Ping{static_cast<std::uint32_t>(integer(message, "id", 0, MaxPingId))};
    }
    if (type == "stopping") {
        expectFields(message, {});
        return Stopping{};
    }
    if (type == "refused") {
        expectFields(message, {"reason", "version"});
        return Refused{named(message, "reason", ReasonNames),
                       static_cast<int>(integer(message, "version", 0, MaxVersion))};
    }
    throw Invalid("unknown type");
}

template <typename Message, typename Reader>
std::optional<Message> decode(std::string_view text, std::string* error, Reader read) {
    try {
        return read(text);
    } catch (const Invalid& invalid) {
        if (error) {
            *error = invalid.what();
        }
        return std::nullopt;
    }
}

Json typed(std::string_view type) {
    return Json{{"type", type}};
}

} // namespace

namespace {

bool fromAlphabet(std::string_view text, std::size_t length) {
    return text.size() == length && std::all_of(text.begin(), text.end(), [](char c) {
               return RoomCodeAlphabet.find(c) != std::string_view::npos;
           });
}

} // namespace

bool isRoomCode(std::string_view text) {
    return fromAlphabet(text, RoomCodeLength);
}

bool isSeatToken(std::string_view text) {
    return fromAlphabet(text, SeatTokenLength);
}

std::string encode(const ClientMessage& message) {
    const Json json = std::visit(Overloaded{
                                     [](const Hello& hello) {
                                         Json result = typed("hello");
                                         result["version"] = hello.version;
                                         return result;
                                     },
                                     [](const CreateRoom& create) {
                                         Json result = typed("create");
                                         result["code"] = create.code;
                                         return result;
                                     },
                                     [](const JoinRoom& join) {
                                         Json result = typed("join");
                                         result["code"] = join.code;
                                         return result;
                                     },
                                     [](const Rejoin& rejoin) {
                                         Json result = typed("rejoin");
                                         result["code"] = rejoin.code;
                                         result["token"] = rejoin.token;
                                         return result;
                                     },
                                     [](const KeyEvent& key) {
                                         Json result = typed("key");
                                         result["key"] = nameOf(KeyNames, key.key);
                                         result["down"] = key.down;
                                         result["origin"] = nameOf(OriginNames, key.origin);
                                         return result;
                                     },
                                     [](const MenuCommand& command) {
                                         Json result = typed("command");
                                         result["command"] = nameOf(CommandNames, command.command);
                                         return result;
                                     },
                                     [](const ChooseSpeed& speed) {
                                         Json result = typed("speed");
                                         result["level"] = speed.level;
                                         return result;
                                     },
                                     [](const CloseGameOver& close) {
                                         Json result = typed("close-game-over");
                                         result["reset"] = close.resetCounters;
                                         return result;
                                     },
                                     [](const LeaveRoom&) { return typed("leave"); },
                                     [](const Pong& pong) {
                                         Json result = typed("pong");
                                         result["id"] = pong.id;
                                         return result;
                                     },
                                 },
                                 message);
    return json.dump();
}

std::string encode(const ServerMessage& message) {
    const Json json =
        std::visit(Overloaded{
                       [](const HelloAnswer& hello) {
                           Json result = typed("hello");
                           result["version"] = hello.version;
                           return result;
                       },
                       [](const Welcome& welcome) {
                           Json result = typed("welcome");
                           result["seat"] = nameOf(SeatNames, welcome.seat);
                           result["code"] = welcome.code;
                           result["token"] = welcome.token;
                           return result;
                       },
                       [](const Paint& paint) {
                           Json result = typed("paint");
                           Json list = Json::array();
                           for (const Cell& cell : paint.cells) {
                               list.push_back(Json::array({cell.index, cell.rgb}));
                           }
                           result["cells"] = std::move(list);
                           return result;
                       },
                       [](const Counters& counters) {
                           Json result = typed("counters");
                           result["red"] = counters.red;
                           result["blue"] = counters.blue;
                           return result;
                       },
                       [](const Countdown& countdown) {
                           Json result = typed("countdown");
                           result["caption"] = countdown.caption;
                           result["visible"] = countdown.visible;
                           return result;
                       },
                       [](const Menu& menu) {
                           Json result = typed("menu");
                           for (std::size_t item = 0; item < MenuItemNames.size(); ++item) {
                               result[std::string(MenuItemNames[item])] = {
                                   {"enabled", menu.items[item].enabled},
                                   {"checked", menu.items[item].checked}};
                           }
                           return result;
                       },
                       [](const GameOverOpened& opened) {
                           Json result = typed("game-over-opened");
                           result["red"] = opened.red;
                           result["blue"] = opened.blue;
                           return result;
                       },
                       [](const GameOverClosed&) { return typed("game-over-closed"); },
                       [](const Repaint&) { return typed("repaint"); },
                       [](const Presence& presence) {
                           Json result = typed("presence");
                           result["red"] = nameOf(PlayerStateNames, presence.red);
                           result["blue"] = nameOf(PlayerStateNames, presence.blue);
                           result["watchers"] = presence.watchers;
                           result["delay"] = presence.delay;
                           return result;
                       },
                       [](const Ping& ping) {
                           Json result = typed("ping");
                           result["id"] = ping.id;
                           return result;
                       },
                       [](const Stopping&) { return typed("stopping"); },
                       [](const Refused& refused) {
                           Json result = typed("refused");
                           result["reason"] = nameOf(ReasonNames, refused.reason);
                           result["version"] = refused.version;
                           return result;
                       },
                   },
                   message);
    return json.dump();
}

std::optional<ClientMessage> decodeClient(std::string_view text, std::string* error) {
    return decode<ClientMessage>(text, error, readClient);
}

std::optional<ServerMessage> decodeServer(std::string_view text, std::string* error) {
    return decode<ServerMessage>(text, error, readServer);
}

} // namespace zirvel::protocol
