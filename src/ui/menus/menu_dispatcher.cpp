#include "ui/menus/menu_dispatcher.h"

#include <algorithm>
#include <cctype>

#include "commands/interpreter.h"
#include "commands/password_scramble.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/learn_mode.h"
#include "console/messages.h"
#include "ui/clipboard/clipboard.h"
#include "ui/dialogs/dialog_entries.h"
#include "ui/dialogs/font_dialogs.h"
#include "ui/language_module.h"
#include "ui/menus/menu_ids.h"
#include "ui/menus/menu_services.h"
#include "ui/message_box.h"
#include "ui/settings_dialogs.h"
#include "ui/text_prompts.h"

namespace ui {

MenuDispatchState MenuDispatch;

void ResetMenuDispatch() {
    MenuDispatch = MenuDispatchState{};
}

void QueuePendingCommand(std::string_view command) {
    MenuDispatch.PendingCommand.assign(command.substr(0, kPendingCommandMax));
}

std::string_view Toggle(bool on) {
    return on ? "OFF" : "ON";
}

std::string ItemWord(std::string_view text, size_t max) {
    const size_t cut = text.find_first_of("\b\t");
    if (cut != std::string_view::npos) text = text.substr(0, cut);
    return std::string(text.substr(0, std::min(text.size(), max)));
}

// Dialogs the menus open, by template name; the platform runs them.
namespace dialog {
constexpr char kCommSettings[] = "COMMSETTINGS";
constexpr char kAdvancedOptions[] = "ADVANCEDOPTIONS";
constexpr char kCharInfo[] = "CHARINFO";
constexpr char kAbout[] = "ABOUTBOX";
constexpr char kSupport[] = "ABOUTSUPPORT";
constexpr char kRegTelnet[] = "REGTELNET";
constexpr char kCharset[] = "CHARSET";
constexpr char kDial[] = "DIAL";
constexpr char kDelays[] = "DELAYS";
constexpr char kScreenSize[] = "SCREENSIZE";
constexpr char kIntIn[] = "INTIN";
constexpr char kSendKermit[] = "SENDKERMITCOMM";
constexpr char kDownloadDir[] = "DOWNDIR";
constexpr char kSpoolSetup[] = "SPOOLSETUP";
constexpr char kPrinterSetup[] = "PRINTERSETUP";
constexpr char kKeyEditor[] = "KEYEDITOR";
constexpr char kRawPort[] = "RAWPORT";
}  // namespace dialog

namespace {

using commands::Settings;
namespace id = menu_id;

// Message ids the dispatcher shows or uses as titles.
constexpr uint16_t kMsgWaitingForProgram = 327;
constexpr uint16_t kMsgWarning = 328;
constexpr uint16_t kMsgAllFiles = 330;
constexpr uint16_t kMsgOpenNewFile = 331;
constexpr uint16_t kMsgOpenFileToSend = 332;
constexpr uint16_t kMsgLowColourScreen = 333;
constexpr uint16_t kMsgLoadBitmap = 334;
constexpr uint16_t kMsgBitmapFiles = 335;
constexpr uint16_t kMsgOpenBackground = 336;
constexpr uint16_t kMsgOpenKeysFile = 339;
constexpr uint16_t kMsgMergeKeysFile = 340;
constexpr uint16_t kMsgKeysFiles = 309;
constexpr uint16_t kMsgSaveKeysFile = 310;
constexpr uint16_t kMsgFlushTimerLabel = 341;
constexpr uint16_t kMsgFlushTimerCaption = 342;
constexpr uint16_t kMsgWindowTitleCaption = 343;
constexpr uint16_t kMsgWindowTitleLabel = 344;
constexpr uint16_t kMsgFontSizeLabel = 345;
constexpr uint16_t kMsgFontSizeCaption = 346;
constexpr uint16_t kMsgReadKeysForType = 347;
constexpr uint16_t kMsgTermNameCaption = 348;
constexpr uint16_t kMsgTermNameLabel = 349;
constexpr uint16_t kMsgEnvironmentCaption = 350;
constexpr uint16_t kMsgEnvironmentLabel = 351;
constexpr uint16_t kMsgDropConnection = 352;
constexpr uint16_t kMsgHostnameCaption = 353;
constexpr uint16_t kMsgAnswerbackCaption = 354;
constexpr uint16_t kMsgAnswerbackLabel = 355;
constexpr uint16_t kMsgCaptureTo = 356;
constexpr uint16_t kMsgTrailerLabel = 357;
constexpr uint16_t kMsgTrailerCaption = 358;
constexpr uint16_t kMsgKermitSend = 359;
constexpr uint16_t kMsgKermitReceive = 360;
constexpr uint16_t kMsgKermitCommand = 361;
constexpr uint16_t kMsgZmodemFileLabel = 362;
constexpr uint16_t kMsgZmodemSendCaption = 363;
constexpr uint16_t kMsgUsernameCaption = 365;
constexpr uint16_t kMsgUsernameLabel = 366;
constexpr uint16_t kMsgPasswordCaption = 367;
constexpr uint16_t kMsgPasswordLabel = 368;
constexpr uint16_t kMsgFunctionDisabled = 503;
constexpr uint16_t kMsgLogDirectory = 958;
constexpr uint16_t kMsgOldScoAnsi = 967;
constexpr uint16_t kMsgNotAvailable = 13951;

constexpr uint16_t kKeyEsc = 27;
constexpr uint16_t kKeyAltA = 286;
constexpr uint16_t kKeyF6 = 320;

std::string Msg(uint16_t messageId) {
    return console::GetMessageText(messageId, true);
}

std::string Quoted(std::string_view name) {
    std::string out = "\"";
    out.append(name);
    out.push_back('"');
    return out;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

const MenuServiceTable& S() {
    return MenuServices;
}

// A dialog a menu item opens; one the program lacks is reported, not passed over.
int OpenDialog(std::string_view name) {
    const int result = S().RunDialog(name);
    if (result == -1) LangMessageBoxShort(Msg(kMsgNotAvailable) + std::string(name));
    return result;
}

void Queue(std::string_view command) {
    QueuePendingCommand(command);
}

// The one-line prompt: OK queues prefix + the typed text.
void Prompt(std::string_view initial, uint16_t captionId, uint16_t labelId, std::string_view prefix,
            bool password = false) {
    textPrompts.PromptText =
        std::string(initial.substr(0, std::min(initial.size(), kPromptTextMax)));
    textPrompts.PromptCaption = Msg(captionId).substr(0, kPromptCaptionMax);
    textPrompts.PromptLabel = Msg(labelId).substr(0, kPromptLabelMax);
    textPrompts.PromptPrefix = std::string(prefix);
    platform::CurrentPromptDialogs().StringIn(password);
    if (password) WipeText(textPrompts.PromptText);
}

// Receive-side file dialogs start in the locked download folder.
std::string ReceiveStart() {
    return Settings.DownloadLock != 0 ? Settings.DownloadDir.Str() : std::string();
}

bool AskFile(bool save, uint16_t titleId, uint16_t filterId, std::string_view pattern,
             std::string_view defaultExt, std::string start, std::string& path) {
    FileDialogRequest request;
    request.Save = save;
    request.TitleId = titleId;
    request.FilterId = filterId;
    request.Pattern = std::string(pattern);
    request.DefaultExt = std::string(defaultExt);
    request.StartPath = start.empty() ? MenuDispatch.FileName : std::move(start);
    if (!S().FileDialog(request, path)) return false;
    MenuDispatch.FileName = path;
    S().InvalidateWindow();
    return true;
}

bool AskSendFile(std::string& path) {
    return AskFile(false, kMsgOpenFileToSend, kMsgAllFiles, "*.*", "", "", path);
}

bool AskReceiveFile(uint16_t titleId, std::string& path) {
    return AskFile(true, titleId, kMsgAllFiles, "*.*", "", ReceiveStart(), path);
}

std::string FolderOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

void RunIntIn(int32_t value, uint16_t labelId, uint16_t captionId, std::string_view prefix) {
    MenuDispatch.IntInValue = value;
    textPrompts.PromptLabel = Msg(labelId).substr(0, kPromptLabelMax);
    textPrompts.PromptCaption = Msg(captionId).substr(0, kPromptCaptionMax);
    textPrompts.PromptPrefix = std::string(prefix);
    OpenDialog(dialog::kIntIn);
}

void RunKermitCommand(std::string_view prefix, uint16_t labelId) {
    textPrompts.PromptText.clear();
    textPrompts.PromptLabel = Msg(labelId).substr(0, kPromptLabelMax);
    textPrompts.PromptPrefix = std::string(prefix);
    OpenDialog(dialog::kSendKermit);
}

std::string FontWeightWord() {
    const bool wide = Settings.ScreenColumns > 80;
    return Settings.FontOption[wide ? 1 : 0] != 0 ? "BOLD" : "";
}

void SetColourMap(bool second) {
    uint16_t map[16] = {};
    S().DefaultColorMap(second, map);
    auto& layer = console::ConsoleLayer;
    for (size_t i = 0; i < 16; ++i) layer.AttrColorMap[i] = map[i];
    S().RecolourFromMap();
}

void SetScreenFont(std::string_view face, uint8_t charset) {
    Settings.ScreenFontName = face;
    Settings.ScreenFontCharset = charset;
    S().SetTerminalFont();
}

// Host name (591): prompt, ask before dropping an open connection, reopen.
void ChangeHostName() {
    if (!HostNamePrompt()) return;
    if (S().CommIsOpen()) {
        if (Settings.HostName.View() == S().OpenHostName()) return;
        const std::string question = Msg(kMsgDropConnection) + Settings.HostName.Str() + "\"?";
        if (S().Ask(question, Msg(kMsgHostnameCaption), AskButtons::YesNo) != MessageBoxYes) return;
    } else if (Settings.HostName.View() == S().OpenHostName()) {
        return;
    }
    S().CommClose();
    for (;;) {
        const int result = S().CommOpen();
        if (result == 0) {
            S().StartAutoLogin();
            return;
        }
        LangMessageBoxShort(S().CommErrorText(result));
        if (!HostNamePrompt()) return;
    }
}

// Terminal types (5601 to 5614): the item's text is the TERM argument.
void ChooseTermType(uint16_t item) {
    const std::string name = ItemWord(S().MenuItemText(item), 9);
    Queue("TERM " + name);
    if (Upper(name) == "SCOANSI") {
        Settings.OldScoAnsi =
            S().Ask(Msg(kMsgOldScoAnsi), "", AskButtons::YesNo) == MessageBoxYes ? 1 : 0;
    }
    const std::string keys = S().TermKeysFile(name);
    if (keys.empty()) return;
    const std::string full = commands::SettingsFile.ProgramFolder + keys;
    if (S().Ask(Msg(kMsgReadKeysForType) + full, "", AskButtons::OkCancel) == MessageBoxOk)
        S().LoadKeysFile(full);
}

void ChooseBackground() {
    if (S().ScreenBitsPerPixel() < 8 && S().Ask(Msg(kMsgLowColourScreen), Msg(kMsgLoadBitmap),
                                                AskButtons::OkCancel) != MessageBoxOk)
        return;
    std::string path;
    if (!AskFile(false, kMsgOpenBackground, kMsgBitmapFiles, "*.bmp;*.gif;*.jpg", "",
                 FolderOf(Settings.BmpFileName.View()), path))
        return;
    Settings.BmpFileName = path;
    Settings.BmpAdjustX.Set(1000);
    Settings.BmpAdjustY.Set(1000);
    for (auto& v : Settings.BmpCellRect) v.Set(0);
    for (auto& v : Settings.BmpViewRect) v.Set(0);
    Settings.BmpMode = 2;
    S().LoadBackgroundPicture();
}

void ReadKeys(uint16_t titleId, std::string_view verb) {
    std::string path;
    if (AskFile(false, titleId, kMsgKeysFiles, "*.kys", "KYS",
                FolderOf(Settings.KeyFileName.View()), path))
        Queue(std::string(verb) + Quoted(path));
}

// Asks for a name when asked to (or when there is none), then writes the keys file.
void SaveKeys(bool askName) {
    if (askName) {
        std::string path;
        if (!AskFile(true, kMsgSaveKeysFile, kMsgKeysFiles, "*.kys", "kys",
                     Settings.KeyFileName.Str(), path))
            return;
        Settings.KeyFileName = path;
    }
    S().SaveKeysFile(Settings.KeyFileName.View());
}

void CustomFontSize() {
    const bool wide = Settings.ScreenColumns > 80;
    const auto& cell = Settings.FontCellSize;
    const std::string size =
        std::to_string(cell[wide ? 2 : 0].Get()) + "x" + std::to_string(cell[wide ? 3 : 1].Get());
    Prompt(size, kMsgFontSizeCaption, kMsgFontSizeLabel, "font ");
}

void TransmitWithTrailer() {
    std::string filePart;
    if (!S().InputFileOpen() && S().TransmitState() == 0) {
        std::string path;
        if (!AskSendFile(path)) return;
        filePart = Quoted(path);
    }
    textPrompts.PromptText.clear();
    Prompt("", kMsgTrailerCaption, kMsgTrailerLabel, "transmit " + filePart + " trailer ");
}

void AnswerbackPrompt() {
    std::string shown = Settings.AnswerBack.Str();
    std::replace(shown.begin(), shown.end(), '\r', '|');
    Prompt(shown, kMsgAnswerbackCaption, kMsgAnswerbackLabel, "answerback ");
}

void DownloadFolder() {
    MenuDispatch.FolderBuffer = Settings.DownloadLock != 0 ? Settings.DownloadDir.Str() : "";
    MenuDispatch.FolderLocked = Settings.DownloadLock != 0;
    if (OpenDialog(dialog::kDownloadDir) != 1) return;
    Queue((MenuDispatch.FolderLocked ? "DOWNLOAD-LOCK " : "DOWNLOAD-DIR ") +
          Quoted(MenuDispatch.FolderBuffer));
}

// The mouse selection with the settings' block type, else the whole screen.
void CopyScreen() {
    ScreenCellRect cells;
    if (S().MouseSelection(cells)) {
        CopyScreenToClipboard(cells, Settings.BlockType, true);
    } else {
        cells = {1, 1, Settings.ScreenColumns, console::ConsoleLayer.ScreenRows};
        CopyScreenToClipboard(cells, 0, false);
    }
}

void Dispatch(uint16_t item) {
    auto& s = Settings;
    switch (item) {
        // File menu.
        case 101:
            if (S().OutputFileOpen()) {
                Queue("CLOSEO");
            } else if (std::string path; AskReceiveFile(kMsgOpenNewFile, path)) {
                Queue("OPENO/N " + Quoted(path));
            }
            return;
        case 102:
            if (S().InputFileOpen()) {
                Queue("CLOSEI");
            } else if (std::string path; AskSendFile(path)) {
                Queue("OPENI " + Quoted(path));
            }
            return;
        case 104:
            SaveParameters(commands::SettingsFile.SettingsFileName.empty());
            return;
        case 125:
            if (SaveParameters(true)) OfferDesktopShortcut();
            return;
        case 118:
            ChooseBackground();
            return;
        case 119:
            s.BmpFileName = "";
            for (auto& v : s.BmpCellRect) v.Set(0);
            for (auto& v : s.BmpViewRect) v.Set(0);
            S().LoadBackgroundPicture();
            return;
        case 106: {
            const std::string folder = S().BrowseForFolder(kMsgLogDirectory, "");
            if (!folder.empty()) Queue("LOG " + Quoted(folder));
            return;
        }
        case 110:
            ReadKeys(kMsgOpenKeysFile, "READ ");
            return;
        case 112:
            ReadKeys(kMsgMergeKeysFile, "MERGE ");
            return;
        case 111:
            SaveKeys(s.KeyFileName.Length() == 0);
            return;
        case 126:
            SaveKeys(true);
            return;
        case 113:
            OpenDialog(dialog::kPrinterSetup);
            return;
        case 117:
            ChoosePrinterFont();
            return;
        case 122:
            s.PrintWizard = s.PrintWizard ? 0 : 1;
            return;
        case 1201:
        case 1202:
        case 1203:
        case 1204:
            s.PrintLevel = static_cast<uint8_t>(item - 1201);
            return;
        case 1211:
            OpenDialog(dialog::kSpoolSetup);
            return;
        case 1210:
            OpenDialog(dialog::kRawPort);
            return;
        case 121:
            RunIntIn(s.FlushTimer.Get(), kMsgFlushTimerLabel, kMsgFlushTimerCaption, "flushtimer ");
            return;
        case 114:
            S().PrintScreen((s.PrintLevel == 0 || s.PrintWizard != 0) && s.PrintScreenAsPage != 0);
            return;
        case 116:
            Queue("EJECT");
            return;
        case 115:
            if (s.AllowQuit == 0)
                LangMessageBoxShort(Msg(kMsgFunctionDisabled));
            else
                Queue("END");
            return;
        case 123:
        case 124:
            s.PrintFontName = "Courier New";
            s.PrintFontCharset = item == 123 ? 0 : 255;
            return;

        // Edit menu and popup menu.
        case 201:
            CopyScreen();
            return;
        case 202:
            CopyScreen();
            PasteFromClipboard();
            return;
        case 203:
            if (S().OutputFileOpen()) Queue("KEEP");
            return;
        case 204:
            PasteFromClipboard();
            return;
        case 205:
            OpenDialog(dialog::kAdvancedOptions);
            return;
        case 585:
            if (!MenuDispatch.PopupText.empty()) Queue("winstart " + MenuDispatch.PopupText);
            return;
        case 586:
            MenuDispatch.AdvancedOptionsPage = 0;
            OpenDialog(dialog::kAdvancedOptions);
            return;
        case 587:
            OpenDialog(dialog::kCharInfo);
            return;

        // View menu.
        case 320: {
            const int language = ChooseMenuLanguage("");
            if (language != kLanguageListCancelled && language != kNoSuchLanguage)
                Queue("menulanguage " + std::to_string(language));
            return;
        }
        case 301:
            Queue(s.BeepMode == 0 ? "BEEP ON" : "BEEP OFF");
            return;
        case 302:
            Queue(std::string("BEEP IDLE ") + std::string(Toggle(s.BeepIdle != 0)));
            return;
        case 303:
            Queue(std::string("GAUGE ") + std::string(Toggle(s.Gauge != 0)));
            return;
        case 304:
            Queue(std::string("STATUS ") + std::string(Toggle(s.StatusLine != 0)));
            return;
        case 306:
            Queue(std::string("SCROLL ") + std::string(Toggle(s.ScrollEnabled != 0)));
            return;
        case 308:
            s.BlockCursor = s.BlockCursor ? 0 : 1;
            S().CaretShapeChanged();
            return;
        case 314:
            Prompt(s.WindowTitle.View(), kMsgWindowTitleCaption, kMsgWindowTitleLabel, "title ");
            return;
        case 316:
            s.TrackWindow = s.TrackWindow ? 0 : 1;
            return;
        case 3071:
            Queue("jump off");
            return;
        case 3072:
            Queue("jump medium");
            return;
        case 3073:
            Queue("jump fast");
            return;
        case 3103:
            Queue("COLOREDIT");
            return;
        case 3101:
        case 3102:
            SetColourMap(item == 3102);
            return;
        case 315:
            ChooseScreenFont();
            return;
        case 317:
        case 318:
            SetScreenFont("Courier New", item == 317 ? 0 : 255);
            return;
        case 319:
            SetScreenFont("Terminal", 255);
            return;
        case 309:
            S().ZoomWindow();
            return;
        case 3131:
            Queue("font larger " + FontWeightWord());
            return;
        case 3132:
            Queue("font smaller " + FontWeightWord());
            return;
        case 3130:
            CustomFontSize();
            return;
        case 3051:
        case 3052:
        case 3053:
        case 3054:
            Queue("Screenmode " + ItemWord(S().MenuItemText(item), 8));
            return;
        case 3055:
            OpenDialog(dialog::kScreenSize);
            return;

        // Diagnose menu.
        case 401:
            Queue(std::string("MONITOR ") + std::string(Toggle(S().MonitorMode())));
            return;
        case 402:
            Queue("INTERPRET");
            return;
        case 403:
            if (S().ReviewActive())
                S().PutKey(kKeyEsc);
            else
                Queue("review");
            return;
        case 404:
            s.CommDebug = s.CommDebug ? 0 : 1;
            S().CommDebugWindow(s.CommDebug != 0);
            return;

        // Communicate menu.
        case 576:
            OpenDialog(dialog::kCommSettings);
            return;
        case 593:
            s.AutoConnect = s.AutoConnect ? 0 : 1;
            return;
        case 591:
            ChangeHostName();
            return;
        case 594:
            SocksHostPrompt();
            return;
        case 511:
            s.LoginWizard = s.LoginWizard ? 0 : 1;
            return;
        case 512:
            Prompt(s.UserName.View(), kMsgUsernameCaption, kMsgUsernameLabel, "username ");
            return;
        case 513: {
            std::string plain = commands::UnscramblePassword(s.Password.View());
            Prompt(plain, kMsgPasswordCaption, kMsgPasswordLabel, "password ", true);
            WipeText(plain);
            return;
        }
        case 5921:
            s.ReconnectMode = 1;
            return;
        case 5922:
            s.ReconnectMode = 2;
            return;
        case 5923:
            s.ReconnectMode = 0;
            return;
        case 562:
            OpenDialog(dialog::kCharset);
            return;
        case 561:
            Prompt(s.TermNameList.View(), kMsgTermNameCaption, kMsgTermNameLabel, "termname ");
            return;
        case 563:
            Prompt(s.EnvironmentText.View(), kMsgEnvironmentCaption, kMsgEnvironmentLabel,
                   "environment ");
            return;
        case 5751:
        case 5752:
        case 5753:
            Queue("BACKSPACE " + ItemWord(S().MenuItemText(item), 8));
            return;
        case 581:
            s.UpperCaseKeys = s.UpperCaseKeys ? 0 : 1;
            return;
        case 582:
            s.ScrollLockKey = s.ScrollLockKey ? 0 : 1;
            return;
        case 583:
            AnswerbackPrompt();
            return;
        case 580:
            OpenDialog(dialog::kDial);
            return;
        case 584:
            Queue("hangup");
            return;
        case 501:
            Queue("BREAK");
            return;
        case 502:
            S().UnlockKeyboard();
            return;
        case 505:
            Queue(std::string("AUTO-LF ") + std::string(Toggle(s.AutoLF != 0)));
            return;
        case 506:
            Queue(s.FullDuplex ? "half dup" : "full dup");
            return;
        case 507:
            Queue(s.NoKeyboardLock ? "LOCK ON" : "LOCK OFF");
            return;
        case 508:
            Queue(s.CommMethod == 1 ? "commtype winsock" : "commtype serial");
            return;

        // Transfer menu.
        case 611:
            S().CaptureToPrinter();
            return;
        case 601:
            if (S().CaptureMode() == 1 || S().CaptureMode() == 3) {
                Queue("capture close");
            } else if (std::string path; AskReceiveFile(kMsgCaptureTo, path)) {
                Queue("CAPTURE " + Quoted(path));
            }
            return;
        case 602:
            if (S().InputFileOpen() || S().TransmitState() != 0) {
                Queue(S().TransmitState() == 1 ? "transmit off" : "transmit on");
            } else if (std::string path; AskSendFile(path)) {
                Queue("TRANSMIT " + Quoted(path));
            }
            return;
        case 603:
            TransmitWithTrailer();
            return;
        case 604:
            if (!S().InputFileOpen() && S().TransmitState() == 0) {
                if (std::string path; AskSendFile(path))
                    Queue("TRANSMIT " + Quoted(path) + " trailer \x04");
            } else {
                Queue("Transmit trailer \x04");
            }
            return;
        case 606:
            Queue(std::string("RECEIVE QUIET ") + std::string(Toggle(s.ReceiveQuiet != 0)));
            return;
        case 608:
            S().HandleHotKey(kKeyAltA);
            return;
        case 609:
            Queue("RETRANSMIT");
            return;
        case 641:
            Queue("FTP");
            return;
        case 642:
            Queue("FTP NEW");
            return;
        case 620:
            OpenDialog(dialog::kDelays);
            return;
        case 605:
            DownloadFolder();
            return;
        case 6501:
            Queue("ASEND");
            return;
        case 6502:
            Queue("KRECEIVE");
            return;
        case 6503:
            Queue("KSEND");
            return;
        case 6504:
            Queue("XRECEIVE");
            return;
        case 6505:
            Queue("XSEND");
            return;
        case 6506:
            Queue("YRECEIVE");
            return;
        case 6507:
            Queue("YSEND");
            return;
        case 6508:
            Queue("ZRECEIVE");
            return;
        case 6509:
            Queue("ZSEND");
            return;
        case 6510:
            Queue("TRANSFER-OPT");
            return;
        case 6101:
            RunKermitCommand("ksend ", kMsgKermitSend);
            return;
        case 6102:
            RunKermitCommand("kreceive ", kMsgKermitReceive);
            return;
        case 6103:
            RunKermitCommand("kcommand ", kMsgKermitCommand);
            return;
        case 6104:
            s.KermitAutoReceive = s.KermitAutoReceive ? 0 : 1;
            return;
        case 6301:
            if (std::string path; AskSendFile(path))
                Prompt(Quoted(path), kMsgZmodemSendCaption, kMsgZmodemFileLabel, "zsend ");
            return;
        case 6302:
            if (std::string path; AskReceiveFile(kMsgOpenNewFile, path))
                Queue("Zreceive " + Quoted(path));
            return;
        case 6304:
            s.ZmodemAutoReceive = s.ZmodemAutoReceive ? 0 : 1;
            return;

        // Macros and Help menus.
        case 704:
            Queue(commands::Interpreter.LearnMode ? "RECORD OFF" : "RECORD ON");
            return;
        case 705:
            OpenDialog(dialog::kKeyEditor);
            return;
        case 701:
            S().TransmitKeyPrompt();
            return;
        case 702:
            Queue("KEYS");
            return;
        case 703:
            if (commands::Interpreter.LearnMode) console::RecordLearnedKey(kKeyF6);
            S().HandleHotKey(kKeyF6);
            return;
        case 990:
            S().ShowHelp(false);
            return;
        case 991:
            S().ShowHelp(true);
            return;
        case 902:
            OpenDialog(dialog::kAbout);
            return;
        case 903:
            OpenDialog(dialog::kSupport);
            return;
        case 906:
            OpenDialog(dialog::kRegTelnet);
            return;
        default:
            break;
    }
    if (item >= id::kFirstTermType && item <= id::kLastTermType) {
        ChooseTermType(item);
    } else if (item >= 10048 && item <= 10122) {
        Queue(std::string("INVOKE ") + static_cast<char>('0' + (item - 10048)));
    } else if (item >= 11000 && item <= 11999) {
        Queue(console::GetMessageText(item, false));
    }
}

}  // namespace

void HandleMenuCommand(uint16_t item) {
    if (S().ProcessRunning()) {
        if (S().Ask(Msg(kMsgWaitingForProgram), Msg(kMsgWarning), AskButtons::OkCancel) ==
            MessageBoxCancel)
            S().ForgetLaunchedProgram();
        return;
    }
    MenuDispatch.DialogMenuId = item;
    Dispatch(item);
}

}  // namespace ui
