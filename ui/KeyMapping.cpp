#include "KeyMapping.h"

#include "KeyCodes.h"

std::optional<std::uint16_t> virtualKeyCode(int qtKey) {
    using namespace zirvel;
    switch (qtKey) {
    case Qt::Key_Up:
        return keys::Up;
    case Qt::Key_Down:
        return keys::Down;
    case Qt::Key_Left:
        return keys::Left;
    case Qt::Key_Right:
        return keys::Right;
    case Qt::Key_W:
        return keys::W;
    case Qt::Key_S:
        return keys::S;
    case Qt::Key_A:
        return keys::A;
    case Qt::Key_D:
        return keys::D;
    case Qt::Key_Space:
        return keys::Space;
    case Qt::Key_Shift: // the toolkit reports either Shift key as this one
        return keys::Shift;
    default:
        return std::nullopt;
    }
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
