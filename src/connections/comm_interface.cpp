// The program's connection: the free functions of comm_interface.h over
// `connectionLayer`, attached to the host the composition gives it.
#include "connections/comm_interface.h"

#include <algorithm>

#include "commands/settings_record.h"
#include "connections/connection_layer.h"
#include "connections/connection_settings.h"
#include "console/system_services.h"

namespace connections {

CommInterfaceState CommLayer;

namespace {

ConnectRunner connectRunner = nullptr;
// The null host until the composition gives the program's neighbours.
ConnectionHost nullHost;
ConnectionHost* programHost = &nullHost;
platform::Transport* programSockets = nullptr;

}  // namespace

void SetProgramConnectionHost(ConnectionHost* host) {
    programHost = host != nullptr ? host : &nullHost;
    connectionLayer.Attach(programSockets, programHost, nullptr);
}

void AttachProgramConnection(platform::Transport* sockets) {
    programSockets = sockets;
    connectionLayer.Attach(sockets, programHost, nullptr);
}

void SetConnectRunner(ConnectRunner runner) {
    connectRunner = runner;
}

ConnectRunner ProgramConnectRunner() {
    return connectRunner;
}

void ResetCommLayer() {
    CommLayer = CommInterfaceState{};
    connectionLayer.Reset();
    connectionLayer.Attach(programSockets, programHost, nullptr);
}

bool CommInputReady(uint32_t n) {
    // The layer counts in 32-bit signed; larger requests mean "not that many".
    const int32_t count = n > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(n);
    return connectionLayer.PlainInputReady(count) || connectionLayer.CommInputReady(count);
}

int CommReadChar(bool sevenBit, bool skipNul) {
    const uint8_t* head = nullptr;
    bool stopped = false;
    if (connectionLayer.PlainDataSpan(skipNul, 1, 0xFF, 0x00, 0xFF, false, head, stopped) == 1) {
        const uint8_t b = head[0];
        connectionLayer.TakePlainData(1);
        return sevenBit ? (b & 0x7F) : b;
    }
    return connectionLayer.CommReadChar(sevenBit, skipNul);
}

uint32_t CommPeekData(bool skipNul, uint32_t maximum, const CommDataRange& range,
                      const uint8_t*& bytes, bool& stopped) {
    const int32_t max = maximum > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(maximum);
    const int32_t n =
        connectionLayer.PlainDataSpan(skipNul, max, range.Mask, range.Lowest, range.Highest,
                                      range.TakeStopper, bytes, stopped, range.Unchecked);
    return n > 0 ? uint32_t(n) : 0;
}

void CommTakeData(uint32_t count) {
    connectionLayer.TakePlainData(static_cast<int32_t>(std::min<uint32_t>(count, 0x7FFFFFFF)));
}

uint32_t CommDataHead(const uint8_t*& bytes, uint32_t& flushes) {
    const int32_t n = connectionLayer.PlainDataHead(bytes, flushes);
    return n > 0 ? uint32_t(n) : 0;
}

bool CommUnreadBytes(uint32_t count) {
    return count <= 0x7FFFFFFF && connectionLayer.CommUnreadBytes(static_cast<int32_t>(count));
}

uint32_t CommReadRun(uint8_t* destination, uint32_t maximum, uint8_t lowest, uint8_t highest) {
    const int32_t max = maximum > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(maximum);
    const int32_t n = connectionLayer.CommReadRun(destination, max, lowest, highest);
    return n > 0 ? uint32_t(n) : 0;
}

uint32_t CommBytesWaiting() {
    const int32_t n = connectionLayer.CommBytesWaiting();
    return n > 0 ? uint32_t(n) : 0;
}

void CommFlushInput() {
    connectionLayer.CommFlushInput();
}

bool CommSendByte(uint8_t b) {
    return connectionLayer.CommSendByte(b);
}
bool CommSendString(std::string_view text) {
    return connectionLayer.CommSendString(text);
}
bool CommSendBlock(const uint8_t* buffer, size_t length) {
    // Larger blocks go out in pieces the layer's 32-bit count can hold.
    constexpr size_t kPiece = 0x10000;
    while (length > 0) {
        const size_t n = length < kPiece ? length : kPiece;
        if (!connectionLayer.CommSendBlock(buffer, int32_t(n))) return false;
        buffer += n;
        length -= n;
    }
    return true;
}

void CommPoll() {
    connectionLayer.CommPoll();
}
void CommPollReceive() {
    connectionLayer.CommPollReceive();
}

uint32_t CommOpen(bool flag) {
    connectionLayer.settings =
        ConnectionSettingsFrom(commands::Settings, commands::Settings.OldScoAnsi != 0);
    return connectionLayer.CommOpen(flag ? 1 : 0);
}

void CommClose() {
    connectionLayer.CommClose();
}
void CommShutdown() {
    connectionLayer.CommShutdown();
}

std::string CommErrorText(uint8_t code) {
    return console::AnsiFromWide(connectionLayer.CommErrorText(code));
}

int16_t CommLastError() {
    return static_cast<int16_t>(connectionLayer.CommLastError & 0xFFFF);
}

bool CommIsOpen() {
    return connectionLayer.CommIsOpen();
}
const ReceiveRing& CommReceiveRing() {
    return connectionLayer.ring;
}
size_t StoreReceivedBytes(const uint8_t* bytes, size_t count) {
    size_t stored = 0;
    while (stored < count) {
        const int32_t chunk = static_cast<int32_t>(std::min<size_t>(count - stored, 0x7FFFFFFF));
        const int32_t taken = connectionLayer.ring.Append(bytes + stored, chunk);
        if (taken <= 0) break;
        stored += static_cast<size_t>(taken);
    }
    return stored;
}
void CommEchoTypedByte(uint8_t b) {
    ReceiveRing& ring = connectionLayer.ring;
    if (!ring.Empty()) return;
    ring.storage[ring.write] = static_cast<uint8_t>(b | 0x80);
    ring.write = (ring.write + 1) & ReceiveRing::kMask;
    ring.read = ring.write;
    ring.decodedAhead = 0;
    ring.unreadLimit = 0;
}
void CommSetXon() {
    // No serial or modem line is opened by this layer yet; nothing waits for XON.
}
uint8_t CommSrpLastReply() {
    TelnetSecurity* security = connectionLayer.Security();
    return security ? security->SrpLastReply() : 0;
}
void CommSendBreak() {
    connectionLayer.CommSendBreak();
}
void CommBreakCancel() {
    connectionLayer.CommBreakCancel();
}
bool CommFlowKeysLocal() {
    return connectionLayer.CommFlowKeysLocal();
}
void CommDropped(bool exitAllowed) {
    connectionLayer.CommDropped(exitAllowed ? 1 : 0);
}
void TelnetSendWindowSize(int columns, int rows) {
    connectionLayer.TelnetSendWindowSize(columns, rows);
}
std::string GetLocalHostName() {
    return connectionLayer.GetLocalHostName();
}
std::string CommLocalIpAddress() {
    return connectionLayer.LocalIpAddress;
}
void SetCommVerbose(bool on) {
    connectionLayer.CommVerbose = on;
}
bool CommVerbose() {
    return connectionLayer.CommVerbose;
}
std::string CommConnectedHostName() {
    return connectionLayer.ConnectedHostName;
}
void CommClearLastError() {
    connectionLayer.CommLastError = 0;
}

}  // namespace connections
