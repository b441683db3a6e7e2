#pragma once

// A scripted socket and a recording neighbourhood for the connection layer.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "connections/connect_sequence.h"
#include "connections/connection_layer.h"
#include "connections/transport.h"

namespace connections::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(uint8_t(v));
    return out;
}

inline Bytes S(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline std::u16string MessageById(uint16_t id) {
    struct Row {
        uint16_t id;
        const char16_t* text;
    };
    static const Row kRows[] = {
#include "message_table.inc"
    };
    for (const Row& row : kRows) {
        if (row.id == id) return row.text;
    }
    return {};
}

class FakeHost : public ConnectionHost {
  public:
    uint32_t now = 1000;
    uint32_t msPerCall = 0;  // the clock moves on by this at each reading
    int exitCode = -1;
    int titleUpdates = 0;
    int autoLogins = 0;
    int dataArrivals = 0;
    int autoLoginStops = 0;
    int typingResets = 0;
    int fullDuplex = -1;  // as last written
    int32_t columns = 80, rows = 25;
    std::vector<std::string> log;  // "[S:..]", "[R:..]", "[..]", "BOX0 ..", "BOX1 .."
    std::vector<std::string> shortBoxes;
    std::vector<uint16_t> messageBoxes;
    std::vector<std::vector<StatusWord>> lineErrors;
    std::vector<uint16_t> fineDelays;

    uint32_t Milliseconds() override { return now += msPerCall; }
    void UpdateWindowTitle() override { ++titleUpdates; }
    void SetExitCode(uint8_t code) override { exitCode = code; }
    void StartAutoLogin() override { ++autoLogins; }
    void DataArrived() override { ++dataArrivals; }
    void StopAutoLogin() override { ++autoLoginStops; }
    void SetFullDuplex(bool on) override { fullDuplex = on; }
    void CommLogSent(std::string_view t) override { log.push_back("[S:" + std::string(t) + "]"); }
    void CommLogReceived(std::string_view t) override {
        log.push_back("[R:" + std::string(t) + "]");
    }
    void CommDebugLog(std::string_view t) override { log.push_back("[" + std::string(t) + "]"); }
    void CommErrorBox(std::string_view t, uint8_t kind) override {
        log.push_back("BOX" + std::to_string(kind) + " " + std::string(t));
    }
    std::u16string GetMessageText(uint16_t id) override { return MessageById(id); }
    void LangMessageBox(uint16_t id) override { messageBoxes.push_back(id); }
    void LangMessageBoxShort(std::string_view t) override { shortBoxes.emplace_back(t); }
    void ConsoleSize(int32_t& c, int32_t& r) override { c = columns, r = rows; }
    std::string ExpandVariables(std::string_view t) override {
        std::string s(t);
        const std::string var = "${OZM_PROGRAM}";
        for (size_t p; (p = s.find(var)) != std::string::npos;)
            s.replace(p, var.size(), "C:\\VZ.EXE");
        return s;
    }
    void WriteLineErrors(const std::vector<StatusWord>& words) override {
        lineErrors.push_back(words);
    }
    void ResetTypingState() override { ++typingResets; }
    void FineDelay(uint16_t units) override { fineDelays.push_back(units); }

    bool Logged(std::string_view line) const {
        for (const auto& l : log) {
            if (l == line) return true;
        }
        return false;
    }
};

// A socket whose host side is a script: bytes queued to arrive, everything
// sent recorded, and knobs for the failures the layer must handle.
class FakeTransport : public platform::Transport {
  public:
    // The far side.
    std::deque<uint8_t> inbound;
    bool hostClosed = false;  // Receive gives 0 once inbound is empty
    Bytes sent;
    std::vector<int32_t> sendSizes;  // each accepted Send's byte count

    // Knobs.
    bool startupOk = true;
    bool openOk = true;
    int32_t sendLimit = 1 << 30;  // at most this many bytes per Send
    int sendWouldBlock = 0;       // the next n Sends would block
    int32_t sendError = 0;        // Send fails with this code
    int32_t receiveError = 0;     // Receive fails with this code
    int32_t availableError = 0;   // BytesAvailable fails with this code
    int32_t maxChunk = 1 << 30;   // at most this many bytes per Receive
    std::map<std::string, platform::Ipv4Address> names;
    bool asyncLookup = false;
    bool lookupHangs = false;
    platform::Progress connectResult = platform::Progress::Done;
    int32_t connectError = 0;
    bool nonBlockingOk = true;
    FakeHost* clock = nullptr;  // Send moves this clock on, to reach send time-outs

    // What happened.
    int opens = 0, closes = 0, lookups = 0, startups = 0, shutdowns = 0;
    std::vector<std::string> lookedUp;
    std::vector<std::pair<platform::Ipv4Address, uint16_t>> connects;
    std::map<platform::SocketOption, int32_t> options;
    int32_t lastError = 0;
    bool open = false;

    void Arrive(const Bytes& bytes) { inbound.insert(inbound.end(), bytes.begin(), bytes.end()); }
    Bytes TakeSent() {
        Bytes out;
        out.swap(sent);
        return out;
    }

    bool Startup() override {
        ++startups;
        return startupOk;
    }
    void Shutdown() override { ++shutdowns; }
    int32_t LastError() override { return lastError; }
    bool Open() override {
        ++opens;
        open = openOk;
        if (!openOk) lastError = 10024;
        return openOk;
    }
    bool Bind(uint16_t) override { return true; }
    void Close() override {
        ++closes;
        open = false;
    }
    platform::Progress StartLookup(std::string_view name, platform::Ipv4Address& address,
                                   int32_t& error) override {
        ++lookups;
        lookedUp.emplace_back(name);
        pendingName_ = std::string(name);
        if (asyncLookup) return platform::Progress::Pending;
        return PollLookup(address, error);
    }
    platform::Progress PollLookup(platform::Ipv4Address& address, int32_t& error) override {
        if (lookupHangs) return platform::Progress::Pending;
        auto it = names.find(pendingName_);
        if (it == names.end()) {
            error = platform::kSockHostNotFound;
            return platform::Progress::Failed;
        }
        address = it->second;
        return platform::Progress::Done;
    }
    platform::Progress LookupNow(std::string_view name, platform::Ipv4Address& address,
                                 int32_t& error) override {
        pendingName_ = std::string(name);
        return PollLookup(address, error);
    }
    platform::Progress StartConnect(const platform::Ipv4Address& address, uint16_t port,
                                    int32_t& error) override {
        connects.emplace_back(address, port);
        error = connectError;
        return connectResult == platform::Progress::Pending ? platform::Progress::Pending
                                                            : connectResult;
    }
    platform::Progress PollConnect(int32_t& error) override {
        error = connectError;
        return pendingConnect;
    }
    platform::Progress pendingConnect = platform::Progress::Pending;
    void CancelPending() override {}

    int32_t Send(const uint8_t* bytes, int32_t count) override {
        if (clock != nullptr) clock->now += 100;
        if (sendError != 0) return lastError = sendError, -1;
        if (sendWouldBlock > 0) {
            --sendWouldBlock;
            lastError = platform::kSockWouldBlock;
            return -1;
        }
        const int32_t n = std::min(count, sendLimit);
        sent.insert(sent.end(), bytes, bytes + n);
        sendSizes.push_back(n);
        return n;
    }
    int32_t Receive(uint8_t* bytes, int32_t count) override {
        if (receiveError != 0) return lastError = receiveError, -1;
        if (inbound.empty()) {
            if (hostClosed) return lastError = 0, 0;
            lastError = platform::kSockWouldBlock;
            return -1;
        }
        const int32_t n = std::min({count, int32_t(inbound.size()), maxChunk});
        for (int32_t i = 0; i < n; ++i) {
            bytes[i] = inbound.front();
            inbound.pop_front();
        }
        return n;
    }
    int32_t Peek(uint8_t* bytes, int32_t count) override {
        if (inbound.empty()) {
            if (hostClosed) return 0;
            lastError = platform::kSockWouldBlock;
            return -1;
        }
        const int32_t n = std::min(count, int32_t(inbound.size()));
        for (int32_t i = 0; i < n; ++i) bytes[i] = inbound[i];
        return n;
    }
    int32_t BytesAvailable() override {
        if (availableError != 0) return lastError = availableError, -1;
        return int32_t(inbound.size());
    }
    int Readable() override { return inbound.empty() && !hostClosed ? 0 : 1; }
    bool SetNonBlocking() override { return nonBlockingOk; }
    bool SetOption(platform::SocketOption option, int32_t value) override {
        options[option] = value;
        return true;
    }
    bool GetOption(platform::SocketOption option, int32_t& value) override {
        value = options.count(option) ? options[option] : 0;
        return true;
    }
    bool LocalAddress(platform::Ipv4Address& address, uint16_t& port) override {
        address = {{127, 0, 0, 1}};
        port = 40000;
        return true;
    }
    bool NameOf(const platform::Ipv4Address&, std::string& name) override {
        name = "localhost";
        return true;
    }
    platform::NotifyResult EnsureNotifications(bool, bool) override { return notifyResult; }
    // What registering for socket notices gives; a window's registration
    // makes the notices the usual way in.
    platform::NotifyResult notifyResult = platform::NotifyResult::Polled;
    void ForgetNotifications() override {}
    void Wait(int32_t) override {
        if (clock != nullptr) clock->now += 10;
    }
    int writableWaits = 0;
    void WaitWritable(int32_t) override {
        ++writableWaits;
        if (clock != nullptr) clock->now += 10;
    }

  private:
    std::string pendingName_;
};

// A layer wired to the fakes, connected by Telnet to a dotted address.
struct LayerRig {
    FakeHost host;
    FakeTransport socket;
    std::unique_ptr<ConnectionLayer> layer = std::make_unique<ConnectionLayer>();

    explicit LayerRig(bool negotiate = false, uint8_t method = kMethodTelnet) {
        socket.clock = &host;
        layer->Attach(&socket, &host, nullptr);
        layer->settings.CommMethod = method;
        layer->settings.HostName = "10.1.2.3";
        layer->settings.telnet.TelnetNegotiation = negotiate;
    }
    uint8_t Open() { return layer->CommOpen(1); }
    // Reads everything readable byte by byte.
    Bytes ReadAll(bool strip8 = false, bool skipNul = false) {
        Bytes out;
        for (int guard = 0; guard < 100000; ++guard) {
            const int b = layer->CommReadChar(strip8, skipNul);
            if (b == kNoByte) {
                if (layer->ring.Empty() && socket.inbound.empty()) break;
                continue;
            }
            out.push_back(uint8_t(b));
        }
        return out;
    }
};

}  // namespace connections::testing
