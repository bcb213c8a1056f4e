// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RoomClient.h"
#include "RoomPicture.h"

class WebWindow;

// The page as a room's screen: the room's picture painted over the main window's, which stands
// still meanwhile, a status line under the window, the page's own game-over window and message
// box.
class WebRoomScreen : public zirvel::client::RoomScreen {
public:
    explicit WebRoomScreen(WebWindow& window);

    zirvel::GameWindow& window() override { return picture_; }
    void enteredRoom() override;
    void leftRoom() override;
    void showStatus(const zirvel::client::RoomStatus& status) override;
    void openGameOver(const std::string& red, const std::string& blue) override;
    void closeGameOver() override;
    void tell(const std::string& message) override;
    void armWakeUp(std::optional<double> milliseconds) override;
    // The room's picture may show what it held back.
    void holdEnded() { picture_.holdEnded(); }

private:
    WebWindow& window_;
    RoomPicture picture_;
};
