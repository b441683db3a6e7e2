#pragma once
// The small dialogs: the about and support boxes, those that queue one
// finished command (dial, screen size, number and text input), the delays,
// the list chooser, the download folder and the telnet registration.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialogs/dialog_model.h"

namespace ui {

struct SmallDialogState {
    // The entries the list chooser offers, one per line; PromptText holds the
    // entry to pre-select.
    std::vector<std::string> ListBoxLines;
};
extern SmallDialogState SmallDialogs;

// The model of one of these templates; nullptr for any other name.
std::unique_ptr<DialogModel> MakeSmallDialog(std::string_view templateName);

// The settings files of the current folder ("*.def"), without extension and
// sorted ignoring case, as the start-up chooser lists them.
std::vector<std::string> SettingsFileChoices();

}  // namespace ui
