#pragma once
// The 55 ms tick clock of the day, deadlines on it, and the short delays.

#include <cstdint>

namespace platform {

// The system's millisecond counter and the high-resolution counter used for short busy waits.
class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since the system started; wraps after about 49.7 days.
    virtual uint32_t Milliseconds() = 0;
    // Counts per second of the high-resolution counter; false when there is none.
    virtual bool PerformanceFrequency(int64_t& perSecond) = 0;
    virtual bool PerformanceCounter(int64_t& count) = 0;
    // Gives up the processor for the given milliseconds.
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// The clock in use: the one installed with SetClock, else the build's default.
Clock& CurrentClock();
// Installs a clock (tests install a fake); nullptr goes back to the default.
void SetClock(Clock* clock);

}  // namespace platform

namespace console {

// 18.2 Hz ticks in a day: BiosTicks runs from 1 to this value (0 only right after the counter's
// start).
inline constexpr int32_t TicksPerDay = 1573040;
// The longest wait a day-tick deadline can stand for (about 18 hours 1 minute). A deadline is taken
// as passed for the rest of the day behind it, so a later check still sees it within about six
// hours.
inline constexpr int32_t MaxDeadlineTicks = 0x120000;

// State of the clock unit.
struct TickClock {
    bool started = false;
    uint32_t lastRaw = 0;       // last reading of the millisecond counter
    uint64_t milliseconds = 0;  // the counter extended past its 32-bit wrap
    uint32_t LoopsPerMs = 1;    // calibration of the busy-wait fallback
};
extern TickClock tickClock;
void ResetTickClock();

// The system millisecond counter as it stands (for the connection layer's millisecond deadlines).
uint32_t MilliCount();

// The current DayTicks: the millisecond count divided by 55, brought into 1..TicksPerDay.
int32_t BiosTicks();

// True when the tick clock has passed the deadline tick. A value above TicksPerDay or below 0 never
// passes (BiosTicks + TicksPerDay is "no time-out"); TicksPerDay itself is the midnight tick.
bool DeadlinePassed(int32_t deadline);

// A deadline the given number of ticks from now (cut to MaxDeadlineTicks). Never 0, which callers
// use for "not armed": the midnight tick is given as TicksPerDay.
int32_t DeadlineAfterTicks(int64_t ticks);
// The same for whole seconds, at 18 ticks a second.
int32_t DeadlineAfterSeconds(int64_t seconds);

// Sleeps for the given milliseconds.
void Delay(uint16_t milliseconds);
// Busy-waits n x 100 microseconds.
void FineDelay(uint16_t n);
// Measures LoopsPerMs for FineDelay's fallback; run once at start-up.
void CalibrateDelayLoop();

}  // namespace console
