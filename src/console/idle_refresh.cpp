#include "console/idle_refresh.h"

#include "console/console_primitives.h"
#include "console/console_settings.h"
#include "console/status_line.h"

namespace console {

void StatusIdleUpdate() {
    auto& layer = ConsoleLayer;
    // Full jump scrolling keeps its lines back while more output is waiting,
    // so a burst costs one repaint when it ends instead of one per tick.
    const bool moreWaiting = layer.Hooks.CommInputReady(0);
    if (layer.PendingScrollLines != 0 && !(JumpScrollSetting() >= 100 && moreWaiting))
        RedrawScreen();
    StatusLineIdle();
    if (layer.CaretPending) PlaceCaret();
}

}  // namespace console
