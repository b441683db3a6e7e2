#include "commands/command_services.h"

#include "console/messages.h"
#include "ui/message_box.h"

namespace commands {

void ReportNotAvailable(std::string_view what) {
    ui::LangMessageBoxShort(console::GetMessageText(NotAvailableMessage, true) + std::string(what));
}

namespace {
// The answer of a slot whose unit is not part of this build yet.
template <typename R>
R Missing(const char* what, R answer) {
    ReportNotAvailable(what);
    return answer;
}
}  // namespace

CommandServiceTable NullCommandServices() {
    CommandServiceTable t;
    t.WaitTurn = [] {};
    t.AbortRequested = [] { return true; };
    t.MarkStatusLineDirty = [] {};
    t.UpdateStatusLine = [] {};
    t.ReceiveOnce = [] {};
    t.SoundDeferredBell = [] {};
    t.SetWaitForText = [](std::string_view) {};
    t.SetWaitForDeadline = [](int32_t) {};
    t.StartQuietWait = [](uint32_t) {};
    t.ReadKeyCode = []() -> uint16_t { return 27; };
    t.GetKeyChar = []() -> uint16_t { return 27; };
    t.ReadCharKey = []() -> uint16_t { return 0; };
    t.TransmitString = [](std::string_view, uint8_t) { return false; };
    t.GetTerminalFlag = [](TerminalFlag) { return false; };
    t.SetTerminalFlag = [](TerminalFlag, bool) {};
    t.SetKeyLockTimeout = [](uint32_t) {};
    t.SetTerminalType = [](std::string_view) { return false; };
    t.FamilyAttrMode = []() -> uint8_t { return 1; };
    t.CurrentPage = []() -> int32_t { return 1; };
    t.SetScreenGeometry = [](std::string_view) { return false; };
    t.SetScreenColumns = [](int32_t) {};
    t.DrawFrameBox = [](const CellRectangle&, std::string_view) { return false; };
    t.CharsetCode = [](std::string_view) -> int32_t { return -1; };
    t.SelectNationalSet = [](uint8_t) {};
    t.SelectGrSet = [](uint8_t) {};
    t.ComposeChars = [](std::u16string_view) -> char16_t { return 0xFFFF; };
    t.StartAutoLogin = [] {};
    t.ParseHostArgument = [](const std::string&, std::string&, uint8_t&) {};
    t.DefineMacro = [](uint16_t, std::string_view) { return false; };
    t.StartMacro = [](uint16_t, bool) { return false; };
    t.LoadKeysFile = [](std::string_view, bool) { return false; };
    t.SaveKeysFile = [](std::string_view) { return false; };
    t.SetViewLeftColumn = [](int32_t) { return Missing("PAN", false); };
    t.ReviewScreen = [] { ReportNotAvailable("REVIEW"); };
    t.PopScreenRect = [] { ReportNotAvailable("WINDOWCLOSE"); };
    t.OpenTextWindow = [](const CellRectangle&, std::string_view, std::string_view) {
        return Missing("WINDOW", false);
    };
    t.FillWindowArea = [](const CellRectangle&, std::string_view) {
        return Missing("FILL", false);
    };
    t.ScreenMenuSelect = [](const CellRectangle&, int32_t, int32_t, int32_t, std::string&, int32_t,
                            int32_t, int32_t) { return Missing("MENUBAR", false); };
    t.GetWindowMetric = [](WindowMetric, int32_t&) { return Missing("SCREENSIZE/S", false); };
    t.RequestWindow = [](WindowRequest) { ReportNotAvailable("WINDOW"); };
    t.UpdateWindowTitle = [] {};
    t.SetTerminalFont = [](std::string_view, std::string_view, std::string_view, ChosenFont&) {
        return Missing("FONT", false);
    };
    t.RebuildFontFallbackList = [] { ReportNotAvailable("FONT-ALT"); };
    t.LoadBackgroundPicture = [] { ReportNotAvailable("BMP"); };
    t.AdjustPicture = [] { ReportNotAvailable("BMP-ADJUST"); };
    t.RepaintWindow = [] {};
    t.CopyScreenToClipboard = [](const CellRectangle&) { ReportNotAvailable("CLIP"); };
    t.CopyTextToClipboard = [](std::u16string_view) { ReportNotAvailable("CLIP"); };
    t.PasteFromClipboard = [] { ReportNotAvailable("PASTE"); };
    t.EditColors = [] { ReportNotAvailable("COLOREDIT"); };
    t.OutputFileOpen = [] { return false; };
    t.WriteOutputLine = [](bool, std::string_view, uint8_t) { return Missing("WRITE", false); };
    t.PrintScreen = [] { ReportNotAvailable("PRINT"); };
    t.ShowConsoleScreen = [](ConsoleScreen) { ReportNotAvailable("COLOR, INTERPRET, KEYS"); };
    t.SetTabStopsFromLine = [](std::string_view) { return Missing("TAB", false); };
    t.CalculatorPrompt = [] { ReportNotAvailable("CALC"); };
    t.CloseAuxPort = [] {};
    t.AskPortName = [](bool) { return Missing("RAW-SETUP, AUX-SETUP", false); };
    t.DialModem = [](std::string_view, std::string_view, std::string_view) {
        return Missing("DIAL", false);
    };
    t.HangUpModem = [] { ReportNotAvailable("HANGUP"); };
    t.RegisterTelnetHandler = [](std::string_view) { return Missing("REGTELNET", false); };
    t.CloneProgram = [](std::string_view) -> uint32_t { return 1; };
    t.SetExitCode = [](uint8_t) {};
    return t;
}

CommandServiceTable CommandServices = NullCommandServices();

void ResetCommandServices() {
    CommandServices = NullCommandServices();
}

}  // namespace commands
