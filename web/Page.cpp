// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Page.h"

#include <emscripten.h>

// clang-format off
EM_JS(void, page_arm_wake_up, (double milliseconds), { Module.page.armWakeUp(milliseconds); });
EM_JS(void, page_arm_hold_end, (double milliseconds), { Module.page.armHoldEnd(milliseconds); });
EM_JS(void, page_paint_cell, (int index, int red, int green, int blue), {
    Module.page.paintCell(index, red, green, blue);
});
EM_JS(void, page_set_counter, (int player, const char* caption), {
    Module.page.setCounter(player, UTF8ToString(caption));
});
EM_JS(void, page_set_countdown, (const char* caption, int visible), {
    Module.page.setCountdown(UTF8ToString(caption), visible !== 0);
});
EM_JS(void, page_set_menu, (int item, int enabled, int checked), {
    Module.page.setMenu(item, enabled !== 0, checked !== 0);
});
EM_JS(void, page_set_seat, (int player, int choice), { Module.page.setSeat(player, choice); });
EM_JS(void, page_show_game_over, (const char* counter1, const char* counter2), {
    Module.page.showGameOver(UTF8ToString(counter1), UTF8ToString(counter2));
});
EM_JS(void, page_set_round, (int started, int running), {
    Module.page.setRound(started !== 0, running !== 0);
});
EM_JS(void, page_timer_fired, (int timer, double due, double clock), {
    Module.page.timerFired(timer, due, clock);
});
EM_JS(int, page_handed_text_size, (int index), {
    return lengthBytesUTF8(Module.page.handed[index]) + 1;
});
EM_JS(void, page_handed_text, (int index, char* buffer, int size), {
    stringToUTF8(Module.page.handed[index], buffer, size);
});
EM_JS(void, page_open_socket, (const char* url), { Module.page.openSocket(UTF8ToString(url)); });
EM_JS(void, page_send_socket, (const char* text), { Module.page.sendSocket(UTF8ToString(text)); });
EM_JS(void, page_close_socket, (), { Module.page.closeSocket(); });
EM_JS(void, page_arm_room_wake_up, (double milliseconds), {
    Module.page.armRoomWakeUp(milliseconds);
});
EM_JS(void, page_arm_room_hold_end, (double milliseconds), {
    Module.page.armRoomHoldEnd(milliseconds);
});
EM_JS(void, page_room_entered, (), { Module.page.roomEntered(); });
EM_JS(void, page_room_left, (), { Module.page.roomLeft(); });
EM_JS(void, page_show_room_status, (const char* code, int seat, int red, int blue, int watchers,
                                    int delay, int reconnecting), {
    Module.page.showRoomStatus(UTF8ToString(code), seat, red, blue, watchers, delay,
                               reconnecting !== 0);
});
EM_JS(void, page_close_game_over, (), { Module.page.closeGameOver(); });
EM_JS(void, page_tell, (const char* message), { Module.page.tell(UTF8ToString(message)); });
// clang-format on

namespace page {

void armWakeUp(double milliseconds) {
    page_arm_wake_up(milliseconds);
}
void armHoldEnd(double milliseconds) {
    page_arm_hold_end(milliseconds);
}
void paintCell(int index, int red, int green, int blue) {
    page_paint_cell(index, red, green, blue);
}
void setCounter(int player, const char* caption) {
    page_set_counter(player, caption);
}
void setCountdown(const char* caption, bool visible) {
    page_set_countdown(caption, visible ? 1 : 0);
}
void setMenu(int item, bool enabled, bool checked) {
    page_set_menu(item, enabled ? 1 : 0, checked ? 1 : 0);
}
void setSeat(int player, int choice) {
    page_set_seat(player, choice);
}
void showGameOver(const char* counter1, const char* counter2) {
    page_show_game_over(counter1, counter2);
}
void setRound(bool started, bool running) {
    page_set_round(started ? 1 : 0, running ? 1 : 0);
}
void timerFired(int timer, double due, double clock) {
    page_timer_fired(timer, due, clock);
}

std::string handedText(int index) {
    const int size = page_handed_text_size(index);
    std::string text(static_cast<std::size_t>(size), '\0');
    page_handed_text(index, text.data(), size);
    text.resize(static_cast<std::size_t>(size - 1));
    return text;
}
void openSocket(const char* url) {
    page_open_socket(url);
}
void sendSocket(const char* text) {
    page_send_socket(text);
}
void closeSocket() {
    page_close_socket();
}
void armRoomWakeUp(double milliseconds) {
    page_arm_room_wake_up(milliseconds);
}
void armRoomHoldEnd(double milliseconds) {
    page_arm_room_hold_end(milliseconds);
}
void roomEntered() {
    page_room_entered();
}
void roomLeft() {
    page_room_left();
}
void showRoomStatus(const char* code, int seat, int red, int blue, int watchers, int delay,
                    bool reconnecting) {
    page_show_room_status(code, seat, red, blue, watchers, delay, reconnecting ? 1 : 0);
}
void closeGameOver() {
    page_close_game_over();
}
void tell(const char* message) {
    page_tell(message);
}

} // namespace page
