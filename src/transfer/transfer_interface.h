#pragma once
// What the terminal side uses of the file-transfer subsystem: the protocol
// commands, the terminal's own Kermit and its start-up initialisation.
// A transfer runs to its end inside the call.
#include <string>
#include <string_view>

namespace transfer {

struct TransferState {
    std::string LastReceivedFile;  // full path of the last received file
};
extern TransferState Transfer;
void ResetTransfer();

// Sets the terminal Kermit's flags and parameter defaults; called once by
// the program entry before the main routine.
void InitKermit();

// Each runs one transfer with the option and file-name text given (at most
// 255 bytes); reply is "00" or empty on success, any other text on failure.
void AsciiSendCommand(std::string_view arguments, std::string& reply);
void KermitSendCommand(std::string_view arguments, std::string& reply);
void KermitReceiveCommand(std::string_view arguments, std::string& reply);
void XmodemSendCommand(std::string_view arguments, std::string& reply);
void XmodemReceiveCommand(std::string_view arguments, std::string& reply);
void YmodemSendCommand(std::string_view arguments, std::string& reply);
void YmodemReceiveCommand(std::string_view arguments, std::string& reply);
void ZmodemSendCommand(std::string_view arguments, std::string& reply);
void ZmodemReceiveCommand(std::string_view arguments, std::string& reply);

bool TransferOptionsCommand();
bool KermitSendFiles(std::string_view arguments, bool messages);
bool KermitReceiveFiles(std::string_view arguments, bool messages);
bool KermitRemoteCommand(std::string_view arguments);

}  // namespace transfer
