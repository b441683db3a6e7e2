#include "transfer/transfer_option_forms.h"

#include <charconv>

#include "commands/settings_record.h"
#include "transfer/transfer_front_end.h"

namespace transfer {

namespace {

std::string Decimal(int64_t value) {
    return std::to_string(value);
}

// The number the text holds when it is one (blanks around it allowed) and
// lies in [low, high]; otherwise the old value.
template <typename T>
T NumberOr(const std::string& text, T old, int64_t low, int64_t high) {
    size_t begin = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    if (begin == std::string::npos) return old;
    int64_t value = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || value < low || value > high) return old;
    return T(value);
}

constexpr int64_t kInt32Max = 0x7FFFFFFF;
constexpr int64_t kInt32Min = -kInt32Max - 1;

int ListIndex(int index, int count, int old) {
    return index >= 0 && index < count ? index : old;
}

}  // namespace

ProtocolForm ConfigureFormFor(int protocolIndex) {
    switch (protocolIndex) {
        case kProtoAscii:
            return ProtocolForm::Ascii;
        case kProtoKermit:
            return ProtocolForm::Kermit;
        case kProtoXmodem:
        case kProtoXmodemCrc:
        case kProtoXmodem1K:
        case kProtoXmodem1KG:
        case kProtoYmodem:
        case kProtoYmodemG:
            return ProtocolForm::XyModem;
        case kProtoZmodem:
            return ProtocolForm::Zmodem;
        default:
            return ProtocolForm::None;
    }
}

ProtocolOptionsForm LoadProtocolOptionsForm(uint8_t protocolNumber) {
    const TransferOptions& o = Options;
    ProtocolOptionsForm f;
    f.IncludeDirectory = o.OptIncludeDir;
    f.AskAs = o.OptAskAs;
    f.ProtocolIndex = protocolNumber < ProtocolListItems().size() ? protocolNumber : 0;
    f.HandshakeRetry = Decimal(o.OptHandshakeRetry);
    f.UpcaseFileNames = o.OptUpcaseNames;
    f.Debug = o.OptDebugLog;
    f.DebugFileName = o.OptLogFileName;
    f.DestinationDir = o.OptDownloadDir;
    f.LockDirectory = commands::Settings.DownloadLock == 2;
    f.WriteFailAction = o.OptWriteFail < WriteFailItems().size() ? o.OptWriteFail : 0;
    f.FinishWait = Decimal(o.OptFinishWait);
    return f;
}

void StoreProtocolOptionsForm(const ProtocolOptionsForm& f) {
    TransferOptions& o = Options;
    commands::SettingsRecord& s = commands::Settings;
    o.OptIncludeDir = f.IncludeDirectory;
    s.XferIncludeDir = f.IncludeDirectory;
    o.OptAskAs = f.AskAs;
    s.XferAskAs = f.AskAs;
    o.OptHandshakeRetry = NumberOr(f.HandshakeRetry, o.OptHandshakeRetry, 0, kInt32Max);
    o.OptUpcaseNames = f.UpcaseFileNames;
    s.XferUpcaseNames = f.UpcaseFileNames;
    o.OptDebugLog = f.Debug;
    s.XferDebug = f.Debug;
    o.OptLogFileName = f.DebugFileName;
    // The settings hold at most 255 characters; a longer folder is refused
    // rather than cut to another folder's name.
    if (f.DestinationDir.size() <= 255) {
        o.OptDownloadDir = f.DestinationDir;
        s.DownloadDir = f.DestinationDir;
    }
    o.OptDirLocked = f.LockDirectory;
    s.DownloadLock = f.LockDirectory ? 2 : 0;
    o.OptWriteFail =
        uint8_t(ListIndex(f.WriteFailAction, int(WriteFailItems().size()), o.OptWriteFail));
    s.XferWriteFailAction.Set(o.OptWriteFail);
    o.OptFinishWait = NumberOr(f.FinishWait, o.OptFinishWait, kInt32Min, kInt32Max);
    s.XferFinishWait.SetSigned(o.OptFinishWait);
}

XyOptionsForm LoadXyOptionsForm() {
    return {Decimal(Options.OptXYBlockWait)};
}

void StoreXyOptionsForm(const XyOptionsForm& f) {
    Options.OptXYBlockWait = NumberOr(f.BlockWait, Options.OptXYBlockWait, kInt32Min, kInt32Max);
    commands::Settings.XYBlockWait.SetSigned(Options.OptXYBlockWait);
}

ZmodemOptionsForm LoadZmodemOptionsForm() {
    const TransferOptions& o = Options;
    ZmodemOptionsForm f;
    f.FileOption =
        o.OptZmodemFileOption < ZmodemFileOptionItems().size() ? o.OptZmodemFileOption : 0;
    f.FinishRetry = Decimal(o.OptZmodemFinishRetry);
    f.OptionOverride = o.OptZmodemOverride;
    f.Recover = o.OptZmodemRecover;
    f.SkipNoFile = o.OptZmodemSkipNoFile;
    f.AutoReceive = o.OptZmodemAutoReceive;
    f.UseWindows = o.OptZmodemUseWindows;
    f.WindowSize = Decimal(o.OptZmodemWindowSize);
    return f;
}

void StoreZmodemOptionsForm(const ZmodemOptionsForm& f) {
    TransferOptions& o = Options;
    commands::SettingsRecord& s = commands::Settings;
    o.OptZmodemFileOption = uint8_t(
        ListIndex(f.FileOption, int(ZmodemFileOptionItems().size()), o.OptZmodemFileOption));
    s.ZmodemFileOption.Set(o.OptZmodemFileOption);
    o.OptZmodemFinishRetry = NumberOr(f.FinishRetry, o.OptZmodemFinishRetry, kInt32Min, kInt32Max);
    s.ZmodemFinishRetry.SetSigned(o.OptZmodemFinishRetry);
    o.OptZmodemOverride = f.OptionOverride;
    s.ZmodemOptionOverride = f.OptionOverride;
    o.OptZmodemRecover = f.Recover;
    s.ZmodemRecover = f.Recover;
    o.OptZmodemSkipNoFile = f.SkipNoFile;
    s.ZmodemSkipNoFile = f.SkipNoFile;
    o.OptZmodemAutoReceive = f.AutoReceive;
    s.ZmodemAutoReceive = f.AutoReceive;
    o.OptZmodemUseWindows = f.UseWindows;
    s.ZmodemUseWindows = f.UseWindows;
    o.OptZmodemWindowSize = NumberOr(f.WindowSize, o.OptZmodemWindowSize, 0, kInt32Max);
    s.ZmodemWindowSize.SetSigned(o.OptZmodemWindowSize);
}

AsciiOptionsForm LoadAsciiOptionsForm() {
    const TransferOptions& o = Options;
    AsciiOptionsForm f;
    f.CharDelay = Decimal(o.OptAsciiCharDelay);
    f.LineDelay = Decimal(o.OptAsciiLineDelay);
    f.CRMode = o.OptAsciiCRMode <= 2 ? o.OptAsciiCRMode : 0;
    f.LFMode = o.OptAsciiLFMode <= 2 ? o.OptAsciiLFMode : 0;
    f.EolChar = Decimal(o.OptAsciiEol);
    f.StopOnCtrlZ = o.OptAsciiSuppressCtrlZ;
    return f;
}

void StoreAsciiOptionsForm(const AsciiOptionsForm& f) {
    TransferOptions& o = Options;
    commands::SettingsRecord& s = commands::Settings;
    o.OptAsciiCharDelay = NumberOr(f.CharDelay, o.OptAsciiCharDelay, 0, 9999);
    s.AsciiCharDelay.Set(uint16_t(o.OptAsciiCharDelay));
    o.OptAsciiLineDelay = NumberOr(f.LineDelay, o.OptAsciiLineDelay, 0, 9999);
    s.AsciiLineDelay.Set(uint16_t(o.OptAsciiLineDelay));
    o.OptAsciiCRMode = uint8_t(ListIndex(f.CRMode, 3, o.OptAsciiCRMode));
    s.AsciiCRTranslation.Set(o.OptAsciiCRMode);
    o.OptAsciiLFMode = uint8_t(ListIndex(f.LFMode, 3, o.OptAsciiLFMode));
    s.AsciiLFTranslation.Set(o.OptAsciiLFMode);
    o.OptAsciiEol = NumberOr(f.EolChar, o.OptAsciiEol, 0, 255);
    s.AsciiEolChar = o.OptAsciiEol;
    o.OptAsciiSuppressCtrlZ = f.StopOnCtrlZ;
    s.AsciiSuppressCtrlZ = f.StopOnCtrlZ;
}

KermitOptionsForm LoadKermitOptionsForm() {
    const TransferOptions& o = Options;
    KermitOptionsForm f;
    f.CheckIndex = o.OptKermitCheck == 1   ? 0
                   : o.OptKermitCheck == 2 ? 1
                   : o.OptKermitCheck == 5 ? 2
                                           : -1;
    f.PadCount = Decimal(o.OptKermitPadCount);
    f.PadChar = Decimal(o.OptKermitPadChar);
    f.HighbitPrefix = Decimal(o.OptKermitHighbitPrefix);
    f.RepeatPrefix = Decimal(o.OptKermitRepeatPrefix);
    f.ControlPrefix = Decimal(o.OptKermitCtlPrefix);
    f.MaxLen = Decimal(o.OptKermitMaxLen);
    f.Terminator = Decimal(o.OptKermitTerminator);
    f.UseWindows = o.OptKermitUseWindows;
    f.Windows = Decimal(o.OptKermitWindows);
    f.AutoReceive = o.OptKermitAutoReceive;
    return f;
}

void StoreKermitOptionsForm(const KermitOptionsForm& f) {
    TransferOptions& o = Options;
    commands::SettingsRecord& s = commands::Settings;
    static constexpr uint8_t kChecks[] = {1, 2, 5};
    if (f.CheckIndex >= 0 && f.CheckIndex < 3) o.OptKermitCheck = kChecks[f.CheckIndex];
    s.KermitBlockCheck.Set(o.OptKermitCheck);
    o.OptKermitPadCount = NumberOr(f.PadCount, o.OptKermitPadCount, 0, kInt32Max);
    s.KermitPadCount.SetSigned(o.OptKermitPadCount);
    o.OptKermitPadChar = NumberOr(f.PadChar, o.OptKermitPadChar, 0, 255);
    s.KermitPadChar = o.OptKermitPadChar;
    o.OptKermitHighbitPrefix = NumberOr(f.HighbitPrefix, o.OptKermitHighbitPrefix, 0, 255);
    s.KermitHighbitPrefix = o.OptKermitHighbitPrefix;
    o.OptKermitRepeatPrefix = NumberOr(f.RepeatPrefix, o.OptKermitRepeatPrefix, 0, 255);
    s.KermitRepeatPrefix = o.OptKermitRepeatPrefix;
    o.OptKermitCtlPrefix = NumberOr(f.ControlPrefix, o.OptKermitCtlPrefix, 0, 255);
    s.KermitCtlPrefix = o.OptKermitCtlPrefix;
    o.OptKermitMaxLen = NumberOr(f.MaxLen, o.OptKermitMaxLen, 0, kInt32Max);
    s.KermitMaxLen.SetSigned(o.OptKermitMaxLen);
    o.OptKermitTerminator = NumberOr(f.Terminator, o.OptKermitTerminator, 0, 255);
    s.KermitTerminator = o.OptKermitTerminator;
    o.OptKermitUseWindows = f.UseWindows;
    s.KermitUseWindows = f.UseWindows;
    o.OptKermitWindows = NumberOr(f.Windows, o.OptKermitWindows, 0, kInt32Max);
    s.KermitWindows.SetSigned(o.OptKermitWindows);
    o.OptKermitAutoReceive = f.AutoReceive;
    s.KermitAutoReceive = f.AutoReceive;
}

std::string DirectoryWithSlash(std::string_view directory) {
    std::string text(directory);
    const bool quoted = !text.empty() && text.back() == '"';
    if (quoted) text.pop_back();
    // No folder at all stays none rather than becoming the drive's root.
    if (!text.empty() && text.back() != ':' && text.back() != '\\') text += '\\';
    if (quoted) text += '"';
    return text;
}

const std::vector<std::string>& ProtocolListItems() {
    static const std::vector<std::string> items = {"No protocol", "Ascii",    "Kermit",    "XModem",
                                                   "XModemCRC",   "XModem1K", "XModem1KG", "YModem",
                                                   "YModemG",     "ZModem"};
    return items;
}

const std::vector<std::string>& WriteFailItems() {
    static const std::vector<std::string> items = {"Fail the attempt", "Rename the existing file",
                                                   "Overwrite the existing file", "Resume"};
    return items;
}

const std::vector<std::string>& ZmodemFileOptionItems() {
    static const std::vector<std::string> items = {"No options",
                                                   "Transfer if new, newer or longer",
                                                   "Transfer if newer",
                                                   "Transfer if new, append if already exists ",
                                                   "Transfer regardless",
                                                   "Transfer if new or newer",
                                                   "Transfer if new or different date or length",
                                                   "Transfer only if new"};
    return items;
}

}  // namespace transfer
