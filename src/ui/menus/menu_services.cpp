#include "ui/menus/menu_services.h"

namespace ui {

namespace {

bool No() {
    return false;
}
void Nothing() {}
std::string Empty() {
    return {};
}
uint8_t Zero8() {
    return 0;
}

}  // namespace

MenuServiceTable NullMenuServices() {
    MenuServiceTable t{};
    t.ProcessRunning = No;
    t.ForgetLaunchedProgram = Nothing;
    t.OutputFileOpen = No;
    t.InputFileOpen = No;
    t.OutputFileName = Empty;
    t.InputFileName = Empty;
    t.CaptureMode = Zero8;
    t.TransmitState = Zero8;
    t.MonitorMode = No;
    t.ReviewActive = No;
    t.MainLoopIdle = [] { return true; };
    t.PrinterBusy = No;
    t.KioskLevel = []() -> int32_t { return -1; };
    t.WindowMenuName = [] { return std::string("MainMenu"); };
    t.BackgroundPictureLoaded = No;
    t.TermFamily = [] { return MenuTermFamily::Other; };
    t.ClipboardHasText = No;
    t.MouseSelection = [](ScreenCellRect&) { return false; };
    t.CommIsOpen = No;
    t.OpenHostName = Empty;
    t.DecomposeChar = [](char16_t ch) { return std::u16string(1, ch); };
    t.ComposeChars = [](std::u16string_view) -> char16_t { return 0xFFFF; };
    t.ScreenSetKind = Zero8;
    t.KeyToHostCode = [](char16_t) { return std::string(); };
    t.CharsetName = [](uint32_t) { return std::string(); };
    t.HandleHotKey = [](uint16_t) {};
    t.PutKey = [](uint16_t) {};
    t.UnlockKeyboard = Nothing;
    t.CaptureToPrinter = Nothing;
    t.CommDebugWindow = [](bool) {};
    t.CommOpen = [] { return -1; };
    t.CommClose = Nothing;
    t.CommErrorText = [](int) { return std::string(); };
    t.StartAutoLogin = Nothing;
    t.TermKeysFile = [](std::string_view) { return std::string(); };
    t.LoadKeysFile = [](std::string_view) {};
    t.SaveKeysFile = [](std::string_view) { return false; };
    t.TransmitKeyPrompt = Nothing;
    t.PrintScreen = [](bool) {};
    t.DefaultColorMap = [](bool, uint16_t*) {};
    t.RecolourFromMap = Nothing;
    t.SetTerminalFont = Nothing;
    t.LoadBackgroundPicture = Nothing;
    t.AuxClose = Nothing;
    t.ApplyOldScoAnsi = Nothing;
    t.RunDialog = [](std::string_view) { return -1; };
    t.FileDialog = [](const FileDialogRequest&, std::string&) { return false; };
    t.BrowseForFolder = [](uint16_t, const std::string&) { return std::string(); };
    t.ChooseFont = [](const FontDialogRequest&, FontChoice&) { return 0; };
    t.Ask = [](std::string_view, std::string_view, AskButtons) { return 2; };
    t.MenuItemText = [](uint16_t) { return std::string(); };
    t.CaretShapeChanged = Nothing;
    t.ZoomWindow = Nothing;
    t.ShowHelp = [](bool) {};
    t.InvalidateWindow = Nothing;
    t.ScreenBitsPerPixel = [] { return 32; };
    t.VisualOrder = [](std::u16string_view, uint32_t, bool, std::vector<int>&) { return false; };
    t.CreateDesktopShortcut = [](std::string_view, std::string_view) { return false; };
    t.ChooseColour = [](uint32_t&) { return false; };
    t.PrinterNames = [] { return std::vector<std::string>(); };
    t.NationalSetName = [](uint8_t) { return std::string(); };
    return t;
}

MenuServiceTable MenuServices = NullMenuServices();

}  // namespace ui
