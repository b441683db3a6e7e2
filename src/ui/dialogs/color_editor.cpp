#include "ui/dialogs/color_editor.h"

#include <array>
#include <string>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/messages.h"
#include "console/screen_buffer.h"
#include "ui/menus/menu_services.h"
#include "ui/message_box.h"

namespace ui {

ColorSelectWork ColorSelect;

namespace {

constexpr int kFirstPanel = 300;
constexpr int kFull = 401, kEightBit = 402, kOff = 403, kBlink = 404, kUnderline = 405,
              kBright = 406, kColourDefaults = 410, kMonoDefaults = 411, kColourMap = 412;
constexpr int kFirstForeground = 500, kFirstBackground = 520, kSelectBlink = 540,
              kSelectUnderline = 541, kSample = 542;
constexpr int kFirstMapPanel = 600, kFirstMapName = 620, kColourMapHelp = 640;
constexpr uint16_t kMsgNotAvailable = 13951;

bool BlinkMode(uint8_t mode) {
    return mode == 2 || mode == 3;
}
bool UnderlineMode(uint8_t mode) {
    return mode == 0 || mode == 1;
}

uint32_t Rgb(uint8_t index) {
    const auto& c = console::ConsoleScreen.ScreenPalette[index & 15];
    return uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | c.Blue;
}

// Normal, bold, blink, reverse and underline in black and white.
std::array<uint16_t, 16> MonochromeMap() {
    std::array<uint16_t, 16> map{};
    for (uint16_t i = 0; i < 16; ++i) {
        const bool bold = i & 1, blink = i & 2, reverse = i & 4, underline = i & 8;
        uint16_t word = reverse ? (bold ? 0x7F : 0x70) : (bold ? 0x0F : 0x07);
        if (blink) word |= 0x100;
        if (underline) word |= 0x200;
        map[i] = word;
    }
    return map;
}

class EditColorsDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        for (size_t i = 0; i < 16; ++i) work_[i] = console::ConsoleLayer.AttrColorMap[i];
        mode_ = opened_ = console::ConsoleScreen.AttributeMode;
        c.SetCaption(console::GetMessageText(19000, true));
        c.SetChecked(kFull, mode_ == 5);
        c.SetChecked(kEightBit, mode_ != 5);
        c.SetChecked(kOff, mode_ == 4 || mode_ == 5);
        c.SetChecked(kBlink, BlinkMode(mode_));
        c.SetChecked(kUnderline, UnderlineMode(mode_));
        c.SetChecked(kBright, mode_ == 0 || mode_ == 2);
        Enabling(c);
    }
    void Command(DialogControls& c, int id, ControlEvent) override {
        if (id >= kFirstPanel && id < kFirstPanel + 16) {
            ColorSelect = {work_[static_cast<size_t>(id - kFirstPanel)], mode_};
            if (MenuServices.RunDialog("COLORSELECT") == 1)
                work_[static_cast<size_t>(id - kFirstPanel)] = ColorSelect.Word;
        } else if (id == kColourDefaults) {
            MenuServices.DefaultColorMap(false, work_.data());
        } else if (id == kMonoDefaults) {
            work_ = MonochromeMap();
        } else if (id == kColourMap) {
            if (MenuServices.RunDialog("COLORMAP") == -1)
                LangMessageBoxShort(console::GetMessageText(kMsgNotAvailable, true) + "COLORMAP");
        } else {
            // The attribute mode follows the controls at once.
            if (c.Checked(kFull))
                mode_ = 5;
            else if (c.Checked(kBlink))
                mode_ = c.Checked(kBright) ? 2 : 3;
            else if (c.Checked(kUnderline))
                mode_ = c.Checked(kBright) ? 0 : 1;
            else
                mode_ = 4;
            console::SetAttributeMode(mode_);
        }
        Enabling(c);
        for (int i = 0; i < 16; ++i) c.Redraw(kFirstPanel + i);
    }
    std::optional<int> Ok(DialogControls&) override {
        for (size_t i = 0; i < 16; ++i) console::ConsoleLayer.AttrColorMap[i] = work_[i];
        commands::Settings.AttrUnderlineMode = mode_;
        MenuServices.RecolourFromMap();
        return 1;
    }
    int Cancel() override {
        console::SetAttributeMode(opened_);
        return 0;
    }
    std::u16string OwnerDrawText(int id) override {
        return id >= kFirstPanel && id < kFirstPanel + 16 ? u"X" : u"";
    }
    bool OwnerDrawColours(int id, uint32_t& ink, uint32_t& paper) override {
        if (id < kFirstPanel || id >= kFirstPanel + 16) return false;
        const uint16_t word = work_[static_cast<size_t>(id - kFirstPanel)];
        ink = Rgb(word & 15);
        paper = Rgb(ShownBackground(static_cast<uint8_t>(word >> 4 & 15), mode_));
        return true;
    }
    uint8_t Mode() const { return mode_; }

  private:
    void Enabling(DialogControls& c) {
        const bool eight = mode_ != 5;
        for (int id : {kOff, kBlink, kUnderline}) c.Enable(id, eight);
        c.Enable(kBright, eight && (c.Checked(kBlink) || c.Checked(kUnderline)));
    }
    std::array<uint16_t, 16> work_{};
    uint8_t mode_ = 5, opened_ = 5;
};

class SelectColorsDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        word_ = ColorSelect.Word;
        c.SetCaption(console::GetMessageText(19100, true));
        for (int i = 0; i < 16; ++i) {
            c.SetChecked(kFirstForeground + i, (word_ & 15) == i);
            c.SetChecked(kFirstBackground + i, (word_ >> 4 & 15) == i);
        }
        const bool full = ColorSelect.Mode == 5;
        c.Show(kSelectBlink, full);
        c.Show(kSelectUnderline, full);
        c.SetChecked(kSelectBlink, word_ & 0x100);
        c.SetChecked(kSelectUnderline, word_ & 0x200);
    }
    void Command(DialogControls& c, int, ControlEvent) override {
        word_ = Read(c);
        c.Redraw(kSample);
    }
    std::optional<int> Ok(DialogControls& c) override {
        ColorSelect.Word = Read(c);
        return 1;
    }
    std::u16string OwnerDrawText(int id) override { return id == kSample ? u"X" : u""; }
    bool OwnerDrawColours(int id, uint32_t& ink, uint32_t& paper) override {
        if (id != kSample) return false;
        ink = Rgb(word_ & 15);
        paper = Rgb(ShownBackground(static_cast<uint8_t>(word_ >> 4 & 15), ColorSelect.Mode));
        return true;
    }

  private:
    // Background times 16 plus foreground, with blink and underline; nothing else.
    static uint16_t Read(DialogControls& c) {
        uint16_t word = 0;
        for (int i = 0; i < 16; ++i) {
            if (c.Checked(kFirstForeground + i)) word = static_cast<uint16_t>(word | i);
            if (c.Checked(kFirstBackground + i)) word = static_cast<uint16_t>(word | i << 4);
        }
        if (ColorSelect.Mode == 5 && c.Checked(kSelectBlink)) word |= 0x100;
        if (ColorSelect.Mode == 5 && c.Checked(kSelectUnderline)) word |= 0x200;
        return word;
    }
    uint16_t word_ = 0;
};

// "COLORMAP": the sixteen colours of the screen palette, each changed through the system's
// colour dialog, kept only on OK.
class ColorMapDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        for (uint8_t i = 0; i < 16; ++i) work_[i] = Rgb(i);
        c.SetCaption(console::GetMessageText(19200, true));
        c.SetText(kColourMapHelp, console::GetMessageText(19219, true));
        for (uint16_t i = 0; i < 16; ++i)
            c.SetText(kFirstMapName + i, console::GetMessageText(19201 + i, true));
    }
    void Command(DialogControls& c, int id, ControlEvent) override {
        if (id < kFirstMapPanel || id >= kFirstMapPanel + 16) return;
        uint32_t& colour = work_[static_cast<size_t>(id - kFirstMapPanel)];
        uint32_t chosen = colour;
        if (!MenuServices.ChooseColour(chosen)) return;
        colour = chosen;
        c.Redraw(id);
    }
    std::optional<int> Ok(DialogControls&) override {
        for (size_t i = 0; i < 16; ++i) {
            const uint32_t rgb = work_[i];
            const auto red = static_cast<uint8_t>(rgb >> 16),
                       green = static_cast<uint8_t>(rgb >> 8), blue = static_cast<uint8_t>(rgb);
            console::ConsoleScreen.ScreenPalette[i] = {red, green, blue};
            // The settings keep the system's order: red in the low byte.
            commands::Settings.Palette[i].Set(uint32_t{red} | uint32_t{green} << 8 |
                                              uint32_t{blue} << 16);
        }
        MenuServices.InvalidateWindow();
        return 1;
    }
    std::u16string OwnerDrawText(int id) override {
        return id >= kFirstMapPanel && id < kFirstMapPanel + 16 ? u" " : u"";
    }
    bool OwnerDrawColours(int id, uint32_t& ink, uint32_t& paper) override {
        if (id < kFirstMapPanel || id >= kFirstMapPanel + 16) return false;
        ink = paper = work_[static_cast<size_t>(id - kFirstMapPanel)];
        return true;
    }

  private:
    std::array<uint32_t, 16> work_{};
};

}  // namespace

uint8_t ShownBackground(uint8_t b, uint8_t mode) {
    const bool either = BlinkMode(mode) || UnderlineMode(mode);
    if (b == 0) return 0;
    if (b == 8) return either ? 0 : 8;
    if (!either) return b;
    const bool bright = mode == 0 || mode == 2;
    return static_cast<uint8_t>((b & 7) + (bright ? 8 : 0));
}

std::unique_ptr<DialogModel> MakeColorDialog(std::string_view name) {
    if (name == "COLOREDIT") return std::make_unique<EditColorsDialog>();
    if (name == "COLORSELECT") return std::make_unique<SelectColorsDialog>();
    if (name == "COLORMAP") return std::make_unique<ColorMapDialog>();
    return nullptr;
}

}  // namespace ui
