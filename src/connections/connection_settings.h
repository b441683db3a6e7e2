#pragma once

#include "commands/settings_record.h"
#include "connections/connection_layer.h"

namespace connections {

// The layer's settings as the settings record holds them. `OldScoAnsi` is
// taken as the options dialog last applied it, which may differ from the
// record's byte until the dialog's OK.
ConnectionSettings ConnectionSettingsFrom(const commands::SettingsRecord& record,
                                          bool oldScoAnsiActive);

}  // namespace connections
