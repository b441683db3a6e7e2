#include "transfer/transfer_front_end.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "commands/settings_record.h"
#include "console/file_search.h"
#include "console/system_services.h"
#include "console/tick_clock.h"
#include "transfer/ascii_engine.h"
#include "transfer/kermit/kermit_engine.h"
#include "transfer/port_layer.h"
#include "transfer/protocol_record.h"
#include "transfer/received_names.h"
#include "transfer/transfer_files.h"
#include "transfer/transfer_ui.h"
#include "transfer/ymodem_engine.h"
#include "transfer/zmodem/zmodem_engine.h"

namespace transfer {

TransferOptions Options;
FrontEndState FrontEnd;
TransferState Transfer;

void ResetTransfer() {
    Transfer = TransferState{};
    FrontEnd = FrontEndState{};
    Options = TransferOptions{};
}

namespace {

TransferUi windowless;
TransferUi* ui = &windowless;

// The transfer log, open for the one transfer whose debug option is on.
std::unique_ptr<TransferFile> logFile;

void LogLine(const std::string& line) {
    if (!logFile) return;
    const std::string text = line + "\r\n";
    size_t written = 0;
    logFile->Write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), written);
}

void OpenLog(uint8_t engineType, bool sending, std::string_view arguments) {
    logFile.reset();
    std::string name = Options.OptLogFileName;
    if (commands::Settings.DownloadLock != 0)
        name = commands::Settings.DownloadDir.Str() + "xfer.log";
    if (TransferFiles().Create(name, logFile) != kIoOk) {
        logFile.reset();
        Options.OptDebugLog = false;
        return;
    }
    LogLine("Ozmel File Transfer");
    LogLine(LogProtocolLine(engineType, sending) + std::string(arguments));
}

void CloseLog() {
    if (logFile) logFile->Close();
    logFile.reset();
}

StatusView viewCopy;

void StatusHook(ProtocolRecord& p, bool /*starting*/, bool /*ending*/) {
    if (!FrontEnd.CancelRequested) FrontEnd.StatusText = p.StatusText;
    FrontEnd.TransferLastError = p.Port->LastError();
    viewCopy.ProtocolNumber = FrontEnd.ProtocolNumber;
    viewCopy.CheckType = p.CheckType;
    viewCopy.FileName = FrontEnd.TransferFileName =
        p.TransferFileName.empty() ? FrontEnd.TransferFileName : p.TransferFileName;
    viewCopy.StatusText = FrontEnd.StatusText;
    viewCopy.FileSize = p.SrcFileLen;
    viewCopy.BlockLength = p.BlockLen;
    viewCopy.BytesTransferred = p.BytesTransferred;
    viewCopy.BytesRemaining = p.BytesRemaining;
    viewCopy.BlockErrors = p.BlockErrors;
    viewCopy.TotalErrors = p.TotalErrors;
    viewCopy.ElapsedTicks = console::BiosTicks() - FrontEnd.TransferStartTicks;
    if (viewCopy.ElapsedTicks < 0) viewCopy.ElapsedTicks += console::TicksPerDay;
    if (Options.OptDebugLog) {
        const std::string& text = FrontEnd.StatusText;
        if (text == "Sending data" || text == "Receiving data") {
            if (p.TotalErrors != FrontEnd.LastLoggedErrors) {
                LogLine(" Last Error: " + FrontEnd.TransferLastError);
                FrontEnd.LastLoggedErrors = p.TotalErrors;
                LogLine("    Errors: " + std::to_string(p.TotalErrors) +
                        "  Bytes Transferred: " + std::to_string(p.BytesTransferred) +
                        "  Bytes Remaining: " + std::to_string(p.BytesRemaining));
            }
        } else if (text != FrontEnd.PrevStatusText) {
            LogLine("  " + text + " " + FrontEnd.TransferLastError);
        }
    }
    FrontEnd.PrevStatusText = FrontEnd.StatusText;
    if (FrontEnd.ProtocolNumber != kNoProtocol) ui->UpdateStatusWindow(viewCopy);
}

// The size a transfer's start logs. An XMODEM send logs its start before it
// opens the file, so that size is read from the file itself.
int64_t LoggedFileSize(const ProtocolRecord& p) {
    if (p.SrcFileLen != 0 || p.PathName.empty()) return p.SrcFileLen;
    std::unique_ptr<TransferFile> file;
    if (TransferFiles().OpenRead(p.PathName, file) != kIoOk || !file) return 0;
    return file->Size();
}

void LogHook(ProtocolRecord& p, uint8_t kind) {
    FrontEnd.TransferLastError = p.Port->LastError();
    switch (kind) {
        case kLogReceiveStart:
        case kLogReceiveDone:
        case kLogTransmitStart:
        case kLogTransmitDone:
            FrontEnd.TransferReply = "00";
            break;
        case kLogReceiveFailed:
        case kLogTransmitFailed:
            if (FrontEnd.TransferReply == "00") FrontEnd.TransferReply = "07";
            break;
        case kLogReceiveSkipped:
        case kLogTransmitSkipped:
            FrontEnd.TransferReply = "04";
            break;
        default:
            break;
    }
    if (Options.OptDebugLog && kind != FrontEnd.LastLogKind) {
        const std::string failure = FrontEnd.StatusText + " " + FrontEnd.TransferLastError;
        switch (kind) {
            case kLogReceiveStart:
                LogLine("Starting receive, File Name: " + p.PathName +
                        "  File Size: " + std::to_string(p.SrcFileLen));
                break;
            case kLogTransmitStart:
                LogLine("Starting transmit, File Name: " + p.PathName +
                        "  File Size: " + std::to_string(LoggedFileSize(p)));
                break;
            case kLogReceiveDone:
            case kLogTransmitDone:
                LogLine("Transfer complete, Bytes Transferred: " +
                        std::to_string(p.BytesTransferred));
                break;
            case kLogReceiveFailed:
            case kLogTransmitFailed:
                LogLine("Transfer failed: " + failure);
                break;
            default:
                LogLine("File skipped: " + failure);
                break;
        }
    }
    FrontEnd.LastLogKind = kind;
}

// The engine a protocol number selects, for one transfer.
struct Engine {
    std::unique_ptr<XmodemEngine> xmodem;
    std::unique_ptr<YmodemEngine> ymodem;
    std::unique_ptr<AsciiEngine> ascii;
    std::unique_ptr<ZmodemEngine> zmodem;
    std::unique_ptr<KermitEngine> kermit;
    ProtocolRecord* proto = nullptr;
    uint8_t type = 0;
};

XyOptions XyOptionsNow() {
    XyOptions o;
    o.FinishWait = Options.OptFinishWait;
    o.HandshakeRetry = Options.OptHandshakeRetry;
    o.WriteFail = Options.OptWriteFail;
    o.AsName = Options.OptAskAs ? Options.OptAsName : std::string();
    o.DestDir = Options.OptDownloadDir;
    if (commands::Settings.DownloadLock != 0) o.DestDir = commands::Settings.DownloadDir.Str();
    return o;
}

bool InitProtocol(TransferPort& port, Engine& engine) {
    const XyOptions o = XyOptionsNow();
    switch (FrontEnd.ProtocolNumber) {
        case kProtoXmodem:
        case kProtoXmodemCrc:
            engine.xmodem = XmodemEngine::Create(port, false, false, o);
            break;
        case kProtoXmodem1K:
            engine.xmodem = XmodemEngine::Create(port, true, false, o);
            break;
        case kProtoXmodem1KG:
            engine.xmodem = XmodemEngine::Create(port, true, true, o);
            break;
        case kProtoYmodem:
        case kProtoYmodemG:
            engine.ymodem =
                YmodemEngine::Create(port, true, FrontEnd.ProtocolNumber == kProtoYmodemG, o);
            break;
        case kProtoAscii: {
            AsciiOptions a;
            a.CharDelay = uint16_t(std::clamp(Options.OptAsciiCharDelay, 0, 65535));
            a.LineDelay = uint16_t(std::clamp(Options.OptAsciiLineDelay, 0, 65535));
            a.EolChar = Options.OptAsciiEol;
            a.CRMode = Options.OptAsciiCRMode;
            a.LFMode = Options.OptAsciiLFMode;
            a.StopOnCtrlZ = Options.OptAsciiSuppressCtrlZ;
            a.DestDir = o.DestDir;
            engine.ascii = AsciiEngine::Create(port, a);
            break;
        }
        case kProtoZmodem: {
            ZmodemOptions z;
            z.FinishWait = Options.OptFinishWait;
            z.FinishRetry = Options.OptZmodemFinishRetry;
            z.HandshakeRetry = Options.OptHandshakeRetry;
            z.Recover = Options.OptZmodemRecover;
            z.Override = Options.OptZmodemOverride;
            z.WriteFail = Options.OptWriteFail;
            z.UseWindows = Options.OptZmodemUseWindows;
            z.WindowSize = Options.OptZmodemWindowSize;
            z.AsName = o.AsName;
            z.DestDir = o.DestDir;
            z.DirectoryLocked = Options.OptDirLocked;
            engine.zmodem = ZmodemEngine::Create(port, z);
            if (!engine.zmodem) break;
            const uint8_t rule = Options.OptZmodemFileOption;
            if (rule == 1 || rule == 3 || rule == 4 || rule == 5 || rule == 7)
                engine.zmodem->SetFileOptions(Options.OptZmodemOverride,
                                              rule != 4 && Options.OptZmodemSkipNoFile, rule);
            if (Options.OptZmodemRecover) {
                engine.zmodem->SetConversion(3);
                engine.zmodem->SetRecover(true);
            }
            if (Options.OptBinary) engine.zmodem->SetConversion(1);
            break;
        }
        case kProtoKermit: {
            KermitSettings k;
            k.MaxLen = Options.OptKermitMaxLen;
            k.PadCount = uint8_t(std::clamp(Options.OptKermitPadCount, 0, 255));
            k.PadChar = Options.OptKermitPadChar;
            k.Eol = Options.OptKermitTerminator;
            k.CtlPrefix = Options.OptKermitCtlPrefix;
            k.HighBitPrefix = Options.OptKermitHighbitPrefix;
            k.RepeatPrefix = Options.OptKermitRepeatPrefix;
            if (Options.OptKermitCheck != 1 && Options.OptKermitCheck != 2 &&
                Options.OptKermitCheck != 5)
                Options.OptKermitCheck = 1;
            k.Check = Options.OptKermitCheck;
            k.UseWindows = Options.OptKermitUseWindows;
            k.Windows = Options.OptKermitWindows;
            k.HandshakeRetry = Options.OptHandshakeRetry;
            k.WriteFail = Options.OptWriteFail;
            k.AsName = o.AsName;
            k.DestDir = o.DestDir;
            k.IncludeDirectory = Options.OptIncludeDir;
            engine.kermit = KermitEngine::Create(port, k);
            break;
        }
        default:
            return false;
    }
    if (engine.ascii) engine.proto = &engine.ascii->Proto();
    if (engine.xmodem) engine.proto = &engine.xmodem->Proto();
    if (engine.ymodem) engine.proto = &engine.ymodem->Proto();
    if (engine.zmodem) engine.proto = &engine.zmodem->Proto();
    if (engine.kermit) engine.proto = &engine.kermit->Proto();
    if (!engine.proto) return false;
    engine.type = engine.proto->ProtocolType;
    engine.proto->UpcaseNames = Options.OptUpcaseNames;
    return true;
}

void InstallHooks(TransferPort& port, ProtocolRecord& p) {
    p.SetStatusHook(StatusHook);
    p.SetLogHook(LogHook);
    p.SetBackgroundHook([](ProtocolRecord& r) {
        ui->Background();
        r.Port->FlushBatch();
    });
    port.SetAbortFunction([] { return FrontEnd.CancelRequested || ui->AbortKeyPressed(); });
}

// The first match of a name that may hold wildcards, which must be a file.
bool SendFileExists(const std::string& mask) {
    console::SearchRec rec;
    console::FindFirst(
        mask, console::faReadOnly | console::faHidden | console::faSysFile | console::faArchive,
        rec);
    const bool found = console::dosState.DosError == 0 && !(rec.Attr & console::faDirectory);
    console::FindClose(rec);
    return found;
}

void StartStatusWindow() {
    viewCopy = StatusView{};
    viewCopy.ProtocolNumber = FrontEnd.ProtocolNumber;
    viewCopy.FileName = FrontEnd.TransferFileName;
    viewCopy.StatusText = FrontEnd.StatusText;
    ui->OpenStatusWindow(viewCopy);
}

// Runs one transfer from the port's opening to the engine's end.
void RunTransfer(std::string_view arguments, bool sending, std::string& reply) {
    uint16_t status = 0;
    auto port = TransferPort::OpenDefault(1, 19200, status);
    Engine engine;
    if (!port || !InitProtocol(*port, engine)) {
        reply = "08";
        return;
    }
    ProtocolRecord& p = *engine.proto;
    FrontEnd.CancelRequested = false;
    FrontEnd.TransferStartTicks = console::BiosTicks();
    p.SetFileMask(FrontEnd.TransferFileName);
    p.TransferFileName = sending ? std::string() : FrontEnd.TransferFileName;
    InstallHooks(*port, p);
    if (sending && Options.OptIncludeDir && engine.type == kZmodem)
        p.SetProtocolOptions(kOptionIncludeDirectory);
    if (Options.OptDebugLog) OpenLog(engine.type, sending, arguments);
    StartStatusWindow();
    FrontEnd.Running = true;
    if (engine.xmodem) {
        if (sending)
            engine.xmodem->Transmit();
        else
            engine.xmodem->Receive();
    } else if (engine.ymodem) {
        if (sending)
            engine.ymodem->Transmit();
        else
            engine.ymodem->Receive();
    } else if (engine.zmodem) {
        if (sending)
            engine.zmodem->Transmit();
        else
            engine.zmodem->Receive();
    } else if (engine.ascii) {
        if (sending)
            engine.ascii->Transmit();
        else
            engine.ascii->Receive();
    } else if (engine.kermit) {
        if (sending)
            engine.kermit->Transmit();
        else
            engine.kermit->Receive();
    }
    FrontEnd.Running = false;
    if (!sending && !p.PathName.empty()) Transfer.LastReceivedFile = p.PathName;
    reply = FrontEnd.CancelRequested ? "05" : FrontEnd.TransferReply;
    ui->CloseStatusWindow();
    CloseLog();
}

// The next word of the argument text from pos; quotes hold blanks.
std::string NextWord(std::string_view text, size_t& pos, bool* quoted = nullptr) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos >= text.size()) return {};
    std::string word;
    if (quoted) *quoted = text[pos] == '"';
    if (text[pos] == '"') {
        const size_t close = text.find('"', pos + 1);
        const size_t end = close == std::string_view::npos ? text.size() : close;
        word = std::string(text.substr(pos + 1, end - pos - 1));
        pos = close == std::string_view::npos ? text.size() : close + 1;
    } else {
        const size_t end = std::min(text.find(' ', pos), text.size());
        word = std::string(text.substr(pos, end - pos));
        pos = end;
    }
    // Names longer than a switch are kept whole rather than cut to a
    // different file's name.
    if (!word.empty() && (word[0] == '-' || word[0] == '/') && word.size() > 80) word.resize(80);
    return word;
}

// What a Kermit receive asks the server for: the argument text without its
// switches (a switch sent as a file name would only fail on the host).
std::string KermitRequest(std::string_view arguments) {
    const std::string_view text = arguments.substr(0, std::min<size_t>(arguments.size(), 255));
    std::string request;
    size_t pos = 0;
    for (;;) {
        bool quoted = false;
        const std::string word = NextWord(text, pos, &quoted);
        if (word.empty()) break;
        if (!quoted && (word[0] == '-' || word[0] == '/')) {
            if (word.size() >= 2 && std::toupper(static_cast<unsigned char>(word[1])) == 'W')
                NextWord(text, pos);
            continue;
        }
        if (!request.empty()) request += ' ';
        request += word;
    }
    return request;
}

void ReloadOptions() {
    const commands::SettingsRecord& s = commands::Settings;
    TransferOptions& o = Options;
    o.OptDebugLog = s.XferDebug != 0;
    o.OptLogFileName = "xfer.log";
    o.OptUpcaseNames = s.XferUpcaseNames != 0;
    o.OptIncludeDir = s.XferIncludeDir != 0;
    o.OptAskAs = s.XferAskAs != 0;
    o.OptAsName.clear();
    o.OptDownloadDir = s.DownloadDir.Str();
    o.OptDirLocked = s.DownloadLock == 2;
    o.OptFinishWait = s.XferFinishWait.GetSigned();
    o.OptWriteFail = uint8_t(s.XferWriteFailAction.Get());
    o.OptZmodemFileOption = uint8_t(s.ZmodemFileOption.Get());
    o.OptZmodemOverride = s.ZmodemOptionOverride != 0;
    o.OptZmodemRecover = s.ZmodemRecover != 0;
    o.OptZmodem8K = s.ZmodemOption7177 != 0;
    o.OptZmodemSkipNoFile = s.ZmodemSkipNoFile != 0;
    o.OptZmodemAutoReceive = s.ZmodemAutoReceive != 0;
    o.OptZmodemFinishRetry = s.ZmodemFinishRetry.GetSigned();
    o.OptAsciiCRMode = uint8_t(s.AsciiCRTranslation.Get());
    o.OptAsciiLFMode = uint8_t(s.AsciiLFTranslation.Get());
    o.OptAsciiEol = s.AsciiEolChar;
    o.OptAsciiCharDelay = s.AsciiCharDelay.Get();
    o.OptAsciiLineDelay = s.AsciiLineDelay.Get();
    o.OptAsciiSuppressCtrlZ = s.AsciiSuppressCtrlZ != 0;
    o.OptKermitCheck = uint8_t(s.KermitBlockCheck.Get());
    o.OptKermitMaxLen = s.KermitMaxLen.GetSigned();
    o.OptKermitPadCount = s.KermitPadCount.GetSigned();
    o.OptKermitPadChar = s.KermitPadChar;
    o.OptKermitTerminator = s.KermitTerminator;
    o.OptKermitCtlPrefix = s.KermitCtlPrefix;
    o.OptKermitHighbitPrefix = s.KermitHighbitPrefix;
    o.OptKermitRepeatPrefix = s.KermitRepeatPrefix;
    o.OptKermitUseWindows = s.KermitUseWindows != 0;
    o.OptKermitWindows = s.KermitWindows.GetSigned();
    o.OptKermitAutoReceive = s.KermitAutoReceive != 0;
    o.OptXYBlockWait = s.XYBlockWait.GetSigned();
}

// Runs a command of the given protocol in one direction.
void TransferCommand(uint8_t protocol, bool sending, std::string_view arguments,
                     std::string& reply) {
    reply = "00";
    // A hot key pressed inside a running transfer cannot start another one.
    if (FrontEnd.Running) {
        reply = "07";
        return;
    }
    FrontEnd.ProtocolNumber = protocol;
    TransferSwitches(arguments);
    if (sending)
        ProtocolTransmit(arguments, reply);
    else
        ProtocolReceive(arguments, reply);
}

bool AutoReceiveSwitch(std::string_view arguments, uint8_t& setting, std::string& reply) {
    std::string upper;
    for (char c : arguments) upper += char(std::toupper(static_cast<unsigned char>(c)));
    if (upper != "AUTO-OFF" && upper != "AUTO-ON") return false;
    setting = upper == "AUTO-ON" ? 1 : 0;
    reply = "00";
    return true;
}

}  // namespace

void SetTransferUi(TransferUi* newUi) {
    ui = newUi ? newUi : &windowless;
}

TransferUi& CurrentTransferUi() {
    return *ui;
}

std::string LogProtocolLine(uint8_t engineType, bool sending) {
    const char* name = engineType <= kXmodem1KG ? "XModem"
                       : engineType <= kYmodemG ? "YModem"
                       : engineType == kZmodem  ? "ZModem"
                       : engineType == kKermit  ? "Kermit"
                                                : "ASCII";
    const std::string direction = sending ? "Send" : "Recv";
    const std::string pad = engineType == kAscii ? "   " : "  ";
    return std::string(" Protocol: ") + name + " " + direction + pad + "CmdLine:";
}

void TransferSwitches(std::string_view arguments) {
    FrontEnd.TransferFileName.clear();
    FrontEnd.StatusText = "Initializing";
    FrontEnd.PrevStatusText.clear();
    FrontEnd.TransferLastError.clear();
    FrontEnd.TransferReply = "00";
    FrontEnd.LastLogKind = kNoLogKind;
    FrontEnd.LastLoggedErrors = 0;
    FrontEnd.CancelRequested = false;
    ReloadOptions();
    const std::string_view text = arguments.substr(0, std::min<size_t>(arguments.size(), 255));
    size_t pos = 0;
    uint8_t& number = FrontEnd.ProtocolNumber;
    for (;;) {
        bool quoted = false;
        const std::string word = NextWord(text, pos, &quoted);
        if (word.empty()) break;
        // A quoted word is a name even when it starts like a switch (a
        // folder path on some systems).
        if (quoted || (word[0] != '-' && word[0] != '/')) {
            FrontEnd.TransferFileName = word;
            continue;
        }
        if (word.size() < 2) continue;
        switch (std::toupper(static_cast<unsigned char>(word[1]))) {
            case '1':
                if (number == kProtoKermit) Options.OptKermitCheck = 1;
                break;
            case '2':
                if (number == kProtoKermit) Options.OptKermitCheck = 2;
                break;
            case '3':
                if (number == kProtoKermit) Options.OptKermitCheck = 5;
                break;
            case '8':
                if (number == kProtoZmodem) Options.OptZmodem8K = true;
                break;
            case 'A':
                Options.OptBinary = false;
                break;
            case 'B':
                Options.OptBinary = true;
                break;
            case 'C':
                if (number == kProtoXmodem) number = kProtoXmodemCrc;
                if (number == kProtoKermit) Options.OptKermitCheck = 1;
                break;
            case 'D':
            case 'V':
                Options.OptDebugLog = true;
                break;
            case 'G':
                if (number == kProtoXmodem)
                    number = kProtoXmodem1KG;
                else if (number == kProtoYmodem)
                    number = kProtoYmodemG;
                break;
            case 'K':
                if (number == kProtoXmodem) number = kProtoXmodem1K;
                if (number == kProtoKermit) Options.OptKermitCheck = 5;
                break;
            case 'O':
                Options.OptZmodemFileOption = 4;
                break;
            case 'U':
                Options.OptUpcaseNames = true;
                break;
            case 'W': {
                const std::string count = NextWord(text, pos);
                const int32_t value = std::atoi(count.c_str());
                if (number == kProtoKermit) {
                    Options.OptKermitUseWindows = true;
                    Options.OptKermitWindows = value;
                } else if (number == kProtoZmodem) {
                    Options.OptZmodemUseWindows = true;
                    Options.OptZmodemWindowSize = value;
                }
                break;
            }
            default:
                break;
        }
    }
}

void ProtocolTransmit(std::string_view arguments, std::string& reply) {
    reply = "00";
    if (FrontEnd.TransferFileName.empty()) {
        std::string chosen;
        if (ui->ChooseSendFile(commands::Settings.DownloadDir.Str(), chosen))
            FrontEnd.TransferFileName = chosen;
    }
    if (FrontEnd.TransferFileName.empty() || !SendFileExists(FrontEnd.TransferFileName)) {
        reply = "02";
        return;
    }
    if (Options.OptAskAs) {
        std::string answer;
        if (!ui->AskText("As Name", "Enter host file name", answer) || answer.empty()) {
            Options.OptAskAs = false;
        } else if (!Options.OptIncludeDir) {
            std::replace(answer.begin(), answer.end(), '/', '\\');
            const size_t cut = answer.rfind('\\');
            if (cut != std::string::npos) answer.erase(0, cut + 1);
        }
        Options.OptAsName = answer;
    }
    RunTransfer(arguments, true, reply);
}

void ProtocolReceive(std::string_view arguments, std::string& reply) {
    reply = "00";
    if (FrontEnd.ProtocolNumber == kNoProtocol) {
        reply = "08";
        return;
    }
    const bool xmodem =
        FrontEnd.ProtocolNumber >= kProtoXmodem && FrontEnd.ProtocolNumber <= kProtoXmodem1KG;
    if (xmodem && FrontEnd.TransferFileName.empty()) {
        std::string chosen;
        // Without a name there is nothing to receive into: a cancelled
        // dialog is the user's cancel.
        if (!ui->ChooseSaveFile(Options.OptDownloadDir, chosen) || chosen.empty()) {
            reply = "05";
            return;
        }
        FrontEnd.TransferFileName = chosen;
    }
    if (FrontEnd.ProtocolNumber == kProtoKermit)
        FrontEnd.TransferFileName = KermitRequest(arguments);
    RunTransfer(arguments, false, reply);
}

void RequestCancel() {
    FrontEnd.CancelRequested = true;
    FrontEnd.StatusText = "Cancel requested, aborting";
}

// ---- the commands ----

void AsciiSendCommand(std::string_view arguments, std::string& reply) {
    TransferCommand(kProtoAscii, true, arguments, reply);
}
void KermitSendCommand(std::string_view arguments, std::string& reply) {
    TransferCommand(kProtoKermit, true, arguments, reply);
}
void KermitReceiveCommand(std::string_view arguments, std::string& reply) {
    if (AutoReceiveSwitch(arguments, commands::Settings.KermitAutoReceive, reply)) return;
    TransferCommand(kProtoKermit, false, arguments, reply);
}
void XmodemSendCommand(std::string_view arguments, std::string& reply) {
    TransferCommand(kProtoXmodem, true, arguments, reply);
}
void XmodemReceiveCommand(std::string_view arguments, std::string& reply) {
    TransferCommand(kProtoXmodem, false, arguments, reply);
}
void YmodemSendCommand(std::string_view arguments, std::string& reply) {
    TransferCommand(kProtoYmodem, true, arguments, reply);
}
void YmodemReceiveCommand(std::string_view arguments, std::string& reply) {
    TransferCommand(kProtoYmodem, false, arguments, reply);
}
void ZmodemSendCommand(std::string_view arguments, std::string& reply) {
    TransferCommand(kProtoZmodem, true, arguments, reply);
}
void ZmodemReceiveCommand(std::string_view arguments, std::string& reply) {
    if (AutoReceiveSwitch(arguments, commands::Settings.ZmodemAutoReceive, reply)) return;
    TransferCommand(kProtoZmodem, false, arguments, reply);
}

bool TransferOptionsCommand() {
    TransferSwitches("");
    ui->ShowOptionsDialog();
    return true;
}

}  // namespace transfer
