// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WebRoomScreen.h"

#include "Page.h"
#include "WebWindow.h"

WebRoomScreen::WebRoomScreen(WebWindow& window)
    : window_(window)
    , picture_([&window] { return window.refreshInterval(); }) {}

void WebRoomScreen::enteredRoom() {
    window_.enterRoom();
    picture_.show();
    page::roomEntered();
}

void WebRoomScreen::leftRoom() {
    page::roomLeft();
    window_.leaveRoom();
}

void WebRoomScreen::showStatus(const zirvel::client::RoomStatus& status) {
    const zirvel::protocol::Presence& presence = status.presence;
    page::showRoomStatus(status.code.c_str(), static_cast<int>(status.seat),
                         static_cast<int>(presence.red), static_cast<int>(presence.blue),
                         presence.watchers, presence.delay, status.reconnecting);
}

void WebRoomScreen::openGameOver(const std::string& red, const std::string& blue) {
    page::showGameOver(red.c_str(), blue.c_str());
}

void WebRoomScreen::closeGameOver() {
    page::closeGameOver();
}

void WebRoomScreen::tell(const std::string& message) {
    page::tell(message.c_str());
}

void WebRoomScreen::armWakeUp(std::optional<double> milliseconds) {
    page::armRoomWakeUp(milliseconds.value_or(-1.0));
}
