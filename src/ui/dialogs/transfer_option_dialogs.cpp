#include "ui/dialogs/transfer_option_dialogs.h"

#include <string>

#include "transfer/transfer_dialog_ids.h"
#include "transfer/transfer_front_end.h"
#include "transfer/transfer_option_forms.h"
#include "ui/menus/menu_services.h"

namespace ui {

namespace {

using namespace transfer;

constexpr uint16_t kMsgDownloadDirectory = 18004;

// The radio group of count buttons from first: the index checked, -1 for none.
int RadioChoice(DialogControls& c, int first, int count) {
    for (int i = 0; i < count; ++i)
        if (c.Checked(first + i)) return i;
    return -1;
}

void SetRadio(DialogControls& c, int first, int count, int index) {
    for (int i = 0; i < count; ++i) c.SetChecked(first + i, i == index);
}

void SetList(DialogControls& c, int id, const std::vector<std::string>& entries, int index) {
    c.SetList(id, entries);
    c.Select(id, index);
}

// "PROTOCOLOPTIONS": the options every protocol shares; Configure opens the
// chosen protocol's own form, "..." the folder chooser.
class ProtocolOptionsDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        const ProtocolOptionsForm f = LoadProtocolOptionsForm(FrontEnd.ProtocolNumber);
        c.SetChecked(VZ_PO_INCLUDE_DIRECTORY, f.IncludeDirectory);
        c.SetChecked(VZ_PO_ASK_AS, f.AskAs);
        SetList(c, VZ_PO_PROTOCOL_TYPE, ProtocolListItems(), f.ProtocolIndex);
        c.SetText(VZ_PO_HANDSHAKE_RETRY, f.HandshakeRetry);
        c.SetChecked(VZ_PO_UPCASE_NAMES, f.UpcaseFileNames);
        c.SetChecked(VZ_PO_DEBUG, f.Debug);
        c.SetText(VZ_PO_DEBUG_FILE, f.DebugFileName);
        c.LimitText(VZ_PO_DESTINATION_DIR, 255);
        c.SetText(VZ_PO_DESTINATION_DIR, f.DestinationDir);
        c.SetChecked(VZ_PO_LOCK_DIRECTORY, f.LockDirectory);
        SetList(c, VZ_PO_WRITE_FAIL, WriteFailItems(), f.WriteFailAction);
        c.SetText(VZ_PO_FINISH_WAIT, f.FinishWait);
    }
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
    std::optional<int> Ok(DialogControls& c) override {
        ProtocolOptionsForm f;
        f.IncludeDirectory = c.Checked(VZ_PO_INCLUDE_DIRECTORY);
        f.AskAs = c.Checked(VZ_PO_ASK_AS);
        f.ProtocolIndex = c.Selected(VZ_PO_PROTOCOL_TYPE);
        f.HandshakeRetry = c.Text(VZ_PO_HANDSHAKE_RETRY);
        f.UpcaseFileNames = c.Checked(VZ_PO_UPCASE_NAMES);
        f.Debug = c.Checked(VZ_PO_DEBUG);
        f.DebugFileName = c.Text(VZ_PO_DEBUG_FILE);
        f.DestinationDir = c.Text(VZ_PO_DESTINATION_DIR);
        f.LockDirectory = c.Checked(VZ_PO_LOCK_DIRECTORY);
        f.WriteFailAction = c.Selected(VZ_PO_WRITE_FAIL);
        f.FinishWait = c.Text(VZ_PO_FINISH_WAIT);
        StoreProtocolOptionsForm(f);
        return 1;
    }
};

// "XYPROTOPTIONS".
class XyOptionsDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        c.SetText(VZ_XY_BLOCK_WAIT, LoadXyOptionsForm().BlockWait);
    }
    std::optional<int> Ok(DialogControls& c) override {
        StoreXyOptionsForm({c.Text(VZ_XY_BLOCK_WAIT)});
        return 1;
    }
};

// "ZMODEMPROTOPTIONS".
class ZmodemOptionsDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        const ZmodemOptionsForm f = LoadZmodemOptionsForm();
        SetList(c, VZ_ZM_FILE_OPTION, ZmodemFileOptionItems(), f.FileOption);
        c.SetText(VZ_ZM_FINISH_RETRY, f.FinishRetry);
        c.SetChecked(VZ_ZM_OVERRIDE, f.OptionOverride);
        c.SetChecked(VZ_ZM_RECOVER, f.Recover);
        c.SetChecked(VZ_ZM_SKIP_NO_FILE, f.SkipNoFile);
        c.SetChecked(VZ_ZM_AUTO_RECEIVE, f.AutoReceive);
        c.SetChecked(VZ_ZM_USE_WINDOWS, f.UseWindows);
        c.SetText(VZ_ZM_WINDOW_SIZE, f.WindowSize);
    }
    std::optional<int> Ok(DialogControls& c) override {
        ZmodemOptionsForm f;
        f.FileOption = c.Selected(VZ_ZM_FILE_OPTION);
        f.FinishRetry = c.Text(VZ_ZM_FINISH_RETRY);
        f.OptionOverride = c.Checked(VZ_ZM_OVERRIDE);
        f.Recover = c.Checked(VZ_ZM_RECOVER);
        f.SkipNoFile = c.Checked(VZ_ZM_SKIP_NO_FILE);
        f.AutoReceive = c.Checked(VZ_ZM_AUTO_RECEIVE);
        f.UseWindows = c.Checked(VZ_ZM_USE_WINDOWS);
        f.WindowSize = c.Text(VZ_ZM_WINDOW_SIZE);
        StoreZmodemOptionsForm(f);
        return 1;
    }
};

// "ASCIIPROTOPTIONS".
class AsciiOptionsDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        const AsciiOptionsForm f = LoadAsciiOptionsForm();
        c.LimitText(VZ_AS_CHAR_DELAY, 4);
        c.LimitText(VZ_AS_LINE_DELAY, 4);
        c.LimitText(VZ_AS_EOL_CHAR, 3);
        c.SetText(VZ_AS_CHAR_DELAY, f.CharDelay);
        c.SetText(VZ_AS_LINE_DELAY, f.LineDelay);
        SetRadio(c, VZ_AS_CR_FIRST, 3, f.CRMode);
        SetRadio(c, VZ_AS_LF_FIRST, 3, f.LFMode);
        c.SetText(VZ_AS_EOL_CHAR, f.EolChar);
        c.SetChecked(VZ_AS_STOP_CTRL_Z, f.StopOnCtrlZ);
    }
    std::optional<int> Ok(DialogControls& c) override {
        AsciiOptionsForm f;
        f.CharDelay = c.Text(VZ_AS_CHAR_DELAY);
        f.LineDelay = c.Text(VZ_AS_LINE_DELAY);
        f.CRMode = RadioChoice(c, VZ_AS_CR_FIRST, 3);
        f.LFMode = RadioChoice(c, VZ_AS_LF_FIRST, 3);
        f.EolChar = c.Text(VZ_AS_EOL_CHAR);
        f.StopOnCtrlZ = c.Checked(VZ_AS_STOP_CTRL_Z);
        StoreAsciiOptionsForm(f);
        return 1;
    }
};

// "KERMITPROTOPTIONS".
class KermitOptionsDialog final : public DialogModel {
    struct Edit {
        int id;
        std::string KermitOptionsForm::*field;
    };
    static constexpr Edit kEdits[] = {
        {VZ_KM_PAD_COUNT, &KermitOptionsForm::PadCount},
        {VZ_KM_PAD_CHAR, &KermitOptionsForm::PadChar},
        {VZ_KM_HIGHBIT_PREFIX, &KermitOptionsForm::HighbitPrefix},
        {VZ_KM_REPEAT_PREFIX, &KermitOptionsForm::RepeatPrefix},
        {VZ_KM_CONTROL_PREFIX, &KermitOptionsForm::ControlPrefix},
        {VZ_KM_MAX_LEN, &KermitOptionsForm::MaxLen},
        {VZ_KM_TERMINATOR, &KermitOptionsForm::Terminator},
        {VZ_KM_WINDOWS, &KermitOptionsForm::Windows},
    };

  public:
    void Open(DialogControls& c) override {
        const KermitOptionsForm f = LoadKermitOptionsForm();
        SetRadio(c, VZ_KM_CHECK_FIRST, 3, f.CheckIndex);
        for (const Edit& e : kEdits) c.SetText(e.id, f.*e.field);
        c.SetChecked(VZ_KM_USE_WINDOWS, f.UseWindows);
        c.SetChecked(VZ_KM_AUTO_RECEIVE, f.AutoReceive);
    }
    std::optional<int> Ok(DialogControls& c) override {
        KermitOptionsForm f;
        f.CheckIndex = RadioChoice(c, VZ_KM_CHECK_FIRST, 3);
        for (const Edit& e : kEdits) f.*e.field = c.Text(e.id);
        f.UseWindows = c.Checked(VZ_KM_USE_WINDOWS);
        f.AutoReceive = c.Checked(VZ_KM_AUTO_RECEIVE);
        StoreKermitOptionsForm(f);
        return 1;
    }
};

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
