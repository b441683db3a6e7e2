#include "emulation/session_services.h"

namespace emulation {

SessionServices NullSessionServices() {
    SessionServices s{};
    s.ReadGlobals = [](SessionGlobals&) {};
    s.WriteGlobals = [](const SessionGlobals&) {};
    s.StartupInit = [](bool, bool) { return true; };
    s.ConfirmSaveSettings = [](bool) { return true; };

    s.MessageText = [](uint16_t) { return std::string(); };
    s.MessageBox = [](std::string_view) { return 0; };
    s.BiosTicks = []() -> uint32_t { return 0; };
    s.DeadlinePassed = [](uint32_t) { return true; };

    s.ParseCommandKeywords = [](StartupLocals&) {};
    s.FirstArgumentPass = [](StartupLocals&) {};
    s.SecondArgumentPass = []() {};
    s.ChooseSettingsFile = []() { return false; };

    s.ScramblePassword = [](std::string_view clear) { return std::string(clear); };
    s.LearnModeOn = []() { return false; };
    s.AppendLearnText = [](std::string_view) {};

    s.ClearKeyDefinitions = []() {};
    s.MacroPlaying = []() { return false; };
    s.PeekMacroKey = []() -> uint16_t { return 0; };
    s.RunErrorKeyMacro = []() { return false; };

    s.CommSettingsDialog = []() {};
    s.CommOpen = [](bool) -> uint32_t { return 0; };
    s.CommErrorText = [](uint8_t) { return std::string(); };
    s.CommPoll = []() {};
    s.CommInputReady = [](uint32_t) { return false; };
    s.CommClose = []() {};
    s.CommShutdown = []() {};
    s.StartAutoLogin = []() {};

    s.SetCheckBreak = [](bool) {};
    s.MenuHoldsItem = [](std::string_view, uint16_t) { return false; };
    s.UpdateWindowTitle = []() {};
    s.CloseTerminalWindow = []() {};
    s.ClearWindowScreen = []() {};
    s.TerminalHasFocus = []() { return false; };
    s.HostDrivesConnection = []() { return false; };
    s.ClrScr = []() {};
    s.SetCursorRow = [](int) {};
    s.ClampCursor = []() {};
    s.SaveCursorState = []() {};
    s.RestoreCursorState = []() {};
    s.SetCursorVisible = [](bool) {};
    s.DirectWriteOn = []() { return false; };
    s.BeginDirectWrite = []() {};
    s.EndDirectWrite = []() {};
    s.SetAttrCursorMode = [](bool) {};
    s.WriteCharCtl = [](char16_t) {};
    s.MarkStatusLineDirty = []() {};
    s.HoldScreenOn = []() { return false; };

    s.AllocScreenBuffers = [](uint16_t) {};
    s.CloseScreenBuffers = []() {};
    s.SetTerminalType = [](std::string_view, bool) { return false; };
    s.TermTabStyle = []() -> uint8_t { return 0; };

    s.ProcessRunning = []() { return false; };
    s.ProcessKeyboard = []() {};
    s.ReceiveFromHost = []() {};
    s.KeyboardEnabled = []() { return true; };
    s.KeyboardLocked = []() { return false; };
    s.WaitForPending = []() { return false; };
    s.QuietWaitPending = []() { return false; };

    s.OpenPrinterDevice = [](std::string_view) { return false; };
    s.ClosePrinterDevice = []() {};
    s.FlushCaptureLine = [](bool) {};
    s.CloseInputFile = [](uint8_t) {};
    s.CloseOutputFile = [](uint8_t) {};
    s.EndPrintJob = [](bool) {};
    s.AuxState = []() -> uint8_t { return 0; };
    s.AuxClose = []() {};
    s.DdeClientShutdown = []() {};
    s.CloseFindSearch = []() {};
    s.PlayMedia = [](std::string_view) {};
    return s;
}

SessionServices Services = NullSessionServices();

bool ReceivePassDue() {
    if (Services.HoldScreenOn()) return false;
    if (Services.HostDrivesConnection() && !Services.TerminalHasFocus())
        return Services.CommInputReady(260);
    return Services.CommInputReady(0);
}

void ResetSessionServices() {
    Services = NullSessionServices();
}

}  // namespace emulation
