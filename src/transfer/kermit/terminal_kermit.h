#pragma once
// The terminal's own Kermit: its link layer over the host link (timed reads
// that watch the keyboard, packets sent and received whole), its Send-Init
// parameters and their negotiation, and the status box it draws on the
// terminal screen. The commands KSND, KRCV and KCOMMAND run on top of it; one
// transfer at a time.
#include <cstdint>
#include <string>
#include <string_view>

namespace transfer::terminal_kermit {

// The receive buffer: a packet announcing more data is refused.
inline constexpr size_t kMaxData = 2048;

struct Parameters {
    uint8_t MaxLen = 94;
    uint8_t Timeout = 60;
    uint8_t PadCount = 0;
    uint8_t PadChar = 0;
    uint8_t Eol = 13;
    uint8_t CtlPrefix = '#';
    uint8_t HighBitPrefix = 'Y';
    uint8_t CheckType = '1';
    uint8_t RepeatPrefix = '~';
    uint8_t Capabilities = 2;
    uint8_t WindowSize = 0;
    uint16_t MaxLenExt = 2048;
};

// Keyboard interrupts of a running transfer.
enum Interrupt : uint8_t { kNone = 0, kSkipFile = 1, kCancelBatch = 2, kQuit = 3, kSendError = 4 };

struct State {
    Parameters Own;
    Parameters Remote;
    // The longest packet this side may send, as the other side accepts it.
    uint16_t SendMax = 94;
    uint8_t Seq = 0;
    uint8_t SentType = 0;
    uint8_t ReceivedType = 0;
    uint8_t ReceivedSeq = 0;
    std::string SendData;
    std::string ReceivedData;
    int32_t Retries = 0;
    uint8_t Step = 0;  // the command's state number
    uint8_t InterruptCode = kNone;
    bool BoxOpen = false;
    int32_t SavedRow = 1;
    int32_t SavedCol = 1;
};
extern State Kermit;

// This side's parameters for a new command.
void KermitDefaults();
// One received byte when one waits (bit 7 cleared on a seven-bit serial line).
bool KermitReadByte(uint8_t& c);
// Waits for a byte until the other side's time-out, watching the keyboard.
bool KermitTimedRead(uint8_t& c);
// The host echoes what it gets (full duplex on a host of type 4): each packet
// waits for its mark to come back and drops the echo after it.
bool EchoMode();
// Sends SendData as a packet of SentType with the current sequence.
void KermitSendPacket();
// True when a packet with a good check arrived (type, sequence and data kept).
bool KermitReceivePacket();
// Empty data, the next sequence, sent.
void KermitSendTyped(uint8_t type);
// "Y" with one character of data for the next sequence.
void KermitAckWith(char c);
// Sends again until an answer "Y" or "E" comes, n tries; the state becomes 6
// (abort) when they run out or the answer is an error.
void KermitSendRetry(int32_t n);
// This side's Send-Init data (sequence 0).
void KermitBuildInit();
// The other side's Send-Init from the received data.
void KermitReadInit();

// The status box and the text at the cursor.
void OpenStatusBox(bool sending);
void CloseStatusBox();
void BoxText(int32_t row, int32_t column, std::string_view text);
void BoxNumber(int32_t row, int32_t value);
void WriteAtCursor(std::string_view text, bool newLine = true);
void KermitStatusLine(std::string_view text);
std::string Message(uint16_t id);

// The "as" name of a file a pattern found: the pieces its wildcards matched
// in place of the "as" pattern's wildcards (at most 8); empty when the name
// does not fit the pattern.
std::string KermitAsName(std::string_view pattern, std::string_view name,
                         std::string_view asPattern);

// Data encoding of the terminal Kermit: prefixes as negotiated.
std::string EncodeFileData(const uint8_t* data, size_t length, size_t& used, size_t capacity);
std::string DecodePacketData(std::string_view data);

}  // namespace transfer::terminal_kermit
