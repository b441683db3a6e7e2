#pragma once
// What the connection's neighbours reach in the rest of the program: the
// auto-login, the command language's view of the cursor and the window title,
// and where line errors are shown.

namespace app {

// Fills those entries with the units that provide them; runs after the units'
// own installs, which start from their defaults.
void WireConnectionExtras();

}  // namespace app
