#pragma once
// Dialog models run over a table of controls: opened from their menu item
// through the menus' RunDialog slot, changed as a user would, then confirmed
// or cancelled. The controls as the dialog left them stay for inspection.
#include <functional>
#include <map>
#include <set>

#include "menu_fixture.h"
#include "ui/dialogs/advanced_options.h"
#include "ui/dialogs/dialog_model.h"
#include "ui/message_box.h"

namespace dialog_test {

struct Control {
    std::string Text;
    bool Checked = false;
    std::vector<std::string> Entries;
    int Selection = -1;
    bool Enabled = true;
    bool Visible = true;
    size_t Limit = 0;
};

class FakeControls final : public ui::DialogControls {
  public:
    // Controls a template lacks; every other id exists.
    std::set<int> Missing;
    std::map<int, Control> Items;
    std::string Caption;
    bool Has(int id) override { return !Missing.count(id); }
    void SetCaption(std::string_view text) override { Caption = text; }
    void SetText(int id, std::string_view text) override { Items[id].Text = text; }
    std::string Text(int id) override {
        auto& c = Items[id];
        return c.Limit && c.Text.size() > c.Limit ? c.Text.substr(0, c.Limit) : c.Text;
    }
    void LimitText(int id, size_t max) override { Items[id].Limit = max; }
    void SetChecked(int id, bool on) override { Items[id].Checked = on; }
    bool Checked(int id) override { return Items[id].Checked; }
    void SetList(int id, const std::vector<std::string>& entries) override {
        Items[id].Entries = entries;
        Items[id].Selection = -1;
    }
    void Select(int id, int index) override { Items[id].Selection = index; }
    int Selected(int id) override { return Items[id].Selection; }
    void Enable(int id, bool on) override { Items[id].Enabled = on; }
    void Show(int id, bool on) override { Items[id].Visible = on; }
    std::string SelectedText(int id) {
        const auto& c = Items[id];
        return c.Selection >= 0 && c.Selection < static_cast<int>(c.Entries.size())
                   ? c.Entries[static_cast<size_t>(c.Selection)]
                   : std::string("(none)");
    }
};

// What the user does in the next dialog(s), keyed by template name.
struct Script {
    std::map<std::string, std::function<void(ui::DialogModel&, FakeControls&)>> Edits;
    bool PressOk = true;
    // Controls a template lacks, by template name.
    std::map<std::string, std::set<int>> Missing;
    std::map<std::string, FakeControls> Seen;  // by template name
    std::vector<std::string> Opened;
};
inline Script script;

// A user's step: types into a field, then tells the model, as the window would.
inline void Type(ui::DialogModel& m, FakeControls& c, int id, std::string_view text) {
    c.Items[id].Text = text;
    m.Command(c, id, ui::ControlEvent::Changed);
}
inline void Click(ui::DialogModel& m, FakeControls& c, int id, bool checked = true) {
    c.Items[id].Checked = checked;
    m.Command(c, id, ui::ControlEvent::Clicked);
}
inline void Pick(ui::DialogModel& m, FakeControls& c, int id, std::string_view entry) {
    auto& e = c.Items[id].Entries;
    const auto at = std::find(e.begin(), e.end(), entry);
    ASSERT_NE(at, e.end()) << entry << " is not offered";
    c.Items[id].Selection = static_cast<int>(at - e.begin());
    m.Command(c, id, ui::ControlEvent::Selected);
}

// A property sheet: the first page shown, then every page the script edits, each left in turn.
inline int RunScriptedSheet(ui::SheetModel& sheet) {
    std::vector<size_t> visits{sheet.StartPage()};
    for (size_t i = 0; i < sheet.Pages.size(); ++i)
        if (i != visits[0] && script.Edits.count(sheet.Pages[i].Template)) visits.push_back(i);
    for (size_t i : visits) {
        auto& page = sheet.Pages[i];
        script.Opened.push_back(page.Template);
        FakeControls controls;
        controls.Missing = script.Missing[page.Template];
        page.Model->Open(controls);
        if (auto edit = script.Edits.find(page.Template); edit != script.Edits.end())
            edit->second(*page.Model, controls);
        (void)page.Model->Ok(controls);
        sheet.PageLeft(i);
        script.Seen[page.Template] = controls;
    }
    if (script.PressOk) sheet.Confirmed();
    sheet.Closed();
    return script.PressOk ? 1 : 0;
}

inline int RunScripted(std::string_view name) {
    if (auto sheet = ui::MakeSheetModel(name)) return RunScriptedSheet(*sheet);
    auto model = ui::MakeDialogModel(name);
    if (!model) return -1;
    const std::string key(name);
    script.Opened.push_back(key);
    FakeControls controls;
    controls.Missing = script.Missing[key];
    model->Open(controls);
    if (auto edit = script.Edits.find(key); edit != script.Edits.end())
        edit->second(*model, controls);
    int result = 0;
    if (script.PressOk) {
        auto ok = model->Ok(controls);
        result = ok ? *ok : -2;  // -2: OK refused, the dialog stays open
    } else {
        result = model->Cancel();
    }
    script.Seen[key] = controls;
    return result;
}

class DialogFixture : public menu_test::MenuFixture {
  protected:
    ui::MessageBoxFunction previousBox = nullptr;
    void SetUp() override {
        MenuFixture::SetUp();
        script = Script{};
        ui::MenuServices.RunDialog = RunScripted;
        previousBox = ui::SetMessageBoxFunction([](std::string_view text) {
            menu_test::Note("box " + std::string(text));
            return 1;
        });
    }
    void TearDown() override {
        script = Script{};
        ui::SetMessageBoxFunction(previousBox);
        MenuFixture::TearDown();
    }
};

}  // namespace dialog_test
