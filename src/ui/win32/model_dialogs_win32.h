#pragma once
// Any dialog model run over its template (from the language module when it
// has one): the controls as the model sees them, and one dialog procedure.
#include <windows.h>

#include "ui/dialogs/advanced_options.h"
#include "ui/dialogs/dialog_model.h"

namespace ui {

// The model's result; -1 when no template of that name can be found.
int RunModelDialog(const char* templateName, DialogModel& model, HWND owner);

// A property sheet of model pages, modal; 1 after OK, 0 after Cancel, -1 when a page's template is
// missing.
int RunSheetModel(SheetModel& sheet, HWND owner);

// The controls of an open dialog window.
class Win32DialogControls final : public DialogControls {
  public:
    explicit Win32DialogControls(HWND dialog) : dialog_(dialog) {}
    bool Has(int id) override;
    void SetCaption(std::string_view text) override;
    void SetText(int id, std::string_view text) override;
    std::string Text(int id) override;
    void LimitText(int id, size_t max) override;
    void SetChecked(int id, bool on) override;
    bool Checked(int id) override;
    void SetList(int id, const std::vector<std::string>& entries) override;
    void Select(int id, int index) override;
    int Selected(int id) override;
    void Enable(int id, bool on) override;
    void Show(int id, bool on) override;
    void Redraw(int id) override;

  private:
    bool IsCombo(int id);
    HWND dialog_;
};

}  // namespace ui
