#include "KeyMapping.h"

#include "KeyCodes.h"

#include <utility>

namespace {

using namespace zirvel;

// The toolkit reports either Shift key as Key_Shift.
constexpr std::pair<int, std::uint16_t> GameKeys[] = {
    {Qt::Key_Up, keys::Up},       {Qt::Key_Down, keys::Down}, {Qt::Key_Left, keys::Left},
    {Qt::Key_Right, keys::Right}, {Qt::Key_W, keys::W},       {Qt::Key_S, keys::S},
    {Qt::Key_A, keys::A},         {Qt::Key_D, keys::D},       {Qt::Key_Space, keys::Space},
    {Qt::Key_Shift, keys::Shift},
};

} // namespace

std::optional<std::uint16_t> virtualKeyCode(int qtKey) {
    for (const auto& [key, code] : GameKeys) {
        if (key == qtKey) {
            return code;
        }
    }
    return std::nullopt;
}

std::uint16_t modifierMask(Qt::KeyboardModifiers modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier) {
        mask |= 1;
    }
    if (modifiers & Qt::ControlModifier) {
        mask |= 2;
    }
    if (modifiers & Qt::AltModifier) {
        mask |= 4;
    }
    return mask;
}
