#pragma once
// The colour editor ("COLOREDIT"): the sixteen combinations of bold, blink,
// reverse and underline with their colours and the attribute mode, edited on
// a working copy; one combination's colours are picked in "COLORSELECT" and
// the sixteen palette colours changed in "COLORMAP".
#include <cstdint>
#include <memory>
#include <string_view>

#include "ui/dialogs/dialog_model.h"

namespace ui {

// The palette index a background index b is shown with in an attribute mode.
uint8_t ShownBackground(uint8_t b, uint8_t mode);

// The word "COLORSELECT" edits and the attribute mode it is shown in.
struct ColorSelectWork {
    uint16_t Word = 0x07;
    uint8_t Mode = 5;
};
extern ColorSelectWork ColorSelect;

std::unique_ptr<DialogModel> MakeColorDialog(std::string_view templateName);

}  // namespace ui
