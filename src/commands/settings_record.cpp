#include "commands/settings_record.h"

namespace commands {

namespace {

constexpr void SetWords(std::array<Le16, 4>& words, int16_t a, int16_t b, int16_t c, int16_t d) {
    words[0].SetSigned(a);
    words[1].SetSigned(b);
    words[2].SetSigned(c);
    words[3].SetSigned(d);
}

constexpr void SetPortDefaults(PortParams& port) {
    port.BaudRate.Set(9600);
    port.ByteSize = 8;
    port.StopBits = 0;
    port.Parity = 0;
    port.Flags.Set(0x2315);
}

constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) {
    return red + 256 * green + 65536 * blue;
}

// The attribute-to-colour table of a fresh record, in both its byte form of
// the first stages and its word form of the last.
constexpr std::array<uint8_t, 16> kDefaultAttrColors = {15, 7, 143, 135, 120, 1,   248, 240,
                                                        9,  1, 137, 129, 121, 113, 249, 241};

// Every byte not set here is 0.
constexpr SettingsRecord MakeDefaultSettings() {
    SettingsRecord r{};

    // First stage, +0 to +3984.
    r.SerialParity = 'e';
    r.SerialDataBits.Set(7);
    r.SerialStopBits.Set(1);
    r.SerialBaud.Set(19200);
    r.BeepMode = 2;
    r.HostType = 7;
    r.FullDuplex = 1;
    r.NoKeyboardLock = 1;
    r.TabFillChar = 32;
    r.OldTabStops = {9, 17, 25, 33, 41, 49, 57, 65, 73, 0};
    r.OldAttrColors = kDefaultAttrColors;
    r.TabAsTab = 1;
    r.SerialPort = 1;
    r.PrinterName = "WPRN";
    r.ScreenColumns = 80;
    r.ScrollEnabled = 1;
    r.BackspaceChar = 8;
    r.StatusLine = 1;
    r.BeepPitch.Set(440);
    r.Propagate = 1;
    r.Reserved135 = {0x3B, 0x08};
    r.TerminalType = "VT220";
    r.SerialIrq.Set(4);
    SetWords(r.FontCellSize, 12, 8, 6, 0);
    r.PrintFontSize = Real48::From(12.0);
    r.PrintFontName = "Courier New";
    r.BmpAdjustX.SetSigned(1000);
    r.BmpAdjustY.SetSigned(1000);
    r.AutoConnect = 1;
    r.JumpScroll.Set(100);
    SetWords(r.WindowRect80, -32768, -32768, -32768, -32768);
    r.FlushTimer.Set(5);
    r.CommMethod = 2;
    r.PrinterIsDefault = 1;
    r.ScreenFontName = "Terminal";
    r.PrintWizard = 1;
    r.ScreenFontCharset = 1;
    r.PrintFontCharset = 1;
    r.AllowAccelerators = 1;
    r.TermFlag1702 = 1;
    r.TermFlag1703 = 1;
    r.MouseLeftDouble.Action = 8;
    r.MouseRightClick.Action = 7;
    r.EnvironmentText = "OZMEL=${OZM_PROGRAM}";
    r.RemoteCmd1C = 1;
    r.MainTimerInterval.Set(1);
    r.CtrlRPassthrough = 1;
    r.LoginWizard = 1;
    r.LoginPrompts = "login:|logon:|user:|username:";
    r.PasswordPrompts = "password:";
    r.PromptSeparator = '|';
    r.TermNameSeparator = ';';
    r.AttrUnderlineMode = 5;
    r.CtrlXPassthrough = 1;
    r.CaptureCtrlMode = 2;
    r.WindowStyle.Set(0x00CF0000);
    r.InterpretMode = 2;
    SetWords(r.WindowRectWide, -32768, -32768, -32768, -32768);
    r.PrintScreenAsPage = 1;
    r.CodePage.Set(1252);
    r.CharsetKind = kGSetMultinational;
    r.PassthroughCodePage.Set(0x10000);
    r.TermOptions3432.Set(15);
    r.BlockType = 1;
    SetPortDefaults(r.RawPortParams);
    SetPortDefaults(r.AuxPortParams);
    r.KeyFlag3971 = 1;
    r.KeyFlag3972 = 1;
    r.PasteUnicode = 1;
    r.KioskFunctions = 1;
    r.SendWindowSize = 1;

    // Second stage, +3985 to +4971.
    r.PrintScreenKey = 1;
    r.PrintOption4244 = 1;
    r.PrintOption4247 = 1;
    r.RawPrintValue.Set(10);
    r.Reserved4252 = {0xC8, 0x00, 0x00, 0x00};
    r.PrintInitFile = "_prtinit.txt";
    r.MiniPages = 1;
    r.PrintOption4715 = 2;

    // Third stage, +4972 to +6861.
    constexpr std::array<uint8_t, 10> tabStops = {9, 17, 25, 33, 41, 49, 57, 65, 73, 81};
    for (std::size_t i = 0; i < tabStops.size(); ++i) r.TabStops[i] = tabStops[i];
    r.SrpAuthMode = 1;
    r.SrpEncryptMode = 1;
    constexpr std::array<uint32_t, 16> palette = {
        Rgb(0, 0, 0),       Rgb(0, 0, 128),   Rgb(0, 128, 0),   Rgb(0, 128, 128),
        Rgb(128, 0, 0),     Rgb(128, 0, 128), Rgb(128, 128, 0), Rgb(192, 192, 192),
        Rgb(128, 128, 128), Rgb(0, 0, 255),   Rgb(0, 255, 0),   Rgb(0, 255, 255),
        Rgb(255, 0, 0),     Rgb(255, 0, 255), Rgb(255, 255, 0), Rgb(255, 255, 255)};
    for (std::size_t i = 0; i < palette.size(); ++i) r.Palette[i].Set(palette[i]);
    r.TelnetNegotiation = 1;
    r.AllowQuit = 1;
    r.ReviewLines.Set(819);
    r.AutoLoginTimeout.Set(4);
    r.MouseWheelAction = 1;
    r.SshVersion.Set(2);
    r.FontFallbackList = "Auto";
    r.PrintFontFallbackList = "Auto";
    r.ScreenOption6860 = 1;

    // Fourth stage, +6862 to +7219.
    for (std::size_t i = 0; i < kDefaultAttrColors.size(); ++i)
        r.AttrColors[i].Set(kDefaultAttrColors[i]);
    r.GuessLinage = 1;
    r.XferFinishWait.Set(20);
    r.XferWriteFailAction.Set(1);
    r.XYBlockWait.Set(91);
    r.ZmodemFileOption.Set(5);
    r.KermitBlockCheck.Set(1);
    r.KermitMaxLen.Set(80);
    r.KermitPadChar = 32;
    r.KermitTerminator = 13;
    r.KermitCtlPrefix = '#';
    r.KermitHighbitPrefix = 'Y';
    r.KermitRepeatPrefix = '~';
    r.AsciiEolChar = 13;
    return r;
}

constexpr SettingsRecord kDefaultSettings = MakeDefaultSettings();

}  // namespace

// Constant-initialised, so code that runs during static initialisation sees the defaults.
constinit SettingsRecord Settings = kDefaultSettings;

const SettingsRecord& DefaultSettings() {
    return kDefaultSettings;
}

void ResetSettingsToDefaults() {
    Settings = kDefaultSettings;
}

}  // namespace commands
