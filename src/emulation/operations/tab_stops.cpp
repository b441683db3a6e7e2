#include "emulation/operations/tab_stops.h"

#include "emulation/types/family_tables.h"

namespace emulation {

void ResetTabStops(uint8_t tabStyle, std::array<uint8_t, kTabStopCount>& stops) {
    if (tabStyle == kTabsEvery8) {
        for (size_t i = 1; i <= kTabStopCount; ++i)
            stops[i - 1] = static_cast<uint8_t>((8 * i - 7) % 256);
    } else if (tabStyle == kTabsNone) {
        for (uint8_t& stop : stops) stop = 0;
    }
}

}  // namespace emulation
