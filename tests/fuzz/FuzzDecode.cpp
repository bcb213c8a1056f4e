// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Any text to the client messages' decoder: it refuses it, or gives a message whose text
// decodes to the same again.
#include "Codec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zirvel::protocol;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<ClientMessage> decoded = decodeClient(text);
    if (decoded) {
        const std::string again = encode(*decoded);
        const std::optional<ClientMessage> redecoded = decodeClient(again);
        if (!redecoded || encode(*redecoded) != again) {
            std::abort();
        }
    }
    return 0;
}
