// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// What the page's script does for the game: draws, shows texts and menu states, and keeps the
// browser timers. Each call goes to the script's `page` object.
namespace page {

// Wakes the game this many milliseconds from now; a negative value cancels the wake-up.
void armWakeUp(double milliseconds);
// Tells the game this many milliseconds from now that a held picture may be shown.
void armHoldEnd(double milliseconds);
void paintCell(int index, int red, int green, int blue);
void setCounter(int player, const char* caption);
void setCountdown(const char* caption, bool visible);
void setMenu(int item, bool enabled, bool checked);
// Checks who plays `player` in "Gracze": 0 a person, 1 to 3 the computer's levels.
void setSeat(int player, int choice);
void showGameOver(const char* counter1, const char* counter2);
// Whether a game has started, and whether its round runs rather than stands paused.
void setRound(bool started, bool running);
// A timer fired at `clock` milliseconds, due at `due`: for the page's own measurements.
void timerFired(int timer, double due, double clock);

// Online play.
// The text the script handed the call under way, by its place among them.
std::string handedText(int index);
// The room's WebSocket; its events come back through the entry points zirvel_socket_*.
void openSocket(const char* url);
void sendSocket(const char* text);
void closeSocket();
// Wakes the room's client this many milliseconds from now; a negative value cancels it.
void armRoomWakeUp(double milliseconds);
// Tells the room's picture this many milliseconds from now that what it holds may be shown.
void armRoomHoldEnd(double milliseconds);
void roomEntered();
void roomLeft();
// `seat`, `red`, `blue`: the numbers of protocol::Seat and protocol::PlayerState.
void showRoomStatus(const char* code, int seat, int red, int blue, int watchers, int delay,
                    bool reconnecting);
// The room's game-over window closes everywhere.
void closeGameOver();
void tell(const char* message);

} // namespace page
