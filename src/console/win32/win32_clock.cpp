#include <windows.h>

#include "console/tick_clock.h"
#include "console/win32/install_services.h"

namespace platform {

// GetTickCount is the counter the day ticks are defined on.
class Win32Clock final : public Clock {
  public:
    uint32_t Milliseconds() override { return GetTickCount(); }
    bool PerformanceFrequency(int64_t& perSecond) override {
        LARGE_INTEGER f;
        if (!QueryPerformanceFrequency(&f)) return false;
        perSecond = f.QuadPart;
        return true;
    }
    bool PerformanceCounter(int64_t& count) override {
        LARGE_INTEGER c;
        if (!QueryPerformanceCounter(&c)) return false;
        count = c.QuadPart;
        return true;
    }
    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

Clock& Win32ClockInstance() {
    static Win32Clock clock;
    return clock;
}

}  // namespace platform
