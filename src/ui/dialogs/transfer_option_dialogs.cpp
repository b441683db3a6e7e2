#include "ui/dialogs/transfer_option_dialogs.h"

#include <span>
#include <string>
#include <vector>

#include "transfer/transfer_dialog_ids.h"
#include "transfer/transfer_front_end.h"
#include "transfer/transfer_option_forms.h"
#include "ui/menus/menu_services.h"

namespace ui {

namespace {

using namespace transfer;

constexpr uint16_t kMsgDownloadDirectory = 18004;

// One control of a form and the field it shows: a check box, an edit (with
// its longest text, 0 for no limit), a list (with its entries) or a radio
// group of count buttons numbered from id (-1 when none is checked).
template <typename Form>
struct Control {
    enum class Kind : uint8_t { Check, Edit, List, Radio };
    Kind kind;
    int id;
    bool Form::*flag = nullptr;
    std::string Form::*text = nullptr;
    int Form::*index = nullptr;
    size_t limit = 0;
    int count = 0;
    const std::vector<std::string>& (*items)() = nullptr;
};

template <typename Form>
constexpr Control<Form> CheckBox(int id, bool Form::*flag) {
    return {Control<Form>::Kind::Check, id, flag};
}
template <typename Form>
constexpr Control<Form> EditBox(int id, std::string Form::*text, size_t limit = 0) {
    return {Control<Form>::Kind::Edit, id, nullptr, text, nullptr, limit};
}
template <typename Form>
constexpr Control<Form> ListBox(int id, int Form::*index,
                                const std::vector<std::string>& (*items)()) {
    return {Control<Form>::Kind::List, id, nullptr, nullptr, index, 0, 0, items};
}
template <typename Form>
constexpr Control<Form> RadioGroup(int first, int count, int Form::*index) {
    return {Control<Form>::Kind::Radio, first, nullptr, nullptr, index, 0, count};
}

template <typename Form>
void ShowForm(DialogControls& c, const Form& f, std::span<const Control<Form>> controls) {
    using Kind = typename Control<Form>::Kind;
    for (const Control<Form>& k : controls) {
        switch (k.kind) {
            case Kind::Check:
                c.SetChecked(k.id, f.*k.flag);
                break;
            case Kind::Edit:
                if (k.limit != 0) c.LimitText(k.id, k.limit);
                c.SetText(k.id, f.*k.text);
                break;
            case Kind::List:
                c.SetList(k.id, k.items());
                c.Select(k.id, f.*k.index);
                break;
            case Kind::Radio:
                for (int i = 0; i < k.count; ++i) c.SetChecked(k.id + i, i == f.*k.index);
                break;
        }
    }
}

template <typename Form>
Form ReadForm(DialogControls& c, std::span<const Control<Form>> controls) {
    using Kind = typename Control<Form>::Kind;
    Form f;
    for (const Control<Form>& k : controls) {
        switch (k.kind) {
            case Kind::Check:
                f.*k.flag = c.Checked(k.id);
                break;
            case Kind::Edit:
                f.*k.text = c.Text(k.id);
                break;
            case Kind::List:
                f.*k.index = c.Selected(k.id);
                break;
            case Kind::Radio:
                f.*k.index = -1;
                for (int i = 0; i < k.count; ++i)
                    if (c.Checked(k.id + i)) {
                        f.*k.index = i;
                        break;
                    }
                break;
        }
    }
    return f;
}

// A form shown from its options on opening and stored on OK.
template <typename Form, const auto& Controls, Form (*Load)(), void (*Store)(const Form&)>
class FormDialog : public DialogModel {
  public:
    void Open(DialogControls& c) override { ShowForm<Form>(c, Load(), Controls); }
    std::optional<int> Ok(DialogControls& c) override {
        Store(ReadForm<Form>(c, Controls));
        return 1;
    }
};

using PF = ProtocolOptionsForm;
constexpr Control<PF> kProtocolControls[] = {
    CheckBox(VZ_PO_INCLUDE_DIRECTORY, &PF::IncludeDirectory),
    CheckBox(VZ_PO_ASK_AS, &PF::AskAs),
    ListBox(VZ_PO_PROTOCOL_TYPE, &PF::ProtocolIndex, ProtocolListItems),
    EditBox(VZ_PO_HANDSHAKE_RETRY, &PF::HandshakeRetry),
    CheckBox(VZ_PO_UPCASE_NAMES, &PF::UpcaseFileNames),
    CheckBox(VZ_PO_DEBUG, &PF::Debug),
    EditBox(VZ_PO_DEBUG_FILE, &PF::DebugFileName),
    EditBox(VZ_PO_DESTINATION_DIR, &PF::DestinationDir, 255),
    CheckBox(VZ_PO_LOCK_DIRECTORY, &PF::LockDirectory),
    ListBox(VZ_PO_WRITE_FAIL, &PF::WriteFailAction, WriteFailItems),
    EditBox(VZ_PO_FINISH_WAIT, &PF::FinishWait),
};

ProtocolOptionsForm LoadProtocolOptionsNow() {
    return LoadProtocolOptionsForm(FrontEnd.ProtocolNumber);
}

// "PROTOCOLOPTIONS": the options every protocol shares; Configure opens the
// chosen protocol's own form, "..." the folder chooser.
class ProtocolOptionsDialog final
    : public FormDialog<PF, kProtocolControls, LoadProtocolOptionsNow, StoreProtocolOptionsForm> {
  public:
    void Command(DialogControls& c, int id, ControlEvent event) override {
        if (event != ControlEvent::Clicked) return;
        if (id == VZ_PO_CONFIGURE) {
            static const char* const kForms[] = {"", "ASCIIPROTOPTIONS", "KERMITPROTOPTIONS",
                                                 "XYPROTOPTIONS", "ZMODEMPROTOPTIONS"};
            const ProtocolForm form = ConfigureFormFor(c.Selected(VZ_PO_PROTOCOL_TYPE));
            if (form != ProtocolForm::None) MenuServices.RunDialog(kForms[int(form)]);
        } else if (id == VZ_PO_BROWSE) {
            const std::string chosen =
                MenuServices.BrowseForFolder(kMsgDownloadDirectory, c.Text(VZ_PO_DESTINATION_DIR));
            if (!chosen.empty()) c.SetText(VZ_PO_DESTINATION_DIR, DirectoryWithSlash(chosen));
        }
    }
};

constexpr Control<XyOptionsForm> kXyControls[] = {
    EditBox(VZ_XY_BLOCK_WAIT, &XyOptionsForm::BlockWait),
};
using XyOptionsDialog =
    FormDialog<XyOptionsForm, kXyControls, LoadXyOptionsForm, StoreXyOptionsForm>;

using ZF = ZmodemOptionsForm;
constexpr Control<ZF> kZmodemControls[] = {
    ListBox(VZ_ZM_FILE_OPTION, &ZF::FileOption, ZmodemFileOptionItems),
    EditBox(VZ_ZM_FINISH_RETRY, &ZF::FinishRetry),
    CheckBox(VZ_ZM_OVERRIDE, &ZF::OptionOverride),
    CheckBox(VZ_ZM_RECOVER, &ZF::Recover),
    CheckBox(VZ_ZM_SKIP_NO_FILE, &ZF::SkipNoFile),
    CheckBox(VZ_ZM_AUTO_RECEIVE, &ZF::AutoReceive),
    CheckBox(VZ_ZM_USE_WINDOWS, &ZF::UseWindows),
    EditBox(VZ_ZM_WINDOW_SIZE, &ZF::WindowSize),
};
using ZmodemOptionsDialog =
    FormDialog<ZF, kZmodemControls, LoadZmodemOptionsForm, StoreZmodemOptionsForm>;

using AF = AsciiOptionsForm;
constexpr Control<AF> kAsciiControls[] = {
    EditBox(VZ_AS_CHAR_DELAY, &AF::CharDelay, 4), EditBox(VZ_AS_LINE_DELAY, &AF::LineDelay, 4),
    RadioGroup(VZ_AS_CR_FIRST, 3, &AF::CRMode),   RadioGroup(VZ_AS_LF_FIRST, 3, &AF::LFMode),
    EditBox(VZ_AS_EOL_CHAR, &AF::EolChar, 3),     CheckBox(VZ_AS_STOP_CTRL_Z, &AF::StopOnCtrlZ),
};
using AsciiOptionsDialog =
    FormDialog<AF, kAsciiControls, LoadAsciiOptionsForm, StoreAsciiOptionsForm>;

using KF = KermitOptionsForm;
constexpr Control<KF> kKermitControls[] = {
    RadioGroup(VZ_KM_CHECK_FIRST, 3, &KF::CheckIndex),
    EditBox(VZ_KM_PAD_COUNT, &KF::PadCount),
    EditBox(VZ_KM_PAD_CHAR, &KF::PadChar),
    EditBox(VZ_KM_HIGHBIT_PREFIX, &KF::HighbitPrefix),
    EditBox(VZ_KM_REPEAT_PREFIX, &KF::RepeatPrefix),
    EditBox(VZ_KM_CONTROL_PREFIX, &KF::ControlPrefix),
    EditBox(VZ_KM_MAX_LEN, &KF::MaxLen),
    EditBox(VZ_KM_TERMINATOR, &KF::Terminator),
    EditBox(VZ_KM_WINDOWS, &KF::Windows),
    CheckBox(VZ_KM_USE_WINDOWS, &KF::UseWindows),
    CheckBox(VZ_KM_AUTO_RECEIVE, &KF::AutoReceive),
};
using KermitOptionsDialog =
    FormDialog<KF, kKermitControls, LoadKermitOptionsForm, StoreKermitOptionsForm>;

}  // namespace

std::unique_ptr<DialogModel> MakeTransferOptionDialog(std::string_view name) {
    if (name == "PROTOCOLOPTIONS") return std::make_unique<ProtocolOptionsDialog>();
    if (name == "XYPROTOPTIONS") return std::make_unique<XyOptionsDialog>();
    if (name == "ZMODEMPROTOPTIONS") return std::make_unique<ZmodemOptionsDialog>();
    if (name == "ASCIIPROTOPTIONS") return std::make_unique<AsciiOptionsDialog>();
    if (name == "KERMITPROTOPTIONS") return std::make_unique<KermitOptionsDialog>();
    return nullptr;
}

}  // namespace ui
