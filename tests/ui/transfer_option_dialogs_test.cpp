// The protocol options dialog and its forms as models: the TRANSFER-OPT
// command opens them through the program's composition, Configure opens the
// chosen protocol's form, "..." the folder chooser; OK keeps the values,
// Cancel nothing.
#include "ui/dialogs/transfer_option_dialogs.h"

#include "app/composition.h"
#include "commands/interpreter.h"
#include "dialog_fixture.h"
#include "transfer/transfer_dialog_ids.h"
#include "transfer/transfer_front_end.h"
#include "transfer/transfer_interface.h"

namespace {

using commands::Settings;
using dialog_test::Click;
using dialog_test::FakeControls;
using dialog_test::Pick;
using dialog_test::script;
using dialog_test::Type;

class TransferOptionDialogs : public dialog_test::DialogFixture {
  protected:
    void SetUp() override {
        app::ComposeProgram();
        DialogFixture::SetUp();
        transfer::ResetTransfer();
    }
    void TearDown() override {
        transfer::ResetTransfer();
        DialogFixture::TearDown();
    }
};

TEST_F(TransferOptionDialogs, CommandOpensOptionsAndConfigureOpensTheProtocolsForm) {
    Settings.DownloadLock = 1;
    Settings.XferDebug = 1;
    script.Edits["PROTOCOLOPTIONS"] = [](ui::DialogModel& m, FakeControls& c) {
        EXPECT_TRUE(c.Items[VZ_PO_DEBUG].Checked);  // reloaded from the settings
        EXPECT_FALSE(c.Items[VZ_PO_LOCK_DIRECTORY].Checked);
        EXPECT_EQ(c.SelectedText(VZ_PO_WRITE_FAIL), "Rename the existing file");
        Type(m, c, VZ_PO_HANDSHAKE_RETRY, "12");
        Click(m, c, VZ_PO_BROWSE);
        Pick(m, c, VZ_PO_PROTOCOL_TYPE, "YModemG");
        Click(m, c, VZ_PO_CONFIGURE);
    };
    script.Edits["XYPROTOPTIONS"] = [](ui::DialogModel& m, FakeControls& c) {
        EXPECT_EQ(c.Text(VZ_XY_BLOCK_WAIT), std::to_string(Settings.XYBlockWait.GetSigned()));
        Type(m, c, VZ_XY_BLOCK_WAIT, "33");
    };
    ASSERT_EQ(commands::ExecuteFunction("TRANSFER-OPT", 0), 0u);
    EXPECT_EQ(script.Opened, (std::vector<std::string>{"PROTOCOLOPTIONS", "XYPROTOPTIONS"}));
    // The chooser's folder comes back with its backslash.
    EXPECT_EQ(script.Seen["PROTOCOLOPTIONS"].Text(VZ_PO_DESTINATION_DIR), "C:\\logs\\");
    EXPECT_EQ(Settings.DownloadDir.Str(), "C:\\logs\\");
    EXPECT_EQ(Settings.DownloadLock, 0);  // unchecked clears a lock of 1
    EXPECT_EQ(transfer::Options.OptHandshakeRetry, 12);
    EXPECT_EQ(Settings.XYBlockWait.GetSigned(), 33);
}

TEST_F(TransferOptionDialogs, EachProtocolOpensItsFormAndNoProtocolNone) {
    struct Case {
        const char* entry;
        std::vector<std::string> opened;
    };
    const Case cases[] = {
        {"No protocol", {"PROTOCOLOPTIONS"}},
        {"Ascii", {"PROTOCOLOPTIONS", "ASCIIPROTOPTIONS"}},
        {"Kermit", {"PROTOCOLOPTIONS", "KERMITPROTOPTIONS"}},
        {"XModem1K", {"PROTOCOLOPTIONS", "XYPROTOPTIONS"}},
        {"ZModem", {"PROTOCOLOPTIONS", "ZMODEMPROTOPTIONS"}},
    };
    for (const Case& c : cases) {
        script = {};
        script.PressOk = false;
        script.Edits["PROTOCOLOPTIONS"] = [&](ui::DialogModel& m, FakeControls& f) {
            Pick(m, f, VZ_PO_PROTOCOL_TYPE, c.entry);
            Click(m, f, VZ_PO_CONFIGURE);
        };
        ui::MenuServices.RunDialog("PROTOCOLOPTIONS");
        EXPECT_EQ(script.Opened, c.opened) << c.entry;
    }
}

TEST_F(TransferOptionDialogs, FormsShowTheOptionsAndKeepTheirValues) {
    transfer::Options.OptKermitCheck = 5;
    transfer::Options.OptAsciiLFMode = 2;
    script.Edits["KERMITPROTOPTIONS"] = [](ui::DialogModel& m, FakeControls& c) {
        EXPECT_TRUE(c.Items[VZ_KM_CHECK_FIRST + 2].Checked);
        c.Items[VZ_KM_CHECK_FIRST + 2].Checked = false;
        Click(m, c, VZ_KM_CHECK_FIRST + 1);
        Type(m, c, VZ_KM_MAX_LEN, "500");
        Click(m, c, VZ_KM_AUTO_RECEIVE);
    };
    script.Edits["ASCIIPROTOPTIONS"] = [](ui::DialogModel& m, FakeControls& c) {
        EXPECT_TRUE(c.Items[VZ_AS_LF_FIRST + 2].Checked);
        EXPECT_EQ(c.Items[VZ_AS_CHAR_DELAY].Limit, 4u);
        Type(m, c, VZ_AS_CHAR_DELAY, "25");
        Type(m, c, VZ_AS_EOL_CHAR, "10");
    };
    script.Edits["ZMODEMPROTOPTIONS"] = [](ui::DialogModel& m, FakeControls& c) {
        Pick(m, c, VZ_ZM_FILE_OPTION, "Transfer only if new");
        Click(m, c, VZ_ZM_RECOVER);
    };
    for (const char* form : {"KERMITPROTOPTIONS", "ASCIIPROTOPTIONS", "ZMODEMPROTOPTIONS"})
        EXPECT_EQ(ui::MenuServices.RunDialog(form), 1) << form;
    EXPECT_EQ(Settings.KermitBlockCheck.Get(), 2u);
    EXPECT_EQ(Settings.KermitMaxLen.GetSigned(), 500);
    EXPECT_TRUE(Settings.KermitAutoReceive);
    EXPECT_EQ(Settings.AsciiCharDelay.Get(), 25);
    EXPECT_EQ(Settings.AsciiEolChar, 10);
    EXPECT_EQ(Settings.AsciiLFTranslation.Get(), 2u);
    EXPECT_EQ(Settings.ZmodemFileOption.Get(), 7u);
    EXPECT_TRUE(Settings.ZmodemRecover);

    // Cancel keeps nothing.
    script = {};
    script.PressOk = false;
    script.Edits["KERMITPROTOPTIONS"] = [](ui::DialogModel& m, FakeControls& c) {
        Type(m, c, VZ_KM_MAX_LEN, "90");
    };
    EXPECT_EQ(ui::MenuServices.RunDialog("KERMITPROTOPTIONS"), 0);
    EXPECT_EQ(Settings.KermitMaxLen.GetSigned(), 500);
}

}  // namespace
