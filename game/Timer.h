#pragma once

namespace zirvel {

enum class Timer {
    Timer1, // normal tick
    Timer2, // fast tick
    Timer3, // countdown tick
};

} // namespace zirvel
