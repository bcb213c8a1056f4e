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

} // namespace page
