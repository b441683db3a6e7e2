#include "console/tick_clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {
namespace {

// Portable default: a steady clock stands in for the system's counter until the platform's is
// installed.
class StdClock final : public Clock {
  public:
    uint32_t Milliseconds() override {
        auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
    bool PerformanceFrequency(int64_t& perSecond) override {
        perSecond = 1'000'000'000;
        return true;
    }
    bool PerformanceCounter(int64_t& count) override {
        auto since = std::chrono::steady_clock::now().time_since_epoch();
        count = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
        return true;
    }
    void Sleep(uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

Clock* installed = nullptr;

}  // namespace

Clock& CurrentClock() {
    static StdClock fallback;
    return installed ? *installed : fallback;
}

void SetClock(Clock* clock) {
    installed = clock;
}

}  // namespace platform

namespace console {

TickClock tickClock;

void ResetTickClock() {
    tickClock = TickClock{};
}

uint32_t MilliCount() {
    return platform::CurrentClock().Milliseconds();
}

namespace {

// The millisecond count carried on across the counter's wrap, so that the tick of the day runs on
// smoothly every 49.7 days instead of jumping back.
uint64_t ExtendedMilliseconds() {
    uint32_t raw = MilliCount();
    if (!tickClock.started) {
        tickClock.started = true;
        tickClock.lastRaw = raw;
        tickClock.milliseconds = raw;
    } else {
        uint32_t step = raw - tickClock.lastRaw;
        // A step of more than half the counter's range is the counter going back a little, which is
        // held rather than taken as a wrap.
        if (step < 0x80000000u) {
            tickClock.milliseconds += step;
            tickClock.lastRaw = raw;
        }
    }
    return tickClock.milliseconds;
}

int32_t TickOfDay(int32_t tick) {
    return tick % TicksPerDay;
}

}  // namespace

int32_t BiosTicks() {
    uint64_t ticks = ExtendedMilliseconds() / 55;
    if (ticks > static_cast<uint64_t>(TicksPerDay)) ticks = (ticks - 1) % TicksPerDay + 1;
    return static_cast<int32_t>(ticks);
}

bool DeadlinePassed(int32_t deadline) {
    if (deadline < 0 || deadline > TicksPerDay) return false;
    int32_t now = TickOfDay(BiosTicks());
    int32_t behind = (now - TickOfDay(deadline) + TicksPerDay) % TicksPerDay;
    // The deadline lies up to MaxDeadlineTicks ahead (not passed) or within the rest of the day
    // behind the clock (passed); deciding by the distance alone keeps midnight from mattering.
    return behind != 0 && behind <= TicksPerDay - 1 - MaxDeadlineTicks;
}

int32_t DeadlineAfterTicks(int64_t ticks) {
    ticks = std::clamp<int64_t>(ticks, 0, MaxDeadlineTicks);
    int32_t deadline = static_cast<int32_t>((BiosTicks() + ticks) % TicksPerDay);
    return deadline == 0 ? TicksPerDay : deadline;
}

int32_t DeadlineAfterSeconds(int64_t seconds) {
    seconds = std::clamp<int64_t>(seconds, 0, MaxDeadlineTicks);
    return DeadlineAfterTicks(seconds * 18);
}

void Delay(uint16_t milliseconds) {
    platform::CurrentClock().Sleep(milliseconds);
}

void FineDelay(uint16_t n) {
    platform::Clock& clock = platform::CurrentClock();
    int64_t frequency = 0;
    int64_t start = 0;
    if (clock.PerformanceFrequency(frequency) && frequency > 0 && clock.PerformanceCounter(start)) {
        int64_t target = start + (frequency / 10000) * n;
        int64_t now = start;
        while (now < target) {
            if (!clock.PerformanceCounter(now)) return;
        }
        return;
    }
    // No high-resolution counter: count clock reads, LoopsPerMs of them to the millisecond.
    uint64_t reads = static_cast<uint64_t>(tickClock.LoopsPerMs) * n / 10;
    for (uint64_t i = 0; i < reads; ++i) (void)clock.Milliseconds();
}

void CalibrateDelayLoop() {
    platform::Clock& clock = platform::CurrentClock();
    uint32_t first = clock.Milliseconds();
    uint32_t edge = first;
    // Bounded waits: a counter that never moves must not hang start-up.
    for (uint32_t i = 0; i < 0x7FFFFFFF && edge == first; ++i) edge = clock.Milliseconds();
    uint32_t count = 0;
    uint32_t next = edge;
    while (count < 0x7FFFFFFF && next == edge) {
        next = clock.Milliseconds();
        ++count;
    }
    uint32_t step = next - edge;
    tickClock.LoopsPerMs = std::max<uint32_t>(1, step == 0 ? count : count / step);
}

}  // namespace console
