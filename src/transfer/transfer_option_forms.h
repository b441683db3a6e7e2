#pragma once
// What the protocol options dialog and its four per-protocol forms show and
// store: each form's values as its controls hold them (edit texts, check
// states, list and radio indexes), loaded from the front end's options and
// stored into both the options and the settings record on OK.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace transfer {

// The main dialog.
struct ProtocolOptionsForm {
    bool IncludeDirectory = false;
    bool AskAs = false;
    int ProtocolIndex = 0;  // the protocol number; only chooses the form Configure opens
    std::string HandshakeRetry;
    bool UpcaseFileNames = false;
    bool Debug = false;
    std::string DebugFileName;
    std::string DestinationDir;
    bool LockDirectory = false;
    int WriteFailAction = 0;
    std::string FinishWait;
};

struct XyOptionsForm {
    std::string BlockWait;
};

struct ZmodemOptionsForm {
    int FileOption = 0;
    std::string FinishRetry;
    bool OptionOverride = false;
    bool Recover = false;
    bool SkipNoFile = false;
    bool AutoReceive = false;
    bool UseWindows = false;
    std::string WindowSize;
};

struct AsciiOptionsForm {
    std::string CharDelay;
    std::string LineDelay;
    int CRMode = 0;
    int LFMode = 0;
    std::string EolChar;
    bool StopOnCtrlZ = false;
};

struct KermitOptionsForm {
    int CheckIndex = 0;  // 0 one-byte checksum, 1 two-byte, 2 CRC; -1 none chosen
    std::string PadCount;
    std::string PadChar;
    std::string HighbitPrefix;
    std::string RepeatPrefix;
    std::string ControlPrefix;
    std::string MaxLen;
    std::string Terminator;
    bool UseWindows = false;
    std::string Windows;
    bool AutoReceive = false;
};

// The form that Configure opens for a protocol number.
enum class ProtocolForm : uint8_t { None, Ascii, Kermit, XyModem, Zmodem };
ProtocolForm ConfigureFormFor(int protocolIndex);

// Each Load shows the current options; each Store keeps the values of the
// form in the options and the settings. An edit whose text is not a number
// in the field's range keeps the old value.
ProtocolOptionsForm LoadProtocolOptionsForm(uint8_t protocolNumber);
void StoreProtocolOptionsForm(const ProtocolOptionsForm& form);
XyOptionsForm LoadXyOptionsForm();
void StoreXyOptionsForm(const XyOptionsForm& form);
ZmodemOptionsForm LoadZmodemOptionsForm();
void StoreZmodemOptionsForm(const ZmodemOptionsForm& form);
AsciiOptionsForm LoadAsciiOptionsForm();
void StoreAsciiOptionsForm(const AsciiOptionsForm& form);
KermitOptionsForm LoadKermitOptionsForm();
void StoreKermitOptionsForm(const KermitOptionsForm& form);

// The directory chooser's text rule: a backslash added unless the text ends
// in ":" or "\" (a closing double quote stays after the added backslash).
std::string DirectoryWithSlash(std::string_view directory);

// The items of the dialogs' lists and radio groups, in index order.
const std::vector<std::string>& ProtocolListItems();
const std::vector<std::string>& WriteFailItems();
const std::vector<std::string>& ZmodemFileOptionItems();

}  // namespace transfer
