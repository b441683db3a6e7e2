// Stand-in for the connection layer until its methods exist: the receive
// ring and its readers are real; no method can be opened yet, so the
// connection stays closed and every send fails.
#include <algorithm>

#include "connections/comm_interface.h"

namespace connections {

CommLayerState CommLayer;

void ResetCommLayer() {
    CommLayer = CommLayerState{};
}

namespace {

// Connection error 6: "Bad or missing communications DLL".
constexpr uint32_t NoMethodAvailable = 6;

constexpr uint32_t RingMask = ReceiveRingSize - 1;

}  // namespace

size_t StoreReceivedBytes(const uint8_t* bytes, size_t count) {
    ReceiveRingBuffer& ring = CommLayer.ReceiveRing;
    size_t stored = 0;
    while (stored < count && ring.Free() > 0) {
        ring.Bytes[ring.WriteIndex] = bytes[stored++];
        ring.WriteIndex = (ring.WriteIndex + 1) & RingMask;
    }
    if (stored < count) CommLayer.ReceiveOverflow = true;
    return stored;
}

bool CommInputReady(uint32_t n) {
    uint32_t waiting = CommLayer.ReceiveRing.Waiting();
    return n == 0 ? waiting > 0 : waiting > n;
}

int CommReadChar(bool sevenBit, bool skipNul) {
    ReceiveRingBuffer& ring = CommLayer.ReceiveRing;
    while (ring.Waiting() > 0) {
        uint8_t b = ring.Bytes[ring.ReadIndex];
        ring.ReadIndex = (ring.ReadIndex + 1) & RingMask;
        if (sevenBit) b &= 0x7F;
        if (skipNul && b == 0) continue;
        return b;
    }
    return CommNothingReceived;
}

uint32_t CommReadRun(uint8_t* destination, uint32_t maximum, uint8_t lowest, uint8_t highest) {
    CommInputReady(maximum);
    ReceiveRingBuffer& ring = CommLayer.ReceiveRing;
    // Only up to the end of the storage: callers loop for the rest.
    uint32_t limit = std::min(ring.Waiting(), ReceiveRingSize - ring.ReadIndex);
    limit = std::min(limit, maximum);
    uint32_t count = 0;
    while (count < limit) {
        uint8_t b = ring.Bytes[ring.ReadIndex];
        if (b < lowest || b > highest) break;
        destination[count++] = b;
        ring.ReadIndex = (ring.ReadIndex + 1) & RingMask;
    }
    return count;
}

uint32_t CommBytesWaiting() {
    return CommLayer.ReceiveRing.Waiting();
}

bool CommSendByte(uint8_t) {
    return false;
}
bool CommSendString(std::string_view) {
    return false;
}
bool CommSendBlock(const uint8_t*, size_t) {
    return false;
}

void CommPoll() {}
void CommPollReceive() {}

uint32_t CommOpen(bool) {
    CommLayer.HostIpText.clear();
    return NoMethodAvailable;
}

void CommClose() {}
void CommShutdown() {}

std::string CommErrorText(uint8_t code) {
    // The connection layer's own texts come with it; until then the code.
    return "Connection error " + std::to_string(code);
}

int16_t CommLastError() {
    return static_cast<int16_t>(CommLayer.LastError & 0xFFFF);
}

bool CommIsOpen() {
    return CommLayer.CommState[CommLayer.CurrentMethod & 7] == CommStateOpen;
}

void CommSendBreak() {}
void CommBreakCancel() {
    CommSendBreak();
}

bool CommFlowKeysLocal() {
    uint8_t m = CommLayer.CurrentMethod;
    return m == CommMethodNone || m == 3;
}

void CommSetXon() {}

void CommDropped(bool) {
    if (CommIsOpen()) CommLayer.CommState[CommLayer.CurrentMethod & 7] = CommStateDropped;
}

void TapiClose() {}
void TelnetSendWindowSize(int, int) {}

std::string GetLocalHostName() {
    return "N/A";
}

void RloginUrgentData() {}

}  // namespace connections
