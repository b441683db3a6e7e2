#pragma once
// The Advanced Options property sheet: six pages over a private copy of the
// settings, copied back with a few conversions and bounds on OK.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands/settings_record.h"
#include "ui/dialogs/dialog_model.h"

namespace ui {

// A property sheet as the program sees it: pages that are models of their
// own, filled when first shown and read back when left.
class SheetModel {
  public:
    struct Page {
        std::string Template;
        std::string Title;
        std::unique_ptr<DialogModel> Model;
    };
    virtual ~SheetModel() = default;
    virtual std::string Caption() = 0;
    virtual size_t StartPage() = 0;
    // The page was left after its model read its controls back.
    virtual void PageLeft(size_t index) = 0;
    virtual void Confirmed() = 0;
    // After OK or Cancel.
    virtual void Closed() = 0;
    std::vector<Page> Pages;
};

// The sheet of a template name; nullptr for any other name.
std::unique_ptr<SheetModel> MakeSheetModel(std::string_view name);

struct AdvancedOptionsWork {
    commands::SettingsRecord Buffer{};
    commands::SettingsRecord Original{};  // the settings when the sheet opened
    bool AuxSetupUsed = false;
};
extern AdvancedOptionsWork AdvancedWork;

}  // namespace ui
