#include "sim/SimulatedClock.h"

#include <gtest/gtest.h>
#include <vector>

using namespace zirvel;
using zirvel::sim::SimulatedClock;

namespace {

struct Recorder {
    std::vector<std::pair<std::int64_t, Timer>> fired;
    SimulatedClock* clock;
    void operator()(Timer timer) { fired.emplace_back(clock->now(), timer); }
};

} // namespace

TEST(SimulatedClock, FiresOnScheduleAndReenablingChangesNothing) {
    SimulatedClock clock;
    Recorder recorder{{}, &clock};
    clock.setInterval(Timer::Timer1, 200);
    clock.setInterval(Timer::Timer2, 50);
    clock.setEnabled(Timer::Timer1, true);
    clock.advance(30, std::ref(recorder));
    clock.setEnabled(Timer::Timer1, true); // already running: keeps its schedule
    clock.setInterval(Timer::Timer1, 200);
    clock.setEnabled(Timer::Timer2, true);
    clock.advance(370, std::ref(recorder));

    const std::vector<std::pair<std::int64_t, Timer>> expected{
        {80, Timer::Timer2},  {130, Timer::Timer2}, {180, Timer::Timer2},
        {200, Timer::Timer1}, {230, Timer::Timer2}, {280, Timer::Timer2},
        {330, Timer::Timer2}, {380, Timer::Timer2}, {400, Timer::Timer1},
    };
    EXPECT_EQ(recorder.fired, expected);
    EXPECT_EQ(clock.now(), 400);
}

TEST(SimulatedClock, NewIntervalRestartsAndNoIntervalNeverFires) {
    SimulatedClock clock;
    Recorder recorder{{}, &clock};
    clock.setEnabled(Timer::Timer3, true);
    clock.advance(1000, std::ref(recorder));
    EXPECT_TRUE(recorder.fired.empty());

    clock.setInterval(Timer::Timer3, 700); // starts counting now
    clock.advance(500, std::ref(recorder));
    clock.setInterval(Timer::Timer3, 100); // restarts at 1500
    clock.advance(150, std::ref(recorder));
    clock.setEnabled(Timer::Timer3, false);
    clock.advance(1000, std::ref(recorder));
    const std::vector<std::pair<std::int64_t, Timer>> expected{{1600, Timer::Timer3}};
    EXPECT_EQ(recorder.fired, expected);
}
