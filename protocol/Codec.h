// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Messages.h"

#include <optional>
#include <string>
#include <string_view>

// The protocol's text form: one JSON object per message, its kind in "type". Decoding accepts
// exactly the messages of this version and refuses anything else: text that is not JSON or not
// UTF-8, a missing, unknown or extra field, a value of the wrong type, a number out of range.
namespace zirvel::protocol {

std::string encode(const ClientMessage& message);
std::string encode(const ServerMessage& message);

// Empty for anything that is not a message; `error`, when given, then says why.
std::optional<ClientMessage> decodeClient(std::string_view text, std::string* error = nullptr);
std::optional<ServerMessage> decodeServer(std::string_view text, std::string* error = nullptr);

// Whether the text is a room code: RoomCodeLength characters from RoomCodeAlphabet.
bool isRoomCode(std::string_view text);
// Whether the text is a seat token: SeatTokenLength characters from RoomCodeAlphabet.
bool isSeatToken(std::string_view text);

} // namespace zirvel::protocol
