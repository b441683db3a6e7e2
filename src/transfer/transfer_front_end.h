#pragma once
// The transfer front end: a transfer command turned into one run of an
// engine, with the options reloaded from the settings and changed by the
// command's switches, the hooks that connect the engine to the status
// window and the log, and the two-character reply.
#include <cstdint>
#include <string>
#include <string_view>

#include "transfer/transfer_interface.h"

namespace transfer {

// The protocol numbers of the commands and the options dialog.
enum ProtocolNumberCode : uint8_t {
    kNoProtocol = 0,
    kProtoAscii = 1,
    kProtoKermit = 2,
    kProtoXmodem = 3,
    kProtoXmodemCrc = 4,
    kProtoXmodem1K = 5,
    kProtoXmodem1KG = 6,
    kProtoYmodem = 7,
    kProtoYmodemG = 8,
    kProtoZmodem = 9,
};

struct TransferOptions {
    bool OptDebugLog = false;
    std::string OptLogFileName = "xfer.log";
    bool OptUpcaseNames = false;
    bool OptIncludeDir = false;
    bool OptAskAs = false;
    std::string OptAsName;
    std::string OptDownloadDir;
    bool OptDirLocked = false;
    int32_t OptFinishWait = 0;
    uint8_t OptWriteFail = 1;
    bool OptBinary = false;
    uint8_t OptZmodemFileOption = 0;
    bool OptZmodemOverride = false;
    bool OptZmodemRecover = false;
    bool OptZmodem8K = false;
    bool OptZmodemSkipNoFile = false;
    bool OptZmodemAutoReceive = false;
    int32_t OptZmodemFinishRetry = 0;
    bool OptZmodemUseWindows = false;
    int32_t OptZmodemWindowSize = 0;
    uint8_t OptAsciiCRMode = 0;
    uint8_t OptAsciiLFMode = 0;
    uint8_t OptAsciiEol = 13;
    int32_t OptAsciiCharDelay = 0;
    int32_t OptAsciiLineDelay = 0;
    bool OptAsciiSuppressCtrlZ = false;
    uint8_t OptKermitCheck = 1;
    int32_t OptKermitMaxLen = 0;
    int32_t OptKermitPadCount = 0;
    uint8_t OptKermitPadChar = 0;
    uint8_t OptKermitTerminator = 13;
    uint8_t OptKermitCtlPrefix = '#';
    uint8_t OptKermitHighbitPrefix = '&';
    uint8_t OptKermitRepeatPrefix = '~';
    bool OptKermitUseWindows = false;
    int32_t OptKermitWindows = 0;
    bool OptKermitAutoReceive = false;
    int32_t OptXYBlockWait = 0;
    int32_t OptHandshakeRetry = 0;
};
extern TransferOptions Options;

// No log line written yet in this transfer: differs from every log kind, so
// that the first one is written even when it is a receive's start (kind 0).
inline constexpr uint8_t kNoLogKind = 0xFF;

// The state of the transfer command that runs (or ran last).
struct FrontEndState {
    uint8_t ProtocolNumber = kNoProtocol;
    std::string TransferFileName;
    std::string StatusText = "Initializing";
    std::string PrevStatusText;
    std::string TransferLastError;
    std::string TransferReply = "00";
    uint8_t LastLogKind = kNoLogKind;
    int32_t LastLoggedErrors = 0;
    bool CancelRequested = false;
    bool Running = false;
    int32_t TransferStartTicks = 0;
};
extern FrontEndState FrontEnd;

// Reloads the options from the settings and applies the switches of the
// argument text; a plain word becomes the file name.
void TransferSwitches(std::string_view arguments);

// The whole of one transfer, sending or receiving, with the protocol
// number already set.
void ProtocolTransmit(std::string_view arguments, std::string& reply);
void ProtocolReceive(std::string_view arguments, std::string& reply);

// The status window's cancel button.
void RequestCancel();

// The log's first lines name the protocol by engine type and direction.
std::string LogProtocolLine(uint8_t engineType, bool sending);

}  // namespace transfer
