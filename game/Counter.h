// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

namespace zirvel {

// The counter caption that follows `caption`: read as a number, plus one, written back as
// plain decimal digits. A caption that is not a number counts as 0.
std::string counterPlusOne(std::string_view caption);

} // namespace zirvel
