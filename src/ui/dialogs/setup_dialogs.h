#pragma once
// The set-up dialogs: the screen's and passthrough printing's character sets ("CHARSET"), the
// spooler's printer ("SPOOLSETUP"), the save question asked at exit ("SAVEPARAM") and the
// terminal type chosen at the first start ("INITTERMTYPE").
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialogs/dialog_model.h"

namespace ui {

struct FirstRunChoice;

// What "SAVEPARAM" asks: its caption and text, whether Save is offered (a file name is known)
// and whether Cancel is.
struct SaveQuestionRecord {
    std::string Caption;
    std::string Text;
    bool SaveAllowed = true;
    bool CancelAllowed = true;
};
extern SaveQuestionRecord SaveQuestion;

// The buttons "SAVEPARAM" ends with.
inline constexpr int kSaveButton = 102;
inline constexpr int kSaveAsButton = 103;
inline constexpr int kNoButton = 7;
inline constexpr int kCancelButton = 2;

// The working values "INITTERMTYPE" shows and changes; set while it runs.
extern FirstRunChoice* FirstRunWork;

// The 8-bit sets "CHARSET" offers, in its order: the built-in sets, the library sets whose
// translation file is beside the program, the other translation files there, the ISO 8859 sets
// whose file is there, then the system's code pages; at most 200.
std::vector<std::string> EightBitCharsetChoices();

std::unique_ptr<DialogModel> MakeSetupDialog(std::string_view templateName);

}  // namespace ui
