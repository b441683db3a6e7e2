#pragma once
// The protocol options dialog and its X/YModem, ZModem, ASCII and Kermit
// forms as dialog models over the transfers' option forms.
#include <memory>
#include <string_view>

#include "ui/dialogs/dialog_model.h"

namespace ui {

// The model of one of these templates; nullptr for any other name.
std::unique_ptr<DialogModel> MakeTransferOptionDialog(std::string_view templateName);

}  // namespace ui
