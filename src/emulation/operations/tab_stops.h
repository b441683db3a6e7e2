#pragma once
// The tab-stop list the settings record keeps, and its reset by a family's
// tab style.
#include <array>
#include <cstddef>
#include <cstdint>

namespace emulation {

// Tab stops at reset by a family's TabStyle (a TabStyleCode): every eight
// columns (kept in bytes, so the list wraps after column 249), none, or unchanged.
inline constexpr size_t kTabStopCount = 250;
void ResetTabStops(uint8_t tabStyle, std::array<uint8_t, kTabStopCount>& stops);

}  // namespace emulation
