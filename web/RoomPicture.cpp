// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomPicture.h"

#include "Page.h"

RoomPicture::RoomPicture(std::function<double()> refreshInterval)
    : PagePicture(std::move(refreshInterval), page::armRoomHoldEnd) {}

void RoomPicture::show() {
    clear();
    showWhole();
}

void RoomPicture::setCellColour(int index, zirvel::Colour colour) {
    PagePicture::setCellColour(index, colour);
    paintChangedCells();
}
