// Which model each dialog template has.
#include "ui/dialogs/advanced_options.h"
#include "ui/dialogs/char_info.h"
#include "ui/dialogs/color_editor.h"
#include "ui/dialogs/comm_settings.h"
#include "ui/dialogs/dialog_model.h"
#include "ui/dialogs/setup_dialogs.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/dialogs/transfer_option_dialogs.h"

namespace ui {

std::unique_ptr<DialogModel> MakeDialogModel(std::string_view name) {
    if (auto model = MakeSmallDialog(name)) return model;
    if (auto model = MakeCommSettingsDialog(name)) return model;
    if (auto model = MakeCharInfoDialog(name)) return model;
    if (auto model = MakeTransferOptionDialog(name)) return model;
    if (auto model = MakeColorDialog(name)) return model;
    if (auto model = MakeSetupDialog(name)) return model;
    return nullptr;
}

}  // namespace ui
