// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Counter.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zirvel {

namespace {

double captionValue(std::string_view caption) {
    const auto first = caption.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return 0.0;
    }
    caption.remove_prefix(first);
    caption.remove_suffix(caption.size() - caption.find_last_not_of(' ') - 1);
    // A plain decimal number only: no hexadecimal, no "inf" or "nan".
    if (caption.find_first_not_of("0123456789+-.eE") != std::string_view::npos) {
        return 0.0;
    }
    const std::string text(caption);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) {
        return 0.0;
    }
    return value;
}

} // namespace

std::string counterPlusOne(std::string_view caption) {
    // Counting in double precision keeps counts well past 16 bits exact.
    const double next = captionValue(caption) + 1.0;
    std::array<char, 32> text{};
    const int length = std::snprintf(text.data(), text.size(), "%.15g", next);
    return std::string(text.data(), static_cast<std::size_t>(length));
}

} // namespace zirvel
