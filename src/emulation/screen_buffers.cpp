#include "emulation/screen_buffers.h"

#include <algorithm>
#include <cstdint>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"

namespace emulation {
namespace {

constexpr int64_t kSmallestRing = 14256;
constexpr int64_t kSmallestRetry = 16383;
// A settings file can ask for any number of review lines; the ring stays
// within what an int32 byte count addresses.
constexpr int64_t kLargestRing = 64LL * 1024 * 1024;

}  // namespace

bool AllocScreenBuffers(int32_t bytes) {
    auto& layer = console::ConsoleLayer;
    int64_t size = bytes > 0 ? bytes
                             : static_cast<int64_t>(commands::Settings.ReviewLines.Get()) * 320;
    size = std::clamp<int64_t>(size, kSmallestRing, kLargestRing);

    // Every ring line is at least as wide as the screen.
    if (console::ScreenColumnsSetting() < layer.ScreenWidth)
        console::SetScreenColumnsSetting(static_cast<uint8_t>(std::min(layer.ScreenWidth, 255)));
    const int32_t columns = std::max<int32_t>(console::ScreenColumnsSetting(), 1);

    bool allocated = console::AllocTermScreenRing(static_cast<int32_t>(size), columns);
    while (!allocated && size > kSmallestRetry) {
        size = size / 5 * 4;
        allocated = console::AllocTermScreenRing(static_cast<int32_t>(size), columns);
    }
    if (!allocated) {
        console::WriteString("INSUFFICIENT MEMORY");
        return false;
    }

    layer.CursorRow = 1;
    layer.CursorCol = 1;
    layer.TopMargin = 1;
    layer.BottomMargin = layer.ScreenRows;
    layer.LeftMargin = 1;
    layer.RightMargin = layer.ScreenWidth;
    return true;
}

}  // namespace emulation
