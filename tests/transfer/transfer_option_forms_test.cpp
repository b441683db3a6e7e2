// The protocol options dialog and its forms: what each shows from the
// options and what OK keeps in the options and in the settings record.
#include "transfer/transfer_option_forms.h"

#include <gtest/gtest.h>

#include "commands/settings_record.h"
#include "transfer/transfer_front_end.h"
#include "transfer/transfer_interface.h"

namespace transfer {
namespace {

class OptionForms : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        ResetTransfer();
    }
    void TearDown() override {
        commands::ResetSettingsToDefaults();
        ResetTransfer();
    }
    commands::SettingsRecord& s = commands::Settings;
};

TEST_F(OptionForms, MainDialogShowsTheOptionsAndOkKeepsThemInBoth) {
    Options.OptHandshakeRetry = 7;
    Options.OptFinishWait = 30;
    Options.OptWriteFail = 2;
    Options.OptDownloadDir = "C:\\in\\";
    s.DownloadLock = 1;
    ProtocolOptionsForm f = LoadProtocolOptionsForm(kProtoYmodemG);
    EXPECT_EQ(f.ProtocolIndex, kProtoYmodemG);
    EXPECT_EQ(f.HandshakeRetry, "7");
    EXPECT_EQ(f.FinishWait, "30");
    EXPECT_EQ(f.WriteFailAction, 2);
    EXPECT_EQ(f.DestinationDir, "C:\\in\\");
    EXPECT_FALSE(f.LockDirectory);  // only 2 shows as locked

    f.IncludeDirectory = f.AskAs = f.UpcaseFileNames = f.Debug = true;
    f.HandshakeRetry = "3";
    f.DebugFileName = "other.log";
    f.DestinationDir = "D:\\down";
    f.WriteFailAction = 1;
    f.FinishWait = "x5";  // not a number: the old value stays
    StoreProtocolOptionsForm(f);
    EXPECT_TRUE(Options.OptIncludeDir && Options.OptAskAs && Options.OptUpcaseNames &&
                Options.OptDebugLog);
    EXPECT_TRUE(s.XferIncludeDir && s.XferAskAs && s.XferUpcaseNames && s.XferDebug);
    EXPECT_EQ(Options.OptHandshakeRetry, 3);
    EXPECT_EQ(Options.OptLogFileName, "other.log");
    EXPECT_EQ(Options.OptDownloadDir, "D:\\down");
    EXPECT_EQ(s.DownloadDir.Str(), "D:\\down");
    EXPECT_EQ(s.DownloadLock, 0);  // unchecked clears a lock of 1 too
    EXPECT_EQ(s.XferWriteFailAction.Get(), 1u);
    EXPECT_EQ(Options.OptFinishWait, 30);
    EXPECT_EQ(s.XferFinishWait.GetSigned(), 30);

    f.LockDirectory = true;
    StoreProtocolOptionsForm(f);
    EXPECT_EQ(s.DownloadLock, 2);
    EXPECT_TRUE(Options.OptDirLocked);

    // A folder the settings cannot hold whole is refused, not cut.
    f.DestinationDir = std::string(300, 'a');
    StoreProtocolOptionsForm(f);
    EXPECT_EQ(s.DownloadDir.Str(), "D:\\down");
}

TEST_F(OptionForms, ProtocolFormsKeepEachValueInOptionAndSetting) {
    XyOptionsForm xy{"45"};
    StoreXyOptionsForm(xy);
    EXPECT_EQ(Options.OptXYBlockWait, 45);
    EXPECT_EQ(s.XYBlockWait.GetSigned(), 45);
    StoreXyOptionsForm({"4.5"});
    EXPECT_EQ(LoadXyOptionsForm().BlockWait, "45");

    ZmodemOptionsForm z;
    z.FileOption = 6;
    z.FinishRetry = "4";
    z.OptionOverride = z.Recover = z.SkipNoFile = z.AutoReceive = z.UseWindows = true;
    z.WindowSize = "8192";
    StoreZmodemOptionsForm(z);
    EXPECT_EQ(s.ZmodemFileOption.Get(), 6u);
    EXPECT_EQ(s.ZmodemFinishRetry.GetSigned(), 4);
    EXPECT_TRUE(s.ZmodemOptionOverride && s.ZmodemRecover && s.ZmodemSkipNoFile &&
                s.ZmodemAutoReceive && s.ZmodemUseWindows);
    EXPECT_EQ(s.ZmodemWindowSize.GetSigned(), 8192);
    EXPECT_EQ(LoadZmodemOptionsForm().FileOption, 6);

    AsciiOptionsForm a;
    a.CharDelay = "15";
    a.LineDelay = "99999";  // more than four digits: the old value stays
    a.CRMode = 2;
    a.LFMode = 1;
    a.EolChar = "10";
    a.StopOnCtrlZ = true;
    StoreAsciiOptionsForm(a);
    EXPECT_EQ(s.AsciiCharDelay.Get(), 15);
    EXPECT_EQ(s.AsciiLineDelay.Get(), 0);
    EXPECT_EQ(s.AsciiCRTranslation.Get(), 2u);
    EXPECT_EQ(s.AsciiLFTranslation.Get(), 1u);
    EXPECT_EQ(s.AsciiEolChar, 10);
    EXPECT_TRUE(s.AsciiSuppressCtrlZ);
    EXPECT_EQ(Options.OptAsciiEol, 10);

    KermitOptionsForm k = LoadKermitOptionsForm();
    k.PadCount = "2";
    k.PadChar = "0";
    k.HighbitPrefix = "38";
    k.RepeatPrefix = "126";
    k.ControlPrefix = "300";  // not a byte: the old "#" stays
    k.MaxLen = "1000";
    k.Terminator = "13";
    k.UseWindows = k.AutoReceive = true;
    k.Windows = "16";
    StoreKermitOptionsForm(k);
    EXPECT_EQ(s.KermitPadCount.GetSigned(), 2);
    EXPECT_EQ(s.KermitHighbitPrefix, 38);
    EXPECT_EQ(s.KermitRepeatPrefix, 126);
    EXPECT_EQ(s.KermitCtlPrefix, '#');
    EXPECT_EQ(s.KermitMaxLen.GetSigned(), 1000);
    EXPECT_EQ(s.KermitTerminator, 13);
    EXPECT_TRUE(s.KermitUseWindows && s.KermitAutoReceive);
    EXPECT_EQ(s.KermitWindows.GetSigned(), 16);
}

TEST_F(OptionForms, KermitCheckIsStoredAsOneTwoOrFive) {
    struct Case {
        int index;
        uint8_t stored;
    };
    for (const Case c : {Case{0, 1}, Case{1, 2}, Case{2, 5}}) {
        KermitOptionsForm k = LoadKermitOptionsForm();
        k.CheckIndex = c.index;
        StoreKermitOptionsForm(k);
        EXPECT_EQ(s.KermitBlockCheck.Get(), c.stored) << c.index;
        EXPECT_EQ(LoadKermitOptionsForm().CheckIndex, c.index);
    }
    // A value the form has no button for shows none and is kept on OK.
    Options.OptKermitCheck = 3;
    KermitOptionsForm k = LoadKermitOptionsForm();
    EXPECT_EQ(k.CheckIndex, -1);
    StoreKermitOptionsForm(k);
    EXPECT_EQ(Options.OptKermitCheck, 3);
}

TEST(OptionFormRules, ConfigureOpensTheProtocolsForm) {
    const ProtocolForm expected[] = {
        ProtocolForm::None,    ProtocolForm::Ascii,   ProtocolForm::Kermit,  ProtocolForm::XyModem,
        ProtocolForm::XyModem, ProtocolForm::XyModem, ProtocolForm::XyModem, ProtocolForm::XyModem,
        ProtocolForm::XyModem, ProtocolForm::Zmodem};
    ASSERT_EQ(std::size(expected), ProtocolListItems().size());
    for (int i = 0; i < int(std::size(expected)); ++i)
        EXPECT_EQ(ConfigureFormFor(i), expected[i]) << ProtocolListItems()[size_t(i)];
    EXPECT_EQ(ConfigureFormFor(-1), ProtocolForm::None);
}

TEST(OptionFormRules, DirectoryChooserAddsOneBackslash) {
    struct Case {
        const char* typed;
        const char* shown;
    };
    for (const Case c : {Case{"C:\\files", "C:\\files\\"}, Case{"C:\\files\\", "C:\\files\\"},
                         Case{"C:", "C:"}, Case{"\"C:\\a b\"", "\"C:\\a b\\\""}, Case{"", ""}}) {
        EXPECT_EQ(DirectoryWithSlash(c.typed), c.shown) << c.typed;
    }
}

}  // namespace
}  // namespace transfer
