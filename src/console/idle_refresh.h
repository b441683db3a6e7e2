#pragma once

namespace console {

// The idle refresh of the main loop: scroll lines that jump scrolling left
// unpainted reach the window, and a caret that output moved is placed. The
// status line's indicators and ruler join it when the status line exists.
void StatusIdleUpdate();

}  // namespace console
