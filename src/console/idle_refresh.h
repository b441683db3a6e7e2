#pragma once

namespace console {

// The idle refresh of the main loop: scroll lines that jump scrolling left
// unpainted reach the window, and a caret that output moved is placed. The
// status line's indicators and ruler are kept up to date.
void StatusIdleUpdate();

}  // namespace console
