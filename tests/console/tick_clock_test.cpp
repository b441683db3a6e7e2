#include "console/tick_clock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using console::BiosTicks;
using console::DeadlinePassed;
using console::TicksPerDay;

// A millisecond counter the test moves by hand, and a performance counter that advances on reads.
class FakeClock : public platform::Clock {
  public:
    uint32_t ms = 0;
    bool hasCounter = true;
    int64_t counter = 0;
    int64_t counterStep = 1000;
    int counterReadsBeforeFailure = -1;
    int clockReads = 0;
    int msPerReadStep = 0;  // with n > 0 the counter moves one step every n reads
    uint32_t msStep = 1;

    uint32_t Milliseconds() override {
        ++clockReads;
        if (msPerReadStep > 0 && clockReads % msPerReadStep == 0) ms += msStep;
        return ms;
    }
    bool PerformanceFrequency(int64_t& perSecond) override {
        perSecond = 10'000'000;
        return hasCounter;
    }
    bool PerformanceCounter(int64_t& count) override {
        if (counterReadsBeforeFailure == 0) return false;
        if (counterReadsBeforeFailure > 0) --counterReadsBeforeFailure;
        counter += counterStep;
        count = counter;
        return true;
    }
    void Sleep(uint32_t) override {}
};

class TickClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        console::ResetTickClock();
        platform::SetClock(&clock);
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        console::ResetTickClock();
    }
    // Starts the clock at a tick of the first day.
    void StartAtTick(int32_t tick) {
        console::ResetTickClock();
        clock.ms = static_cast<uint32_t>(tick) * 55;
        (void)BiosTicks();
    }
    void AdvanceTicks(int64_t ticks) { clock.ms += static_cast<uint32_t>(ticks * 55); }

    FakeClock clock;
};

TEST_F(TickClockTest, DayTicksFromTheMillisecondCounter) {
    struct Case {
        uint32_t ms;
        int32_t ticks;
    } cases[] = {{0, 0},
                 {54, 0},
                 {55, 1},
                 {86'517'200, TicksPerDay},
                 {86'517'255, 1},
                 {2 * 86'517'200, TicksPerDay},
                 {2 * 86'517'200 + 110, 2}};
    for (const Case& c : cases) {
        console::ResetTickClock();
        clock.ms = c.ms;
        EXPECT_EQ(BiosTicks(), c.ticks) << c.ms;
    }
}

TEST_F(TickClockTest, RunsOnSmoothlyAcrossTheCounterWraps) {
    // Bit 31 and the 32-bit wrap: the tick of the day keeps counting instead of jumping back.
    for (uint32_t start : {0x7FFFFF00u, 0xFFFFFF00u}) {
        console::ResetTickClock();
        clock.ms = start;
        int32_t before = BiosTicks();
        clock.ms = start + 55 * 10;  // wraps for the second start
        int32_t after = BiosTicks();
        EXPECT_EQ((after - before + TicksPerDay) % TicksPerDay, 10) << std::hex << start;
        // A deadline armed before the wrap passes on time after it.
        console::ResetTickClock();
        clock.ms = start;
        int32_t deadline = console::DeadlineAfterTicks(5);
        clock.ms = start + 55 * 5;
        EXPECT_FALSE(DeadlinePassed(deadline));
        clock.ms = start + 55 * 6;
        EXPECT_TRUE(DeadlinePassed(deadline));
    }
}

TEST_F(TickClockTest, CounterGoingBackALittleIsHeld) {
    clock.ms = 550'000;
    int32_t before = BiosTicks();
    clock.ms = 549'000;
    EXPECT_EQ(BiosTicks(), before);
    clock.ms = 550'055;
    EXPECT_EQ(BiosTicks(), before + 1);
}

TEST_F(TickClockTest, DeadlineNearMidnight) {
    StartAtTick(1'550'000);
    EXPECT_FALSE(DeadlinePassed(100)) << "just after midnight, armed late in the day";
    StartAtTick(200);
    EXPECT_TRUE(DeadlinePassed(100));

    // Armed 40 ticks before midnight for 100 ticks: due at tick 60 of the next day.
    StartAtTick(TicksPerDay - 40);
    int32_t deadline = console::DeadlineAfterTicks(100);
    EXPECT_EQ(deadline, 60);
    AdvanceTicks(40);  // midnight
    EXPECT_FALSE(DeadlinePassed(deadline));
    AdvanceTicks(60);
    EXPECT_FALSE(DeadlinePassed(deadline));
    AdvanceTicks(1);
    EXPECT_TRUE(DeadlinePassed(deadline));
}

TEST_F(TickClockTest, MidnightTickAsDeadlinePasses) {
    // (now + n) can land on 1,573,040 itself; the clock never exceeds it, yet it must pass.
    StartAtTick(TicksPerDay - 10);
    AdvanceTicks(11);
    EXPECT_TRUE(DeadlinePassed(TicksPerDay));
}

TEST_F(TickClockTest, LongDeadlinesNeverPassAtOnce) {
    // The longest run-time limit the settings hold: 65,535 seconds (about 18.2 hours).
    const int64_t longest = 65535LL * 18;
    for (int32_t start : {1, 100'000, 786'432, 1'000'000, 1'200'000, 1'507'328, TicksPerDay - 1}) {
        for (int64_t wait : {int64_t{18 * 3600}, int64_t{18 * 3600 * 10}, longest}) {
            StartAtTick(start);
            int32_t deadline = static_cast<int32_t>((BiosTicks() + wait) %
                                                    TicksPerDay);  // the callers' arithmetic
            EXPECT_FALSE(DeadlinePassed(deadline)) << start << " + " << wait;
            AdvanceTicks(wait - 1);
            EXPECT_FALSE(DeadlinePassed(deadline)) << start << " + " << wait;
            AdvanceTicks(2);
            EXPECT_TRUE(DeadlinePassed(deadline)) << start << " + " << wait;
            // A passed deadline stays passed for hours, so a late check still sees it.
            AdvanceTicks(5 * 3600 * 18);
            EXPECT_TRUE(DeadlinePassed(deadline)) << start << " + " << wait;
        }
    }
}

TEST_F(TickClockTest, DeadlineHelperCutsOverlongWaitsAndAvoidsZero) {
    StartAtTick(1000);
    int32_t deadline = console::DeadlineAfterSeconds(10LL * 24 * 3600);
    EXPECT_EQ(deadline, (1000 + console::MaxDeadlineTicks) % TicksPerDay);
    EXPECT_FALSE(DeadlinePassed(deadline));

    StartAtTick(TicksPerDay - 18);
    EXPECT_EQ(console::DeadlineAfterSeconds(1), TicksPerDay) << "0 means not armed to the callers";
}

TEST_F(TickClockTest, OutOfDayValuesNeverPass) {
    // WAITFOR without a time-out arms BiosTicks + a whole day.
    StartAtTick(5000);
    int32_t never = BiosTicks() + TicksPerDay;
    for (int step = 0; step < 4; ++step) {
        EXPECT_FALSE(DeadlinePassed(never));
        EXPECT_FALSE(DeadlinePassed(-5));
        AdvanceTicks(TicksPerDay / 3);
    }
}

TEST_F(TickClockTest, FineDelayWaitsOnThePerformanceCounter) {
    // 10 MHz counter moving 1000 counts a read: 10 x 100 us = 10,000 counts.
    int64_t start = clock.counter;
    console::FineDelay(10);
    EXPECT_GE(clock.counter - start, 10'000 + 1000);
    EXPECT_LE(clock.counter - start, 10'000 + 2000);

    // A failing counter read ends the wait.
    clock.counterReadsBeforeFailure = 3;
    start = clock.counter;
    console::FineDelay(1000);
    EXPECT_EQ(clock.counter - start, 3 * 1000);
}

TEST_F(TickClockTest, CalibratedFallbackWithoutCounter) {
    clock.hasCounter = false;
    clock.msPerReadStep = 100;  // the millisecond counter moves 2 ms every 100 reads
    clock.msStep = 2;
    console::CalibrateDelayLoop();
    EXPECT_EQ(console::tickClock.LoopsPerMs, 50u);

    clock.msPerReadStep = 0;
    clock.clockReads = 0;
    console::FineDelay(20);  // 2 ms
    EXPECT_EQ(clock.clockReads, 100);
}

}  // namespace
