#pragma once
// What the rest of the program uses of the connection layer: free functions
// over the program's one `connectionLayer`, shaped as the terminal side calls
// them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "connections/receive_ring.h"

namespace platform {
class Transport;
}

namespace connections {

struct ReceiveRing;
class ConnectSequence;
class ConnectionHost;

// Connection methods as the settings byte CommMethod holds them.
enum CommMethodCode : uint8_t {
    CommMethodNone = 0,
    CommMethodSerial = 1,
    CommMethodTelnet = 2,
    CommMethodPicLan = 4,
    CommMethodRlogin = 5,
    CommMethodModem = 6,
    CommMethodSsh = 7,
};

// Flags the terminal side keeps about its reading of the connection.
struct CommInterfaceState {
    bool ReceiveOverflow = false;  // the host data receiver's buffer overflowed
};
extern CommInterfaceState CommLayer;
// Resets these flags and the program's connection layer (its debug log
// has its own reset).
void ResetCommLayer();

// The neighbours `connectionLayer` reaches (title, exit code, messages, debug
// log), given by the composition; null restores the do-nothing host.
void SetProgramConnectionHost(ConnectionHost* host);

// Joins the platform's sockets to `connectionLayer`; a null transport leaves
// the socket methods unavailable.
void AttachProgramConnection(platform::Transport* sockets);

// How the program runs the connect steps (the platform's CONNECT dialog);
// null polls them to the end. The program's host asks for it at each connect.
using ConnectRunner = bool (*)(ConnectSequence& sequence, platform::Transport& sockets,
                               ConnectionHost& host);
void SetConnectRunner(ConnectRunner runner);
ConnectRunner ProgramConnectRunner();

// True when more than n received bytes wait (n = 0: at least one).
bool CommInputReady(uint32_t n);

// The next received byte (0..255), or CommNothingReceived when none waits,
// so that a real 0xFF byte is never mistaken for "nothing".
inline constexpr int CommNothingReceived = kNoByte;
int CommReadChar(bool sevenBit, bool skipNul);

// Which waiting bytes CommPeekData hands out: those that, ANDed with Mask,
// lie in Lowest..Highest; with TakeStopper also the first byte outside. The
// first Unchecked bytes are handed out whatever their value.
struct CommDataRange {
    uint8_t Mask = 0xFF;
    uint8_t Lowest = 0x00;
    uint8_t Highest = 0xFF;
    bool TakeStopper = false;
    uint8_t Unchecked = 0;
};
// The waiting bytes, at most maximum and within range, that CommInputReady(0)
// and CommReadChar(sevenBit, skipNul) would hand out one by one as plain data
// (bit 7 not yet stripped), contiguous at bytes; 0 when the next byte needs
// the byte reader (protocol bytes, a dropped NUL, an empty ring, ...).
// stopped: the bytes end at (or, with TakeStopper, with) a plain byte outside
// the range. CommTakeData(n) then takes the first n of them.
uint32_t CommPeekData(bool skipNul, uint32_t maximum, const CommDataRange& range,
                      const uint8_t*& bytes, bool& stopped);
void CommTakeData(uint32_t count);
// Where the waiting plain data starts, how many bytes lie contiguously from
// there and the ring's flush count, without looking at the bytes: a reader
// holding bytes it peeked earlier checks with it that they are still the
// head. 0 when CommPeekData would hand out nothing whatever the bytes.
uint32_t CommDataHead(const uint8_t*& bytes, uint32_t& flushes);
// Steps back over the last count bytes read as data, so that they are read
// again; false, with nothing changed, when not all of them were data.
bool CommUnreadBytes(uint32_t count);

// Copies waiting bytes in lowest..highest to destination, at most maximum and
// at most to the end of the ring's storage; returns the count.
uint32_t CommReadRun(uint8_t* destination, uint32_t maximum, uint8_t lowest, uint8_t highest);

// Receives what is pending, then the number of bytes waiting.
uint32_t CommBytesWaiting();
void CommFlushInput();

[[nodiscard]] bool CommSendByte(uint8_t b);
[[nodiscard]] bool CommSendString(std::string_view text);  // bytes, at most 255
[[nodiscard]] bool CommSendBlock(const uint8_t* buffer, size_t length);

void CommPoll();
void CommPollReceive();
// Takes the layer's settings from the settings record, then opens; 0 or a
// connection error code.
[[nodiscard]] uint32_t CommOpen(bool flag);
void CommClose();
void CommShutdown();
std::string CommErrorText(uint8_t code);  // message 12000 + code
int16_t CommLastError();
bool CommIsOpen();
void CommSendBreak();
void CommBreakCancel();
bool CommFlowKeysLocal();
void CommDropped(bool exitAllowed);
void TelnetSendWindowSize(int columns, int rows);
std::string GetLocalHostName();
// The dotted local address of the socket connection, empty when none.
std::string CommLocalIpAddress();
void SetCommVerbose(bool on);
bool CommVerbose();
// The name of the host the socket connection reached.
std::string CommConnectedHostName();
void CommClearLastError();

// The received bytes as they wait, for readers that look back over what was
// read (prompt and wait-for matching) without consuming anything.
const ReceiveRing& CommReceiveRing();
// Stores bytes in the ring as a receive would; returns how many fit. For
// tests and for feeding the terminal from a local source.
size_t StoreReceivedBytes(const uint8_t* bytes, size_t count);
// A byte typed on a half-duplex line joins the received history, marked with
// bit 7, when nothing waits, so that prompt matching sees it; no reader ever
// takes it.
void CommEchoTypedByte(uint8_t b);
// Serial and modem lines resume output as if XON had arrived; other methods
// have nothing to resume.
void CommSetXon();
// The host's last answer to the Telnet authentication (2: it logged the user
// in); 0 when no authentication ran.
uint8_t CommSrpLastReply();

}  // namespace connections
