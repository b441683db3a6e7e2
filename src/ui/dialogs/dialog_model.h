#pragma once
// A dialog as the program sees it: a model that fills the controls of a
// template when it opens, follows their changes and takes the values back on
// OK. The Windows side runs any model over its template; tests run it over a
// table of controls.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// How a control told the dialog about a change.
enum class ControlEvent : uint8_t { Clicked, Changed, Selected, DoubleClicked };

// The controls of an open dialog, by id. Lists and combo boxes keep their
// entries in the order given; an index of -1 means no selection.
class DialogControls {
  public:
    virtual ~DialogControls() = default;
    virtual bool Has(int id) = 0;
    virtual void SetCaption(std::string_view text) = 0;
    virtual void SetText(int id, std::string_view text) = 0;
    virtual std::string Text(int id) = 0;
    virtual void LimitText(int id, size_t max) = 0;
    virtual void SetChecked(int id, bool on) = 0;
    virtual bool Checked(int id) = 0;
    virtual void SetList(int id, const std::vector<std::string>& entries) = 0;
    virtual void Select(int id, int index) = 0;
    virtual int Selected(int id) = 0;
    virtual void Enable(int id, bool on) = 0;
    virtual void Show(int id, bool on) = 0;
    // Asks the platform to paint an owner-drawn control again.
    virtual void Redraw(int id) { (void)id; }
};

class DialogModel {
  public:
    virtual ~DialogModel() = default;
    virtual void Open(DialogControls& controls) = 0;
    virtual void Command(DialogControls& controls, int id, ControlEvent event) {
        (void)controls, (void)id, (void)event;
    }
    // OK: the dialog's result, or nothing when the dialog stays open.
    virtual std::optional<int> Ok(DialogControls& controls) = 0;
    virtual int Cancel() { return 0; }
    // A button other than OK and Cancel that ends the dialog: its result, or nothing.
    virtual std::optional<int> Closes(int id) {
        (void)id;
        return std::nullopt;
    }
    // An owner-drawn control: the text drawn to fill it and the face asked for; the platform
    // reports the face that drew it.
    virtual std::u16string OwnerDrawText(int id) {
        (void)id;
        return {};
    }
    virtual std::string OwnerDrawFace(int id) {
        (void)id;
        return {};
    }
    // Colours (0xRRGGBB) of an owner-drawn control; false: black on white.
    virtual bool OwnerDrawColours(int id, uint32_t& text, uint32_t& back) {
        (void)id, (void)text, (void)back;
        return false;
    }
    virtual void Painted(DialogControls& controls, int id, std::string_view face) {
        (void)controls, (void)id, (void)face;
    }
    // Timer ticks (every 500 ms) for the models that blink something.
    virtual bool WantsTimer() const { return false; }
    virtual void Tick(DialogControls& controls) { (void)controls; }
};

// The model of a template name; nullptr when the program has none.
std::unique_ptr<DialogModel> MakeDialogModel(std::string_view templateName);

// Shared helpers of the models.
std::vector<std::string> SplitChoices(std::string_view text);  // "a|b|c"
// A whole decimal number without sign, or nothing.
std::optional<uint32_t> UnsignedNumber(std::string_view text);
std::string Upper(std::string_view text);
// Finds the entry equal to text (ignoring case); -1 when none.
int FindEntry(const std::vector<std::string>& entries, std::string_view text);
// "%0:s", "%0:d", "%1:s" ... of a message filled with the arguments' texts.
std::string FormatMessage(std::string_view pattern, const std::vector<std::string>& args);

}  // namespace ui
