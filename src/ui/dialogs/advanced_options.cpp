#include "ui/dialogs/advanced_options.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "console/code_pages.h"
#include "console/messages.h"
#include "ui/menus/menu_dispatcher.h"
#include "ui/menus/menu_services.h"
#include "ui/text_prompts.h"

namespace ui {

AdvancedOptionsWork AdvancedWork;

namespace {

using commands::SettingsRecord;
using Record = SettingsRecord;

// One control bound to the working copy: how it is filled and read back.
struct Binding {
    int Id;
    std::function<void(DialogControls&, Record&)> Load;
    std::function<void(DialogControls&, Record&)> Store;
};

Binding Check(int id, uint8_t Record::*field, bool inverted = false) {
    return {id,
            [=](DialogControls& c, Record& r) { c.SetChecked(id, (r.*field != 0) != inverted); },
            [=](DialogControls& c, Record& r) { r.*field = c.Checked(id) != inverted ? 1 : 0; }};
}

Binding Choice(int id, uint16_t messageId, uint8_t Record::*field) {
    return {id,
            [=](DialogControls& c, Record& r) {
                const auto entries = SplitChoices(console::GetMessageText(messageId, true));
                c.SetList(id, entries);
                c.Select(id, r.*field < entries.size() ? r.*field : -1);
            },
            [=](DialogControls& c, Record& r) {
                if (const int i = c.Selected(id); i >= 0) r.*field = static_cast<uint8_t>(i);
            }};
}

Binding Mouse(int id, commands::MouseAction Record::*field) {
    constexpr uint16_t kMsgMouseActions = 13114;
    return {id,
            [=](DialogControls& c, Record& r) {
                const auto entries = SplitChoices(console::GetMessageText(kMsgMouseActions, true));
                c.SetList(id, entries);
                c.Select(id, (r.*field).Action < entries.size() ? (r.*field).Action : -1);
            },
            [=](DialogControls& c, Record& r) {
                if (const int i = c.Selected(id); i >= 0)
                    (r.*field).Action = static_cast<uint8_t>(i);
            }};
}

Binding Bit(int id, commands::Le32 Record::*field, uint32_t mask) {
    return {id,
            [=](DialogControls& c, Record& r) { c.SetChecked(id, ((r.*field).Get() & mask) != 0); },
            [=](DialogControls& c, Record& r) {
                const uint32_t v = (r.*field).Get();
                (r.*field).Set(c.Checked(id) ? v | mask : v & ~mask);
            }};
}

template <size_t N>
Binding Text(int id, commands::PString<N> Record::*field) {
    return {id,
            [=](DialogControls& c, Record& r) {
                c.LimitText(id, N);
                c.SetText(id, (r.*field).View());
            },
            [=](DialogControls& c, Record& r) {
                std::string t = c.Text(id);
                if (t.size() > N) t.resize(N);
                r.*field = t;
            }};
}

// A page filled from and read back into the working copy; a control the
// template lacks is passed over.
class BoundPage final : public DialogModel {
  public:
    explicit BoundPage(std::vector<Binding> bindings,
                       std::function<void(DialogControls&, int)> command = {})
        : bindings_(std::move(bindings)), command_(std::move(command)) {}
    void Open(DialogControls& c) override {
        for (auto& b : bindings_)
            if (c.Has(b.Id)) b.Load(c, AdvancedWork.Buffer);
        if (command_) command_(c, 0);
    }
    void Command(DialogControls& c, int id, ControlEvent) override {
        if (command_) command_(c, id);
    }
    std::optional<int> Ok(DialogControls& c) override {
        for (auto& b : bindings_)
            if (c.Has(b.Id)) b.Store(c, AdvancedWork.Buffer);
        return 0;
    }

  private:
    std::vector<Binding> bindings_;
    std::function<void(DialogControls&, int)> command_;
};

std::unique_ptr<DialogModel> MousePage() {
    using R = Record;
    return std::make_unique<BoundPage>(
        std::vector<Binding>{Mouse(114, &R::MouseLeftClick), Mouse(115, &R::MouseLeftDouble),
                             Mouse(116, &R::MouseRightClick), Mouse(117, &R::MouseRightDouble),
                             Mouse(156, &R::MouseMiddleClick), Mouse(157, &R::MouseMiddleDouble),
                             Choice(152, 13152, &R::MouseWheelAction),
                             Choice(123, 13123, &R::BlockType), Check(148, &R::PasteOneLine)});
}

std::unique_ptr<DialogModel> SecurityPage() {
    using R = Record;
    return std::make_unique<BoundPage>(std::vector<Binding>{
        Choice(120, 13120, &R::SingleInstance), Check(108, &R::KioskFunctions),
        Choice(119, 13119, &R::SaveMode), Check(103, &R::RemoteCmd11), Check(104, &R::RemoteCmd1C),
        Check(105, &R::CtrlRPassthrough), Check(106, &R::CtrlXPassthrough),
        Choice(145, 13145, &R::SrpAuthMode), Choice(146, 13145, &R::SrpEncryptMode),
        Check(149, &R::AllowQuit, true)});
}

std::unique_ptr<DialogModel> KeysPage() {
    using R = Record;
    Binding startup{144,
                    [](DialogControls& c, Record& r) {
                        c.SetChecked(144, r.StartupKey.Get() != 0);
                        c.SetText(143,
                                  r.StartupKey.Get() ? std::to_string(r.StartupKey.Get()) : "");
                    },
                    [](DialogControls& c, Record& r) {
                        if (!c.Checked(144)) {
                            r.StartupKey.Set(0);
                        } else if (auto key = UnsignedNumber(c.Text(143)); key && *key <= 0xFFFF) {
                            r.StartupKey.Set(static_cast<uint16_t>(*key));
                        }
                    }};
    return std::make_unique<BoundPage>(
        std::vector<Binding>{Check(102, &R::AllowAccelerators), Check(110, &R::PrintScreenKey),
                             Check(111, &R::NumLockProgrammable), startup},
        [](DialogControls& c, int) { c.Enable(143, c.Checked(144)); });
}

std::unique_ptr<DialogModel> ScreenPage() {
    using R = Record;
    Binding review{147,
                   [](DialogControls& c, Record& r) {
                       c.SetText(147, std::to_string(r.ReviewLines.GetSigned()));
                   },
                   [](DialogControls& c, Record& r) {
                       if (auto n = UnsignedNumber(c.Text(147)))
                           r.ReviewLines.Set(std::clamp<uint32_t>(*n, 44, 100000));
                       else if (!c.Text(147).empty() && c.Text(147)[0] == '-')
                           r.ReviewLines.Set(44);
                   }};
    return std::make_unique<BoundPage>(std::vector<Binding>{
        Check(107, &R::VariableFonts), Bit(127, &R::WindowStyle, 0x20000),
        Bit(128, &R::WindowStyle, 0x10000), Bit(129, &R::WindowStyle, 0x80000),
        Bit(130, &R::WindowStyle, 0x80000000u), Bit(131, &R::WindowStyle, 0x400000),
        Bit(132, &R::WindowStyle, 0x800000), Bit(140, &R::WindowStyle, 0x40000),
        Bit(139, &R::WindowStyle, 0xC00000), Bit(133, &R::BidiOptions, 2),
        Bit(134, &R::BidiOptions, 0x10), Bit(135, &R::BidiOptions, 0x100),
        Bit(136, &R::BidiOptions, 0x20), Check(137, &R::RightToLeft), review});
}

constexpr uint16_t kBeepValues[] = {0, 16, 32, 48, 64, 65535};

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

std::unique_ptr<DialogModel> GeneralPage() {
    using R = Record;
    Binding euro{126,
                 [](DialogControls& c, Record& r) {
                     c.SetChecked(126, r.EuroChar != 0);
                     c.SetText(122, r.EuroChar ? Hex(r.EuroChar) : "");
                 },
                 [](DialogControls& c, Record& r) {
                     if (!c.Checked(126)) {
                         r.EuroChar = 0;
                         return;
                     }
                     const std::string t = c.Text(122);
                     char* end = nullptr;
                     const unsigned long v = std::strtoul(t.c_str(), &end, 16);
                     if (!t.empty() && end && *end == 0 && v <= 0xFF)
                         r.EuroChar = static_cast<uint8_t>(v);
                 }};
    Binding charset{153,
                    [](DialogControls& c, Record& r) {
                        c.SetList(153, SplitChoices(console::GetMessageText(13153, true)));
                        c.Select(153, r.OutputFileCharset == 3  ? 2
                                      : r.OutputFileCharset < 2 ? r.OutputFileCharset
                                                                : -1);
                    },
                    [](DialogControls& c, Record& r) {
                        const int i = c.Selected(153);
                        if (i >= 0) r.OutputFileCharset = static_cast<uint8_t>(i == 2 ? 3 : i);
                    }};
    Binding beep{
        124,
        [](DialogControls& c, Record& r) {
            c.SetList(124, SplitChoices(console::GetMessageText(13124, true)));
            const auto at =
                std::find(std::begin(kBeepValues), std::end(kBeepValues), r.BeepPitch.Get());
            c.Select(124, at == std::end(kBeepValues) ? -1 : static_cast<int>(at - kBeepValues));
        },
        [](DialogControls& c, Record& r) {
            const int i = c.Selected(124);
            if (i >= 0 && i < 6) r.BeepPitch.Set(kBeepValues[i]);
        }};
    Binding separator{125,
                      [](DialogControls& c, Record& r) {
                          c.SetText(125, std::string(1, static_cast<char>(r.PromptSeparator)));
                      },
                      [](DialogControls& c, Record& r) {
                          const std::string t = c.Text(125);
                          if (t.size() == 1) r.PromptSeparator = static_cast<uint8_t>(t[0]);
                      }};
    return std::make_unique<BoundPage>(
        std::vector<Binding>{Check(151, &R::TelnetNegotiation), Check(109, &R::SendWindowSize),
                             euro, Choice(118, 13118, &R::CaptureCtrlMode), charset, beep,
                             Check(121, &R::AutoShowGif), Check(138, &R::DebugPrinting),
                             Text(154, &R::PrintInitFile), Check(141, &R::AuxEnabled),
                             Check(150, &R::AuxDebug), Text(112, &R::LoginPrompts),
                             Text(113, &R::PasswordPrompts), separator, Check(155, &R::OldScoAnsi)},
        [](DialogControls& c, int id) {
            // Ticking the Euro box with nothing typed offers the usual code.
            if (id == 126 && c.Checked(126) && c.Text(122).empty()) c.SetText(122, "80");
            if (id == 142) {
                std::u16string name;
                const auto& current = AdvancedWork.Buffer.AuxPortName;
                if (StringInputPrompt(
                        u"AUX", u"Port:", name,
                        std::u16string(current.View().begin(), current.View().end()))) {
                    AdvancedWork.Buffer.AuxPortName =
                        platform::WideToBytes(platform::kAnsiCodePage, name);
                    AdvancedWork.AuxSetupUsed = true;
                }
            }
        });
}

std::unique_ptr<DialogModel> PrintWizardPage() {
    using R = Record;
    return std::make_unique<BoundPage>(std::vector<Binding>{
        Check(501, &R::PrintPreview), Check(502, &R::PrintAutoOrientation),
        Check(503, &R::MiniPages), Check(504, &R::GuessLinage), Check(505, &R::NiceMargins)});
}

bool IsComPortName(std::string_view name) {
    const std::string upper = Upper(name);
    if (upper.size() < 4 || upper.compare(0, 3, "COM") != 0) return false;
    return UnsignedNumber(std::string_view(upper).substr(3)).value_or(0) > 0;
}

class AdvancedOptionsSheet final : public SheetModel {
  public:
    AdvancedOptionsSheet() {
        AdvancedWork.Buffer = commands::Settings;
        AdvancedWork.Original = commands::Settings;
        AdvancedWork.AuxSetupUsed = false;
        auto add = [this](int number, uint16_t title, std::unique_ptr<DialogModel> model) {
            Pages.push_back({"AOPT" + std::to_string(number), console::GetMessageText(title, true),
                             std::move(model)});
            numbers_.push_back(number);
        };
        add(4, 13005, GeneralPage());
        add(3, 13004, ScreenPage());
        add(2, 13003, KeysPage());
        add(1, 13002, SecurityPage());
        add(0, 13001, MousePage());
        add(5, 13006, PrintWizardPage());
    }
    std::string Caption() override { return console::GetMessageText(13000, true); }
    size_t StartPage() override {
        const auto at =
            std::find(numbers_.begin(), numbers_.end(), MenuDispatch.AdvancedOptionsPage);
        return at == numbers_.end() ? 0 : static_cast<size_t>(at - numbers_.begin());
    }
    void PageLeft(size_t index) override {
        if (index < numbers_.size()) MenuDispatch.AdvancedOptionsPage = numbers_[index];
    }
    void Confirmed() override {
        auto& s = commands::Settings;
        const Record& b = AdvancedWork.Buffer;
        const bool auxChanged = b.AuxEnabled != s.AuxEnabled || AdvancedWork.AuxSetupUsed;
        const uint8_t auxEnabled = b.AuxEnabled;
        // Only what the pages changed goes back, the AUX port apart.
        Record aux = s;
        auto* to = reinterpret_cast<uint8_t*>(&s);
        const auto* from = reinterpret_cast<const uint8_t*>(&b);
        const auto* was = reinterpret_cast<const uint8_t*>(&AdvancedWork.Original);
        for (size_t i = 0; i < sizeof(Record); ++i)
            if (from[i] != was[i]) to[i] = from[i];
        s.AuxEnabled = aux.AuxEnabled;
        s.AuxPortParams = aux.AuxPortParams;
        s.AuxPortName = aux.AuxPortName;
        if (auxChanged) {
            MenuServices.AuxClose();
            s.AuxEnabled = auxEnabled;
            s.AuxPortParams = b.AuxPortParams;
            s.AuxPortName = b.AuxPortName;
            if (!IsComPortName(s.AuxPortName.View())) s.AuxEnabled = 0;
        }
    }
    void Closed() override {
        MenuServices.ApplyOldScoAnsi();
        MenuServices.InvalidateWindow();
    }

  private:
    std::vector<int> numbers_;
};

}  // namespace

std::unique_ptr<SheetModel> MakeSheetModel(std::string_view name) {
    if (name == "ADVANCEDOPTIONS") return std::make_unique<AdvancedOptionsSheet>();
    return nullptr;
}

}  // namespace ui
