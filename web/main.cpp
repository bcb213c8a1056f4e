// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The entry points the page's script calls.
#include "Page.h"
#include "RoomCode.h"
#include "WebConnection.h"
#include "WebRoomScreen.h"
#include "WebWindow.h"

#include <emscripten.h>
#include <memory>
#include <optional>

namespace {

std::unique_ptr<WebWindow> window;

// Online play, beside the window whose picture and keys it takes while a room is shown.
struct Online {
    explicit Online(WebWindow& shown)
        : screen(shown) {}

    WebConnection connection;
    WebRoomScreen screen;
    zirvel::client::RoomClient client{connection, screen, zirvel::protocol::systemRandomBytes};
};

std::unique_ptr<Online> online;

zirvel::KeyIdentity keyIdentity(int named, int character, int position) {
    return {static_cast<zirvel::NamedKey>(named), static_cast<char32_t>(character),
            static_cast<zirvel::KeyPosition>(position)};
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void zirvel_start(double refreshInterval) {
    window = std::make_unique<WebWindow>(refreshInterval);
    online = std::make_unique<Online>(*window);
    window->setRoom(online->client);
}

// `named`, `position`: the numbers of zirvel::NamedKey and zirvel::KeyPosition.
EMSCRIPTEN_KEEPALIVE int zirvel_key(int down, int named, int character, int position, int shift) {
    const zirvel::KeyIdentity key = keyIdentity(named, character, position);
    const auto mask = static_cast<std::uint16_t>(shift);
    return (down ? window->keyDown(key, mask) : window->keyUp(key, mask)) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void zirvel_pad_connected(int pad) {
    window->padConnected(pad);
}

EMSCRIPTEN_KEEPALIVE void zirvel_pad_disconnected(int pad) {
    window->padDisconnected(pad);
}

// `buttons`: zirvel::padButtons; `x`, `y`: the left stick; `trigger`: the right trigger.
EMSCRIPTEN_KEEPALIVE void zirvel_pad(int pad, int buttons, double x, double y, double trigger) {
    window->padChanged(pad, {static_cast<std::uint32_t>(buttons), static_cast<float>(x),
                             static_cast<float>(y), static_cast<float>(trigger)});
}

EMSCRIPTEN_KEEPALIVE void zirvel_pads_listening(int listening) {
    window->setPadsListening(listening != 0);
}

// Fingers in the page's CSS pixels; each returns in how many milliseconds zirvel_touch_check
// is due, or -1.
EMSCRIPTEN_KEEPALIVE double zirvel_touch_down(int id, double x, double y, double width) {
    return window->touchDown(id, {static_cast<float>(x), static_cast<float>(y)},
                             static_cast<float>(width));
}

EMSCRIPTEN_KEEPALIVE double zirvel_touch_move(int id, double x, double y) {
    return window->touchMove(id, {static_cast<float>(x), static_cast<float>(y)});
}

EMSCRIPTEN_KEEPALIVE double zirvel_touch_up(int id) {
    return window->touchUp(id);
}

EMSCRIPTEN_KEEPALIVE double zirvel_touch_check() {
    return window->touchCheck();
}

EMSCRIPTEN_KEEPALIVE void zirvel_focus_lost() {
    window->focusLost();
}

// `command`: the number of WebWindow::Command.
EMSCRIPTEN_KEEPALIVE void zirvel_command(int command) {
    window->command(static_cast<WebWindow::Command>(command));
}

// `player`: 1 or 2; `choice`: 0 a person, 1 to 3 the computer's levels.
EMSCRIPTEN_KEEPALIVE void zirvel_choose_player(int player, int choice) {
    if ((player != 1 && player != 2) || choice < 0 || choice > 3) {
        return;
    }
    window->choosePlayer(static_cast<zirvel::Player>(player),
                         choice == 0
                             ? std::nullopt
                             : std::optional(static_cast<zirvel::opponent::Level>(choice - 1)));
}

EMSCRIPTEN_KEEPALIVE void zirvel_wake_up() {
    window->wakeUp();
}

EMSCRIPTEN_KEEPALIVE void zirvel_hold_ended() {
    window->holdEnded();
}

EMSCRIPTEN_KEEPALIVE void zirvel_game_over_closed(int resetCounters) {
    window->gameOverClosed(resetCounters != 0);
}

EMSCRIPTEN_KEEPALIVE void zirvel_set_hidden(int hidden) {
    window->setHidden(hidden != 0);
}

EMSCRIPTEN_KEEPALIVE void zirvel_set_refresh_interval(double milliseconds) {
    window->setRefreshInterval(milliseconds);
}

EMSCRIPTEN_KEEPALIVE void zirvel_quit() {
    online->client.leave();
    window->quit();
}

// The page's address, http(s)://host[:port]/, is the script's first handed text; joining, the
// room's code its second.
EMSCRIPTEN_KEEPALIVE void zirvel_room_create() {
    online->client.create(page::handedText(0));
}

EMSCRIPTEN_KEEPALIVE void zirvel_room_join() {
    online->client.join(page::handedText(0), page::handedText(1));
}

EMSCRIPTEN_KEEPALIVE void zirvel_room_leave() {
    online->client.leave();
}

// The numbers of RoomClient::State.
EMSCRIPTEN_KEEPALIVE int zirvel_room_state() {
    return online ? static_cast<int>(online->client.state()) : 0;
}

EMSCRIPTEN_KEEPALIVE int zirvel_room_commands_allowed() {
    return !online || online->client.commandsAllowed() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void zirvel_room_wake_up() {
    online->client.wakeUp();
}

EMSCRIPTEN_KEEPALIVE void zirvel_room_hold_ended() {
    online->screen.holdEnded();
}

EMSCRIPTEN_KEEPALIVE void zirvel_socket_opened() {
    online->client.connected();
}

// The frame's text is the script's first handed text.
EMSCRIPTEN_KEEPALIVE void zirvel_socket_message() {
    online->client.received(page::handedText(0));
}

EMSCRIPTEN_KEEPALIVE void zirvel_socket_closed() {
    online->client.disconnected();
}
}
