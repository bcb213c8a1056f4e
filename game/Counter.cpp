// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Counter.h"

#include <array>
#include <charconv>
#include <cmath>

namespace zirvel {

namespace {

double captionValue(std::string_view caption) {
    const auto first = caption.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return 0.0;
    }
    caption.remove_prefix(first);
    caption.remove_suffix(caption.size() - caption.find_last_not_of(' ') - 1);
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(caption.data(), caption.data() + caption.size(), value);
    if (error != std::errc{} || end != caption.data() + caption.size() || !std::isfinite(value)) {
        return 0.0;
    }
    return value;
}

} // namespace

std::string counterPlusOne(std::string_view caption) {
    // Counting in double precision keeps counts well past 16 bits exact.
    const double next = captionValue(caption) + 1.0;
    std::array<char, 32> text{};
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), next, std::chars_format::general, 15);
    return std::string(text.data(), result.ptr);
}

} // namespace zirvel
