#pragma once
// What the terminal side uses of the connection layer: the receive ring and
// its readers, the send operations, opening, closing and polling.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace connections {

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

// Per-method connection states.
enum CommStateCode : uint8_t {
    CommStateNotLoaded = 0,
    CommStateClosed = 1,
    CommStateOpening = 2,
    CommStateOpen = 3,
    CommStateDropped = 4,
};

inline constexpr uint32_t ReceiveRingSize = 8192;

// Received bytes; one byte always stays free so equal indexes mean empty.
struct ReceiveRingBuffer {
    std::array<uint8_t, ReceiveRingSize> Bytes{};
    uint32_t WriteIndex = 0;  // next byte to store
    uint32_t ReadIndex = 0;   // next byte to read

    uint32_t Waiting() const {
        return (WriteIndex + ReceiveRingSize - ReadIndex) & (ReceiveRingSize - 1);
    }
    uint32_t Free() const { return ReceiveRingSize - 1 - Waiting(); }
};

struct CommLayerState {
    ReceiveRingBuffer ReceiveRing;
    bool ReceiveOverflow = false;            // set when the ring overflowed
    std::array<uint8_t, 8> CommState{};      // one CommStateCode per method
    uint8_t CurrentMethod = CommMethodNone;  // the method CommOpen last selected
    std::string HostIpText;                  // peer's dotted address, at most 20
    std::string ConnectionDescription;       // shown in the window title
    std::string ConnectedHostName;           // shown in the window title
    uint32_t QuietWaitStart = 0;             // millisecond count of the last arrival
    uint8_t ReceiveWaitMode = 0;             // POLL n sets n - 1
    uint8_t SrpLastReply = 0;                // 2 = the host logged the user in
    bool CommVerbose = false;                // the /V switch
    int32_t LastError = 0;
};
extern CommLayerState CommLayer;
void ResetCommLayer();

// Stores received bytes at the write index as the connection layer does;
// bytes that do not fit set ReceiveOverflow. Returns the count stored.
size_t StoreReceivedBytes(const uint8_t* bytes, size_t count);

// True when more than n received bytes wait (n = 0: at least one).
bool CommInputReady(uint32_t n);

// The next received byte (0..255), or CommNothingReceived when none waits,
// so that a real 0xFF byte is never mistaken for "nothing".
inline constexpr int CommNothingReceived = -1;
int CommReadChar(bool sevenBit, bool skipNul);

// Copies waiting bytes in lowest..highest to destination, at most maximum and
// at most to the end of the ring's storage; returns the count.
uint32_t CommReadRun(uint8_t* destination, uint32_t maximum, uint8_t lowest, uint8_t highest);

// Receives what is pending, then the number of bytes waiting.
uint32_t CommBytesWaiting();

bool CommSendByte(uint8_t b);
bool CommSendString(std::string_view text);  // bytes, at most 255
bool CommSendBlock(const uint8_t* buffer, size_t length);

void CommPoll();
void CommPollReceive();
uint32_t CommOpen(bool flag);  // 0 or a connection error code
void CommClose();
void CommShutdown();
std::string CommErrorText(uint8_t code);  // message 12000 + code
int16_t CommLastError();
bool CommIsOpen();
void CommSendBreak();
void CommBreakCancel();
bool CommFlowKeysLocal();
void CommSetXon();
void CommDropped(bool exitAllowed);
void TapiClose();
void TelnetSendWindowSize(int columns, int rows);
std::string GetLocalHostName();
void RloginUrgentData();

}  // namespace connections
